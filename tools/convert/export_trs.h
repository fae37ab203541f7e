// The game's transforms as glTF translation, rotation and scale.
#pragma once

#include <array>

#include "geometry/math.h"

struct Trs {
    std::array<double, 3> translation{};
    std::array<double, 4> rotation{0, 0, 0, 1};  // unit quaternion x, y, z, w
    std::array<double, 3> scale{1, 1, 1};
    // False when the transform has shear, which TRS cannot hold: the rotation is then the
    // closest one and the scales the best fit along its axes.
    bool exact = true;
};

// glTF applies scale, then rotation, then translation to column vectors; the game's row i is
// the image of axis i, so it is scale[i] times the rotation's image of axis i.
Trs DecomposeTransform(const Transform& m);

// The column-major 4x4 matrix of a TRS, as glTF lays out node matrices.
std::array<double, 16> TrsMatrix(const Trs& trs);
