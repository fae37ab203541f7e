// Vectors, rotation matrices and rigid transforms.
//
// Conventions used everywhere in the program:
//  - vectors are rows, multiplied on the left: p' = p * R + t;
//  - row i of a rotation is the image of the i-th coordinate axis;
//  - Compose(A, B) applies A first, then B;
//  - angles are radians; degrees are converted with DegToRad (the literal 0.0174533,
//    which the controls' feel was tuned with, not the exact pi/180).
#pragma once

#include <cmath>

constexpr float DegToRad = 0.0174533f;
constexpr float RadToDeg = 57.2958f;

struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    static const Vec3 Zero;
    static const Vec3 UnitX;
    static const Vec3 UnitY;
    static const Vec3 UnitZ;

    constexpr Vec3() = default;
    constexpr Vec3(float ax, float ay, float az) : x(ax), y(ay), z(az) {}

    Vec3& Set(float ax, float ay, float az) {
        x = ax;
        y = ay;
        z = az;
        return *this;
    }

    float Length() const { return std::sqrt(x * x + y * y + z * z); }

    // A zero vector becomes non-finite; no caller normalises one on purpose.
    void Normalize() {
        const float inv = 1.0f / Length();
        x *= inv;
        y *= inv;
        z *= inv;
    }

    Vec3 Normalized() const {
        const float inv = 1.0f / Length();
        return {x * inv, y * inv, z * inv};
    }

    Vec3& operator+=(const Vec3& b) {
        x += b.x;
        y += b.y;
        z += b.z;
        return *this;
    }

    friend constexpr bool operator==(const Vec3&, const Vec3&) = default;
};

inline constexpr Vec3 Vec3::Zero{0.0f, 0.0f, 0.0f};
inline constexpr Vec3 Vec3::UnitX{1.0f, 0.0f, 0.0f};
inline constexpr Vec3 Vec3::UnitY{0.0f, 1.0f, 0.0f};
inline constexpr Vec3 Vec3::UnitZ{0.0f, 0.0f, 1.0f};

constexpr Vec3 operator+(const Vec3& a, const Vec3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
constexpr Vec3 operator-(const Vec3& a, const Vec3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
constexpr Vec3 operator*(const Vec3& v, float s) {
    return {s * v.x, s * v.y, s * v.z};
}
constexpr Vec3 operator*(float s, const Vec3& v) {
    return v * s;
}

constexpr float Dot(const Vec3& a, const Vec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

constexpr Vec3 Cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

struct Matrix3 {
    float m[9] = {};  // three rows of three

    static const Matrix3 Identity;

    static constexpr Matrix3 FromRows(const Vec3& r0, const Vec3& r1, const Vec3& r2) {
        return Matrix3{{r0.x, r0.y, r0.z, r1.x, r1.y, r1.z, r2.x, r2.y, r2.z}};
    }

    // Right-handed rotation by angle (radians) about axis, which is used as given.
    // An angle of exactly 0 gives the identity without evaluating sine and cosine.
    static Matrix3 Rotation(float angle, const Vec3& axis) {
        if (angle == 0.0f) {
            return Identity;
        }
        const float c = std::cos(angle);
        const float s = std::sin(angle);
        const float k = 1.0f - c;
        const float x = axis.x, y = axis.y, z = axis.z;
        return Matrix3{{c + k * x * x, k * x * y + s * z, k * x * z - s * y,  //
                        k * x * y - s * z, c + k * y * y, k * y * z + s * x,  //
                        k * x * z + s * y, k * y * z - s * x, c + k * z * z}};
    }

    constexpr Vec3 Row(int i) const { return {m[3 * i], m[3 * i + 1], m[3 * i + 2]}; }

    friend constexpr bool operator==(const Matrix3&, const Matrix3&) = default;
};

inline constexpr Matrix3 Matrix3::Identity{{1, 0, 0, 0, 1, 0, 0, 0, 1}};

// Row vector times matrix.
constexpr Vec3 operator*(const Vec3& v, const Matrix3& r) {
    const float* m = r.m;
    return {v.x * m[0] + v.y * m[3] + v.z * m[6], v.x * m[1] + v.y * m[4] + v.z * m[7],
            v.x * m[2] + v.y * m[5] + v.z * m[8]};
}

struct Transform {
    Matrix3 r;  // rotation rows
    Vec3 t;     // translation row

    static const Transform Identity;

    static Transform Rotation(float angle, const Vec3& axis) {
        return {Matrix3::Rotation(angle, axis), Vec3::Zero};
    }

    friend constexpr bool operator==(const Transform&, const Transform&) = default;
};

inline constexpr Transform Transform::Identity{Matrix3::Identity, Vec3::Zero};

// A then B. Both operands are read completely before the result exists, so
// `a = Compose(a, b)` is safe.
constexpr Transform Compose(const Transform& a, const Transform& b) {
    Transform out;
    const float* A = a.r.m;
    const float* B = b.r.m;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            out.r.m[3 * i + j] =
                A[3 * i] * B[j] + A[3 * i + 1] * B[3 + j] + A[3 * i + 2] * B[6 + j];
        }
    }
    out.t = a.t * b.r + b.t;
    return out;
}

constexpr Vec3 TransformPoint(const Vec3& p, const Transform& m) {
    return p * m.r + m.t;
}
constexpr Vec3 TransformDirection(const Vec3& d, const Transform& m) {
    return d * m.r;
}

// The 16 floats for glMultMatrixf: rotation rows then translation, each padded.
// OpenGL's column-major reading makes this the same mapping, so nothing is transposed.
inline void ToGLMatrix(const Transform& m, float out[16]) {
    const float* r = m.r.m;
    const float gl[16] = {r[0], r[1], r[2], 0, r[3],  r[4],  r[5],  0,
                          r[6], r[7], r[8], 0, m.t.x, m.t.y, m.t.z, 1};
    for (int i = 0; i < 16; ++i) {
        out[i] = gl[i];
    }
}
