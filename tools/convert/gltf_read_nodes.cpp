#include "tools/convert/gltf_read_nodes.h"

#include <algorithm>

namespace {

bool ReadParts(const tinygltf::Node& node, NodeParts& parts) {
    const auto finite = [](const std::vector<double>& v) {
        return std::all_of(v.begin(), v.end(), [](double x) { return std::isfinite(x); });
    };
    if (!finite(node.matrix) || !finite(node.translation) || !finite(node.rotation) ||
        !finite(node.scale)) {
        return false;
    }
    if (!node.matrix.empty()) {
        if (node.matrix.size() != 16)
            return false;
        parts.matrix = true;
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j)
                parts.fixed.a[i][j] = node.matrix[static_cast<std::size_t>(4 * j + i)];
            parts.fixed.t[static_cast<std::size_t>(i)] =
                node.matrix[static_cast<std::size_t>(12 + i)];
        }
        return true;
    }
    if ((!node.translation.empty() && node.translation.size() != 3) ||
        (!node.rotation.empty() && node.rotation.size() != 4) ||
        (!node.scale.empty() && node.scale.size() != 3)) {
        return false;
    }
    std::copy(node.translation.begin(), node.translation.end(), parts.translation.begin());
    std::copy(node.rotation.begin(), node.rotation.end(), parts.rotation.begin());
    std::copy(node.scale.begin(), node.scale.end(), parts.scale.begin());
    return true;
}

}  // namespace

bool CheckNodeReferences(const tinygltf::Model& model, std::string& error) {
    const auto exists = [&](int node) {
        return node >= 0 && static_cast<std::size_t>(node) < model.nodes.size();
    };
    for (std::size_t i = 0; i < model.scenes.size(); ++i) {
        for (const int node : model.scenes[i].nodes) {
            if (!exists(node)) {
                error = "scene " + std::to_string(i) + " lists a node (" + std::to_string(node) +
                        ") that does not exist";
                return false;
            }
        }
    }
    for (std::size_t i = 0; i < model.skins.size(); ++i) {
        const tinygltf::Skin& skin = model.skins[i];
        if (!std::all_of(skin.joints.begin(), skin.joints.end(), exists)) {
            error = "skin " + std::to_string(i) + " has a joint index that is out of range";
            return false;
        }
        if (skin.skeleton != -1 && !exists(skin.skeleton)) {
            error = "skin " + std::to_string(i) + " names a skeleton node (" +
                    std::to_string(skin.skeleton) + ") that does not exist";
            return false;
        }
    }
    return true;
}

bool NodeGraph::Build(const tinygltf::Model& model, std::string& error) {
    const std::size_t n = model.nodes.size();
    parents_.assign(n, -1);
    rest_.assign(n, {});
    for (std::size_t i = 0; i < n; ++i) {
        const tinygltf::Node& node = model.nodes[i];
        if (!ReadParts(node, rest_[i])) {
            error = "node " + std::to_string(i) + " has a malformed or non-finite transform";
            return false;
        }
        for (const int child : node.children) {
            if (child < 0 || static_cast<std::size_t>(child) >= n) {
                error = "node " + std::to_string(i) + " has a child index (" +
                        std::to_string(child) + ") that is out of range";
                return false;
            }
            if (static_cast<std::size_t>(child) == i) {
                error = "the node graph loops: node " + std::to_string(i) + " is its own child";
                return false;
            }
            int& parent = parents_[static_cast<std::size_t>(child)];
            if (parent != -1) {
                error = "node " + std::to_string(child) + " has more than one parent";
                return false;
            }
            parent = static_cast<int>(i);
        }
    }
    // With one parent each, walking up from a node either reaches a root or goes round a loop.
    std::vector<int> depth(n, -1);
    for (std::size_t i = 0; i < n; ++i) {
        int steps = 0;
        int at = static_cast<int>(i);
        while (at != -1 && depth[static_cast<std::size_t>(at)] < 0 && steps <= kMaxNodeDepth) {
            at = parents_[static_cast<std::size_t>(at)];
            ++steps;
        }
        if (steps > kMaxNodeDepth) {
            // Either a loop or a deep chain; a loop returns to a node on the walk.
            int probe = static_cast<int>(i);
            for (std::size_t k = 0; k < n && probe != -1; ++k)
                probe = parents_[static_cast<std::size_t>(probe)];
            error = probe != -1 ? "the node graph loops (node " + std::to_string(i) +
                                      " is its own ancestor)"
                                : "the node hierarchy nests deeper than " +
                                      std::to_string(kMaxNodeDepth) + " levels";
            return false;
        }
        const int base = at == -1 ? -1 : depth[static_cast<std::size_t>(at)];
        if (base + steps > kMaxNodeDepth) {
            error =
                "the node hierarchy nests deeper than " + std::to_string(kMaxNodeDepth) + " levels";
            return false;
        }
        // Fill in the depths along the walk.
        at = static_cast<int>(i);
        for (int d = base + steps; d > base; --d) {
            depth[static_cast<std::size_t>(at)] = d;
            at = parents_[static_cast<std::size_t>(at)];
        }
    }
    return true;
}

namespace {

// Appends the nodes under the roots on `stack` (the last one first) in pre-order, children in
// their listed order; empties the stack.
void AppendPreOrder(const tinygltf::Model& model, std::vector<int>& stack, std::vector<int>& out) {
    while (!stack.empty()) {
        const int node = stack.back();
        stack.pop_back();
        out.push_back(node);
        const std::vector<int>& children = model.nodes[static_cast<std::size_t>(node)].children;
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            stack.push_back(*it);
    }
}

}  // namespace

bool NodeGraph::SceneNodes(const tinygltf::Model& model, std::vector<int>& out,
                           std::string& error) const {
    if (model.scenes.empty()) {
        error = "the model has no scene";
        return false;
    }
    const int scene = model.defaultScene >= 0 ? model.defaultScene : 0;
    if (static_cast<std::size_t>(scene) >= model.scenes.size()) {
        error = "the default scene (" + std::to_string(scene) + ") does not exist";
        return false;
    }
    const std::vector<int>& roots = model.scenes[static_cast<std::size_t>(scene)].nodes;
    std::vector<bool> seen(parents_.size(), false);
    std::vector<int> stack;
    for (auto it = roots.rbegin(); it != roots.rend(); ++it) {
        const int root = *it;
        if (root < 0 || static_cast<std::size_t>(root) >= parents_.size() ||
            parents_[static_cast<std::size_t>(root)] != -1 ||
            seen[static_cast<std::size_t>(root)]) {
            error = "the default scene lists a node (" + std::to_string(root) +
                    ") that is out of range, listed twice or not a root";
            return false;
        }
        seen[static_cast<std::size_t>(root)] = true;
        stack.push_back(root);
    }
    out.clear();
    AppendPreOrder(model, stack, out);
    return true;
}

std::vector<int> NodeGraph::AllNodes(const tinygltf::Model& model,
                                     const std::vector<int>& sceneNodes) const {
    std::vector<int> out = sceneNodes;
    std::vector<bool> listed(parents_.size(), false);
    for (const int node : sceneNodes)
        listed[static_cast<std::size_t>(node)] = true;
    for (std::size_t root = 0; root < parents_.size(); ++root) {
        if (parents_[root] != -1 || listed[root])
            continue;
        std::vector<int> stack = {static_cast<int>(root)};
        AppendPreOrder(model, stack, out);
    }
    return out;
}
