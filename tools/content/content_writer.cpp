#include "tools/content/content_writer.h"

#include <filesystem>
#include <system_error>

#include "assets/animation_writer.h"
#include "assets/atomic_file.h"
#include "assets/image_writer.h"
#include "assets/mesh_writer.h"
#include "tools/content/content_names.h"
#include "tools/content/gun.h"
#include "tools/content/robot.h"
#include "tools/content/robot_animations.h"
#include "tools/content/texture_images.h"

namespace {

// Line ends are line feeds alone; the statistics are written as text, not formatted from
// floats, so no locale can change them.
std::string RobotDescriptor() {
    return std::string("actor\n") + kRobotMeshFile + "\n3\n" + kIdleFile + "\n" + kWalkFile + "\n" +
           kAimFile + "\n";
}

std::string GunDescriptor() {
    return std::string("prop\n") + kGunMeshFile + "\n";
}

constexpr const char* kRobotStats =
    "maxthrust\n100\nmaxturn\n90\nmaxep\n100\nepburnrate\n2.5\nmaxhp\n250\n";
constexpr const char* kGun82Stats = "power\n12\nmaxammo\n30\nreloadtime\n2\nrecoil\n3\n";
constexpr const char* kGun83Stats = "power\n25\nmaxammo\n8\nreloadtime\n4\nrecoil\n7\n";

class ContentFolder {
  public:
    explicit ContentFolder(std::filesystem::path folder) : folder_(std::move(folder)) {}

    bool Text(const char* name, const std::string& text) {
        return Check(name, WriteFileAtomically(Path(name), text.data(), text.size()));
    }
    bool Mesh(const char* name, const MeshSource& mesh) {
        return Check(name, WriteMeshFile(Path(name), mesh));
    }
    bool Animation(const char* name, const AnimationSource& animation) {
        return Check(name, WriteAnimationFile(Path(name), animation));
    }
    bool Tga(const char* name, const RgbImage& image, bool runLength) {
        return Check(
            name, WriteTga(Path(name), image.width, image.height, 24, BgrBytes(image), runLength));
    }
    bool Bmp(const char* name, const RgbImage& image) {
        return Check(name, WriteBmp24(Path(name), image.width, image.height, RgbBytes(image)));
    }

    const std::string& Failed() const { return failed_; }

  private:
    std::string Path(const char* name) const { return (folder_ / name).string(); }
    bool Check(const char* name, bool written) {
        if (!written) {
            failed_ = Path(name);
        }
        return written;
    }

    std::filesystem::path folder_;
    std::string failed_;
};

}  // namespace

bool WriteContent(const std::string& folder, int subdivisions, std::string& failedPath) {
    if (subdivisions < 1 || subdivisions > kMaxSubdivisions) {
        failedPath = folder;
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    ContentFolder out(folder);
    const bool written =
        out.Text(kRobotDescriptorFile, RobotDescriptor()) &&
        out.Text(kGunDescriptorFile, GunDescriptor()) && out.Text(kRobotStatsFile, kRobotStats) &&
        out.Text(kGun82StatsFile, kGun82Stats) && out.Text(kGun83StatsFile, kGun83Stats) &&
        out.Mesh(kRobotMeshFile, BuildRobotMesh(subdivisions)) &&
        out.Mesh(kGunMeshFile, BuildGunMesh()) && out.Animation(kIdleFile, BuildIdleAnimation()) &&
        out.Animation(kWalkFile, BuildWalkAnimation()) &&
        out.Animation(kAimFile, BuildAimAnimation()) && out.Tga(kPlateFile, PlateImage(), false) &&
        out.Tga(kStripeFile, StripeImage(), true) && out.Bmp(kPanelFile, PanelImage()) &&
        out.Tga(kGunSkinFile, GunSkinImage(), false);
    failedPath = out.Failed();
    return written;
}
