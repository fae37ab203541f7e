#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "assets/binary_file.h"
#include "geometry/zt18dop.h"
#include "tests/support/byte_builder.h"
#include "tests/support/quad_meshes.h"
#include "tests/temp_dir.h"

namespace {

// Slabs with values that differ per slab and per record, so that misplaced fields show.
ByteBuilder& SampleSlabs(ByteBuilder& b, int seed) {
    for (int k = 0; k < 9; ++k) {
        b.Slab(static_cast<float>(seed * 100 + k) + 0.25f,
               static_cast<float>(seed * 100 + k) + 0.75f, seed * 1000 + k, seed * 1000 + 500 + k);
    }
    return b;
}

void ExpectSampleSlabs(const Zt18DOP& node, int seed) {
    for (int k = 0; k < 9; ++k) {
        EXPECT_EQ(node.slabs[k].min, static_cast<float>(seed * 100 + k) + 0.25f)
            << seed << " " << k;
        EXPECT_EQ(node.slabs[k].max, static_cast<float>(seed * 100 + k) + 0.75f)
            << seed << " " << k;
        EXPECT_EQ(node.extremes[k].minVertex, seed * 1000 + k);
        EXPECT_EQ(node.extremes[k].maxVertex, seed * 1000 + 500 + k);
    }
}

enum class Form { kBinary, kTagged };

int ReadTree(const TempDir& dir, const std::string& bytes, Zt18DOP& into, Form form) {
    dir.Write("tree.kdt", bytes);
    BinaryFile file;
    EXPECT_EQ(file.Open(dir.File("tree.kdt"), 1), 1);
    const int result =
        form == Form::kBinary ? into.Serialize(file, false) : into.SerializeTagged(file, false);
    file.Close();
    return result;
}

// The written bytes, or "FAILED" when the writer reported a failure (the file is then dropped).
std::string WriteTree(const TempDir& dir, Zt18DOP& tree, Form form) {
    BinaryFile file;
    EXPECT_EQ(file.Open(dir.File("out.kdt"), 0), 1);
    const int result =
        form == Form::kBinary ? tree.Serialize(file, true) : tree.SerializeTagged(file, true);
    if (result != 1)
        return "FAILED";
    EXPECT_EQ(file.Close(), 1);
    return dir.Read("out.kdt");
}

using NamedBytes = std::vector<std::pair<const char*, std::string>>;

// Each file is refused, and the node that had `children` before is left a leaf.
void ExpectRefusedLeavingALeaf(const TempDir& dir, const NamedBytes& cases, Form form,
                               int children) {
    for (const auto& [what, bytes] : cases) {
        Zt18DOP node;
        node.CreateChildren(children);
        EXPECT_EQ(ReadTree(dir, bytes, node, form), 0) << what;
        EXPECT_EQ(node.children, nullptr) << what;
        EXPECT_EQ(node.childCount, 0) << what;
    }
}

void ExpectSameTree(const Zt18DOP& a, const Zt18DOP& b) {
    for (int k = 0; k < 9; ++k) {
        EXPECT_EQ(std::memcmp(&a.slabs[k], &b.slabs[k], sizeof a.slabs[k]), 0) << k;
        EXPECT_EQ(a.extremes[k].minVertex, b.extremes[k].minVertex);
        EXPECT_EQ(a.extremes[k].maxVertex, b.extremes[k].maxVertex);
    }
    EXPECT_EQ(a.tag, b.tag);
    ASSERT_EQ(a.childCount, b.childCount);
    ASSERT_EQ(a.children == nullptr, b.children == nullptr);
    for (int i = 0; i < a.childCount; ++i)
        ExpectSameTree(a.children[i], b.children[i]);
}

int CountNodes(const Zt18DOP& node) {
    int n = 1;
    for (int i = 0; i < node.childCount; ++i)
        n += CountNodes(node.children[i]);
    return n;
}

TEST(BinaryTreeRecord, LeafIs148BytesAndReadsBackFieldByField) {
    TempDir dir;
    ByteBuilder bytes;
    SampleSlabs(bytes, 1).Int(0);
    ASSERT_EQ(bytes.size(), 148u);
    Zt18DOP node;
    node.CreateChildren(2);  // replaced by what the file says
    ASSERT_EQ(ReadTree(dir, bytes.str(), node, Form::kBinary), 1);
    ExpectSampleSlabs(node, 1);
    EXPECT_EQ(node.children, nullptr);
    EXPECT_EQ(node.childCount, 0);
    EXPECT_EQ(node.tag, -1);
    EXPECT_EQ(WriteTree(dir, node, Form::kBinary), bytes.str());
}

TEST(BinaryTreeRecord, AnyNonZeroFlagReadsAsTwoChildrenDepthFirst) {
    TempDir dir;
    for (const std::int32_t flag : {1, 2, -7}) {
        // root(flag) -> child 0 (flag 2) -> two leaves, then child 1 leaf.
        ByteBuilder bytes;
        SampleSlabs(bytes, 1).Int(flag);
        SampleSlabs(bytes, 2).Int(2);
        SampleSlabs(bytes, 3).Int(0);
        SampleSlabs(bytes, 4).Int(0);
        SampleSlabs(bytes, 5).Int(0);
        Zt18DOP root;
        ASSERT_EQ(ReadTree(dir, bytes.str(), root, Form::kBinary), 1) << flag;
        ASSERT_EQ(root.childCount, 2) << "the count describes the array, whatever the flag";
        ExpectSampleSlabs(root, 1);
        ExpectSampleSlabs(root.children[0], 2);
        ExpectSampleSlabs(root.children[0].children[0], 3);
        ExpectSampleSlabs(root.children[0].children[1], 4);
        ExpectSampleSlabs(root.children[1], 5);
        EXPECT_EQ(root.children[1].children, nullptr);

        // The writer always writes 2.
        ByteBuilder expected;
        SampleSlabs(expected, 1).Int(2);
        expected.Raw(bytes.str().substr(148));
        EXPECT_EQ(WriteTree(dir, root, Form::kBinary), expected.str());
    }
}

TEST(BinaryTreeRecord, BuiltTreeIsWrittenExactly) {
    // Two unit squares; the right one raised to z = 2. Leaf size 1 splits them on x at 2.5.
    Mesh mesh;
    AddQuad(mesh, {0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0});
    AddQuad(mesh, {4, 0, 2}, {5, 0, 2}, {5, 1, 2}, {4, 1, 2});
    Zt18DOP root;
    const std::vector<std::int32_t> all = {0, 1, 2, 3, 4, 5, 6, 7};
    root.FitVertices(all, mesh.vertices);
    ASSERT_EQ(root.BuildTree(AllFaces(mesh), mesh, mesh.vertices, 1), 1);

    // Slab order: x, y, z, x+y, y-x, x+z, z-x, y+z, y-z; worked out by hand per vertex.
    ByteBuilder expected;
    expected.Slab(0, 5, 0, 5).Slab(0, 1, 0, 2).Slab(0, 2, 0, 4).Slab(0, 6, 0, 6);
    expected.Slab(-5, 1, 5, 3).Slab(0, 7, 0, 5).Slab(-3, 0, 5, 0).Slab(0, 3, 0, 6);
    expected.Slab(-2, 1, 4, 2).Int(2);
    expected.Slab(0, 1, 0, 1).Slab(0, 1, 0, 2).Slab(0, 0, 0, 0).Slab(0, 2, 0, 2);
    expected.Slab(-1, 1, 1, 3).Slab(0, 1, 0, 1).Slab(-1, 0, 1, 0).Slab(0, 1, 0, 2);
    expected.Slab(0, 1, 0, 2).Int(0);
    expected.Slab(4, 5, 4, 5).Slab(0, 1, 4, 6).Slab(2, 2, 4, 4).Slab(4, 6, 4, 6);
    expected.Slab(-5, -3, 5, 7).Slab(6, 7, 4, 5).Slab(-3, -2, 5, 4).Slab(2, 3, 4, 6);
    expected.Slab(-2, -1, 4, 6).Int(0);
    TempDir dir;
    EXPECT_EQ(WriteTree(dir, root, Form::kBinary), expected.str());
}

TEST(BinaryTreeRecord, WrittenThenReadTreeReproducesEverything) {
    Mesh mesh;
    for (int i = 0; i < 24; ++i) {
        for (int j = 0; j < 24; ++j) {
            const float x = static_cast<float>(i), y = static_cast<float>(j);
            auto h = [](float a, float b) { return std::sin(a * 0.7f) * std::cos(b * 0.3f) * 3; };
            AddQuad(mesh, {x, y, h(x, y)}, {x + 1, y, h(x + 1, y)}, {x + 1, y + 1, h(x + 1, y + 1)},
                    {x, y + 1, h(x, y + 1)});
        }
    }
    Zt18DOP root;
    std::vector<std::int32_t> all(mesh.vertices.size());
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<std::int32_t>(i);
    root.FitVertices(all, mesh.vertices);
    ASSERT_EQ(root.BuildTree(AllFaces(mesh), mesh, mesh.vertices, 4), 1);
    ASSERT_GT(CountNodes(root), 100);

    TempDir dir;
    const std::string bytes = WriteTree(dir, root, Form::kBinary);
    EXPECT_EQ(bytes.size(), 148u * static_cast<unsigned>(CountNodes(root)));
    Zt18DOP back;
    ASSERT_EQ(ReadTree(dir, bytes, back, Form::kBinary), 1);
    ExpectSameTree(root, back);
    EXPECT_EQ(WriteTree(dir, back, Form::kBinary), bytes);
}

// A chain `depth` levels deep: each inner node's child 0 is the next inner node and its
// child 1 a leaf, so the deepest leaves lie at level `depth`.
std::string BinaryChain(int depth) {
    ByteBuilder b;
    for (int i = 0; i < depth; ++i)
        SampleSlabs(b, 1).Int(2);
    for (int i = 0; i <= depth; ++i)
        SampleSlabs(b, 2).Int(0);
    return b.str();
}

TEST(BinaryTreeRecord, MalformedFilesAreRejectedAndLeaveALeaf) {
    TempDir dir;
    ByteBuilder leaf;
    SampleSlabs(leaf, 1).Int(0);
    ByteBuilder inner;
    SampleSlabs(inner, 1).Int(2);

    const NamedBytes cases = {
        {"empty file", ""},
        {"leaf cut short", leaf.str().substr(0, 147)},
        {"children announced, none present", inner.str()},
        {"second child missing", inner.str() + leaf.str()},
        {"second child cut short", inner.str() + leaf.str() + leaf.str().substr(0, 100)},
        {"grandchildren missing", inner.str() + inner.str() + leaf.str()},
        {"nesting past the limit", BinaryChain(Zt18DOP::kMaxDepth + 1)},
    };
    ExpectRefusedLeavingALeaf(dir, cases, Form::kBinary, 2);
    Zt18DOP deepest;
    EXPECT_EQ(ReadTree(dir, BinaryChain(Zt18DOP::kMaxDepth), deepest, Form::kBinary), 1);
    EXPECT_EQ(WriteTree(dir, deepest, Form::kBinary), BinaryChain(Zt18DOP::kMaxDepth));
}

TEST(BinaryTreeRecord, ReadingStopsAfterOneTree) {
    TempDir dir;
    ByteBuilder bytes;
    SampleSlabs(bytes, 1).Int(0).Int(12345);
    dir.Write("tree.kdt", bytes.str());
    BinaryFile file;
    ASSERT_EQ(file.Open(dir.File("tree.kdt"), 1), 1);
    Zt18DOP node;
    EXPECT_EQ(node.Serialize(file, false), 1);
    EXPECT_EQ(file.ReadInt32(), 12345);
}

ByteBuilder& TaggedHeader(ByteBuilder& b, std::int32_t tag, int seed, std::int32_t count) {
    b.Int(tag);
    return SampleSlabs(b, seed).Int(count);
}

TEST(TaggedTreeRecord, ReadsAndWritesTagSlabsCountAndChildrenInOrder) {
    TempDir dir;
    ByteBuilder bytes;
    TaggedHeader(bytes, 0x11223344, 1, 2);
    TaggedHeader(bytes, 7, 2, 0);
    TaggedHeader(bytes, 8, 3, 1);
    TaggedHeader(bytes, 9, 4, 0);
    ASSERT_EQ(bytes.size(), 4u * 152u);
    ASSERT_EQ(bytes.str().substr(0, 4), std::string("\x44\x33\x22\x11", 4));

    Zt18DOP root;
    ASSERT_EQ(ReadTree(dir, bytes.str(), root, Form::kTagged), 1);
    EXPECT_EQ(root.tag, 0x11223344);
    ExpectSampleSlabs(root, 1);
    ASSERT_EQ(root.childCount, 2);
    EXPECT_EQ(root.children[0].tag, 7);
    ExpectSampleSlabs(root.children[0], 2);
    EXPECT_EQ(root.children[0].children, nullptr);
    EXPECT_EQ(root.children[1].tag, 8);
    ExpectSampleSlabs(root.children[1], 3);
    ASSERT_EQ(root.children[1].childCount, 1);
    EXPECT_EQ(root.children[1].children[0].tag, 9);
    ExpectSampleSlabs(root.children[1].children[0], 4);

    EXPECT_EQ(WriteTree(dir, root, Form::kTagged), bytes.str());
}

std::string TaggedChain(int depth) {
    ByteBuilder b;
    for (int i = 0; i < depth; ++i)
        TaggedHeader(b, i, 1, 1);
    TaggedHeader(b, depth, 2, 0);
    return b.str();
}

TEST(TaggedTreeRecord, MalformedFilesAreRejectedBeforeChildrenAreMade) {
    TempDir dir;
    ByteBuilder leaf;
    TaggedHeader(leaf, 5, 1, 0);
    auto header = [](std::int32_t count) {
        ByteBuilder b;
        return TaggedHeader(b, 5, 1, count).str();
    };
    ByteBuilder oneChildWithAGrandchild;
    TaggedHeader(oneChildWithAGrandchild, 6, 2, 1);

    const NamedBytes cases = {
        {"empty file", ""},
        {"record cut short", leaf.str().substr(0, 151)},
        {"negative count", header(-1)},
        {"negative count with room", header(-2) + leaf.str() + leaf.str()},
        {"count the file cannot hold", header(2000000000) + leaf.str()},
        {"one child short", header(3) + leaf.str() + leaf.str()},
        // Room for two records after the root, but the first child wants a grandchild before
        // its sibling: the pending sibling's bytes are not the grandchild's to take.
        {"pending sibling's bytes", header(2) + oneChildWithAGrandchild.str() + leaf.str()},
        {"nesting past the limit", TaggedChain(Zt18DOP::kMaxDepth + 1)},
    };
    ExpectRefusedLeavingALeaf(dir, cases, Form::kTagged, 4);
    Zt18DOP deepest;
    ASSERT_EQ(ReadTree(dir, TaggedChain(Zt18DOP::kMaxDepth), deepest, Form::kTagged), 1);
    EXPECT_EQ(WriteTree(dir, deepest, Form::kTagged), TaggedChain(Zt18DOP::kMaxDepth));
}

TEST(TreeWriters, RefuseNodesTheirFormCannotDescribe) {
    TempDir dir;
    Zt18DOP node;
    node.CreateChildren(3);
    EXPECT_EQ(WriteTree(dir, node, Form::kBinary), "FAILED") << "binary nodes have 0 or 2";
    node.CreateChildren(1);
    EXPECT_EQ(WriteTree(dir, node, Form::kBinary), "FAILED");
    Zt18DOP tagged;
    tagged.childCount = 2;  // no array behind it
    EXPECT_EQ(WriteTree(dir, tagged, Form::kTagged), "FAILED");
    tagged.childCount = -1;
    EXPECT_EQ(WriteTree(dir, tagged, Form::kTagged), "FAILED");
}

}  // namespace

