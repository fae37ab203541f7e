// The actor's node tree: the scene nodes that move the geometry (the owners of its vertices and
// the nodes between them) and the node that carries the gun, in the scene's order, then one
// top-level node per blended skin's influence set, named as the game needs them.
#pragma once

#include <string>
#include <vector>

#include "tools/convert/scene.h"

struct ActorNode {
    int node = -1;    // the scene node, or -1 for a "Gun" node added to carry the gun or a set's
    int parent = -1;  // an earlier actor node, -1 for a top-level one
    std::string name;
    int set = -1;  // >= 0: the influence set this node moves ("blend_1", ...)

    bool HasTrack() const { return node >= 0 || set >= 0; }
};

struct ActorTree {
    std::vector<ActorNode> nodes;
    std::vector<int> actorOf;  // per scene node: its actor node, or -1
    int gun = -1;              // the actor node named "Gun"
};

// `owners`: the scene nodes that own vertices. `gunNode`: the name of the node to carry the
// gun, empty for a node named "Gun" or, without one, `hand` (a scene node, or -1 for an added
// node at the top). `sets`: how many influence sets get a node. False with one line when
// `gunNode` names no node. `notes` gets renamed nodes.
bool BuildActorTree(const Scene& scene, const std::vector<bool>& owners, const std::string& gunNode,
                    int hand, std::size_t sets, ActorTree& tree, std::vector<std::string>& notes,
                    std::string& error);
