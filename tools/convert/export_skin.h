// The original glTF skin of an imported model, recovered from the skin record beside its mesh
// (tools/convert/skin_record.h): the joints with their inverse bind matrices and every blended
// vertex's weights, instead of the set nodes that pose blended vertices in the game.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "assets/mesh.h"
#include "tools/convert/skin_record.h"

// Reads the record of the mesh file `meshFileName` in `folder` when there is one (`out` stays
// empty when there is none). False, with one line naming the record, when it cannot be read,
// is malformed, or does not fit the mesh: a set node with children, a vertex that a set node
// moves without influences, or influences on a vertex that a kept node moves.
bool ReadSkinRecord(const std::string& folder, const std::string& meshFileName, const Mesh& mesh,
                    std::optional<SkinRecord>& out, std::string& error);

// The glTF node of every mesh node, in pre-order: -1 for the record's set nodes, which are left
// out; glTF node i is mesh node i without a record.
std::vector<int> GltfNodes(const Mesh& mesh, const SkinRecord* record);

// A vertex bound to the joints of the record: blended, or rigid on one of them.
struct BlendedVertex {
    bool blended = false;                                // false: left as it was
    std::array<std::uint16_t, kMaxInfluences> joints{};  // glTF nodes: the skin's joints
    std::array<float, kMaxInfluences> weights{};         // sum to 1
    Affine unbind;  // rest position to bind space: (sum_i w_i X_i)^-1
};

// Per mesh vertex, from a record that ReadSkinRecord accepted; vertices on nodes that are no
// joint of the record are left as they were.
std::vector<BlendedVertex> BlendedVertices(const Mesh& mesh, const SkinRecord& record,
                                           const std::vector<int>& gltfNodes);

// The skin's inverse bind matrices, column-major 4 x 4: X_i for the record's joints, the
// identity for the other `jointCount` joints.
std::vector<float> InverseBindMatrices(const Mesh& mesh, const SkinRecord& record,
                                       const std::vector<int>& gltfNodes, std::size_t jointCount);
