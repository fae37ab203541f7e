// What the demo loads before its first frame, from the working folder, for the start-up
// benchmarks: the stats files, the robot and the gun.
#pragma once

#include <benchmark/benchmark.h>

#include <memory>

#include "game/asset_registry.h"

std::unique_ptr<AssetRegistry> LoadDemoAssets();

// Deletes the OpenGL textures of a registry's meshes, which the registry leaves to the game.
void DeleteDemoTextures(const AssetRegistry& registry);

// One load, timed to its last texture; the teardown is not timed.
void TimedDemoLoad(benchmark::State& state);
