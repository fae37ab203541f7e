#include "tools/convert/scene_actor_tree.h"

#include "tools/convert/scene_names.h"

namespace {

constexpr const char* kGunName = "Gun";

// The first node named `name` in the scene's order.
int FindNamed(const Scene& scene, const std::string& name) {
    for (std::size_t i = 0; i < scene.nodes.size(); ++i) {
        if (scene.nodes[i].name == name)
            return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

bool BuildActorTree(const Scene& scene, const std::vector<bool>& owners, const std::string& gunNode,
                    int hand, std::size_t sets, ActorTree& tree, std::vector<std::string>& notes,
                    std::string& error) {
    const std::size_t n = scene.nodes.size();
    const auto parentOf = [&](int node) {
        return scene.nodes[static_cast<std::size_t>(node)].parent;
    };
    int carrier = FindNamed(scene, gunNode.empty() ? kGunName : gunNode);
    if (!gunNode.empty() && carrier < 0) {
        error = "no node is named \"" + gunNode + "\" (--gun-node)";
        return false;
    }
    if (carrier < 0)
        carrier = hand;
    // A node called "Gun" is the mount itself; any other carrier gets a "Gun" child.
    const bool carrierIsMount =
        carrier >= 0 && scene.nodes[static_cast<std::size_t>(carrier)].name == kGunName;

    std::vector<bool> wanted = owners;
    if (carrier >= 0)
        wanted[static_cast<std::size_t>(carrier)] = true;
    // The nodes between two wanted nodes join them, so the tree keeps the scene's shape.
    std::vector<bool> member = wanted;
    for (std::size_t i = 0; i < n; ++i) {
        if (!wanted[i])
            continue;
        std::vector<int> path;
        for (int up = parentOf(static_cast<int>(i)); up >= 0; up = parentOf(up)) {
            if (wanted[static_cast<std::size_t>(up)]) {
                for (const int between : path)
                    member[static_cast<std::size_t>(between)] = true;
                break;
            }
            path.push_back(up);
        }
    }

    // The scene's nodes come in pre-order, so its members do too; each hangs from its nearest
    // member ancestor.
    tree.nodes.clear();
    tree.actorOf.assign(n, -1);
    std::vector<int> nearest(n, -1);  // per node: the actor node of it or its nearest ancestor
    for (std::size_t i = 0; i < n; ++i) {
        const int parent = scene.nodes[i].parent;
        const int above = parent < 0 ? -1 : nearest[static_cast<std::size_t>(parent)];
        nearest[i] = above;
        if (member[i]) {
            tree.actorOf[i] = nearest[i] = static_cast<int>(tree.nodes.size());
            tree.nodes.push_back({static_cast<int>(i), above, {}});
        }
    }

    if (carrierIsMount) {
        tree.gun = tree.actorOf[static_cast<std::size_t>(carrier)];
    } else {
        // Under the carrier, or under the first top-level node (at the top when sets move all).
        const int parent = carrier >= 0         ? tree.actorOf[static_cast<std::size_t>(carrier)]
                           : tree.nodes.empty() ? -1
                                                : 0;
        tree.gun = static_cast<int>(tree.nodes.size());
        tree.nodes.push_back({-1, parent, {}});
    }

    for (std::size_t s = 0; s < sets; ++s)
        tree.nodes.push_back({-1, -1, {}, static_cast<int>(s)});

    NodeNames names;
    names.Reserve(kGunName);
    tree.nodes[static_cast<std::size_t>(tree.gun)].name = kGunName;
    for (std::size_t a = 0; a < tree.nodes.size(); ++a) {
        ActorNode& node = tree.nodes[a];
        if (static_cast<int>(a) == tree.gun)
            continue;
        if (node.set >= 0) {
            node.name = names.Make("blend_" + std::to_string(node.set + 1), "blend");
            continue;
        }
        const std::string& wantedName = scene.nodes[static_cast<std::size_t>(node.node)].name;
        node.name = names.Make(wantedName, std::to_string(node.node));
        if (!wantedName.empty() && node.name != wantedName) {
            notes.push_back("node " + std::to_string(node.node) + " \"" + CutUtf8(wantedName, 40) +
                            "\" is named \"" + node.name + "\"");
        }
    }
    return true;
}
