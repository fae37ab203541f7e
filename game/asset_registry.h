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

// An actor's and a prop's models read again while the game runs (see ReadModelsForReload).
struct ReadModels {
    std::unique_ptr<ActorModel> actor;
    std::unique_ptr<PropModel> prop;
};

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
    // Puts reloaded models in the places of robotKey's and gunKey's, and the models they
    // replace into `models`: those must outlive the instances made from them.
    void SwapModels(ReadModels& models);

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

// Reading for a reload, on a thread without the OpenGL context: the actor and prop descriptors
// in `folder` (ending in '/') and everything they name, the caches included, with the meshes'
// textures decoded but not built. false, with the file and why, when a descriptor is not of its
// kind or any file it names cannot be read: a reload takes all of a model or none of it.
bool ReadModelsForReload(const std::string& folder, const std::string& actorFile,
                         const std::string& propFile, ReadModels& out, std::string& error);
// Then, on the context's thread: builds the textures decoded above.
bool BuildReadTextures(ReadModels& models, std::string& error);
