// The per-animation bounds trees of actors and their ".kdt" cache files.
#include <gtest/gtest.h>

#include <filesystem>

#include "assets/name_hash.h"
#include "model/actor_model.h"
#include "tests/model/expected_records.h"
#include "tests/support/model_meshes.h"
#include "tests/temp_dir.h"

namespace {

struct Actor {
    TempDir dir;
    ActorModel model;

    // Writes the mesh and the animations, then loads them in the descriptor order.
    void Load(const MeshSource& mesh, const std::vector<AnimationSource>& animations) {
        ASSERT_TRUE(WriteMeshFile(dir.File("robot.ply"), mesh));
        model.LoadMesh(dir.File("robot.ply"), defaultTextureParams);
        for (std::size_t i = 0; i < animations.size(); ++i) {
            const std::string name = "anim" + std::to_string(i);
            ASSERT_TRUE(WriteAnimationFile(dir.File(name + ".anm"), animations[i]));
            if (model.LoadAnimation(dir.File(name + ".anm")) == 1) {
                model.LoadBounds(dir.File(name + ".kdt"),
                                 static_cast<int>(model.animations.size()) - 1);
            }
        }
    }
};

TEST(ActorBounds, FileOfRootWithVerticesAndOneChildIsExactlyTheHandBuiltRecords) {
    Actor a;
    const MeshSource mesh = RootAndArm();
    a.Load(mesh, {Constant({"Root"}, 1, Transform::Identity)});
    ASSERT_EQ(a.model.animationBounds.size(), 1u);

    const ExpectedBox rootLeaf = ExpectedBox::Of(mesh.vertices, {0, 1, 2, 3});
    const ExpectedBox armLeaf = ExpectedBox::Of(mesh.vertices, {4, 5, 6, 7});
    ExpectedBox group;
    group.Merge(armLeaf);
    ExpectedBox root;
    root.Merge(rootLeaf).Merge(group);

    ByteWriter w;
    w.I32(1);
    PutTagged(w, NameHash(a.dir.File("anim0.kdt")), root, 2);
    PutTagged(w, NameHash("Root"), rootLeaf, 0);
    PutTagged(w, NameHash("Root"), group, 1);
    PutTagged(w, NameHash("Arm"), armLeaf, 0);
    EXPECT_EQ(a.dir.Read("anim0.kdt"), w.Bytes());

    const Zt18DOP& r = a.model.animationBounds[0][0];
    ASSERT_EQ(r.childCount, 2);
    EXPECT_EQ(r.children[1].childCount, 1);
    EXPECT_EQ(static_cast<std::uint32_t>(r.children[1].children[0].tag), NameHash("Arm"));
}

TEST(ActorBounds, PosedFramesAreBoundedAndTwelveFramesGiveTwelveRoots) {
    Actor a;
    MeshSource mesh = RootAndArm();
    a.Load(mesh, {Moving({"Arm"}, 12, {0, 10, 0})});
    const std::string bytes = a.dir.Read("anim0.kdt");
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x0c\0\0\0", 4));
    // Root record 152 + leaf 152 + group 152 + arm leaf 152, per frame.
    EXPECT_EQ(bytes.size(), 4u + 12u * 4u * 152u);
    ASSERT_EQ(a.model.animationBounds[0].size(), 12u);
    // Frame f moves the arm up by 10 (f + 1): its leaf's y slab, and the root's top, follow.
    for (int f = 0; f < 12; ++f) {
        const Zt18DOP& root = a.model.animationBounds[0][static_cast<std::size_t>(f)];
        const Zt18DOP& arm = root.children[1].children[0];
        const float lift = 10.0f * static_cast<float>(f + 1);
        EXPECT_EQ(arm.slabs[1].min, lift) << f;
        EXPECT_EQ(arm.slabs[1].max, lift + 1.0f) << f;
        EXPECT_EQ(root.slabs[1].max, lift + 1.0f) << f;
        EXPECT_EQ(root.children[0].slabs[1].max, 1.0f) << "the root node stays, frame " << f;
    }
}

TEST(ActorBounds, EmptySubtreesGiveNoRecordAndTheirSlotGoesToTheNextSibling) {
    MeshSource s = OneMaterial();
    const auto a = s.AddNode("A", -1);  // no vertices, one child without vertices
    s.AddNode("A1", a);
    const auto b = s.AddNode("B", -1);
    AddQuad(s, {0, 0, 0}, b);
    Actor actor;
    actor.Load(s, {Constant({"B"}, 1, Transform::Identity)});
    const Zt18DOP& root = actor.model.animationBounds[0][0];
    ASSERT_EQ(root.childCount, 1);
    EXPECT_EQ(static_cast<std::uint32_t>(root.children[0].tag), NameHash("B"));

    // A chain in which no node owns vertices yields nothing.
    std::int32_t count = -1;
    const MeshNode* a1 = actor.model.mesh->root->firstChild;
    EXPECT_EQ(actor.model.BuildNodeBounds(a1, count, actor.model.mesh->vertices), nullptr);
    EXPECT_EQ(count, 0);
}

TEST(ActorBounds, AnExistingFileIsReadAndNeverRewrittenAnInvalidOneIsRebuilt) {
    Actor a;
    a.Load(RootAndArm(), {Constant({"Root"}, 3, Transform::Identity)});
    const std::string good = a.dir.Read("anim0.kdt");

    // A valid file that differs from what the data would give is trusted and kept.
    std::string other = good;
    other[8] = static_cast<char>(other[8] ^ 0x01);  // a slab bit: still a whole file
    a.dir.Write("anim0.kdt", other);
    ActorModel second;
    second.LoadMesh(a.dir.File("robot.ply"), defaultTextureParams);
    second.LoadAnimation(a.dir.File("anim0.anm"));
    EXPECT_EQ(second.LoadBounds(a.dir.File("anim0.kdt"), 0), 1);
    EXPECT_EQ(a.dir.Read("anim0.kdt"), other);

    // Truncated at every record boundary and in between, or with bytes trailing, or with a
    // frame count that is not the animation's: rebuilt to the good file.
    std::vector<std::string> broken;
    for (std::size_t cut : {std::size_t{0}, std::size_t{3}, std::size_t{4}, std::size_t{100},
                            good.size() - 152, good.size() - 1}) {
        broken.push_back(good.substr(0, cut));
    }
    broken.push_back(good + "x");
    std::string wrongCount = good;
    wrongCount[0] = 2;
    broken.push_back(wrongCount);
    std::string badIndex = good;
    badIndex[4 + 4 + 8] = 100;  // the root's first min-vertex index
    broken.push_back(badIndex);
    for (const std::string& bytes : broken) {
        a.dir.Write("anim0.kdt", bytes);
        ActorModel m;
        m.LoadMesh(a.dir.File("robot.ply"), defaultTextureParams);
        m.LoadAnimation(a.dir.File("anim0.anm"));
        EXPECT_EQ(m.LoadBounds(a.dir.File("anim0.kdt"), 0), 1);
        EXPECT_EQ(a.dir.Read("anim0.kdt"), good) << "from " << bytes.size() << " bytes";
        ASSERT_EQ(m.animationBounds.size(), 1u);
        EXPECT_EQ(m.animationBounds[0].size(), 3u);
    }
}

TEST(ActorBounds, AnUnwritableFolderKeepsTheBuiltTreesInMemory) {
    Actor a;
    a.Load(RootAndArm(), {Constant({"Root"}, 2, Transform::Identity)});
    const std::string unwritable = a.dir.File("missing-folder/anim0.kdt");
    EXPECT_EQ(a.model.LoadBounds(unwritable, 0), 0);
    ASSERT_EQ(a.model.animationBounds.size(), 2u);
    EXPECT_EQ(a.model.animationBounds[1].size(), 2u);
    EXPECT_EQ(a.model.animationBounds[1][0].childCount, 2);
}

TEST(ActorBounds, NoFileFromAFailedMeshOrForAnAnimationThatIsNotThere) {
    TempDir dir;
    ActorModel model;
    dir.Write("broken.ply", "PLY\x01");
    EXPECT_EQ(model.LoadMesh(dir.File("broken.ply"), defaultTextureParams), 0);
    ASSERT_TRUE(WriteAnimationFile(dir.File("a.anm"), Constant({"Root"}, 2, Transform::Identity)));
    EXPECT_EQ(model.LoadAnimation(dir.File("a.anm")), 1);
    EXPECT_EQ(model.LoadBounds(dir.File("a.kdt"), 0), 0);
    EXPECT_EQ(model.BuildBoundsFile(dir.File("a.kdt"), 0), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.File("a.kdt")));
    EXPECT_TRUE(model.animationBounds.empty());

