#include "tools/convert/export_trs.h"

#include <cmath>

namespace {

using Rows = std::array<std::array<double, 3>, 3>;

double Dot(const std::array<double, 3>& a, const std::array<double, 3>& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

std::array<double, 3> Cross(const std::array<double, 3>& a, const std::array<double, 3>& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

double Determinant(const Rows& m) {
    return Dot(m[0], Cross(m[1], m[2]));
}

bool Normalize(std::array<double, 3>& v) {
    const double length = std::sqrt(Dot(v, v));
    if (!(length > 1e-30))
        return false;
    for (double& x : v)
        x /= length;
    return true;
}

// Rows made orthonormal in order, missing directions completed from the others: for a
// transform that flattens space, which has no closest rotation of its own.
Rows GramSchmidt(Rows m) {
    static const Rows kAxes = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    for (int i = 0; i < 3; ++i) {
        for (int attempt = 0; attempt <= 3; ++attempt) {
            if (attempt > 0)
                m[i] = kAxes[attempt - 1];
            for (int j = 0; j < i; ++j) {
                const double d = Dot(m[i], m[j]);
                for (int k = 0; k < 3; ++k)
                    m[i][k] -= d * m[j][k];
            }
            if (Normalize(m[i]))
                break;
        }
    }
    if (Determinant(m) < 0)
        m[2] = Cross(m[0], m[1]);
    return m;
}

// The orthogonal factor of the polar decomposition (the closest orthogonal matrix), by Newton's
// iteration X <- (X + X^-T) / 2, which keeps the sign of the determinant.
Rows ClosestOrthogonal(Rows x) {
    for (int iteration = 0; iteration < 50; ++iteration) {
        const double det = Determinant(x);
        if (!(std::fabs(det) > 1e-12))
            return GramSchmidt(x);
        // X^-T: the cofactor matrix over the determinant.
        const Rows inverseTransposed = {Cross(x[1], x[2]), Cross(x[2], x[0]), Cross(x[0], x[1])};
        double change = 0;
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                const double next = 0.5 * (x[i][j] + inverseTransposed[i][j] / det);
                change = std::fmax(change, std::fabs(next - x[i][j]));
                x[i][j] = next;
            }
        }
        if (change < 1e-15)
            break;
    }
    return x;
}

// Rows q of a rotation (q[i] the image of axis i) to a quaternion. glTF's rotation matrix has
// these rows as its columns: element (r, c) is q[c][r].
std::array<double, 4> Quaternion(const Rows& q) {
    auto m = [&q](int r, int c) { return q[c][r]; };
    std::array<double, 4> out;  // x, y, z, w
    const double trace = m(0, 0) + m(1, 1) + m(2, 2);
    if (trace > 0) {
        const double s = 2 * std::sqrt(trace + 1);
        out = {(m(2, 1) - m(1, 2)) / s, (m(0, 2) - m(2, 0)) / s, (m(1, 0) - m(0, 1)) / s, s / 4};
    } else if (m(0, 0) > m(1, 1) && m(0, 0) > m(2, 2)) {
        const double s = 2 * std::sqrt(1 + m(0, 0) - m(1, 1) - m(2, 2));
        out = {s / 4, (m(0, 1) + m(1, 0)) / s, (m(0, 2) + m(2, 0)) / s, (m(2, 1) - m(1, 2)) / s};
    } else if (m(1, 1) > m(2, 2)) {
        const double s = 2 * std::sqrt(1 + m(1, 1) - m(0, 0) - m(2, 2));
        out = {(m(0, 1) + m(1, 0)) / s, s / 4, (m(1, 2) + m(2, 1)) / s, (m(0, 2) - m(2, 0)) / s};
    } else {
        const double s = 2 * std::sqrt(1 + m(2, 2) - m(0, 0) - m(1, 1));
        out = {(m(0, 2) + m(2, 0)) / s, (m(1, 2) + m(2, 1)) / s, s / 4, (m(1, 0) - m(0, 1)) / s};
    }
    const double length =
        std::sqrt(out[0] * out[0] + out[1] * out[1] + out[2] * out[2] + out[3] * out[3]);
    for (double& x : out)
        x /= length;
    return out;
}

// The float keyframes of our content are orthonormal to about 1e-7; shear shows far above.
constexpr double kShearTolerance = 1e-5;

}  // namespace

Trs DecomposeTransform(const Transform& m) {
    Trs trs;
    trs.translation = {m.t.x, m.t.y, m.t.z};
    Rows r;
    for (int i = 0; i < 3; ++i)
        r[i] = {m.r.m[3 * i], m.r.m[3 * i + 1], m.r.m[3 * i + 2]};

    Rows q = r;
    double largest = 0;
    for (int i = 0; i < 3; ++i) {
        trs.scale[i] = std::sqrt(Dot(r[i], r[i]));
        largest = std::fmax(largest, trs.scale[i]);
        if (trs.scale[i] > 0)
            for (double& x : q[i])
                x /= trs.scale[i];
    }
    // A mirror image: one negative scale, so that the rotation keeps determinant +1.
    if (Determinant(q) < 0) {
        trs.scale[0] = -trs.scale[0];
        for (double& x : q[0])
            x = -x;
    }
    double skew = 0;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            skew = std::fmax(skew, std::fabs(Dot(q[i], q[j]) - (i == j ? 1 : 0)));
    }
    if (!(skew <= kShearTolerance)) {
        // Shear, or an axis flattened to nothing: the closest rotation, and per axis the scale
        // that fits the row best along it.
        q = Determinant(q) > 0 ? ClosestOrthogonal(q) : GramSchmidt(q);
        for (int i = 0; i < 3; ++i)
            trs.scale[i] = Dot(r[i], q[i]);
        double residual = 0;
        for (int i = 0; i < 3; ++i)
            for (int k = 0; k < 3; ++k)
                residual = std::fmax(residual, std::fabs(r[i][k] - trs.scale[i] * q[i][k]));
        trs.exact = residual <= kShearTolerance * std::fmax(largest, 1.0);
    }
    trs.rotation = Quaternion(q);
    return trs;
}

std::array<double, 16> TrsMatrix(const Trs& trs) {
    const auto [x, y, z, w] = trs.rotation;
    // Columns of the rotation: the images of the three axes.
    const double rotation[3][3] = {
        {1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w)},
        {2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w)},
        {2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y)},
    };
    std::array<double, 16> out{};
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r)
            out[4 * c + r] = rotation[c][r] * trs.scale[c];
    for (int r = 0; r < 3; ++r)
        out[12 + r] = trs.translation[r];
    out[15] = 1;
    return out;
}
