#include "geometry/camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace {

void ExpectNear(const Vec3& a, const Vec3& b, float tolerance = 1e-4f) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

Vec3 Right(const Camera& c) {
    return c.orientation.Row(0);
}
Vec3 Up(const Camera& c) {
    return c.orientation.Row(1);
}
Vec3 Back(const Camera& c) {
    return c.orientation.Row(2);
}

// Unit rows, mutually orthogonal, right-handed, all finite.
void ExpectOrthonormal(const Camera& c, float tolerance = 1e-4f) {
    for (float v : c.orientation.m)
        ASSERT_TRUE(std::isfinite(v));
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(c.orientation.Row(i).Length(), 1.0f, tolerance) << i;
    EXPECT_NEAR(Dot(Right(c), Up(c)), 0.0f, tolerance);
    EXPECT_NEAR(Dot(Right(c), Back(c)), 0.0f, tolerance);
    EXPECT_NEAR(Dot(Up(c), Back(c)), 0.0f, tolerance);
    ExpectNear(Cross(Right(c), Up(c)), Back(c), tolerance);
}

Camera StartCamera() {
    Camera c;
    c.SetPosition(Vec3(0, 0, 400));
    c.SetTarget(Vec3(0, 0, 0));
    return c;
}

TEST(Camera, StartPlacementKeepsTheIdentityFrame) {
    const Camera c = StartCamera();
    EXPECT_EQ(c.orientation, Matrix3::Identity);
    EXPECT_EQ(c.position, Vec3(0, 0, 400));
    EXPECT_EQ(c.target, Vec3::Zero);
    EXPECT_TRUE(c.changed);
}

TEST(Camera, MoveWithoutOrbitTranslatesBothPointsAndKeepsTheFrame) {
    Camera c = StartCamera();
    c.Yaw(30, false);
    c.Pitch(-20, false);
    const Matrix3 before = c.orientation;
    const Vec3 p = c.position;
    const Vec3 t = c.target;
    c.changed = false;
    c.Move(Vec3(1, 2, 3), false);
    EXPECT_TRUE(c.changed);
    EXPECT_EQ(c.orientation, before);
    EXPECT_EQ(c.position, p + Vec3(1, 2, 3));
    EXPECT_EQ(c.target, t + Vec3(1, 2, 3));
}

TEST(Camera, OrbitMoveAlongBackChangesOnlyThePosition) {
    Camera c = StartCamera();
    c.Yaw(40, true);
    c.Pitch(25, true);
    const Matrix3 before = c.orientation;
    const Vec3 target = c.target;
    c.Move(Back(c) * 50.0f, true);
    EXPECT_EQ(c.orientation, before);
    EXPECT_EQ(c.target, target);
    EXPECT_NEAR((c.position - c.target).Length(), 450.0f, 1e-2f);
}

TEST(Camera, OrbitMoveSidewaysReaimsAtTheTarget) {
    Camera c = StartCamera();
    c.Move(Vec3(400, 0, -400), true);  // now at (400, 0, 0)
    ExpectNear(Back(c), Vec3(1, 0, 0));
    ExpectNear(Right(c), Vec3(0, 0, -1));
    ExpectNear(Up(c), Vec3(0, 1, 0));
    EXPECT_EQ(c.target, Vec3::Zero);
    ExpectOrthonormal(c);
}

TEST(Camera, YawInOrbitSwingsThePositionAroundTheTarget) {
    Camera c = StartCamera();
    c.Yaw(90, true);
    ExpectNear(c.position, Vec3(400, 0, 0), 1e-3f);
    ExpectNear(Back(c), Vec3(1, 0, 0));
    ExpectNear(Right(c), Vec3(0, 0, -1));
    EXPECT_EQ(Up(c), Vec3::UnitY);
    EXPECT_EQ(c.target, Vec3::Zero);
}

TEST(Camera, FreeYawAndPitchSwingTheTargetAroundTheEye) {
    Camera left = StartCamera();
    left.Yaw(90, false);  // a positive yaw looks left
    EXPECT_EQ(left.position, Vec3(0, 0, 400));
    ExpectNear(left.target, Vec3(-400, 0, 400), 1e-3f);
    ExpectNear(Back(left), Vec3(1, 0, 0));

    Camera up = StartCamera();
    up.Pitch(90, false);  // a positive pitch looks up
    ExpectNear(up.target, Vec3(0, 400, 400), 1e-3f);
    ExpectNear(Up(up), Vec3(0, 0, 1));
    ExpectNear(Back(up), Vec3(0, -1, 0));
    EXPECT_EQ(Right(up), Vec3::UnitX);

    Camera orbitUp = StartCamera();
    orbitUp.Pitch(90, true);
    ExpectNear(orbitUp.position, Vec3(0, -400, 0), 1e-3f);
}

