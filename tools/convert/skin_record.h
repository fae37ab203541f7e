// The skin record: what the converter leaves beside an imported mesh so that the export can
// write the model's original glTF skin again. The game never opens it (it reads only the files
// its descriptors name and the caches it derives from them, ".prs" and ".kdt"), so folders with
// and without it play alike.
//
// The game poses every vertex with one node. A vertex blended over several joints is therefore
// owned by a node of its own (a "set node") whose keyframes are the blended matrix, sheared in
// general. The record lists, in placed space (the game's model space, glTF's conventions):
//   - the joints: per joint its game node's name and X = S J(rest) IBM S^-1, S the placement,
//     J(rest) the joint's glTF world transform at rest, IBM its inverse bind matrix (X is the
//     identity when the rest pose is the bind pose);
//   - the set nodes, which the export leaves out;
//   - per mesh vertex its influences (joint slot, weight), the weights its set node blends
//     with; none for a vertex that stays rigid on one node.
// With M_i(t) the game's composed transform of joint i, a vertex at rest position p with
// weights w is then at sum_i w_i M_i(t) X_i (sum_i w_i X_i)^-1 p: its set node's pose.
//
// File layout, little-endian:
//   "VSKN", u16 version (1), u16 joint count J (1 or more),
//   J x { name (NUL-terminated, 1 to 127 characters, none a control character),
//         12 f32: X's columns, then translation },
//   u16 set-node count K, K x name,
//   i32 vertex count V (the mesh's),
//   V x { u8 influence count n (0 to 4), n x { u16 joint slot, f32 weight } }.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tools/convert/affine.h"
#include "tools/convert/scene.h"

struct SkinInfluence {
    std::uint16_t joint = 0;  // a slot of SkinRecord::joints
    float weight = 0;         // 0 for an unused slot
};

struct SkinJoint {
    std::string node;  // the game node's name
    Affine bind;       // X, see above
};

struct SkinRecord {
    std::vector<SkinJoint> joints;
    std::vector<std::string> setNodes;
    // Per mesh vertex; all weights 0 for a vertex that stays rigid on one node.
    std::vector<std::array<SkinInfluence, kMaxInfluences>> influences;
};

// The vertex's weights scaled to sum to 1 in floats, as glTF holds them; all 0 for a rigid
// vertex.
std::array<float, kMaxInfluences> NormalisedWeights(
    const std::array<SkinInfluence, kMaxInfluences>& influences);

// sum_i w_i X_i over the vertex's normalised weights: where its bind space sits in placed space.
Affine BlendedBind(const std::array<SkinInfluence, kMaxInfluences>& influences,
                   std::span<const SkinJoint> joints);

// The record's file name for a mesh file name: "model.ply" -> "model.skin".
std::string SkinRecordName(const std::string& meshFileName);

// The largest file a valid record of a mesh with this many vertices and nodes can be, so that
// a reader knows what to refuse before reading it.
std::size_t MaxSkinRecordSize(std::size_t vertexCount, std::size_t nodeCount);

std::string EncodeSkinRecord(const SkinRecord& record);

// Reads untrusted bytes for a mesh of `vertexCount` vertices whose nodes are named `nodeNames`
// (in pre-order). True when every count fits the mesh, every name is one node's alone, joints
// and set nodes are distinct and apart, every number is finite, weights are positive with
// distinct joint slots, and every joint's X and every vertex's blended X (sum_i w_i X_i) can be
// inverted. False with
// one line in `error` otherwise, `out` then unspecified.
bool DecodeSkinRecord(std::span<const unsigned char> bytes, std::size_t vertexCount,
                      const std::vector<std::string>& nodeNames, SkinRecord& out,
                      std::string& error);
