// Blended skins as nodes. Linear blend skinning moves a vertex by one matrix, the weighted sum
// of its joints' skinning matrices, B(t) = Σ wᵢ·Jᵢ(t)·IBMᵢ (Jᵢ(t) the joint's world transform
// at pose t, IBMᵢ its inverse bind matrix). Every vertex with the same influences moves by the
// same matrix, so each distinct set of influences can be one node of the game's tree whose
// composed transform is S·B(t)·B(rest)⁻¹·S⁻¹ (S the placement): the game's bind pose stays the
// model's rest pose and its unchanged posing puts the vertex where linear blend skinning does.
//
// Sets close enough to share a node are merged: weights are first rounded to 1/32, then sets
// join a nearby one (or a single joint's own node) when that moves none of their vertices by
// more than the tolerance at any pose. Every check measures a vertex against its own exact
// influences, so merges never add up. A vertex with a single joint is not a set: it stays on
// its joint's node, exactly as before.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "tools/convert/affine.h"
#include "tools/convert/scene.h"

// One skin's skinning matrices Jᵢ(t)·IBMᵢ at every pose. Pose 0 is the rest pose (the nodes'
// rest transforms); poses 1.. are every sampled frame of every animation, in order.
struct SkinPoses {
    std::size_t joints = 0;
    std::vector<Affine> matrices;  // pose-major: matrices[pose * joints + joint]

    const Affine& At(std::size_t pose, std::size_t joint) const {
        return matrices[pose * joints + joint];
    }
};

// Where a skinned vertex's data lies (a mesh's arrays): a large model has hundreds of
// thousands of them, which are not copied.
struct SkinnedVertex {
    int skin = 0;  // index into the skins given with the vertices
    const std::array<SceneInfluence, kMaxInfluences>* influences;  // joints: the skin's joints
    const Vec3d* position;                                         // as the mesh has it, unskinned
};

// A set of influences that has its own node.
struct InfluenceSet {
    int skin = 0;
    std::vector<SceneInfluence> influences;  // distinct joints by index, weights > 0 summing to 1
    // How the set moves its vertices from their rest positions, B(t)·B(rest)⁻¹, at every pose,
    // rest first.
    std::vector<Affine> motions;
};

// What moves a vertex: one joint of its skin (its node is the joint's node), or a set.
struct VertexOwner {
    int joint = -1;  // >= 0: the skin's joint index
    int set = -1;    // >= 0: index into InfluenceSets::sets
};

struct InfluenceSets {
    std::vector<InfluenceSet> sets;
    std::vector<VertexOwner> owners;  // one per vertex
    std::vector<std::string> notes;   // for the converter's notes, one line each
};

// Whether the vertex's influences, as the sets see them, name more than one joint: a weight
// > 0 on each, duplicates summed (a vertex with no weight follows its first listed joint).
bool IsBlended(const SkinnedVertex& vertex);

// Groups the vertices by influences. `tolerance` is in the positions' units (0.1% of the
// model's height). A vertex's weights are made to sum to 1 (a vertex with none follows its
// first listed joint, as the single-joint import did). A set whose rest matrix is singular
// cannot be a node: its vertices follow their heaviest joint (the first listed of equals), with
// a note. At most `maxSets` sets are made (the caller's track and keyframe budget, which also
// bounds the memory of the matrices kept: maxSets × poses): beyond it the tolerance is doubled
// until they fit, with a note. False, with a message, for inconsistent input (a skin or joint
// index out of range, skins with different pose counts, no poses).
bool BuildInfluenceSets(std::span<const SkinnedVertex> vertices, std::span<const SkinPoses> skins,
                        double tolerance, std::size_t maxSets, InfluenceSets& out,
                        std::string& error);

// The composed transform a set's node must have at `pose` in the game, given the placement S
// and its inverse: S·B(t)·B(rest)⁻¹·S⁻¹. Put the node at the top of the tree and ToTransform of
// this is its keyframe; under a parent whose composed transform is P(t) the keyframe would be
// P(t)⁻¹ times it.
Affine SetNodeTransform(const InfluenceSet& set, std::size_t pose, const Affine& placement,
                        const Affine& inversePlacement);