TEST(Camera, RollTurnsRightAndUpOnly) {
    Camera c = StartCamera();
    c.changed = false;
    c.Roll(90);
    EXPECT_TRUE(c.changed);
    EXPECT_EQ(c.position, Vec3(0, 0, 400));
    EXPECT_EQ(c.target, Vec3::Zero);
    ExpectNear(Right(c), Vec3(0, 1, 0));
    ExpectNear(Up(c), Vec3(-1, 0, 0));
    EXPECT_EQ(Back(c), Vec3::UnitZ);
}

TEST(Camera, NonFiniteAnglesLeaveTheFrameAlone) {
    Camera c = StartCamera();
    c.Yaw(NAN, true);
    c.Pitch(INFINITY, false);
    c.Roll(-INFINITY);
    EXPECT_EQ(c.orientation, Matrix3::Identity);
    EXPECT_EQ(c.position, Vec3(0, 0, 400));
    EXPECT_EQ(c.target, Vec3::Zero);
}

TEST(Camera, ViewMatrixIsTheInverseFrame) {
    Camera c;
    c.SetPosition(Vec3(5, 0, 0));  // aimed at the origin: back +x, right -z
    float view[16];
    c.GetViewMatrix(view);
    const float expected[16] = {0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, -5, 1};
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(view[i], expected[i], 1e-6f) << i;

    // A world point's eye coordinates are its offset from the eye along right, up and back.
    Camera tilted = StartCamera();
    tilted.Yaw(33, true);
    tilted.Pitch(-12, false);
    tilted.Roll(71);
    tilted.GetViewMatrix(view);
    const Vec3 w(10, -20, 30);
    const Vec3 eye(view[0] * w.x + view[4] * w.y + view[8] * w.z + view[12],
                   view[1] * w.x + view[5] * w.y + view[9] * w.z + view[13],
                   view[2] * w.x + view[6] * w.y + view[10] * w.z + view[14]);
    const Vec3 d = w - tilted.position;
    ExpectNear(eye, Vec3(Dot(d, Right(tilted)), Dot(d, Up(tilted)), Dot(d, Back(tilted))), 1e-3f);
    EXPECT_EQ(view[3], 0.0f);
    EXPECT_EQ(view[7], 0.0f);
    EXPECT_EQ(view[11], 0.0f);
    EXPECT_EQ(view[15], 1.0f);
}

TEST(Camera, EveryOperationSetsChangedAndTheFrustumIsExtractedOncePerChange) {
    constexpr float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    constexpr float kHalf[16] = {0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1};
    Camera c;
    c.UpdateFrustum(kIdentity);
    EXPECT_FALSE(c.changed);
    // Identity view at the origin: the planes are the unit cube's.
    EXPECT_EQ(c.frustum.planes[ZtFrustum::kRight][3], 1.0f);
    c.UpdateFrustum(kHalf);
    EXPECT_EQ(c.frustum.planes[ZtFrustum::kRight][3], 1.0f) << "unchanged: not extracted again";

    const auto operations = {
        +[](Camera& cam) { cam.SetPosition(Vec3(0, 0, 10)); },
        +[](Camera& cam) { cam.SetTarget(Vec3(0, 0, -1)); },
        +[](Camera& cam) { cam.Move(Vec3(0, 0, 0), false); },
        +[](Camera& cam) { cam.Move(Vec3(1, 0, 0), true); },
        +[](Camera& cam) { cam.Yaw(0, false); },
        +[](Camera& cam) { cam.Pitch(5, true); },
        +[](Camera& cam) { cam.Roll(0); },
    };
    for (auto operation : operations) {
        c.changed = false;
        operation(c);
        EXPECT_TRUE(c.changed);
    }
    c.UpdateFrustum(kHalf);
    EXPECT_FALSE(c.changed);
    // The planes now come from kHalf and the camera's own view matrix: the near plane lies at
    // eye z = -2 and faces along back.
    const float* nearPlane = c.frustum.planes[ZtFrustum::kNear];
    ExpectNear(Vec3(nearPlane[0], nearPlane[1], nearPlane[2]), Back(c), 1e-5f);
    EXPECT_NEAR(nearPlane[3], 2.0f - Dot(c.position, Back(c)), 1e-4f);
}