namespace {

// root(3) -> [a(0), b(2) -> [c(0), d(1) -> [e(0)]], f(0)]: seven records.
std::string NestedTagged() {
    ByteBuilder b;
    TaggedHeader(b, 1, 1, 3);
    TaggedHeader(b, 2, 2, 0);
    TaggedHeader(b, 3, 3, 2);
    TaggedHeader(b, 4, 4, 0);
    TaggedHeader(b, 5, 5, 1);
    TaggedHeader(b, 6, 6, 0);
    TaggedHeader(b, 7, 7, 0);
    return b.str();
}

void CollectBelow(const Zt18DOP& node, std::vector<const Zt18DOP*>& out) {
    for (int i = 0; i < node.childCount; ++i) {
        out.push_back(&node.children[i]);
        CollectBelow(node.children[i], out);
    }
}

}  // namespace

TEST(ReadTreeStorage, NodesBelowTheRootFillOneBlockAndStayPutWhenTheRootMoves) {
    TempDir dir;
    Zt18DOP root;
    ASSERT_EQ(ReadTree(dir, NestedTagged(), root, Form::kTagged), 1);
    std::vector<const Zt18DOP*> below;
    CollectBelow(root, below);
    ASSERT_EQ(below.size(), 6u);
    const auto [low, high] = std::minmax_element(below.begin(), below.end());
    EXPECT_EQ(*high - *low, 5) << "six nodes, side by side";

    const Zt18DOP* children = root.children;
    Zt18DOP moved = std::move(root);
    EXPECT_EQ(moved.children, children);
    EXPECT_EQ(root.children, nullptr);
    EXPECT_EQ(root.childCount, 0);
    EXPECT_EQ(WriteTree(dir, moved, Form::kTagged), NestedTagged());

    // A node moved out of the tree takes its subtree along (still in the root's block).
    Zt18DOP b = std::move(moved.children[1]);
    EXPECT_EQ(b.tag, 3);
    ASSERT_EQ(b.childCount, 2);
    EXPECT_EQ(b.children[1].children[0].tag, 6);
    EXPECT_EQ(moved.children[1].childCount, 0);
}

