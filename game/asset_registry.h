// Loads models from descriptor files, keeps them for the rest of the run, and makes instances.
//
// Actor descriptor: "actor", the mesh file, the animation count, one animation file per line.
// Prop descriptor: "prop", the mesh file. Derived caches replace a name's extension: the mesh's
// ".prs", each actor animation's ".kdt", and a prop mesh's ".kdt".
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/clone.h"
#include "model/actor_model.h"
#include "model/prop_model.h"

// NameHash of the descriptor's file name as given; 0 means failure.
using AssetKey = std::uint32_t;

class AssetRegistry {
  public:
    explicit AssetRegistry(float counterFrequency) : counterFrequency(counterFrequency) {}
    AssetRegistry(const AssetRegistry&) = delete;
    AssetRegistry& operator=(const AssetRegistry&) = delete;

    // 1 when the process-wide registry was created, 0 when it existed (and stays unchanged).
    static int Create(float counterFrequency);
    // The process-wide registry, or null before Create.
    static AssetRegistry* Get();

    // The key, or 0 when the file cannot be opened, is neither an actor nor a prop, or has a
    // line longer than 127 characters.
    AssetKey Load(const std::string& descriptorFile);
    // A Kordax for robotKey's actor, a Gun82 for gunKey's prop; null for anything else.
    std::unique_ptr<Clone> CreateInstance(AssetKey key) const;

    float counterFrequency;
    AssetKey robotKey = 0;
    AssetKey gunKey = 0;
    std::vector<AssetKey> actorKeys;
    std::vector<std::unique_ptr<ActorModel>> actorModels;
    std::vector<AssetKey> propKeys;
    std::vector<std::unique_ptr<PropModel>> propModels;

  private:
    static std::unique_ptr<AssetRegistry>& Instance();
};
