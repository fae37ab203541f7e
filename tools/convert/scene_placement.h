// Where the model stands at the start: scaled and moved so that it is seen as the sample robot
// is, its feet on the robot's ground.
#pragma once

#include <cmath>

#include <vector>

#include "tools/convert/affine.h"
#include "tools/convert/scene.h"
#include "tools/convert/scene_rest_mesh.h"

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

// The bounds `rest` covers over the frames of `animation` (sampled as the writer samples it):
// each node's vertices as their box at rest, moved as the node moves. `rest` itself when the
// animation has more frames and nodes than any model may have keys.
Box AnimatedBounds(const Scene& scene, const RestMesh& rest, const std::vector<Affine>& restWorlds,
                   const SceneAnimation& animation);

// Fits what the model covers (`seen`: its rest pose, or its first animation's frames) to the
// robot: its largest extent as the robot's height, so that a long or wide model is wholly in
// view as well as a tall one, centred on the robot's feet, with the rest pose's lowest point
// on the robot's ground.
Affine FitPlacement(const Box& rest, const Box& seen);