TEST(ReadTreeStorage, ARootCanTakeOverOneOfItsDescendants) {
    TempDir dir;
    Zt18DOP root;
    ASSERT_EQ(ReadTree(dir, NestedTagged(), root, Form::kTagged), 1);
    root = std::move(root.children[1]);  // its own children lie in the root's block
    ByteBuilder subtree;
    TaggedHeader(subtree, 3, 3, 2);
    TaggedHeader(subtree, 4, 4, 0);
    TaggedHeader(subtree, 5, 5, 1);
    TaggedHeader(subtree, 6, 6, 0);
    EXPECT_EQ(WriteTree(dir, root, Form::kTagged), subtree.str());
    root = std::move(root.children[1]);
    EXPECT_EQ(root.tag, 5);
    ASSERT_EQ(root.childCount, 1);
    EXPECT_EQ(root.children[0].tag, 6);
}

TEST(ReadTreeStorage, ANodeOfAReadTreeCanBeGivenNewChildren) {
    TempDir dir;
    Zt18DOP root;
    ASSERT_EQ(ReadTree(dir, NestedTagged(), root, Form::kTagged), 1);
    Zt18DOP& d = root.children[1].children[1];
    d.CreateChildren(2);
    d.children[0].tag = 60;
    d.children[1].tag = 61;
    root.children[0].CreateChildren(0);
    Zt18DOP again;
    ASSERT_EQ(ReadTree(dir, WriteTree(dir, root, Form::kTagged), again, Form::kTagged), 1);
    EXPECT_EQ(CountNodes(again), 8);
    EXPECT_EQ(again.children[1].children[1].children[1].tag, 61);
    EXPECT_EQ(again.children[2].tag, 7);
}

