// Gun82, the robot's gun: a prop in its own coordinates, the grip's top at the origin, the
// barrel along +z and the top along +y, so that the robot's "Gun" mount makes it point forward.
// Each node is one convex part; the prop is never posed, the nodes only name its parts.
#pragma once

#include "assets/mesh_writer.h"

MeshSource BuildGunMesh();