TEST(Camera, PositionOnTheTargetKeepsTheFrame) {
    Camera c = StartCamera();
    c.Yaw(20, false);
    const Matrix3 before = c.orientation;
    c.SetPosition(c.target);
    EXPECT_EQ(c.orientation, before);
    c.Move(Vec3(0, 0, 0), true);
    EXPECT_EQ(c.orientation, before);
}

TEST(Camera, TargetStraightAheadOfBackTurnsTheCameraAround) {
    Camera c = StartCamera();
    c.SetPosition(Vec3(0, 0, -400));  // exactly opposite to back: no rotation axis exists
    ExpectOrthonormal(c, 1e-6f);
    EXPECT_EQ(Back(c), Vec3(0, 0, -1));
    EXPECT_EQ(Up(c), Vec3::UnitY) << "turned about up, so the camera stays upright";
    EXPECT_EQ(Right(c), Vec3(-1, 0, 0));

    // Nearly opposite: the shortest turn where it is defined, upright where it is not.
    for (const float offset : {1e-4f, 0.05f, 1.0f, 4.0f, 10.0f}) {
        Camera near = StartCamera();
        near.Yaw(17, true);
        near.Pitch(-8, true);
        const Vec3 toEye = near.position - near.target;
        const Vec3 mirrored = near.target - toEye + Right(near) * offset;
        near.SetPosition(mirrored);
        ExpectOrthonormal(near);
        ExpectNear(Back(near), (near.position - near.target).Normalized(), 1e-5f);
    }
}

TEST(Camera, NearlyOppositeDirectionsTakeTheShortestTurn) {
    // Just off straight behind, offset along up: the turn is about -right by almost pi, which
    // carries up over the top to about -up; right stays.
    Camera c = StartCamera();
    c.SetPosition(Vec3(0, 4, -400));
    const Vec3 n = Vec3(0, 4, -400).Normalized();
    ExpectNear(Back(c), n, 1e-6f);
    ExpectNear(Up(c), Vec3(0, n.z, -n.y), 1e-4f);
    ExpectNear(Right(c), Vec3(1, 0, 0), 1e-4f);
    ExpectOrthonormal(c);
}

TEST(Camera, CosineRoundedPastOneIsClampedToNoTurn) {
    // An offset whose normalised direction has a rounded dot product with itself above 1.
    Vec3 offset;
    bool found = false;
    for (int i = 1; i < 200 && !found; ++i) {
        for (int j = 1; j < 50 && !found; ++j) {
            offset = Vec3(static_cast<float>(i) * 0.37f, static_cast<float>(j) * 1.13f, 7.0f);
            found = Dot(offset.Normalized(), offset.Normalized()) > 1.0f;
        }
    }
    ASSERT_TRUE(found);
    const Vec3 n = offset.Normalized();
    Camera c;
    const Vec3 right = Cross(Vec3::UnitY, n).Normalized();
    c.orientation = Matrix3::FromRows(right, Cross(n, right), n);
    const Matrix3 before = c.orientation;
    c.SetPosition(offset);  // target at the origin: the direction is n, back already
    EXPECT_EQ(c.orientation, before);
}

TEST(Camera, LongSequencesKeepAFiniteOrthonormalFrame) {
    Camera c = StartCamera();
    std::uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / static_cast<float>(1u << 24) * 2.0f - 1.0f;
    };
    for (int step = 0; step < 3000; ++step) {
        const bool orbit = next() > 0;
        switch (step % 6) {
            case 0:
                c.Yaw(next() * 180, orbit);
                break;
            case 1:
                c.Pitch(next() * 180, orbit);
                break;
            case 2:
                c.Roll(next() * 180);
                break;
            case 3:
                c.Move(Vec3(next(), next(), next()) * 300.0f, orbit);
                break;
            case 4:
                c.SetPosition(c.target - (c.position - c.target));
                break;  // through the target
            case 5:
                c.SetTarget(Vec3(next(), next(), next()) * 50.0f);
                break;
        }
        ExpectOrthonormal(c, 1e-5f);
        if (HasFailure()) {
            FAIL() << "at step " << step;
        }
    }
}

// The arccosine of a small aiming angle is far from exact in floats; orbiting in small steps
// must not let that error build up in the frame.
TEST(Camera, ManySmallOrbitStepsKeepTheFrameOrthonormal) {
    Camera c = StartCamera();
    for (int step = 0; step < 20000; ++step) {
        const float s = static_cast<float>(step);
        c.Move(Vec3(std::sin(s * 0.01f), std::cos(s * 0.013f), 0.0f) * 1.5f, true);
        if (step % 7 == 0)
            c.Yaw(0.3f, true);
    }
    ExpectOrthonormal(c, 1e-5f);
}

}  // namespace
