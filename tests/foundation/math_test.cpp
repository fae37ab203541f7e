#include "geometry/math.h"

#include <gtest/gtest.h>

namespace {

void ExpectNear(const Vec3& a, const Vec3& b, float tolerance = 1e-6f) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

Transform Sample(float seed) {
    Transform t{Matrix3::Rotation(0.3f * seed, Vec3(1, 2, 2).Normalized()), Vec3(seed, -2, 3.5f)};
    return t;
}

// Built for a processor with fused multiply-add, our arithmetic must still round each product
// before adding it: posed vertices, and the ".kdt" bytes made from them, must not depend on the
// machine that made them.
#if defined(__x86_64__)
__attribute__((target("fma")))
#endif
float DotWhereFusedMultiplyAddExists(const Vec3& a, const Vec3& b) {
    return Dot(a, b);
}

TEST(Math, ProductsAreRoundedBeforeTheSumEvenWhereFusedMultiplyAddExists) {
#if defined(__x86_64__)
    if (!__builtin_cpu_supports("fma"))
        GTEST_SKIP() << "this processor has no fused multiply-add";
#endif
    // (1 + 2^-12)^2 = 1 + 2^-11 + 2^-24 rounds to 1 + 2^-11; fused, the 2^-24 would stay.
    volatile float e = 0x1p-12f;
    const Vec3 a(1.0f + e, -1.0f, 0.0f);
    const Vec3 b(1.0f + e, 1.0f, 0.0f);
    EXPECT_EQ(DotWhereFusedMultiplyAddExists(a, b), 0x1p-11f);
}

TEST(Math, DefaultsAndConstants) {
    EXPECT_EQ(Vec3(), Vec3::Zero);
    for (float v : Matrix3().m)
        EXPECT_EQ(v, 0.0f);
    EXPECT_EQ(Matrix3::Identity, Matrix3::FromRows(Vec3::UnitX, Vec3::UnitY, Vec3::UnitZ));
    EXPECT_EQ(Transform::Identity.t, Vec3::Zero);
    EXPECT_EQ(Cross(Vec3::UnitX, Vec3::UnitY), Vec3::UnitZ);
    // The controls use this literal, not the exact pi/180.
    EXPECT_EQ(90.0f * DegToRad, 1.5707970f);
    EXPECT_NE(90.0f * DegToRad, 1.5707964f);
    EXPECT_EQ(RadToDeg, 57.2958f);
}

TEST(Math, RotationByZeroIsExactIdentityEvenForZeroAxis) {
    EXPECT_EQ(Matrix3::Rotation(0.0f, Vec3::Zero), Matrix3::Identity);
    EXPECT_EQ(Transform::Rotation(0.0f, Vec3(3, 4, 5)), Transform::Identity);
}

TEST(Math, RotationIsRightHanded) {
    const Matrix3 m = Matrix3::Rotation(1.5707964f, Vec3::UnitZ);
    ExpectNear(Vec3::UnitX * m, Vec3(0, 1, 0));
    ExpectNear(Vec3::UnitY * m, Vec3(-1, 0, 0));
    ExpectNear(Vec3::UnitZ * m, Vec3::UnitZ);
    // About x: y goes to z.
    ExpectNear(Vec3::UnitY * Matrix3::Rotation(1.5707964f, Vec3::UnitX), Vec3::UnitZ);
}

TEST(Math, ComposeAppliesFirstThenSecond) {
    const Transform a{Matrix3::Rotation(1.5707964f, Vec3::UnitZ), Vec3(1, 0, 0)};
    const Transform b{Matrix3::Identity, Vec3(0, 0, 5)};
    const Transform ab = Compose(a, b);
    // (1,0,0) -> rotate to (0,1,0) -> +(1,0,0) -> +(0,0,5)
    ExpectNear(TransformPoint(Vec3::UnitX, ab), Vec3(1, 1, 5));
    ExpectNear(TransformPoint(TransformPoint(Vec3(2, 3, 4), a), b),
               TransformPoint(Vec3(2, 3, 4), ab), 1e-5f);
    // Directions ignore translation.
    ExpectNear(TransformDirection(Vec3::UnitX, ab), Vec3(0, 1, 0));
}

TEST(Math, ComposeWithIdentityAndAliasing) {
    const Transform a = Sample(1.0f);
    const Transform b = Sample(2.0f);
    EXPECT_EQ(Compose(a, Transform::Identity), a);
    EXPECT_EQ(Compose(Transform::Identity, a), a);

    const Transform fresh = Compose(a, b);
    Transform intoFirst = a;
    intoFirst = Compose(intoFirst, b);
    Transform intoSecond = b;
    intoSecond = Compose(a, intoSecond);
    Transform both = a;
    both = Compose(both, both);
    EXPECT_EQ(intoFirst, fresh);
    EXPECT_EQ(intoSecond, fresh);
    EXPECT_EQ(both, Compose(a, a));
}

TEST(Math, NormalizeInPlaceNormalizedCopies) {
    Vec3 v(3, 0, 4);
    const Vec3 n = v.Normalized();
    EXPECT_EQ(v, Vec3(3, 0, 4));
    ExpectNear(n, Vec3(0.6f, 0, 0.8f));
    v.Normalize();
    ExpectNear(v, Vec3(0.6f, 0, 0.8f));
    EXPECT_FLOAT_EQ(Vec3(1, 2, 2).Length(), 3.0f);
}

TEST(Math, OpenGLLayoutIsRowsThenTranslation) {
    const Transform t{Matrix3{{1, 2, 3, 4, 5, 6, 7, 8, 9}}, Vec3(10, 11, 12)};
    float gl[16];
    ToGLMatrix(t, gl);
    const float expected[16] = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 1};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(gl[i], expected[i]) << i;
}

}  // namespace
