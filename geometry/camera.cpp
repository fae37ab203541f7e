#include "geometry/camera.h"

#include <algorithm>
#include <cmath>

namespace {

enum Row { kRight = 0, kUp = 1, kBack = 2 };

// Turns smaller than this (radians) leave the frame alone.
constexpr float kMinAimAngle = 0.001f;
// Below this length the cross product of back and a direction opposite to it is rounding
// noise: each of its components is a difference of products near 1, good to about 1e-7, so
// its direction would be arbitrary. Above it the shortest turn is well defined and is taken.
constexpr float kMinAxisLength = 1e-6f;

}  // namespace

void Camera::SetRow(int i, const Vec3& v) {
    orientation.m[3 * i] = v.x;
    orientation.m[3 * i + 1] = v.y;
    orientation.m[3 * i + 2] = v.z;
}

void Camera::SetPosition(const Vec3& p) {
    position = p;
    changed = true;
    AimAtTarget();
}

void Camera::SetTarget(const Vec3& t) {
    target = t;
    changed = true;
    AimAtTarget();
}

void Camera::Move(const Vec3& delta, bool orbit) {
    changed = true;
    position += delta;
    if (orbit) {
        AimAtTarget();
    } else {
        target += delta;
    }
}

Matrix3 Camera::TurnRows(int axisRow, int a, int b, float degrees) {
    const Matrix3 m = Matrix3::Rotation(degrees * DegToRad, orientation.Row(axisRow));
    SetRow(a, (orientation.Row(a) * m).Normalized());
    SetRow(b, (orientation.Row(b) * m).Normalized());
    Orthonormalize(orientation.Row(kUp), orientation.Row(kBack));
    return m;
}

void Camera::Orthonormalize(Vec3 up, const Vec3& back) {
    // Rows turned and normalised one by one drift apart with rounding, and the arccosine of a
    // small aiming angle is only good to about 3e-4 rad in floats; rebuilding the frame from
    // back and up after every turn keeps it orthonormal over any number of frames.
    up = (up - back * Dot(up, back)).Normalized();
    SetRow(kRight, Cross(up, back));
    SetRow(kUp, up);
    SetRow(kBack, back);
}

void Camera::SwingAboutPivot(const Matrix3& m, bool orbit) {
    if (orbit) {
        position = target + (position - target) * m;
    } else {
        target = position + (target - position) * m;
    }
}

void Camera::Yaw(float degrees, bool orbit) {
    changed = true;
    if (std::isfinite(degrees)) {
        SwingAboutPivot(TurnRows(kUp, kRight, kBack, degrees), orbit);
    }
}

void Camera::Pitch(float degrees, bool orbit) {
    changed = true;
    if (std::isfinite(degrees)) {
        SwingAboutPivot(TurnRows(kRight, kUp, kBack, degrees), orbit);
    }
}

void Camera::Roll(float degrees) {
    changed = true;
    if (std::isfinite(degrees)) {
        TurnRows(kBack, kRight, kUp, degrees);
    }
}

void Camera::AimAtTarget() {
    const Vec3 n = (position - target).Normalized();
    // No direction (position on the target) or none that normalises (non-finite or overflowing
    // coordinates): keep the frame.
    if (!(std::fabs(n.Length() - 1.0f) < 1e-3f)) {
        return;
    }
    const Vec3 back = orientation.Row(kBack);
    const float cosine = Dot(back, n);
    // Rounding can push the cosine of nearly parallel unit vectors past 1.
    const float angle = std::acos(std::clamp(cosine, -1.0f, 1.0f));
    if (angle > -kMinAimAngle && angle < kMinAimAngle) {
        return;
    }
    const Vec3 axis = Cross(back, n);
    if (cosine < 0.0f && axis.Length() < kMinAxisLength) {
        // n is -back to within rounding: no axis exists and any across back would do; turning
        // about up keeps the camera upright. Up loses its tiny share along n and right
        // completes the frame.
        Orthonormalize(orientation.Row(kUp), n);
        return;
    }
    const Matrix3 m = Matrix3::Rotation(angle, axis.Normalized());
    Orthonormalize(orientation.Row(kUp) * m, n);
}

void Camera::GetViewMatrix(float out[16]) const {
    const Vec3 r = orientation.Row(kRight);
    const Vec3 u = orientation.Row(kUp);
    const Vec3 b = orientation.Row(kBack);
    // clang-format off
    const float view[16] = {r.x, u.x, b.x, 0,
                            r.y, u.y, b.y, 0,
                            r.z, u.z, b.z, 0,
                            -Dot(position, r), -Dot(position, u), -Dot(position, b), 1};
    // clang-format on
    std::copy(view, view + 16, out);
}

void Camera::UpdateFrustum() {
    if (!changed) {
        return;
    }
    changed = false;
    frustum.ExtractPlanes();
}

void Camera::UpdateFrustum(const float projection[16]) {
    if (!changed) {
        return;
    }
    changed = false;
    float view[16];
    GetViewMatrix(view);
    frustum.ExtractPlanes(projection, view);
}
