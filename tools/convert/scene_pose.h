// Poses of a scene's nodes: world transforms from local ones, and the node parts an animation
// gives at any time, honouring STEP, LINEAR (spherical for rotations) and CUBICSPLINE keys.
#pragma once

#include <vector>

#include "tools/convert/scene.h"

// Every node's rest parts, indexed by node.
std::vector<NodeParts> RestParts(const Scene& scene);

// World transforms of every node from the given local ones (nodes come parents first).
void NodeWorlds(const Scene& scene, const std::vector<Affine>& locals, std::vector<Affine>& worlds);

// The world transforms of `parts`: their locals composed down the tree.
void PartsWorlds(const Scene& scene, const std::vector<NodeParts>& parts,
                 std::vector<Affine>& locals, std::vector<Affine>& worlds);

// The last key time of any channel, in seconds.
double Duration(const SceneAnimation& animation);

// The channels' values at time t written into `parts` (indexed by node).
void ApplyAnimation(const SceneAnimation& animation, double t, std::vector<NodeParts>& parts);

// Every node's local and world transforms at frame `frame` of `animation` sampled at the
// converter's frame rate; the rest pose for a null animation.
void FrameWorlds(const Scene& scene, const SceneAnimation* animation, int frame,
                 std::vector<Affine>& locals, std::vector<Affine>& worlds);
