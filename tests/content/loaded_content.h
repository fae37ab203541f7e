// The sample content written into a test folder and loaded by the game's own loaders, once
// per test suite, with an OpenGL context for the textures. Texture files are named relative to
// the working directory, as the game runs inside its data folder, so loading happens there.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "assets/name_hash.h"
#include "model/actor_model.h"
#include "model/prop_model.h"
#include "tests/support/shared_gl_context.h"
#include "tests/temp_dir.h"
#include "tools/content/content_writer.h"

struct LoadedContent {
    TempDir dir;
    ActorModel robot;
    PropModel gun;
};

// Loads the robot mesh written with `subdivisions` in `folder`, from inside that folder.
inline int LoadRobotMesh(ActorModel& robot, const std::filesystem::path& folder) {
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    const int loaded = robot.LoadMesh("kordax.ply", defaultTextureParams);
    std::filesystem::current_path(previous);
    return loaded;
}

class ContentTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        content = new LoadedContent;
        ASSERT_TRUE(UseSharedGlContext()) << "needs a display with OpenGL";
        std::string failed;
        ASSERT_TRUE(WriteContent(content->dir.Path().string(), 1, failed)) << failed;
        const auto previous = std::filesystem::current_path();
        std::filesystem::current_path(content->dir.Path());
        ActorModel& robot = content->robot;
        PropModel& gun = content->gun;
        robotLoaded = robot.LoadMesh("kordax.ply", defaultTextureParams) == 1 &&
                      robot.LoadGroups("kordax.prs") == 1 && robot.LoadAnimation("idle.anm") == 1 &&
                      robot.LoadAnimation("walk.anm") == 1 && robot.LoadAnimation("aim.anm") == 1;
        gunLoaded = gun.LoadMesh("gun82.ply", defaultTextureParams) == 1 &&
                    gun.LoadBounds("gun82.kdt", PropModel::kLeafSize) == 1 &&
                    gun.LoadGroups("gun82.prs") == 1;
        std::filesystem::current_path(previous);
    }
    static void TearDownTestSuite() {
        delete content;
        content = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(robotLoaded);
        ASSERT_TRUE(gunLoaded);
    }

    static const Mesh& RobotMesh() { return *content->robot.mesh; }
    static const Mesh& GunMesh() { return *content->gun.mesh; }
    static const MeshNode& Node(const Mesh& mesh, const char* name) {
        const MeshNode* node = mesh.FindNode(NameHash(name));
        EXPECT_NE(node, nullptr) << name;
        return node != nullptr ? *node : *mesh.root;
    }

    static LoadedContent* content;
    static bool robotLoaded;
    static bool gunLoaded;
};

inline LoadedContent* ContentTest::content = nullptr;
inline bool ContentTest::robotLoaded = false;
inline bool ContentTest::gunLoaded = false;

// The mean of the node's vertices in `vertices`.
inline Vec3 NodeCentre(const MeshNode& node, const std::vector<Vec3>& vertices) {
    Vec3 sum;
    for (std::int32_t v : node.vertices) {
        sum += vertices[static_cast<std::size_t>(v)];
    }
    return sum * (1.0f / static_cast<float>(std::max<std::size_t>(node.vertices.size(), 1)));
}

// The gun's mount from the node's three points: rows Cross(u, v), u, v; translation p0.
inline Transform GunMount(const MeshNode& node) {
    const float* p = node.points;
    const Vec3 p0{p[0], p[1], p[2]};
    const Vec3 v = (Vec3{p[3], p[4], p[5]} - p0).Normalized();
    const Vec3 u = (Vec3{p[6], p[7], p[8]} - p0).Normalized();
    return {Matrix3::FromRows(Cross(u, v), u, v), p0};
}
