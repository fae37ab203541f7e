// The converter's in-memory scene: what every model reader fills (glTF through tinygltf, the
// other formats through the asset import library) and what one writer turns into the game's
// files. It is in glTF's conventions whatever the file's own: column vectors (p' = A p + t),
// +Y up, the front along +Z, metres, seconds, rotations as unit quaternions (x, y, z, w), and
// texture coordinates with v = 0 at the image's top row.
//
// A scene that comes from outside the process (the asset import library's reader runs in a
// child) is untrusted until CheckScene has passed it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/convert/affine.h"

// A node's local transform as glTF's parts; animation channels replace single parts.
struct NodeParts {
    bool matrix = false;  // a node given by a matrix is not animated
    Affine fixed;
    Vec3d translation = {0, 0, 0};
    std::array<double, 4> rotation = {0, 0, 0, 1};  // x, y, z, w
    Vec3d scale = {1, 1, 1};

    Affine Local() const;
};

struct SceneNode {
    std::string name;  // as the file has it (may be empty, may repeat)
    int parent = -1;   // an earlier node, -1 for a root
    NodeParts rest;
    // Attachment points our own export carries (nine coordinates in model space at rest).
    std::optional<std::array<double, 9>> attachmentPoints;
};

// The joints of a skin and each joint's inverse bind matrix.
struct SceneSkin {
    std::vector<int> joints;           // node indices
    std::vector<Affine> inverseBinds;  // one per joint
};

inline constexpr std::size_t kMaxInfluences = 4;

// A vertex's share of one joint: `joint` indexes its mesh's skin's joint list.
struct SceneInfluence {
    int joint = 0;
    double weight = 0;  // 0 for an unused slot
};

// One triangle list with one material. Positions and normals are in the mesh's own space: a
// rigid mesh moves with `node`; a skinned one (skin >= 0) is placed by its joints alone, by
// linear blend skinning, and `node` is not used for it (glTF's rule).
struct SceneMesh {
    int node = -1;
    int skin = -1;
    int material = -1;  // -1: the default material (white, matte)
    std::vector<Vec3d> positions;
    std::vector<Vec3d> normals;              // empty: flat normals are made from the faces
    std::vector<std::array<double, 2>> uvs;  // empty, or one per position
    std::vector<std::array<SceneInfluence, kMaxInfluences>> influences;  // skinned: per position
    std::vector<std::array<std::uint32_t, 3>> triangles;
};

// The game draws with fixed-function Phong colours; readers turn their file's materials into
// these. A texture replaces the diffuse colour, with `textureFactor` multiplied into its texels.
struct SceneMaterial {
    std::string name;
    Vec3d diffuse = {1, 1, 1};
    Vec3d specular = {0, 0, 0};
    double shininess = 0;  // 0..1; the game multiplies it by 128
    int image = -1;        // -1: untextured
    Vec3d textureFactor = {1, 1, 1};
};

// A decoded image: 8-bit RGB, rows top first.
struct SceneImage {
    std::string name;  // a stem for its file name ("plate" for "plate.png"); may be empty
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

enum class ScenePath { kTranslation, kRotation, kScale };
enum class SceneInterpolation { kStep, kLinear, kCubic };

// One part of one node over time. Per key `values` holds one value (3 numbers, or 4 for a
// rotation), or for kCubic an in-tangent, the value and an out-tangent.
struct SceneChannel {
    int node = -1;
    ScenePath path = ScenePath::kTranslation;
    SceneInterpolation mode = SceneInterpolation::kLinear;
    std::vector<double> times;  // seconds, ascending
    std::vector<double> values;
};

struct SceneAnimation {
    std::string name;
    std::vector<SceneChannel> channels;
};

struct Scene {
    std::vector<SceneNode> nodes;  // in pre-order: parents before children, siblings in order
    std::vector<SceneMesh> meshes;
    std::vector<SceneSkin> skins;
    std::vector<SceneMaterial> materials;
    std::vector<SceneImage> images;
    std::vector<SceneAnimation> animations;
    std::vector<std::string> notes;    // what the reader skipped or changed, one line each
    std::vector<std::string> sources;  // every file the reader read, the model first
};
