// The scene's triangles in the rest pose, in model space: every vertex with its position,
// normal and the one node that moves it (a skinned vertex: its heaviest joint, with its skin
// and influences kept for blending).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/convert/scene.h"

// Kept small: a large model has hundreds of thousands of these, and what a conversion holds at
// once decides how much fresh memory it touches.
struct RestVertex {
    Vec3d position;
    Vec3 normal;  // unit; the mesh file keeps it in single precision
    int node;     // the scene node whose motion it follows
    // A skinned vertex's skin and where it comes from, for its influences and its position in
    // its mesh's own space (unskinned): vertex `vertex` of scene mesh `mesh`.
    int skin = -1;
    int mesh = -1;
    std::uint32_t vertex = 0;
};

struct RestTriangle {
    int material = -1;  // scene material index, -1 for the default material
    int corners[3] = {};
    bool textured = false;
    float uv[3][2] = {};  // v = 0 at the image's top; the mesh file keeps single precision
};

struct RestMesh {
    std::vector<RestVertex> vertices;
    std::vector<RestTriangle> triangles;
    std::vector<int> materials;  // the triangles' materials in order of first use
};

// `restWorlds`: every node's world transform at rest. A vertex is shared by the triangles that
// use it when its mesh has normals; without them each corner gets its face's normal. False with
// one line past the vertex or triangle limit, or when the scene has no triangles.
bool BuildRestMesh(const Scene& scene, const std::vector<Affine>& restWorlds, RestMesh& out,
                   std::string& error);
