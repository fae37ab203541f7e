// Exporting a folder with a blended skin and its skin record: the glTF skin has the original
// joints and weights, skinned independently it poses every vertex where the game does, and a
// record that does not fit the folder is refused.
#include <gtest/gtest.h>
#include <tiny_gltf.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

#include "tests/convert/blended_folder.h"
#include "tests/convert/gltf_reference.h"
#include "tests/convert/import_support.h"
#include "tools/convert/export_animation.h"
#include "tools/convert/export_folder.h"

namespace {

double Distance(const RefVec& a, const Vec3& b) {
    return std::hypot(a[0] - b.x, a[1] - b.y, a[2] - b.z);
}

// Exports `folder` and checks that the glTF skin, skinned independently, puts every vertex
// within `tolerance` of where the game poses it at every frame; gives the skin's joint names.
std::vector<std::string> ExpectExportPosesAsTheGame(const std::string& folder,
                                                    const std::string& out, double tolerance) {
    std::string error;
    std::vector<std::string> notes;
    EXPECT_TRUE(ExportFolder(folder, out, false, error, notes)) << error;
    // Without the record, the set nodes' sheared keyframes would be approximated, with notes.
    EXPECT_TRUE(notes.empty()) << notes.front();

    tinygltf::Model model;
    tinygltf::TinyGLTF loader;
    std::string warning;
    EXPECT_TRUE(loader.LoadBinaryFromFile(&model, &error, &warning, out)) << error;
    std::vector<std::string> joints;
    if (model.skins.size() != 1) {
        ADD_FAILURE() << "skins: " << model.skins.size();
        return joints;
    }
    for (const int j : model.skins[0].joints)
        joints.push_back(model.nodes.at(static_cast<std::size_t>(j)).name);

    ActorModel actor;
    LoadActor(folder, actor);
    const std::vector<Vec3>& bind = actor.mesh->vertices;
    EXPECT_EQ(model.animations.size(), actor.animations.size());
    for (int a = 0; a < static_cast<int>(model.animations.size()); ++a) {
        for (int f = 0; f < actor.animations[static_cast<std::size_t>(a)]->frameCount; ++f) {
            const std::vector<Vec3> game = Posed(actor, a, f);
            const std::vector<RefVertex> skinned = SkinnedVertices(model, a, FrameTime(f));
            EXPECT_GE(skinned.size(), bind.size());  // a vertex per primitive that uses it
            for (const RefVertex& v : skinned) {
                // At rest the skin gives back the mesh: that tells which vertex this is.
                std::size_t nearest = 0;
                for (std::size_t i = 1; i < bind.size(); ++i) {
                    if (Distance(v.rest, bind[i]) < Distance(v.rest, bind[nearest]))
                        nearest = i;
                }
                EXPECT_LT(Distance(v.rest, bind[nearest]), 1e-5) << "vertex " << nearest;
                EXPECT_LT(Distance(v.posed, game[nearest]), tolerance)
                    << "animation " << a << " frame " << f << " vertex " << nearest;
            }
        }
    }
    return joints;
}

TEST(GltfExportSkin, BlendedVerticesAreSkinnedToTheOriginalJointsAndPoseAsInTheGame) {
    TempDir dir;
    const std::string folder = dir.File("blended");
    WriteBlendedFolder(folder);
    // The set node is left out: the skin's joints are Root, Hip and Knee.
    EXPECT_EQ(
        ExpectExportPosesAsTheGame(folder, dir.File("blended.glb"), 1e-4 * kBlendedStripHeight),
        (std::vector<std::string>{"Root", "Hip", "Knee"}));
}

// Import -> export keeps the blended skin: no set node becomes a joint.
TEST(GltfExportSkin, AnImportedBlendedSkinExportsWithItsOwnJoints) {
    TempDir dir;
    const ImportedFolder imported = Import(SkinnedModel());
    ASSERT_TRUE(std::any_of(imported.files.begin(), imported.files.end(),
                            [](const auto& file) { return file.first == "model.skin"; }));
    const std::string folder = dir.File("imported");
    std::string error;
    ASSERT_TRUE(WriteImportedFolder(imported, folder, error)) << error;
    ActorModel actor;
    LoadActor(folder, actor);
    float low = 1e30f, high = -1e30f;
    for (const Vec3& v : actor.mesh->vertices) {
        low = std::min(low, v.y);
        high = std::max(high, v.y);
    }
    for (const std::string& joint :
         ExpectExportPosesAsTheGame(folder, dir.File("imported.glb"), 0.005 * (high - low)))
        EXPECT_EQ(joint.rfind("blend_", 0), std::string::npos) << joint;
}

TEST(GltfExportSkin, ARecordThatDoesNotFitTheFolderIsRefusedWithOneLine) {
    struct Case {
        const char* fault;  // what the line must say
        std::string (*spoil)(SkinRecord);
    };
    const Case cases[] = {
        {"cut off",
         [](SkinRecord r) {
             std::string bytes = EncodeSkinRecord(r);
             bytes.pop_back();
             return bytes;
         }},
        {"for 9 vertices",
         [](SkinRecord r) {
             r.influences.pop_back();
             return EncodeSkinRecord(r);
         }},
        {"\"Elbow\" is no node",
         [](SkinRecord r) {
             r.joints[1].node = "Elbow";
             return EncodeSkinRecord(r);
         }},
        {"not a positive finite",
         [](SkinRecord r) {
             r.influences[4][1].weight = std::numeric_limits<float>::quiet_NaN();
             return EncodeSkinRecord(r);
         }},
        {"vertex 5 has no influences but set node \"Blend\"",
         [](SkinRecord r) {
             r.influences[5] = {};
             return EncodeSkinRecord(r);
         }},
    };
    TempDir dir;
    int index = 0;
    for (const Case& c : cases) {
        const std::string folder = dir.File("folder" + std::to_string(index++));
        const std::string bytes = c.spoil(WriteBlendedFolder(folder, false));
        std::ofstream(folder + "/model.skin", std::ios::binary) << bytes;
        std::string error;
        EXPECT_FALSE(ExportFolder(folder, dir.File("out.glb"), false, error)) << c.fault;
        EXPECT_NE(error.find("model.skin: "), std::string::npos) << error;
        EXPECT_NE(error.find(c.fault), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
        EXPECT_FALSE(std::filesystem::exists(dir.File("out.glb")));
    }
}

}  // namespace
