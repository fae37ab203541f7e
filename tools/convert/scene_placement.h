// Where the model stands at the start: scaled and moved so that it is seen as the sample robot
// is, its feet on the robot's ground.
#pragma once

#include <cmath>

#include "tools/convert/affine.h"

struct Box {
    Vec3d low = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
    Vec3d high = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};

    void Add(const Vec3d& p);
    double Size(std::size_t i) const { return high[i] - low[i]; }
    Vec3d Foot() const { return {(low[0] + high[0]) / 2, low[1], (low[2] + high[2]) / 2}; }
};

// The sample robot's bind pose.
const Box& RobotBox();

// A uniform scale, then a move.
Affine Placement(double scale, const Vec3d& offset);

// Fits the rest pose to the robot: as tall, its feet's centre where the robot's are.
Affine FitPlacement(const Box& model);
