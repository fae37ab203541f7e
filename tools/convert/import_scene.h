// The glTF node graph, checked to be a forest of bounded depth, and its transforms: each
// node's local transform from TRS or matrix, and world transforms for any set of locals.
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
    std::size_t Size() const { return parents_.size(); }
    // Every node, parents before their children.
    const std::vector<int>& Order() const { return order_; }
    const std::vector<NodeParts>& RestParts() const { return rest_; }

    // World transforms of every node from the given local ones.
    void Worlds(const std::vector<Affine>& locals, std::vector<Affine>& worlds) const;
    // The default scene's nodes in pre-order (children in their listed order), or false with
    // one line when there is no scene or a scene lists a node that is not a root.
    bool SceneNodes(const tinygltf::Model& model, std::vector<int>& out, std::string& error) const;

  private:
    std::vector<int> parents_;
    std::vector<int> order_;
    std::vector<NodeParts> rest_;
};
