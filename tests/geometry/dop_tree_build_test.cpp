#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "geometry/zt18dop.h"
#include "tests/support/quad_meshes.h"

namespace {

// Builds over all faces after fitting the root to all vertices, as the prop model does.
Zt18DOP Build(const Mesh& mesh, int leafSize) {
    Zt18DOP root;
    std::vector<std::int32_t> all(mesh.vertices.size());
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<std::int32_t>(i);
    root.FitVertices(all, mesh.vertices);
    EXPECT_EQ(root.BuildTree(AllFaces(mesh), mesh, mesh.vertices, leafSize), 1);
    return root;
}

// The x extent of a node (its slab 0), which identifies which unit squares it was fitted to.
std::pair<float, float> XRange(const Zt18DOP& node) {
    return {node.slabs[0].min, node.slabs[0].max};
}

TEST(DopTreeBuild, LeafSizeIsTheLargestLeaf) {
    Mesh mesh;
    for (int i = 0; i < 10; ++i)
        AddSquareAt(mesh, Vec3(static_cast<float>(i), 0, 0));
    Zt18DOP atLimit = Build(mesh, 10);
    EXPECT_EQ(atLimit.children, nullptr);
    EXPECT_EQ(atLimit.childCount, 0);

    AddSquareAt(mesh, Vec3(10, 0, 0));
    Zt18DOP over = Build(mesh, 10);
    ASSERT_NE(over.children, nullptr);
    EXPECT_EQ(over.childCount, 2);
    // Mean 5: squares 0..4 go first, 5..10 second; both are leaves.
    EXPECT_EQ(XRange(over.children[0]), std::make_pair(-0.5f, 4.5f));
    EXPECT_EQ(XRange(over.children[1]), std::make_pair(4.5f, 10.5f));
    EXPECT_EQ(over.children[0].children, nullptr);
    EXPECT_EQ(over.children[1].children, nullptr);
}

TEST(DopTreeBuild, CentroidOnTheSplitValueGoesToTheSecondChild) {
    Mesh mesh;
    AddSquareAt(mesh, Vec3(-1, 0, 0));
    AddSquareAt(mesh, Vec3(0, 0, 0));  // exactly on the mean 0
    AddSquareAt(mesh, Vec3(1, 0, 0));
    Zt18DOP root = Build(mesh, 2);
    ASSERT_EQ(root.childCount, 2);
    EXPECT_EQ(XRange(root.children[0]), std::make_pair(-1.5f, -0.5f));
    EXPECT_EQ(XRange(root.children[1]), std::make_pair(-0.5f, 1.5f));
}

// Four centroids whose spread is equal on two axes; splitting on the first of them puts the
// first face alone into child 0, splitting on the second puts the second face there.
void ExpectSplitOnFirstOfTiedAxes(int first, int second) {
    const float pattern[4][2] = {{0, 1}, {1, 0}, {2, 1}, {1, 2}};
    Mesh mesh;
    for (const auto& p : pattern) {
        float c[3] = {0, 0, 0};
        c[first] = p[0];
        c[second] = p[1];
        AddSquareAt(mesh, Vec3(c[0], c[1], c[2]));
    }
    Zt18DOP root = Build(mesh, 3);
    ASSERT_EQ(root.childCount, 2);
    const Zt18DOP& below = root.children[0];
    // Child 0 holds face 0 only: its vertices are 0..3, so every extreme names one of them.
    for (const auto& e : below.extremes) {
        EXPECT_LT(e.minVertex, 4) << first << second;
        EXPECT_LT(e.maxVertex, 4) << first << second;
    }
    EXPECT_EQ(Zt18DOP::SlabValue(first, mesh.vertices[0]), below.slabs[first].min);
}

TEST(DopTreeBuild, VarianceTiesFavourXThenY) {
    ExpectSplitOnFirstOfTiedAxes(0, 1);  // x and y equal: x
    ExpectSplitOnFirstOfTiedAxes(0, 2);  // x and z equal: x
    ExpectSplitOnFirstOfTiedAxes(1, 2);  // y and z equal, both above x: y
}

TEST(DopTreeBuild, ChildrenAreFittedToTheirCornersInListAndCornerOrder) {
    Mesh mesh;
    // Everything lies in z = 0, so slab 2's extremes name the first corner that was widened.
    const std::int32_t f0 = AddSquareAt(mesh, Vec3(0, 0, 0));
    AddSquareAt(mesh, Vec3(10, 0, 0));
    const std::int32_t f2 = AddSquareAt(mesh, Vec3(1, 0, 0));
    // Face 0 starts at its second vertex; face 2 reuses a corner of face 0 (duplicates are fine).
    mesh.faces[f0].vertex[0] = 1;
    mesh.faces[f0].vertex[1] = 2;
    mesh.faces[f0].vertex[2] = 3;
    mesh.faces[f0].vertex[3] = 0;
    mesh.faces[f2].vertex[3] = 2;
    mesh.vertices.push_back(Vec3(100, 100, 100));  // used by no face

    Zt18DOP root = Build(mesh, 2);
    EXPECT_EQ(root.slabs[0].max, 100.0f) << "the caller's root fit covers every vertex";
    ASSERT_EQ(root.childCount, 2);
    const Zt18DOP& first = root.children[0];  // faces 0 then 2 (mean 11/3)
    EXPECT_EQ(first.extremes[2].minVertex, 1);
    EXPECT_EQ(first.extremes[2].maxVertex, 1);
    EXPECT_EQ(XRange(first), std::make_pair(-0.5f, 1.5f));
    const Zt18DOP& second = root.children[1];
    EXPECT_EQ(second.extremes[2].minVertex, 4);
    EXPECT_EQ(XRange(second), std::make_pair(9.5f, 10.5f));
    EXPECT_EQ(second.slabs[1].max, 0.5f) << "children enclose only their faces' corners";
}

TEST(DopTreeBuild, FacesSharingOneCentroidEndInALeaf) {
    Mesh mesh;
    for (int i = 0; i < 25; ++i)
        AddSquareAt(mesh, Vec3(3, 4, 5));
    Zt18DOP same = Build(mesh, 10);
    EXPECT_EQ(same.children, nullptr);

    // Twenty equal faces and one apart: the split separates the one, then the twenty stay put.
    Mesh mixed;
    for (int i = 0; i < 20; ++i)
        AddSquareAt(mixed, Vec3(0, 0, 0));
    AddSquareAt(mixed, Vec3(5, 0, 0));
    Zt18DOP root = Build(mixed, 10);
    ASSERT_EQ(root.childCount, 2);
    EXPECT_EQ(root.children[0].children, nullptr);
    EXPECT_EQ(XRange(root.children[0]), std::make_pair(-0.5f, 0.5f));
    EXPECT_EQ(root.children[1].children, nullptr);
}

// Every node has no children or two, none lies deeper than kMaxDepth, and each was fitted to
// at least one face (its finite z slab is not left empty); the leaves are collected in order.
void CheckShape(const Zt18DOP& node, int depth, std::vector<const Zt18DOP*>& leaves) {
    ASSERT_LE(depth, Zt18DOP::kMaxDepth);
    EXPECT_EQ(node.slabs[2].min, 0.0f);
    EXPECT_EQ(node.slabs[2].max, 0.0f);
    if (node.children == nullptr) {
        EXPECT_EQ(node.childCount, 0);
        leaves.push_back(&node);
        return;
    }
    ASSERT_EQ(node.childCount, 2);
    CheckShape(node.children[0], depth + 1, leaves);
    CheckShape(node.children[1], depth + 1, leaves);
}

TEST(DopTreeBuild, NonFiniteCoordinatesStillTerminate) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const float bad : {nan, inf, -inf}) {
        for (const int axis : {0, 1}) {
            SCOPED_TRACE(::testing::Message() << bad << " on axis " << axis);
            Mesh mesh;
            for (int i = 0; i < 40; ++i)
                AddSquareAt(mesh, Vec3(static_cast<float>(i), 0, 0));
            Vec3& corner = mesh.vertices[4 * 5 + 1];
            (axis == 0 ? corner.x : corner.y) = bad;
            const Zt18DOP root = Build(mesh, 1);
            std::vector<const Zt18DOP*> leaves;
            CheckShape(root, 0, leaves);
            if (axis == 1) {
                // A bad y spoils only the y spread: the split along x still gives every
                // square a leaf of its own, in order.
                ASSERT_EQ(leaves.size(), 40u);
                for (std::size_t i = 0; i < leaves.size(); ++i) {
                    const float x = static_cast<float>(i);
                    EXPECT_EQ(XRange(*leaves[i]), std::make_pair(x - 0.5f, x + 0.5f)) << i;
                }
            }
        }
    }
}

