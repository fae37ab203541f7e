#include "game/asset_registry.h"

#include <algorithm>
#include <istream>
#include <optional>

#include "assets/binary_file.h"
#include "assets/name_hash.h"
#include "assets/text_file.h"
#include "game/robot.h"
#include "game/weapon.h"

namespace {

// What a descriptor names, read completely before anything is loaded.
struct Descriptor {
    std::string kind;
    std::string mesh;
    std::vector<std::string> animations;
};

// Reads one line of at most 127 characters into `line`; false for a longer line.
bool ReadLine(std::istream& in, std::string& line) {
    char buffer[BinaryFile::kStringSize];
    in.getline(buffer, sizeof buffer);
    if (in.fail() && !in.eof()) return false;  // the line did not fit the buffer
    line = in.fail() ? std::string() : std::string(buffer);
    return true;
}

// nullopt for an unknown kind or a line longer than 127 characters.
std::optional<Descriptor> ReadDescriptor(std::istream& in) {
    Descriptor d;
    if (!ReadLine(in, d.kind) || (d.kind != "actor" && d.kind != "prop")) return std::nullopt;
    if (!ReadLine(in, d.mesh)) return std::nullopt;
    if (d.kind == "prop") return d;
    long long count = 0;
    in >> count;
    in.get();
    // A count larger than the lines that follow stops at the end of the file.
    for (long long i = 0; i < count && in.good(); ++i) {
        std::string name;
        if (!ReadLine(in, name)) return std::nullopt;
        d.animations.push_back(std::move(name));
    }
    return d;
}

void LoadActor(const Descriptor& d, ActorModel& model) {
    model.LoadMesh(d.mesh, defaultTextureParams);
    model.LoadGroups(StripExtension(d.mesh) + ".prs");
    // Each animation is followed by the bounds of that same animation: a line that fails to
    // load gets none, so the bounds always stay with their animation.
    for (const std::string& name : d.animations) {
        if (model.LoadAnimation(name) == 1) {
            const auto index = static_cast<int>(model.animations.size() - 1);
            model.LoadBounds(StripExtension(name) + ".kdt", index);
        }
    }
}

void LoadProp(const Descriptor& d, PropModel& model) {
    model.LoadMesh(d.mesh, defaultTextureParams);
    model.LoadBounds(StripExtension(d.mesh) + ".kdt", PropModel::kLeafSize);
    model.LoadGroups(StripExtension(d.mesh) + ".prs");
}

}  // namespace

std::unique_ptr<AssetRegistry>& AssetRegistry::Instance() {
    static std::unique_ptr<AssetRegistry> instance;
    return instance;
}

int AssetRegistry::Create(float counterFrequency) {
    if (Instance() != nullptr) return 0;
    Instance() = std::make_unique<AssetRegistry>(counterFrequency);
    return 1;
}

AssetRegistry* AssetRegistry::Get() { return Instance().get(); }

AssetKey AssetRegistry::Load(const std::string& descriptorFile) {
    const AssetKey key = NameHash(descriptorFile);
    auto opened = OpenTextFile(descriptorFile);
    if (!opened) return 0;
    const std::optional<Descriptor> descriptor = ReadDescriptor(*opened);
    if (!descriptor) return 0;
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
    if (key == 0) return nullptr;
    const auto actor = std::find(actorKeys.begin(), actorKeys.end(), key);
    if (actor != actorKeys.end()) {
        if (key != robotKey) return nullptr;
        const ActorModel* model = actorModels[static_cast<std::size_t>(actor - actorKeys.begin())].get();
        return std::make_unique<Kordax>(model, counterFrequency);
    }
    const auto prop = std::find(propKeys.begin(), propKeys.end(), key);
    if (prop != propKeys.end() && key == gunKey) {
        return std::make_unique<Gun82>(propModels[static_cast<std::size_t>(prop - propKeys.begin())].get());
    }
    return nullptr;
}
