// Blended skins for the writer: every skin's matrices Jᵢ·IBMᵢ at rest and at every sampled
// frame, and the skinned vertices grouped by influences (influence_sets.h), so that a vertex
// over several joints moves with its set's node and one with a single joint with that joint.
#pragma once

#include <string>
#include <vector>

#include "tools/convert/influence_sets.h"
#include "tools/convert/scene.h"
#include "tools/convert/scene_rest_mesh.h"

struct SkinBlend {
    std::vector<SkinPoses> poses;  // per skin; empty when no vertex is blended
    InfluenceSets sets;            // owners: per rest vertex (a rigid one's is unused)
    std::vector<int> node;         // per rest vertex: the scene node it follows, -1 for a set's
};

// `frames`: the sampled frame count of every animation, in order (one still frame of the rest
// pose when the scene has none). `tolerance` in the model's units. Without a blended vertex, or
// when the poses would take more matrices than any model may have keyframes (with a note),
// every skinned vertex keeps its heaviest joint. False with one line for inconsistent input.
bool BuildSkinBlend(const Scene& scene, const RestMesh& rest, const std::vector<int>& frames,
                    double tolerance, std::size_t maxSets, SkinBlend& out, std::string& error);