TEST(DopTreeBuild, DeepChainsOfLopsidedSplitsAreBuiltAndBounded) {
    // Centroids that grow faster than factorially make every split peel off one face.
    Mesh mesh;
    float x = 1.0f;
    for (int i = 1; i <= 30; ++i) {
        AddSquareAt(mesh, Vec3(x, 0, 0));
        x *= static_cast<float>(i + 2);
    }
    Zt18DOP root = Build(mesh, 1);
    int depth = 0;
    for (const Zt18DOP* node = &root; node->children != nullptr; node = &node->children[0]) {
        ASSERT_EQ(node->childCount, 2);
        EXPECT_EQ(node->children[1].children, nullptr) << "the largest face is peeled off";
        ++depth;
    }
    EXPECT_GE(depth, 20);
    EXPECT_LE(depth, Zt18DOP::kMaxDepth);
}

TEST(DopTreeBuild, OutOfRangeIndicesAreRejectedWithoutReading) {
    Mesh mesh;
    for (int i = 0; i < 12; ++i)
        AddSquareAt(mesh, Vec3(static_cast<float>(i), 0, 0));
    Zt18DOP root;
    root.CreateChildren(2);
    const std::vector<std::int32_t> pastEnd = {0, 1, 12};
    EXPECT_EQ(root.BuildTree(pastEnd, mesh, mesh.vertices, 1), 0);
    EXPECT_EQ(root.children, nullptr);
    const std::vector<std::int32_t> negative = {-1, 0};
    EXPECT_EQ(root.BuildTree(negative, mesh, mesh.vertices, 1), 0);

    mesh.faces[3].vertex[2] = static_cast<std::int32_t>(mesh.vertices.size());
    EXPECT_EQ(root.BuildTree(AllFaces(mesh), mesh, mesh.vertices, 1), 0);
    mesh.faces[3].vertex[2] = -4;
    EXPECT_EQ(root.BuildTree(AllFaces(mesh), mesh, mesh.vertices, 1), 0);
    EXPECT_EQ(root.children, nullptr);

    // A vertex array shorter than the mesh's (the caller's posed copy) is checked as well.
    mesh.faces[3].vertex[2] = 14;
    const std::span<const Vec3> shorter(mesh.vertices.data(), 10);
    EXPECT_EQ(root.BuildTree(AllFaces(mesh), mesh, shorter, 1), 0);
    EXPECT_EQ(root.BuildTree(AllFaces(mesh), mesh, mesh.vertices, 1), 1);
    EXPECT_EQ(root.childCount, 2);
}

TEST(DopTreeBuild, NoFacesOrNonPositiveLeafSizeStillTerminate) {
    Mesh mesh;
    Zt18DOP root;
    EXPECT_EQ(root.BuildTree({}, mesh, mesh.vertices, 10), 1);
    EXPECT_EQ(root.children, nullptr);
    for (int i = 0; i < 4; ++i)
        AddSquareAt(mesh, Vec3(static_cast<float>(i), 0, 0));
    // Leaf size 0 splits down to single faces, which cannot be split further.
    Zt18DOP tree = Build(mesh, 0);
    ASSERT_EQ(tree.childCount, 2);
    EXPECT_EQ(tree.children[0].childCount, 2);
    EXPECT_EQ(tree.children[0].children[0].children, nullptr);
}

}  // namespace
