#include "geometry/zt18dop.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();

void ExpectEmpty(const Zt18DOP& dop) {
    for (const auto& slab : dop.slabs) {
        EXPECT_EQ(slab.min, kInf);
        EXPECT_EQ(slab.max, -kInf);
    }
}

TEST(Zt18DOP, ResetThroughTheBaseEmptiesSlabsAndKeepsTheRest) {
    Zt18DOP dop;
    const std::vector<Vec3> v = {{1, 2, 3}};
    const std::vector<std::int32_t> one = {0};
    dop.FitVertices(one, v);
    dop.CreateChildren(2);
    ZtObject& base = dop;
    base.Reset();
    ExpectEmpty(dop);
    EXPECT_EQ(dop.extremes[4].maxVertex, 0);
    EXPECT_EQ(dop.childCount, 2);
    EXPECT_NE(dop.children, nullptr);
}

TEST(Zt18DOP, FitOverNoVerticesLeavesEmptySlabsAndOldExtremes) {
    Zt18DOP dop;
    for (auto& e : dop.extremes)
        e = {17, 23};
    const std::vector<Vec3> v = {{1, 1, 1}};
    EXPECT_EQ(dop.FitVertices({}, v), 1);
    ExpectEmpty(dop);
    for (const auto& e : dop.extremes) {
        EXPECT_EQ(e.minVertex, 17);
        EXPECT_EQ(e.maxVertex, 23);
    }
}

TEST(Zt18DOP, SingleVertexGivesItsNineSlabValuesAtBothEnds) {
    const std::vector<Vec3> v = {{9, 9, 9}, {1, 2, 3}};
    const std::vector<std::int32_t> list = {1};
    Zt18DOP dop;
    ASSERT_EQ(dop.FitVertices(list, v), 1);
    const float expected[9] = {1, 2, 3, 3, 1, 4, 2, 5, -1};
    for (int k = 0; k < 9; ++k) {
        EXPECT_EQ(dop.slabs[k].min, expected[k]) << k;
        EXPECT_EQ(dop.slabs[k].max, expected[k]) << k;
        EXPECT_EQ(dop.extremes[k].minVertex, 1);
        EXPECT_EQ(dop.extremes[k].maxVertex, 1);
        EXPECT_EQ(Zt18DOP::SlabValue(k, v[1]), expected[k]);
    }
}

TEST(Zt18DOP, FirstListedVertexKeepsTiedExtremes) {
    // Vertices 0 and 2 share x = 0 (the minimum), 1 and 3 share x = 4 (the maximum); all share z.
    const std::vector<Vec3> v = {{0, 0, 5}, {4, 1, 5}, {0, 2, 5}, {4, 3, 5}};
    Zt18DOP dop;
    // The extremes of slab 0 (x) and slab 2 (z) after a fit.
    const auto expectExtremes = [&dop](std::int32_t xMin, std::int32_t xMax, std::int32_t zMin,
                                       std::int32_t zMax) {
        EXPECT_EQ(dop.extremes[0].minVertex, xMin);
        EXPECT_EQ(dop.extremes[0].maxVertex, xMax);
        EXPECT_EQ(dop.extremes[2].minVertex, zMin);
        EXPECT_EQ(dop.extremes[2].maxVertex, zMax);
    };
    const std::vector<std::int32_t> forward = {0, 1, 2, 3};
    dop.FitVertices(forward, v);
    expectExtremes(0, 1, 0, 0);
    EXPECT_EQ(dop.extremes[1].maxVertex, 3);

    const std::vector<std::int32_t> backward = {3, 2, 1, 0};
    dop.FitVertices(backward, v);
    expectExtremes(2, 3, 3, 3);
    // Both ends are tested for every vertex: the one vertex sets min and max alike.
    EXPECT_EQ(dop.slabs[2].min, 5.0f);
    EXPECT_EQ(dop.slabs[2].max, 5.0f);
}

TEST(Zt18DOP, FitRejectsIndicesOutsideTheVertexArray) {
    const std::vector<Vec3> v = {{1, 2, 3}, {4, 5, 6}};
    Zt18DOP dop;
    const std::vector<std::int32_t> past = {0, 2};
    EXPECT_EQ(dop.FitVertices(past, v), 0);
    ExpectEmpty(dop);
    const std::vector<std::int32_t> negative = {-1};
    EXPECT_EQ(dop.FitVertices(negative, v), 0);
    ExpectEmpty(dop);
}

TEST(Zt18DOP, MergeTakesStrictlyWiderEndsWithTheirVertices) {
    const std::vector<Vec3> v = {{0, 0, 0}, {2, 0, 0}, {0, 0, 0}, {3, 0, 0}, {-1, 0, 0}};
    Zt18DOP a;
    Zt18DOP b;
    const std::vector<std::int32_t> la = {0, 1};
    const std::vector<std::int32_t> lb = {2, 3};
    a.FitVertices(la, v);
    b.FitVertices(lb, v);
    a.Merge(b);
    EXPECT_EQ(a.slabs[0].min, 0.0f);
    EXPECT_EQ(a.extremes[0].minVertex, 0) << "equal minimum: the merged-into volume keeps its own";
    EXPECT_EQ(a.slabs[0].max, 3.0f);
    EXPECT_EQ(a.extremes[0].maxVertex, 3);
    EXPECT_EQ(a.extremes[1].minVertex, 0);

    // Merging into an empty volume copies the other.
    Zt18DOP empty;
    empty.Reset();
    Zt18DOP c;
    const std::vector<std::int32_t> lc = {4};
    c.FitVertices(lc, v);
    empty.Merge(c);
    for (int k = 0; k < 9; ++k) {
        EXPECT_EQ(empty.slabs[k].min, c.slabs[k].min);
        EXPECT_EQ(empty.slabs[k].max, c.slabs[k].max);
        EXPECT_EQ(empty.extremes[k].minVertex, 4);
        EXPECT_EQ(empty.extremes[k].maxVertex, 4);
    }
}

}  // namespace
