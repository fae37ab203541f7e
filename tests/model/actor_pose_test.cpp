// Posing an actor's node hierarchy: keyframes composed down the tree, vertices moved, normals
// turned, chosen nodes' transforms captured.
#include <gtest/gtest.h>

#include "assets/name_hash.h"
#include "model/actor_model.h"
#include "tests/support/model_meshes.h"
#include "tests/temp_dir.h"

namespace {

class ActorPose : public ::testing::Test {
  protected:
    void Load(const MeshSource& mesh, const std::vector<AnimationSource>& animations) {
        ASSERT_TRUE(WriteMeshFile(dir.File("m.ply"), mesh));
        ASSERT_EQ(model.LoadMesh(dir.File("m.ply"), defaultTextureParams), 1);
        for (std::size_t i = 0; i < animations.size(); ++i) {
            const std::string name = dir.File("a" + std::to_string(i) + ".anm");
            ASSERT_TRUE(WriteAnimationFile(name, animations[i]));
            ASSERT_EQ(model.LoadAnimation(name), 1);
        }
        vertices = model.mesh->vertices;
        normals = model.mesh->normals;
    }
    int Pose(int animation, int frame) {
        return model.PoseNodes(animation, frame, model.mesh->root, vertices, normals, hashes,
                               captured, Transform::Identity);
    }

