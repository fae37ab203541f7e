// Writes mesh files for our own use: the sample-content tool, tests and benchmarks. The input
// holds the file's values as the file stores them (colour bytes, unscaled shininess, v as in
// the file); indices are written as given, checked by nobody, so tests can make bad files.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "geometry/math.h"

struct MaterialSource {
    std::uint8_t diffuse[3] = {};
    float extra1 = 0;
    std::uint8_t specular[3] = {};
    float extra2 = 0;
    float shininess = 0;  // the file's value; the loader multiplies it by 128
    float further[6] = {};
};

struct TextureSource {
    std::string fileName;
    std::int16_t width = 0;
    std::int16_t height = 0;
};

struct LayerSource {
    std::int32_t textureIndex = -1;
    float values[3] = {};
    std::uint8_t flags[2] = {};
    float uv[4][2] = {};  // the file's (u, v) per corner
};

struct FaceSource {
    std::int32_t material = 0;
    std::int32_t vertex[4] = {};
    std::int32_t normal[4] = {};
    std::vector<LayerSource> layers;
};

// Nodes form a tree by parent index: -1 for the root and its siblings, otherwise an earlier
// node. Children keep their order in the list; the file gets them in pre-order.
struct NodeSource {
    std::string name;
    std::int32_t parent = -1;
    float points[9] = {};
    std::vector<std::int32_t> vertices;
};

struct MeshSource {
    std::vector<MaterialSource> materials;
    std::vector<TextureSource> textures;
    std::vector<Vec3> vertices;
    std::vector<Vec3> normals;
    std::vector<FaceSource> faces;
    std::vector<NodeSource> nodes;

    // Appends a node and returns its index, for building trees in order.
    std::int32_t AddNode(std::string name, std::int32_t parent) {
        nodes.push_back({std::move(name), parent, {}, {}});
        return static_cast<std::int32_t>(nodes.size() - 1);
    }
};

// The file image, or nullopt when a node's parent is not -1 or an earlier node.
std::optional<std::string> MeshFileBytes(const MeshSource& source);

// Faces made one at a time, for meshes with too many to give each a FaceSource and a vector
// of layers of its own: `make(i, face)` fills face i into a face whose layers are empty (their
// room is reused from face to face). The file's room is reserved for one layer a face.
struct FaceMaker {
    std::size_t count = 0;
    std::function<void(std::size_t, FaceSource&)> make;
};

// As above, with the faces `faces` makes instead of source.faces.
std::optional<std::string> MeshFileBytes(const MeshSource& source, const FaceMaker& faces);

// Writes the file atomically; false when the source is malformed or the file cannot be written.
bool WriteMeshFile(const std::string& path, const MeshSource& source);
