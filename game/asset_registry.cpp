#include "game/asset_registry.h"

#include <algorithm>
#include <optional>

#include "assets/binary_file.h"
#include "assets/name_hash.h"
#include "game/descriptor.h"
#include "game/robot.h"
#include "game/weapon.h"

namespace {

// A descriptor's name that leads out of the data folder (absolute, or with a ".." step) is
// loaded as the empty name, which no open finds: each loader fails as for a missing file, with
// its own result, and no cache is written beside a file outside the folder.
std::string InFolder(const std::string& name) {
    return StaysInFolder(name) ? name : std::string();
}

// Names in a descriptor resolve in `folder` ("" or ending in '/'). Without `params` the meshes'
// textures are decoded but not built, so that no OpenGL context is needed. `error` gets the
// first file that could not be read; the load goes on past it, as the start always has.
void LoadActor(const Descriptor& d, const std::string& folder, TextureParams* params,
               ActorModel& model, LoadError* error) {
    const std::string mesh = InFolder(d.mesh);
    if (params != nullptr)
        model.LoadMesh(folder + mesh, *params, error);
    else
        model.ReadMesh(folder + mesh, folder, error);
    model.LoadGroups(folder + StripExtension(mesh) + ".prs");
    // Each animation is followed by the bounds of that same animation: a line that fails to
    // load gets none, so the bounds always stay with their animation.
    for (const std::string& line : d.animations) {
        const std::string name = InFolder(line);
        if (model.LoadAnimation(folder + name, error) == 1) {
            const auto index = static_cast<int>(model.animations.size() - 1);
            model.LoadBounds(folder + StripExtension(name) + ".kdt", index);
        }
    }
}

void LoadProp(const Descriptor& d, const std::string& folder, TextureParams* params,
              PropModel& model, LoadError* error) {
    const std::string mesh = InFolder(d.mesh);
    if (params != nullptr)
        model.LoadMesh(folder + mesh, *params, error);
    else
        model.ReadMesh(folder + mesh, folder, error);
    model.LoadBounds(folder + StripExtension(mesh) + ".kdt", PropModel::kLeafSize);
    model.LoadGroups(folder + StripExtension(mesh) + ".prs");
}

// The descriptor in `folder`, when it is of `kind`.
std::optional<Descriptor> ReadDescriptorOfKind(const std::string& folder, const std::string& file,
                                               const char* kind, std::string& error) {
    LoadError why;
    std::optional<Descriptor> descriptor = ReadDescriptorFile(folder + file, &why);
    if (!descriptor)
        error = file + ": " + (why.what.empty() ? "cannot be read" : why.what);
    else if (descriptor->kind != kind)
        error = file + ": not " + (kind[0] == 'a' ? "an " : "a ") + kind + " descriptor";
    else
        return descriptor;
    return std::nullopt;
}

bool Refused(const LoadError& why, const std::string& file, std::string& error) {
    if (why.what.empty())
        return false;
    error = file + ": " + why.what;
    return true;
}

}  // namespace

std::unique_ptr<AssetRegistry>& AssetRegistry::Instance() {
    static std::unique_ptr<AssetRegistry> instance;
    return instance;
}

int AssetRegistry::Create(float counterFrequency) {
    if (Instance() != nullptr)
        return 0;
    Instance() = std::make_unique<AssetRegistry>(counterFrequency);
    return 1;
}

AssetRegistry* AssetRegistry::Get() {
    return Instance().get();
}

AssetKey AssetRegistry::Load(const std::string& descriptorFile) {
    const AssetKey key = NameHash(descriptorFile);
    const std::optional<Descriptor> descriptor = ReadDescriptorFile(descriptorFile);
    if (!descriptor)
        return 0;
    if (descriptor->kind == "actor") {
        auto model = std::make_unique<ActorModel>();
        LoadActor(*descriptor, "", &defaultTextureParams, *model, nullptr);
        actorKeys.push_back(key);
        actorModels.push_back(std::move(model));
    } else {
        auto model = std::make_unique<PropModel>();
        LoadProp(*descriptor, "", &defaultTextureParams, *model, nullptr);
        propKeys.push_back(key);
        propModels.push_back(std::move(model));
    }
    return key;
}

std::unique_ptr<Clone> AssetRegistry::CreateInstance(AssetKey key) const {
    if (key == 0)
        return nullptr;
    const auto actor = std::find(actorKeys.begin(), actorKeys.end(), key);
    if (actor != actorKeys.end()) {
        if (key != robotKey)
            return nullptr;
        const ActorModel* model =
            actorModels[static_cast<std::size_t>(actor - actorKeys.begin())].get();
        return std::make_unique<Kordax>(model, counterFrequency);
    }
    const auto prop = std::find(propKeys.begin(), propKeys.end(), key);
    if (prop != propKeys.end() && key == gunKey) {
        return std::make_unique<Gun82>(
            propModels[static_cast<std::size_t>(prop - propKeys.begin())].get());
    }
    return nullptr;
}

bool ReadModelsForReload(const std::string& folder, const std::string& actorFile,
                         const std::string& propFile, ReadModels& out, std::string& error) {
    const std::optional<Descriptor> actor = ReadDescriptorOfKind(folder, actorFile, "actor", error);
    if (!actor)
        return false;
    const std::optional<Descriptor> prop = ReadDescriptorOfKind(folder, propFile, "prop", error);
    if (!prop)
        return false;
    LoadError why;
    out.actor = std::make_unique<ActorModel>();
    LoadActor(*actor, folder, nullptr, *out.actor, &why);
    if (Refused(why, actorFile, error))
        return false;
    out.prop = std::make_unique<PropModel>();
    LoadProp(*prop, folder, nullptr, *out.prop, &why);
    return !Refused(why, propFile, error);
}

bool BuildReadTextures(ReadModels& models, std::string& error) {
    LoadError why;
    if (models.actor->mesh->BuildTextures(defaultTextureParams, &why) != 1) {
        error = why.what;
        return false;
    }
    if (models.prop->mesh->BuildTextures(defaultTextureParams, &why) != 1) {
        models.actor->mesh->DeleteTextures();
        error = why.what;
        return false;
    }
    return true;
}

void AssetRegistry::SwapModels(ReadModels& models) {
    const auto swapUnder = [](AssetKey key, const std::vector<AssetKey>& keys, auto& owned,
                              auto& model) {
        const auto found = std::find(keys.begin(), keys.end(), key);
        if (found != keys.end())
            std::swap(owned[static_cast<std::size_t>(found - keys.begin())], model);
    };
    swapUnder(robotKey, actorKeys, actorModels, models.actor);
    swapUnder(gunKey, propKeys, propModels, models.prop);
}
