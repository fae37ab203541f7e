// The actor's node tree: the glTF nodes that move the geometry (the owners of its vertices and
// the nodes between them) and the node that carries the gun, in glTF's pre-order, named as
// the game needs them.
#pragma once

#include <string>
#include <vector>

#include <tiny_gltf.h>

#include "tools/convert/import_scene.h"

struct ActorNode {
    int gltf = -1;    // the glTF node, or -1 for a "Gun" node added to carry the gun
    int parent = -1;  // an earlier actor node, -1 for a top-level one
    std::string name;
};

struct ActorTree {
    std::vector<ActorNode> nodes;
    std::vector<int> actorOf;  // per glTF node: its actor node, or -1
    int gun = -1;              // the actor node named "Gun"
};

// `owners`: the glTF nodes that own vertices. `gunNode`: the glTF name of the node to carry the
// gun, empty for a node named "Gun" or, without one, an added node. False with one line when
// `gunNode` names no node. `notes` gets renamed nodes.
bool BuildActorTree(const tinygltf::Model& model, const NodeGraph& graph,
                    const std::vector<int>& sceneNodes, const std::vector<bool>& owners,
                    const std::string& gunNode, ActorTree& tree, std::vector<std::string>& notes,
                    std::string& error);
