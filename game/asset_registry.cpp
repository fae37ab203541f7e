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

void LoadActor(const Descriptor& d, ActorModel& model) {
    const std::string mesh = InFolder(d.mesh);
    model.LoadMesh(mesh, defaultTextureParams);
    model.LoadGroups(StripExtension(mesh) + ".prs");
    // Each animation is followed by the bounds of that same animation: a line that fails to
    // load gets none, so the bounds always stay with their animation.
    for (const std::string& line : d.animations) {
        const std::string name = InFolder(line);
        if (model.LoadAnimation(name) == 1) {
            const auto index = static_cast<int>(model.animations.size() - 1);
            model.LoadBounds(StripExtension(name) + ".kdt", index);
        }
    }
}

void LoadProp(const Descriptor& d, PropModel& model) {
    const std::string mesh = InFolder(d.mesh);
    model.LoadMesh(mesh, defaultTextureParams);
    model.LoadBounds(StripExtension(mesh) + ".kdt", PropModel::kLeafSize);
    model.LoadGroups(StripExtension(mesh) + ".prs");
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
        LoadActor(*descriptor, *model);
        actorKeys.push_back(key);
        actorModels.push_back(std::move(model));
    } else {
        auto model = std::make_unique<PropModel>();
        LoadProp(*descriptor, *model);
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