    TempDir dir;
    ActorModel model;
    std::vector<Vec3> vertices;
    std::vector<Vec3> normals;
    std::vector<std::uint32_t> hashes;
    std::vector<Transform> captured;
};

const Transform kShiftX{Matrix3::Identity, {10, 0, 0}};
const Transform kQuarterTurnZ = Transform::Rotation(1.5707964f, Vec3::UnitZ);

TEST_F(ActorPose, AnUntrackedChildFollowsItsParentNormalsAreNotTranslated) {
    Load(RootAndArm(), {Constant({"Root"}, 2, kShiftX)});
    EXPECT_EQ(Pose(0, 1), 1);
    EXPECT_EQ(vertices[0], (Vec3{10, 0, 0}));
    EXPECT_EQ(vertices[4], (Vec3{15, 0, 0}));  // the arm moved with the root
    // Normals turn but never translate.
    EXPECT_EQ(normals[0], (Vec3{0, 0, 1}));
    EXPECT_EQ(normals[4], (Vec3{0, 0, 1}));
}

TEST_F(ActorPose, TheRootWithoutATrackKeepsTheBindPose) {
    Load(RootAndArm(), {Constant({"Arm"}, 1, kShiftX)});
    Pose(0, 0);
    EXPECT_EQ(vertices[0], (Vec3{0, 0, 0}));
    EXPECT_EQ(vertices[4], (Vec3{15, 0, 0}));
}

TEST_F(ActorPose, KeyframesComposeChildFirstThenParent) {
    // The arm turns a quarter about z, then the root shifts everything by 10 along x.
    AnimationSource a = Constant({"Root"}, 1, kShiftX);
    a.tracks.push_back({"Arm", {kQuarterTurnZ}});
    Load(RootAndArm(), {a});
    Pose(0, 0);
    // (5, 0, 0) turned a quarter counter-clockwise about z is (0, 5, 0); then shifted.
    EXPECT_NEAR(vertices[4].x, 10.0f, 1e-5f);
    EXPECT_NEAR(vertices[4].y, 5.0f, 1e-5f);
    EXPECT_NEAR(normals[4].z, 1.0f, 1e-6f);
}

TEST_F(ActorPose, TheFirstTrackOfANodeWinsAndAMeshLoadedLaterIsFollowed) {
    AnimationSource a = Constant({"Arm"}, 1, kShiftX);
    a.tracks.push_back({"Arm", {kQuarterTurnZ}});  // a second track for Arm, never used
    Load(RootAndArm(), {a});
    Pose(0, 0);
    EXPECT_EQ(vertices[0], (Vec3{0, 0, 0}));
    EXPECT_EQ(vertices[4], (Vec3{15, 0, 0}));

    // The same nodes under swapped names: now the root is the one that moves.
    MeshSource swapped = RootAndArm();
    std::swap(swapped.nodes[0].name, swapped.nodes[1].name);
    ASSERT_TRUE(WriteMeshFile(dir.File("swapped.ply"), swapped));
    ASSERT_EQ(model.LoadMesh(dir.File("swapped.ply"), defaultTextureParams), 1);
    vertices = model.mesh->vertices;
    normals = model.mesh->normals;
    Pose(0, 0);
    EXPECT_EQ(vertices[0], (Vec3{10, 0, 0}));
    EXPECT_EQ(vertices[4], (Vec3{15, 0, 0}));
}

TEST_F(ActorPose, WithoutAnimationsEveryNodeKeepsTheIdentityWhateverTheParent) {
    Load(RootAndArm(), {});
    const std::vector<Vec3> bind = vertices;
    EXPECT_EQ(model.PoseNodes(0, 0, model.mesh->root, vertices, normals, {}, {}, kShiftX), 1);
    EXPECT_EQ(vertices, bind);
}

TEST_F(ActorPose, CaptureSlotsTakeTheirNodesComposedTransformOrKeepTheirValue) {
    Load(RootAndArm(), {Constant({"Root", "Arm"}, 1, kShiftX)});
    hashes = {NameHash("Arm"), NameHash("Nowhere"), NameHash("Arm")};
    const Transform sentinel{Matrix3::Identity, {7, 7, 7}};
    captured.assign(3, sentinel);
    Pose(0, 0);
    EXPECT_EQ(captured[0].t, (Vec3{20, 0, 0}));
    EXPECT_EQ(captured[1].t, sentinel.t);
    EXPECT_EQ(captured[2].t, (Vec3{20, 0, 0}));
}

TEST_F(ActorPose, AVertexWithoutANormalIsMovedAndOutOfRangeRequestsTouchNothing) {
    MeshSource s = RootAndArm();
    s.vertices.push_back({1, 2, 3});  // used by no face: its table entry is -1
    s.nodes[1].vertices.push_back(8);
    Load(s, {Constant({"Arm"}, 3, kQuarterTurnZ)});
    ASSERT_EQ(model.mesh->vertexToNormal[8], -1);
    const std::vector<Vec3> normalsBefore = normals;
    EXPECT_EQ(Pose(0, 2), 1);
    EXPECT_NEAR(vertices[8].x, -2.0f, 1e-5f);
    EXPECT_EQ(normals[0], normalsBefore[0]);

    const std::vector<Vec3> posed = vertices;
    EXPECT_EQ(Pose(0, 3), 0);
    EXPECT_EQ(Pose(0, -1), 0);
    EXPECT_EQ(Pose(1, 0), 0);
    std::vector<Vec3> small(2);
    EXPECT_EQ(model.PoseNodes(0, 0, model.mesh->root, small, normals, {}, {}, Transform::Identity),
              0);
    EXPECT_EQ(vertices, posed);
}

TEST_F(ActorPose, PosedValuesAreTheComposedTransformOfTheBindPoseToTheBit) {
    MeshSource s = RootAndArm();
    for (std::size_t i = 0; i < s.vertices.size(); ++i) {
        const float f = static_cast<float>(i);
        s.vertices[i] = {0.1f * f - 0.37f, 1.3f / (f + 1), -2.9f + f * f * 0.01f};
        s.normals[i] = Vec3{0.3f, -0.8f + 0.1f * f, 0.52f}.Normalized();
    }
    const Transform root{Matrix3::Rotation(0.713f, Vec3{0.2f, 0.9f, -0.4f}.Normalized()),
                         {1.7f, -0.3f, 2.25f}};
    const Transform arm{Matrix3::Rotation(-2.1f, Vec3{0.6f, -0.1f, 0.79f}.Normalized()),
                        {-0.45f, 3.1f, 0.05f}};
    AnimationSource a = Constant({"Root"}, 1, root);
    a.tracks.push_back({"Arm", {arm}});
    Load(s, {a});
    const Transform parent{Matrix3::Rotation(0.3f, Vec3::UnitY), {5, 6, 7}};
    EXPECT_EQ(model.PoseNodes(0, 0, model.mesh->root, vertices, normals, {}, {}, parent), 1);
    const Transform rootPose = Compose(root, parent);
    const Transform armPose = Compose(arm, rootPose);
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        const Transform& m = i < 4 ? rootPose : armPose;
        EXPECT_EQ(vertices[i], TransformPoint(model.mesh->vertices[i], m)) << "vertex " << i;
        EXPECT_EQ(normals[i], TransformDirection(model.mesh->normals[i], m)) << "normal " << i;
    }
}

