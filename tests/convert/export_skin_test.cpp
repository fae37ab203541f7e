// Exporting a folder with a blended skin and its skin record: the glTF skin has the original
// joints and weights, skinned independently it poses every vertex where the game does, and a
// record that does not fit the folder is refused.
#include <gtest/gtest.h>
#include <tiny_gltf.h>

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

TEST(GltfExportSkin, BlendedVerticesAreSkinnedToTheOriginalJointsAndPoseAsInTheGame) {
    TempDir dir;
    const std::string folder = dir.File("blended");
    WriteBlendedFolder(folder);
    const std::string out = dir.File("blended.glb");
    std::string error;
    std::vector<std::string> notes;
    ASSERT_TRUE(ExportFolder(folder, out, false, error, notes)) << error;
    // Without the record, "Blend"'s sheared keyframes would be approximated, with notes.
    EXPECT_TRUE(notes.empty()) << notes.front();

    tinygltf::Model model;
    tinygltf::TinyGLTF loader;
    std::string warning;
    ASSERT_TRUE(loader.LoadBinaryFromFile(&model, &error, &warning, out)) << error;
    // The set node is left out: the skin's joints are Root, Hip and Knee.
    ASSERT_EQ(model.skins.size(), 1u);
    std::vector<std::string> joints;
    for (const int j : model.skins[0].joints)
        joints.push_back(model.nodes.at(static_cast<std::size_t>(j)).name);
    EXPECT_EQ(joints, (std::vector<std::string>{"Root", "Hip", "Knee"}));

    ActorModel actor;
    LoadActor(folder, actor);
    const std::vector<Vec3>& bind = actor.mesh->vertices;
    ASSERT_EQ(model.animations.size(), 2u);
    for (int a = 0; a < 2; ++a) {
        for (int f = 0; f < actor.animations[static_cast<std::size_t>(a)]->frameCount; ++f) {
            const std::vector<Vec3> game = Posed(actor, a, f);
            const std::vector<RefVertex> skinned = SkinnedVertices(model, a, FrameTime(f));
            ASSERT_EQ(skinned.size(), bind.size());
            for (const RefVertex& v : skinned) {
                // At rest the skin gives back the mesh: that tells which vertex this is.
                std::size_t nearest = 0;
                for (std::size_t i = 1; i < bind.size(); ++i) {
                    if (Distance(v.rest, bind[i]) < Distance(v.rest, bind[nearest]))
                        nearest = i;
                }
                ASSERT_LT(Distance(v.rest, bind[nearest]), 1e-5) << "vertex " << nearest;
                EXPECT_LT(Distance(v.posed, game[nearest]), 1e-4 * kBlendedStripHeight)
                    << "animation " << a << " frame " << f << " vertex " << nearest;
            }
        }
    }
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
