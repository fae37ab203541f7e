// The scene's triangles in the rest pose, in model space: every vertex with its position,
// normal and the one node that moves it (a skinned vertex: its heaviest joint, with its skin
// and influences kept for blending).
#pragma once

#include <array>
#include <string>
#include <vector>

#include "tools/convert/scene.h"

struct RestVertex {
    Vec3d position;
    Vec3d normal;
    int node;  // the scene node whose motion it follows
    int skin = -1;
    std::array<SceneInfluence, kMaxInfluences> influences{};  // a skinned vertex's, as given
    Vec3d meshPosition = {0, 0, 0};  // a skinned vertex's, in its mesh's space (unskinned)
};

struct RestTriangle {
    int material = -1;  // scene material index, -1 for the default material
    int corners[3] = {};
    bool textured = false;
    double uv[3][2] = {};  // v = 0 at the image's top
};

struct RestMesh {
    std::vector<RestVertex> vertices;
    std::vector<RestTriangle> triangles;
};

// `restWorlds`: every node's world transform at rest. A vertex is shared by the triangles that
// use it when its mesh has normals; without them each corner gets its face's normal. False with
// one line past the vertex or triangle limit, or when the scene has no triangles.
bool BuildRestMesh(const Scene& scene, const std::vector<Affine>& restWorlds, RestMesh& out,
                   std::string& error);