TEST(ReadTreeStorage, TreesReadOneAfterAnotherFromOneFileLeaveItAfterEach) {
    // Trees larger than the file buffer, so that reading on after each crosses refills.
    ByteBuilder b;
    for (int tree = 0; tree < 3; ++tree) {
        TaggedHeader(b, 100 + tree, 1, 9);
        for (int i = 0; i < 9; ++i)
            TaggedHeader(b, i, i + 2, 0);
    }
    b.Int(424242);
    TempDir dir;
    dir.Write("trees.kdt", b.str());
    BinaryFile file;
    ASSERT_EQ(file.Open(dir.File("trees.kdt"), 1), 1);
    for (int tree = 0; tree < 3; ++tree) {
        Zt18DOP root;
        ASSERT_EQ(root.SerializeTagged(file, false), 1) << tree;
        EXPECT_EQ(root.tag, 100 + tree);
        ASSERT_EQ(root.childCount, 9);
        ExpectSampleSlabs(root.children[8], 10);
        EXPECT_EQ(file.Offset(), (tree + 1) * 10 * 152);
    }
    EXPECT_EQ(file.ReadInt32(), 424242);
    EXPECT_FALSE(file.ReadFailed());
    EXPECT_EQ(file.BytesLeft(), 0);
    Zt18DOP past;
    EXPECT_EQ(past.SerializeTagged(file, false), 0);
}
