// The triangles of the default scene in the rest pose, in glTF's world space: every vertex with
// its position, normal and the one node that moves it (a skinned vertex: its heaviest joint).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <tiny_gltf.h>

#include "tools/convert/import_scene.h"

// Far beyond what the game draws at speed, and small enough that no file makes us allocate
// without bound (a mesh used by many nodes multiplies its vertices).
inline constexpr std::size_t kMaxVertices = std::size_t{1} << 22;
inline constexpr std::size_t kMaxTriangles = std::size_t{1} << 22;

struct RestVertex {
    Vec3d position;
    Vec3d normal;
    int node;  // the glTF node whose motion it follows
};

struct RestTriangle {
    int material;  // glTF material index, -1 for glTF's default material
    int corners[3];
    bool textured;
    double uv[3][2];  // glTF's (u, v): v = 0 at the image's top
};

struct RestGeometry {
    std::vector<RestVertex> vertices;
    std::vector<RestTriangle> triangles;
};

// Reads every triangle primitive (lists, strips, fans) of the nodes in `sceneNodes`.
// `restWorlds`: every node's world transform at rest. `notes` gets what is skipped.
bool ReadGeometry(const tinygltf::Model& model, const std::vector<int>& sceneNodes,
                  const std::vector<Affine>& restWorlds, RestGeometry& out,
                  std::vector<std::string>& notes, std::string& error);

// The TEXCOORD set of material `material`'s base colour texture, or -1 when it has none that
// holds a decoded image. False with one line when an index is out of range.
bool BaseColorTexCoord(const tinygltf::Model& model, int material, int& texCoord,
                       std::string& error);
