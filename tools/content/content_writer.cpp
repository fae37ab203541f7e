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

std::string Bytes(const std::vector<std::uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

// Our own sources are well formed, so their writers always give bytes.
std::string MeshBytes(const MeshSource& mesh) {
    return MeshFileBytes(mesh).value();
}
std::string AnimationBytes(const AnimationSource& animation) {
    return AnimationFileBytes(animation).value();
}
std::string TgaBytes(const RgbImage& image, bool runLength) {
    return Bytes(EncodeTga(image.width, image.height, 24, BgrBytes(image), runLength));
}

}  // namespace

std::vector<ContentFile> GunAndStatsFiles() {
    return {
        {kGunDescriptorFile, GunDescriptor()},
        {kRobotStatsFile, kRobotStats},
        {kGun82StatsFile, kGun82Stats},
        {kGun83StatsFile, kGun83Stats},
        {kGunMeshFile, MeshBytes(BuildGunMesh())},
        {kGunSkinFile, TgaBytes(GunSkinImage(), false)},
    };
}

std::vector<ContentFile> ContentFiles(int subdivisions) {
    const RgbImage panel = PanelImage();
    std::vector<ContentFile> files = {
        {kRobotDescriptorFile, RobotDescriptor()},
        {kRobotMeshFile, MeshBytes(BuildRobotMesh(subdivisions))},
        {kIdleFile, AnimationBytes(BuildIdleAnimation())},
        {kWalkFile, AnimationBytes(BuildWalkAnimation())},
        {kAimFile, AnimationBytes(BuildAimAnimation())},
        {kPlateFile, TgaBytes(PlateImage(), false)},
        {kStripeFile, TgaBytes(StripeImage(), true)},
        {kPanelFile, Bytes(EncodeBmp24(panel.width, panel.height, RgbBytes(panel)))},
    };
    for (ContentFile& file : GunAndStatsFiles()) {
        files.push_back(std::move(file));
    }
    return files;
}

bool WriteContent(const std::string& folder, int subdivisions, std::string& failedPath) {
    if (subdivisions < 1 || subdivisions > kMaxSubdivisions) {
        failedPath = folder;
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const auto& [name, bytes] : ContentFiles(subdivisions)) {
        const std::string path = (std::filesystem::path(folder) / name).string();
        if (!WriteFileAtomically(path, bytes.data(), bytes.size())) {
            failedPath = path;
            return false;
        }
    }
    return true;
}
