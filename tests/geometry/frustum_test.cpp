#include "geometry/frustum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// glFrustum(-1, 1, -1, 1, 1, 10), column-major.
constexpr float kPerspective[16] = {
    1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -11.0f / 9.0f, -1, 0, 0, -20.0f / 9.0f, 0};

void ExpectPlane(const ZtFrustum& f, int plane, float a, float b, float c, float d) {
    const float* p = f.planes[plane];
    EXPECT_NEAR(p[0], a, 1e-6f) << "plane " << plane;
    EXPECT_NEAR(p[1], b, 1e-6f) << "plane " << plane;
    EXPECT_NEAR(p[2], c, 1e-6f) << "plane " << plane;
    EXPECT_NEAR(p[3], d, 1e-5f) << "plane " << plane;
}

TEST(Frustum, IdentityMatricesGiveTheUnitCubeFacingInwards) {
    ZtFrustum f;
    f.ExtractPlanes(kIdentity, kIdentity);
    const float expected[6][4] = {{-1, 0, 0, 1}, {1, 0, 0, 1},  {0, 1, 0, 1},
                                  {0, -1, 0, 1}, {0, 0, -1, 1}, {0, 0, 1, 1}};
    for (int p = 0; p < 6; ++p) {
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(f.planes[p][i], expected[p][i]) << p << " " << i;
    }
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(f.clip[i], kIdentity[i]);
}

TEST(Frustum, PerspectivePlanesInEyeSpace) {
    ZtFrustum f;
    f.ExtractPlanes(kPerspective, kIdentity);
    const float h = std::sqrt(0.5f);
    ExpectPlane(f, ZtFrustum::kRight, -h, 0, -h, 0);
    ExpectPlane(f, ZtFrustum::kLeft, h, 0, -h, 0);
    ExpectPlane(f, ZtFrustum::kBottom, 0, h, -h, 0);
    ExpectPlane(f, ZtFrustum::kTop, 0, -h, -h, 0);
    ExpectPlane(f, ZtFrustum::kFar, 0, 0, 1, 10);
    ExpectPlane(f, ZtFrustum::kNear, 0, 0, -1, -1);
}

TEST(Frustum, ModelviewCarriesThePlanesIntoTheWorld) {
    // An eye at (5, 0, 0) looking at the origin: eye x = -z, eye y = y, eye z = x - 5.
    const float view[16] = {0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, -5, 1};
    ZtFrustum f;
    f.ExtractPlanes(kPerspective, view);
    const float h = std::sqrt(0.5f);
    ExpectPlane(f, ZtFrustum::kRight, -h, 0, h, 5 * h);
    ExpectPlane(f, ZtFrustum::kLeft, -h, 0, -h, 5 * h);
    ExpectPlane(f, ZtFrustum::kBottom, -h, h, 0, 5 * h);
    ExpectPlane(f, ZtFrustum::kTop, -h, -h, 0, 5 * h);
    ExpectPlane(f, ZtFrustum::kFar, 1, 0, 0, 5);
    ExpectPlane(f, ZtFrustum::kNear, -1, 0, 0, 4);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(f.projection[i], kPerspective[i]);
        EXPECT_EQ(f.modelview[i], view[i]);
    }
    EXPECT_TRUE(f.IsSphereVisible(Vec3(0, 0, 0), 0));
    EXPECT_FALSE(f.IsSphereVisible(Vec3(10, 0, 0), 1)) << "behind the eye";
}

TEST(Frustum, SphereIsRejectedOnlyWhenWhollyOutsideOnePlane) {
    ZtFrustum f;
    f.ExtractPlanes(kIdentity, kIdentity);
    EXPECT_TRUE(f.IsSphereVisible(Vec3(1, 0, 0), 0)) << "centre on the right plane";
    EXPECT_TRUE(f.IsSphereVisible(Vec3(0, 0, -1), 0)) << "centre on the far plane";
    EXPECT_TRUE(f.IsSphereVisible(Vec3(1.5f, 0, 0), 0.5f)) << "touching from outside";
    EXPECT_FALSE(f.IsSphereVisible(Vec3(1.5f, 0, 0), 0.4f));
    const Vec3 outside[6] = {{2, 0, 0}, {-2, 0, 0}, {0, -2, 0}, {0, 2, 0}, {0, 0, -2}, {0, 0, 2}};
    for (const Vec3& c : outside) {
        EXPECT_FALSE(f.IsSphereVisible(c, 0.5f)) << c.x << " " << c.y << " " << c.z;
        EXPECT_TRUE(f.IsSphereVisible(c, 1.0f)) << c.x << " " << c.y << " " << c.z;
    }
    // Beyond a corner of the cube.
    EXPECT_FALSE(f.IsSphereVisible(Vec3(1.2f, 1.2f, 0), 0.1f));
    // Values that do not compare do not reject.
    EXPECT_TRUE(f.IsSphereVisible(Vec3(std::numeric_limits<float>::quiet_NaN(), 0, 0), 0));
}

}  // namespace
