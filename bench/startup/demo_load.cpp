#include "bench/startup/demo_load.h"

#include <GL/gl.h>

#include "assets/stats.h"

std::unique_ptr<AssetRegistry> LoadDemoAssets() {
    WeaponStats gun82;
    WeaponStats gun83;
    RobotStats kordax;
    LoadWeaponStats("gun82stats.txt", gun82);
    LoadWeaponStats("gun83stats.txt", gun83);
    LoadRobotStats("kordaxstats.txt", kordax);
    auto registry = std::make_unique<AssetRegistry>(1e9f);
    registry->robotKey = registry->Load("kordax.txt");
    registry->gunKey = registry->Load("gun82.txt");
    return registry;
}

void DeleteDemoTextures(const AssetRegistry& registry) {
    auto drop = [](const Mesh* mesh) {
        if (mesh == nullptr)
            return;
        for (std::int32_t i = 0; i < mesh->textureCount; ++i)
            glDeleteTextures(1, &mesh->textures[static_cast<std::size_t>(i)].name);
    };
    for (const auto& m : registry.actorModels)
        drop(m->mesh.get());
    for (const auto& m : registry.propModels)
        drop(m->mesh.get());
}

void TimedDemoLoad(benchmark::State& state) {
    auto registry = LoadDemoAssets();
    glFinish();
    state.PauseTiming();
    if (registry->robotKey == 0 || registry->gunKey == 0)
        state.SkipWithError("load failed");
    DeleteDemoTextures(*registry);
    registry.reset();
    state.ResumeTiming();
}
