// Kordax, the sample robot: a humanoid machine of boxes, about 200 units tall, standing at the
// origin and facing +z (towards the camera), so its right side is at negative x.
//
// Every node is one convex part, its vertices stored where they are in the bind pose. A joint
// turns about its pivot, a bind-pose point; the animations rotate nodes about these pivots.
// The node "Gun" owns no vertices: its points mount the gun in the right hand, the gun's own
// z axis (its barrel) pointing forward along +z and its y axis (its top) up along +y.
#pragma once

#include <array>
#include <cstdint>

#include "assets/mesh_writer.h"
#include "geometry/math.h"

enum RobotNode : std::int32_t {
    kPelvis,
    kTorso,
    kChest,
    kNeck,
    kHead,
    kVisor,
    kAntenna,
    kUpperArmR,
    kForearmR,
    kHandR,
    kGun,
    kUpperArmL,
    kForearmL,
    kHandL,
    kThighR,
    kShinR,
    kFootR,
    kThighL,
    kShinL,
    kFootL,
    kRobotNodeCount,
};

struct RobotPart {
    const char* name;
    std::int32_t parent;  // a RobotNode, or -1 for the root
    Vec3 pivot;           // the joint it turns about, in the bind pose
};

// Indexed by RobotNode; parents come before their children.
const std::array<RobotPart, kRobotNodeCount>& RobotParts();

// Where the gun's grip sits in the right hand: the origin of the "Gun" node's points.
inline constexpr Vec3 kGunGripPoint{-34.0f, -22.0f, 0.0f};

// The robot's mesh; every quad cut into subdivisions x subdivisions (1 for the game).
MeshSource BuildRobotMesh(int subdivisions);
