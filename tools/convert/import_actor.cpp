#include "tools/convert/import_actor.h"

#include "tools/convert/import_names.h"

namespace {

constexpr const char* kGunName = "Gun";

// The first node named `name`: in the default scene's pre-order, then among the rest by index.
int FindNamed(const tinygltf::Model& model, const std::vector<int>& sceneNodes,
              const std::string& name) {
    for (const int node : sceneNodes) {
        if (model.nodes[static_cast<std::size_t>(node)].name == name)
            return node;
    }
    for (std::size_t i = 0; i < model.nodes.size(); ++i) {
        if (model.nodes[i].name == name)
            return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

bool BuildActorTree(const tinygltf::Model& model, const NodeGraph& graph,
                    const std::vector<int>& sceneNodes, const std::vector<bool>& owners,
                    const std::string& gunNode, ActorTree& tree, std::vector<std::string>& notes,
                    std::string& error) {
    const std::size_t n = model.nodes.size();
    const int carrier = FindNamed(model, sceneNodes, gunNode.empty() ? kGunName : gunNode);
    if (!gunNode.empty() && carrier < 0) {
        error = "no node is named \"" + gunNode + "\" (--gun-node)";
        return false;
    }
    // A node called "Gun" is the mount itself; any other carrier gets a "Gun" child.
    const bool carrierIsMount =
        carrier >= 0 && model.nodes[static_cast<std::size_t>(carrier)].name == kGunName;

    std::vector<bool> wanted = owners;
    if (carrier >= 0)
        wanted[static_cast<std::size_t>(carrier)] = true;
    // The nodes between two wanted nodes join them, so the tree keeps glTF's shape.
    std::vector<bool> member = wanted;
    for (std::size_t i = 0; i < n; ++i) {
        if (!wanted[i])
            continue;
        std::vector<int> path;
        for (int up = graph.Parent(static_cast<int>(i)); up >= 0; up = graph.Parent(up)) {
            if (wanted[static_cast<std::size_t>(up)]) {
                for (const int between : path)
                    member[static_cast<std::size_t>(between)] = true;
                break;
            }
            path.push_back(up);
        }
    }

    // Pre-order over the forest: the default scene's roots first, then any other root.
    std::vector<int> roots;
    std::vector<bool> isSceneNode(n, false);
    for (const int node : sceneNodes)
        isSceneNode[static_cast<std::size_t>(node)] = true;
    for (const int node : sceneNodes) {
        if (graph.Parent(node) < 0)
            roots.push_back(node);
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (graph.Parent(static_cast<int>(i)) < 0 && !isSceneNode[i])
            roots.push_back(static_cast<int>(i));
    }
    tree.nodes.clear();
    tree.actorOf.assign(n, -1);
    std::vector<std::pair<int, int>> stack;  // glTF node, actor parent
    for (auto it = roots.rbegin(); it != roots.rend(); ++it)
        stack.emplace_back(*it, -1);
    while (!stack.empty()) {
        const auto [node, parent] = stack.back();
        stack.pop_back();
        int actorParent = parent;
        if (member[static_cast<std::size_t>(node)]) {
            tree.actorOf[static_cast<std::size_t>(node)] = static_cast<int>(tree.nodes.size());
            actorParent = static_cast<int>(tree.nodes.size());
            tree.nodes.push_back({node, parent, {}});
        }
        const std::vector<int>& children = model.nodes[static_cast<std::size_t>(node)].children;
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            stack.emplace_back(*it, actorParent);
    }

    if (carrierIsMount) {
        tree.gun = tree.actorOf[static_cast<std::size_t>(carrier)];
    } else {
        // Under the carrier, or under the first top-level node.
        const int parent = carrier >= 0 ? tree.actorOf[static_cast<std::size_t>(carrier)] : 0;
        tree.gun = static_cast<int>(tree.nodes.size());
        tree.nodes.push_back({-1, parent, {}});
    }

    NodeNames names;
    names.Reserve(kGunName);
    tree.nodes[static_cast<std::size_t>(tree.gun)].name = kGunName;
    for (std::size_t a = 0; a < tree.nodes.size(); ++a) {
        ActorNode& node = tree.nodes[a];
        if (static_cast<int>(a) == tree.gun)
            continue;
        const std::string& wantedName = model.nodes[static_cast<std::size_t>(node.gltf)].name;
        node.name = names.Make(wantedName, std::to_string(node.gltf));
        if (!wantedName.empty() && node.name != wantedName) {
            notes.push_back("node " + std::to_string(node.gltf) + " \"" + CutUtf8(wantedName, 40) +
                            "\" is named \"" + node.name + "\"");
        }
    }
    return true;
}
