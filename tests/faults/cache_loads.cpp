#include "tests/faults/cache_loads.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "assets/byte_writer.h"
#include "model/actor_model.h"
#include "model/prop_model.h"
#include "tests/support/plain_content.h"

namespace {

constexpr const char* kRobotMesh = "kordax.ply";
constexpr const char* kGunMesh = "gun82.ply";
constexpr const char* kWalk = "walk.anm";

void DumpGroups(const Mesh& mesh, ByteWriter& out) {
    out.F32(mesh.radius);
    out.I32(mesh.groupCount);
    for (const FaceGroup& group : mesh.groups) {
        out.F32(group.shininess);
        for (const float c : group.specular)
            out.F32(c);
        for (const float c : group.diffuse)
            out.F32(c);
        out.I32(group.textureIndex);
        out.I32(group.faceCount);
        for (const std::int32_t face : group.faces)
            out.I32(face);
    }
}

// The tag of an actor's frame root is the hash of the cache's path, which the cases that put the
// cache elsewhere change: roots are dumped without it.
void DumpTree(const Zt18DOP& node, ByteWriter& out, bool withTag = true) {
    if (withTag)
        out.I32(node.tag);
    for (int k = 0; k < Zt18DOP::kSlabCount; ++k) {
        out.F32(node.slabs[k].min);
        out.F32(node.slabs[k].max);
        out.I32(node.extremes[k].minVertex);
        out.I32(node.extremes[k].maxVertex);
    }
    out.I32(node.childCount);
    out.U8(node.children != nullptr ? 1 : 0);
    for (std::int32_t i = 0; i < node.childCount; ++i)
        DumpTree(node.children[i], out);
}

}  // namespace

const char* CacheName(CacheKind kind) {
    switch (kind) {
        case CacheKind::kRobotGroups:
            return "kordax.prs";
        case CacheKind::kGunGroups:
            return "gun82.prs";
        case CacheKind::kGunBounds:
            return "gun82.kdt";
        case CacheKind::kWalkBounds:
            return "walk.kdt";
    }
    return "";
}

std::string CacheTestName(CacheKind kind) {
    std::string name = CacheName(kind);
    for (char& c : name) {
        if (c == '.')
            c = '_';
    }
    return name;
}

namespace {

std::filesystem::path FolderBase() {
    std::error_code error;
    const std::filesystem::path memory = "/dev/shm";
    return std::filesystem::is_directory(memory, error) ? memory
                                                        : std::filesystem::temp_directory_path();
}

}  // namespace

ContentFolder::ContentFolder() : dir_(FolderBase()) {
    WriteMeshFile(File(kRobotMesh), PlainRobot());
    WriteMeshFile(File(kGunMesh), PlainGun());
    // One frame: its bounds cache already holds every kind of record, and is cut at every
    // offset in a test that loads the robot once per cut.
    WriteAnimationFile(File(kWalk), ShortWalk(1));
}

CacheLoad ContentFolder::Load(CacheKind kind, const std::string& cachePath) const {
    CacheLoad load;
    ByteWriter out;
    switch (kind) {
        case CacheKind::kRobotGroups: {
            ActorModel robot;
            robot.LoadMesh(File(kRobotMesh), defaultTextureParams);
            load.result = robot.LoadGroups(cachePath);
            DumpGroups(*robot.mesh, out);
            break;
        }
        case CacheKind::kGunGroups:
        case CacheKind::kGunBounds: {
            PropModel gun;
            gun.LoadMesh(File(kGunMesh), defaultTextureParams);
            if (kind == CacheKind::kGunGroups) {
                load.result = gun.LoadGroups(cachePath);
                DumpGroups(*gun.mesh, out);
            } else {
                load.result = gun.LoadBounds(cachePath, PropModel::kLeafSize);
                DumpTree(gun.bounds, out);
            }
            break;
        }
        case CacheKind::kWalkBounds: {
            ActorModel robot;
            robot.LoadMesh(File(kRobotMesh), defaultTextureParams);
            robot.LoadAnimation(File(kWalk));
            load.result = robot.LoadBounds(cachePath, 0);
            out.I32(static_cast<std::int32_t>(robot.animationBounds.size()));
            for (const auto& frames : robot.animationBounds) {
                out.I32(static_cast<std::int32_t>(frames.size()));
                for (const Zt18DOP& root : frames)
                    DumpTree(root, out, false);
            }
            break;
        }
    }
    load.contents = out.Take();
    return load;
}

std::map<std::string, std::string> ContentFolder::Files() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.Path())) {
        if (entry.is_regular_file()) {
            const std::string name = entry.path().filename().string();
            files[name] = dir_.Read(name);
        }
    }
    return files;
}

void ContentFolder::ExpectFiles(const std::map<std::string, std::string>& expected) const {
    const auto actual = Files();
    for (const auto& [name, bytes] : expected) {
        const auto found = actual.find(name);
        if (found == actual.end()) {
            ADD_FAILURE() << name << " is missing";
        } else if (found->second != bytes) {
            ADD_FAILURE() << name << " changed: " << found->second.size() << " bytes, expected "
                          << bytes.size();
        }
    }
    for (const auto& entry : actual) {
        if (expected.count(entry.first) == 0)
            ADD_FAILURE() << entry.first << " appeared";
    }
}