TEST_F(ActorPose, SharedNormalsAndRepeatedVerticesArePlacedOnceFromTheBindPose) {
    MeshSource s = RootAndArm();
    // Every corner of the arm's quad uses normal 4 (one normal per face, as exporters write
    // flat faces), and the arm lists vertex 4 twice.
    for (int k = 0; k < 4; ++k)
        s.faces[1].normal[k] = 4;
    s.normals[4] = {1, 0, 0};
    s.nodes[1].vertices.push_back(4);
    Load(s, {Constant({"Arm"}, 1, kQuarterTurnZ)});
    ASSERT_EQ(model.mesh->vertexToNormal[5], 4);
    EXPECT_EQ(Pose(0, 0), 1);
    // A quarter turn once: (1, 0, 0) -> (0, 1, 0); four turns would have brought it back.
    EXPECT_NEAR(normals[4].x, 0.0f, 1e-6f);
    EXPECT_NEAR(normals[4].y, 1.0f, 1e-6f);
    // (5, 0, 0) turned once, not twice (which would give (-5, 0, 0)).
    EXPECT_NEAR(vertices[4].x, 0.0f, 1e-5f);
    EXPECT_NEAR(vertices[4].y, 5.0f, 1e-5f);

    // Posing the posed buffers again gives the same pose, not a further turn.
    const std::vector<Vec3> once = vertices;
    const std::vector<Vec3> onceNormals = normals;
    EXPECT_EQ(Pose(0, 0), 1);
    EXPECT_EQ(vertices, once);
    EXPECT_EQ(normals, onceNormals);
}

TEST_F(ActorPose, CopyUnposedFillsOnlyWhatNoNodeOwns) {
    MeshSource s = RootAndArm();
    s.vertices.push_back({1, 2, 3});  // in no node, used by no face
    s.normals.push_back({0, 1, 0});   // reached from no vertex
    s.vertices.push_back({4, 5, 6});  // in no node, but a face uses it
    s.faces.push_back(s.faces[0]);
    s.faces.back().vertex[0] = 9;
    s.faces.back().normal[0] = 8;
    Load(s, {Constant({"Arm"}, 1, kQuarterTurnZ)});
    const Vec3 marker{-7, -7, -7};
    std::vector<Vec3> v(vertices.size(), marker);
    std::vector<Vec3> n(normals.size(), marker);
    EXPECT_EQ(model.CopyUnposed(v, n), 1);
    for (std::size_t i = 0; i < v.size(); ++i) {
        EXPECT_EQ(v[i], i >= 8 ? model.mesh->vertices[i] : marker) << "vertex " << i;
    }
    for (std::size_t i = 0; i < n.size(); ++i) {
        // Normal 8 is vertex 9's, and no node moves vertex 9.
        EXPECT_EQ(n[i], i == 8 ? model.mesh->normals[i] : marker) << "normal " << i;
    }
    // With the pose of every owned entry, the buffers hold the whole posed mesh.
    EXPECT_EQ(model.PoseNodes(0, 0, model.mesh->root, v, n, {}, {}, Transform::Identity), 1);
    EXPECT_EQ(Pose(0, 0), 1);
    EXPECT_EQ(v, vertices);
    EXPECT_EQ(n, normals);

    std::vector<Vec3> small(2, marker);
    EXPECT_EQ(model.CopyUnposed(small, n), 0);
    EXPECT_EQ(small, std::vector<Vec3>(2, marker));
}

TEST_F(ActorPose, AHierarchyThousandsOfLevelsDeepPosesWithoutRecursion) {
    MeshSource s = OneMaterial();
    std::int32_t parent = -1;
    for (int i = 0; i < 20000; ++i)
        parent = s.AddNode("N" + std::to_string(i), parent);
    AddQuad(s, {0, 0, 0}, parent);
    Load(s, {Constant({"N0"}, 1, kShiftX)});
    EXPECT_EQ(Pose(0, 0), 1);
    EXPECT_EQ(vertices[0], (Vec3{10, 0, 0}));
}

}  // namespace