    Actor a;
    a.Load(RootAndArm(), {});
    EXPECT_EQ(a.model.LoadBounds(a.dir.File("x.kdt"), 0), 0);
    EXPECT_EQ(a.model.LoadBounds(a.dir.File("x.kdt"), -1), 0);
    EXPECT_FALSE(std::filesystem::exists(a.dir.File("x.kdt")));
}

TEST(ActorBounds, TwoAnimationsKeepTheirBoundsInOrderAndAFailedOneGetsNone) {
    Actor a;
    AnimationSource broken;  // no tracks: the loader rejects it
    broken.name = "broken";
    a.Load(RootAndArm(), {Moving({"Root"}, 2, {1, 0, 0}), broken, Moving({"Arm"}, 5, {0, 0, 2})});
    ASSERT_EQ(a.model.animations.size(), 2u);
    ASSERT_EQ(a.model.animationBounds.size(), 2u);
    ASSERT_EQ(a.model.animationBounds[0].size(), 2u);
    ASSERT_EQ(a.model.animationBounds[1].size(), 5u);
    EXPECT_FALSE(std::filesystem::exists(a.dir.File("anim1.kdt")));
    // Each tree is posed by its own animation: the first slides the whole actor along x, the
    // second lifts only the arm along z.
    for (int f = 0; f < 2; ++f) {
        const Zt18DOP& root = a.model.animationBounds[0][static_cast<std::size_t>(f)];
        EXPECT_EQ(root.slabs[0].min, static_cast<float>(f + 1)) << f;
        EXPECT_EQ(root.slabs[2].max, 0.0f) << f;
    }
    for (int f = 0; f < 5; ++f) {
        const Zt18DOP& root = a.model.animationBounds[1][static_cast<std::size_t>(f)];
        EXPECT_EQ(root.slabs[0].min, 0.0f) << f;
        EXPECT_EQ(root.children[0].slabs[2].max, 0.0f) << f;
        EXPECT_EQ(root.children[1].children[0].slabs[2].min, 2.0f * static_cast<float>(f + 1)) << f;
    }
}

}  // namespace
