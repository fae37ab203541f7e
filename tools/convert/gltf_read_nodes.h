// The glTF node graph, checked to be a forest of bounded depth that names only nodes that
// exist, and its order in the scene: the default scene's nodes in pre-order, then the trees
// of the other roots.
#pragma once

#include <string>
#include <vector>

#include <tiny_gltf.h>

#include "tools/convert/scene.h"

inline constexpr int kMaxNodeDepth = 64;

class NodeGraph {
  public:
    // False with one line when a child index is out of range, a node has two parents, the
    // graph loops, nests deeper than kMaxNodeDepth, or a transform is malformed.
    bool Build(const tinygltf::Model& model, std::string& error);

    int Parent(int node) const { return parents_[static_cast<std::size_t>(node)]; }
    const std::vector<NodeParts>& RestParts() const { return rest_; }

    // The default scene's nodes in pre-order (children in their listed order), or false with
    // one line when there is no scene or a scene lists a node that is not a root.
    bool SceneNodes(const tinygltf::Model& model, std::vector<int>& out, std::string& error) const;
    // Every node: `sceneNodes` first, then the trees of the other roots by index, in pre-order.
    std::vector<int> AllNodes(const tinygltf::Model& model,
                              const std::vector<int>& sceneNodes) const;

  private:
    std::vector<int> parents_;
    std::vector<NodeParts> rest_;
};

// False with one line when a scene or a skin names a node that does not exist, used or not
// (children are checked as the graph is built, animation targets as animations are read).
bool CheckNodeReferences(const tinygltf::Model& model, std::string& error);
