#include "tools/convert/export_skin.h"

#include <filesystem>
#include <fstream>
#include <map>

namespace {

// The mesh node of each name: the first in pre-order, as the game finds nodes.
std::vector<int> NodeIndices(const Mesh& mesh, const std::vector<std::string>& names) {
    std::map<std::string, int> first;
    for (std::size_t i = 0; i < mesh.nodes.size(); ++i)
        first.emplace(mesh.nodes[i]->name, static_cast<int>(i));
    std::vector<int> out;
    for (const std::string& name : names)
        out.push_back(first.at(name));
    return out;
}

std::vector<std::string> JointNames(const SkinRecord& record) {
    std::vector<std::string> names;
    for (const SkinJoint& joint : record.joints)
        names.push_back(joint.node);
    return names;
}

bool Blended(const std::array<SkinInfluence, kMaxInfluences>& influences) {
    for (const SkinInfluence& influence : influences) {
        if (influence.weight != 0)
            return true;
    }
    return false;
}

// The node whose pose the game leaves on each vertex: the last in pre-order that lists it, or -1.
std::vector<int> Owners(const Mesh& mesh) {
    std::vector<int> owner(mesh.vertices.size(), -1);
    for (std::size_t n = 0; n < mesh.nodes.size(); ++n) {
        for (const std::int32_t v : mesh.nodes[n]->vertices)
            owner[static_cast<std::size_t>(v)] = static_cast<int>(n);
    }
    return owner;
}

// A set node's
// vertices need influences to be moved by joints, a kept node's must have none to stay where
// the game puts them, and leaving out a set node must not drop a subtree.
bool FitsMesh(const Mesh& mesh, const SkinRecord& record, std::string& error) {
    std::vector<bool> setNode(mesh.nodes.size(), false);
    for (const int n : NodeIndices(mesh, record.setNodes)) {
        const MeshNode& node = *mesh.nodes[static_cast<std::size_t>(n)];
        if (node.firstChild != nullptr) {
            error = std::string("set node \"") + node.name + "\" has children";
            return false;
        }
        setNode[static_cast<std::size_t>(n)] = true;
    }
    const std::vector<int> owner = Owners(mesh);
    for (std::size_t v = 0; v < owner.size(); ++v) {
        const bool blended = Blended(record.influences[v]);
        const bool bySetNode = owner[v] >= 0 && setNode[static_cast<std::size_t>(owner[v])];
        if (blended == bySetNode)
            continue;
        const std::string mover =
            owner[v] < 0 ? std::string("no node")
                         : std::string("node \"") +
                               mesh.nodes[static_cast<std::size_t>(owner[v])]->name + "\"";
        error = "vertex " + std::to_string(v) +
                (blended ? " has influences but " + mover + " moves it, not a set node"
                         : " has no influences but set " + mover + " moves it");
        return false;
    }
    return true;
}

}  // namespace

bool ReadSkinRecord(const std::string& folder, const std::string& meshFileName, const Mesh& mesh,
                    std::optional<SkinRecord>& out, std::string& error) {
    out.reset();
    const std::filesystem::path path = std::filesystem::path(folder) / SkinRecordName(meshFileName);
    std::error_code code;
    if (!std::filesystem::exists(path, code))
        return true;
    const std::string name = path.string();
    const std::uintmax_t size = std::filesystem::file_size(path, code);
    if (code) {
        error = name + ": cannot be read";
        return false;
    }
    if (size > MaxSkinRecordSize(mesh.vertices.size(), mesh.nodes.size())) {
        error = name + ": " + std::to_string(size) + " bytes, more than a skin record of " +
                std::to_string(mesh.vertices.size()) + " vertices and " +
                std::to_string(mesh.nodes.size()) + " nodes can hold";
        return false;
    }
    std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
    std::ifstream in(path, std::ios::binary);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size)) ||
        in.peek() != std::char_traits<char>::eof()) {
        error = name + ": cannot be read";
        return false;
    }
    std::vector<std::string> nodeNames;
    for (const auto& node : mesh.nodes)
        nodeNames.emplace_back(node->name);
    SkinRecord record;
    std::string detail;
    if (!DecodeSkinRecord(bytes, mesh.vertices.size(), nodeNames, record, detail) ||
        !FitsMesh(mesh, record, detail)) {
        error = name + ": " + detail;
        return false;
    }
    out = std::move(record);
    return true;
}

std::vector<int> GltfNodes(const Mesh& mesh, const SkinRecord* record) {
    std::vector<bool> leftOut(mesh.nodes.size(), false);
    if (record != nullptr) {
        for (const int n : NodeIndices(mesh, record->setNodes))
            leftOut[static_cast<std::size_t>(n)] = true;
    }
    std::vector<int> out;
    int next = 0;
    for (const bool skip : leftOut)
        out.push_back(skip ? -1 : next++);
    return out;
}

std::vector<BlendedVertex> BlendedVertices(const Mesh& mesh, const SkinRecord& record,
                                           const std::vector<int>& gltfNodes) {
    const std::vector<int> jointNodes = NodeIndices(mesh, JointNames(record));
    std::vector<int> slotOfNode(mesh.nodes.size(), -1);
    for (std::size_t k = 0; k < jointNodes.size(); ++k)
        slotOfNode[static_cast<std::size_t>(jointNodes[k])] = static_cast<int>(k);
    const std::vector<int> owner = Owners(mesh);
    std::vector<BlendedVertex> out(record.influences.size());
    for (std::size_t v = 0; v < out.size(); ++v) {
        auto influences = record.influences[v];
        // A vertex rigid on a joint is bound to it too: the joint's inverse bind matrix is X.
        if (!Blended(influences)) {
            const int slot = owner[v] < 0 ? -1 : slotOfNode[static_cast<std::size_t>(owner[v])];
            if (slot < 0)
                continue;
            influences[0] = {static_cast<std::uint16_t>(slot), 1.0f};
        }
        BlendedVertex& vertex = out[v];
        vertex.blended = true;
        vertex.weights = NormalisedWeights(influences);
        for (std::size_t k = 0; k < kMaxInfluences; ++k) {
            // glTF wants unused slots (weight 0) on joint 0.
            if (vertex.weights[k] == 0)
                continue;
            const int node = jointNodes[influences[k].joint];
            vertex.joints[k] =
                static_cast<std::uint16_t>(gltfNodes[static_cast<std::size_t>(node)]);
        }
        // The decoder has checked that this inverts.
        Invert(BlendedBind(influences, record.joints), vertex.unbind);
    }
    return out;
}

std::vector<float> InverseBindMatrices(const Mesh& mesh, const SkinRecord& record,
                                       const std::vector<int>& gltfNodes, std::size_t jointCount) {
    std::vector<float> out(16 * jointCount, 0.0f);
    for (std::size_t j = 0; j < jointCount; ++j) {
        for (std::size_t i = 0; i < 4; ++i)
            out[16 * j + 5 * i] = 1;
    }
    const std::vector<int> jointNodes = NodeIndices(mesh, JointNames(record));
    for (std::size_t k = 0; k < record.joints.size(); ++k) {
        const Affine& x = record.joints[k].bind;
        float* m =
            &out[16 * static_cast<std::size_t>(gltfNodes[static_cast<std::size_t>(jointNodes[k])])];
        for (std::size_t column = 0; column < 3; ++column) {
            for (std::size_t row = 0; row < 3; ++row)
                m[4 * column + row] = static_cast<float>(x.a[row][column]);
        }
        for (std::size_t row = 0; row < 3; ++row)
            m[12 + row] = static_cast<float>(x.t[row]);
    }
    return out;
}
