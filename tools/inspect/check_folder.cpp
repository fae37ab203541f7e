#include "tools/inspect/check_folder.h"

#include <filesystem>

#include "assets/binary_file.h"
#include "assets/name_hash.h"
#include "tools/inspect/inspectors.h"
#include "tools/inspect/paths.h"

namespace {

class FolderCheck {
  public:
    explicit FolderCheck(std::string folder) : folder_(std::move(folder)) {}

    void Stats() {
        Add(InspectWeaponStats(Path("gun82stats.txt")));
        Add(InspectWeaponStats(Path("gun83stats.txt")));
        Add(InspectRobotStats(Path("kordaxstats.txt")));
    }

    // `role` and `kind`: what the demo takes the model for.
    void Model(const char* name, const char* kind, const char* role) {
        Descriptor d;
        FileReport report = InspectDescriptor(Path(name), &d);
        const bool read = !d.kind.empty();  // filled only when the descriptor reads
        if (read && d.kind != kind) {
            report.Problem(std::string("the demo takes it for the ") + role + ", " +
                           (std::string(kind) == "actor" ? "an actor" : "a prop") +
                           ", but it describes " + (d.kind == "actor" ? "an actor" : "a prop"));
        }
        Add(std::move(report));
        if (!read)
            return;
        if (d.kind == "actor") {
            Actor(d, std::string(role) == "robot");
        } else {
            Prop(d);
        }
    }

    std::vector<FileReport> Reports() { return std::move(reports_); }

  private:
    // A name that leads out of the folder is checked as the game reads it: as no file at all.
    std::string Path(const std::string& name) const {
        return (std::filesystem::path(folder_) / (StaysInFolder(name) ? name : "")).string();
    }
    void Add(FileReport report) { reports_.push_back(std::move(report)); }

    // The mesh, or null when it does not load (the game then neither reads nor writes caches).
    bool LoadMesh(const std::string& name, Mesh& mesh, bool robot) {
        FileReport report = InspectMesh(Path(name), &mesh);
        const bool loaded = report.Valid();
        if (loaded && robot && mesh.FindNode(NameHash("Gun")) == nullptr) {
            report.Problem("no node is named \"Gun\", which the demo attaches the gun to");
        }
        Add(std::move(report));
        return loaded;
    }

    Neighbours Of(const Mesh& mesh, const std::string& meshName) const {
        Neighbours n;
        n.mesh = &mesh;
        n.meshPath = Path(meshName);
        return n;
    }

    void FaceGroups(const std::string& meshName, const Mesh& mesh) {
        const std::string groups = Path(StripExtension(meshName) + ".prs");
        if (IsRegularFile(groups))
            Add(InspectFaceGroups(groups, Of(mesh, meshName)));
    }

    void Actor(const Descriptor& d, bool robot) {
        Mesh mesh;
        if (!LoadMesh(d.mesh, mesh, robot)) {
            for (const std::string& name : d.animations) {
                Add(InspectAnimation(Path(name), {}));
            }
            return;
        }
        FaceGroups(d.mesh, mesh);
        for (const std::string& name : d.animations) {
            Animation animation;
            FileReport report = InspectAnimation(Path(name), Of(mesh, d.mesh), &animation);
            const bool loaded = report.Valid();
            Add(std::move(report));
            const std::string boundsName = StripExtension(name) + ".kdt";
            if (!loaded || !IsRegularFile(Path(boundsName)))
                continue;
            Neighbours n = Of(mesh, d.mesh);
            n.frames = animation.frameCount;
            n.gameName = boundsName;
            Add(InspectActorBounds(Path(boundsName), n));
        }
    }

    void Prop(const Descriptor& d) {
        Mesh mesh;
        if (!LoadMesh(d.mesh, mesh, false))
            return;
        const std::string bounds = StripExtension(d.mesh) + ".kdt";
        if (IsRegularFile(Path(bounds)))
            Add(InspectPropBounds(Path(bounds), Of(mesh, d.mesh)));
        FaceGroups(d.mesh, mesh);
    }

    std::string folder_;
    std::vector<FileReport> reports_;
};

}  // namespace

std::vector<FileReport> CheckFolder(const std::string& folder) {
    FolderCheck check(folder);
    check.Stats();
    check.Model("kordax.txt", "actor", "robot");
    check.Model("gun82.txt", "prop", "gun");
    return check.Reports();
}
