// glTF's transforms in double precision and glTF's convention (column vectors: p' = A p + t),
// turned into the game's row-vector Transform only at the end.
#pragma once

#include <array>
#include <cmath>

#include "geometry/math.h"

using Vec3d = std::array<double, 3>;

struct Affine {
    double a[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};  // a[row][column]
    Vec3d t = {0, 0, 0};

    Vec3d Point(const Vec3d& p) const {
        Vec3d out;
        for (int i = 0; i < 3; ++i)
            out[i] = a[i][0] * p[0] + a[i][1] * p[1] + a[i][2] * p[2] + t[i];
        return out;
    }
    Vec3d Direction(const Vec3d& d) const {
        Vec3d out;
        for (int i = 0; i < 3; ++i)
            out[i] = a[i][0] * d[0] + a[i][1] * d[1] + a[i][2] * d[2];
        return out;
    }
    double Determinant() const {
        return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
               a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
               a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    }
    // The cofactor matrix applied to a direction: how normals turn (up to a positive factor
    // when the determinant is positive), defined even for a singular matrix.
    Vec3d Normal(const Vec3d& n) const;
};

// Affine::Normal with the cofactors made once, for turning many normals by one matrix.
struct NormalTurn {
    double c[3][3];
    double sign;

    explicit NormalTurn(const Affine& m) {
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                const int i1 = (i + 1) % 3, i2 = (i + 2) % 3, j1 = (j + 1) % 3, j2 = (j + 2) % 3;
                c[i][j] = m.a[i1][j1] * m.a[i2][j2] - m.a[i1][j2] * m.a[i2][j1];
            }
        }
        sign = m.Determinant() < 0 ? -1.0 : 1.0;
    }
    Vec3d operator()(const Vec3d& n) const {
        Vec3d out;
        for (int i = 0; i < 3; ++i)
            out[i] = sign * (c[i][0] * n[0] + c[i][1] * n[1] + c[i][2] * n[2]);
        return out;
    }
};

inline Vec3d Affine::Normal(const Vec3d& n) const {
    return NormalTurn(*this)(n);
}

// `second` after `first`: (second * first) p = second(first(p)).
inline Affine operator*(const Affine& second, const Affine& first) {
    Affine out;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            out.a[i][j] = second.a[i][0] * first.a[0][j] + second.a[i][1] * first.a[1][j] +
                          second.a[i][2] * first.a[2][j];
        }
    }
    out.t = second.Point(first.t);
    return out;
}

// False when the matrix is singular (or nearly so for its size) or not finite.
inline bool Invert(const Affine& m, Affine& out) {
    const double det = m.Determinant();
    double norm = 0;
    for (const auto& row : m.a)
        for (double v : row)
            norm = std::max(norm, std::abs(v));
    if (!std::isfinite(det) || norm == 0 || std::abs(det) <= 1e-12 * norm * norm * norm)
        return false;
    const auto& a = m.a;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            const int i1 = (j + 1) % 3, i2 = (j + 2) % 3, j1 = (i + 1) % 3, j2 = (i + 2) % 3;
            out.a[i][j] = (a[i1][j1] * a[i2][j2] - a[i1][j2] * a[i2][j1]) / det;
        }
    }
    const Vec3d t = out.Direction(m.t);
    out.t = {-t[0], -t[1], -t[2]};
    return true;
}

// The game's transform doing what `m` does: its rotation row i is the image of axis i.
inline Transform ToTransform(const Affine& m) {
    Transform out;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            out.r.m[3 * i + j] = static_cast<float>(m.a[j][i]);
    }
    out.t = {static_cast<float>(m.t[0]), static_cast<float>(m.t[1]), static_cast<float>(m.t[2])};
    return out;
}
