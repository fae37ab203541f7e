#include "tools/convert/scene_skin_blend.h"

#include "tools/convert/scene_limits.h"
#include "tools/convert/scene_pose.h"

namespace {

SkinnedVertex Skinned(const Scene& scene, const RestVertex& v) {
    const SceneMesh& mesh = scene.meshes[static_cast<std::size_t>(v.mesh)];
    return {v.skin, &mesh.influences[v.vertex], &mesh.positions[v.vertex]};
}

// Every skin's Jᵢ·IBMᵢ at the worlds given, appended as one more pose.
void AddPose(const Scene& scene, const std::vector<Affine>& worlds, std::vector<SkinPoses>& poses) {
    for (std::size_t s = 0; s < scene.skins.size(); ++s) {
        const SceneSkin& skin = scene.skins[s];
        for (std::size_t j = 0; j < skin.joints.size(); ++j) {
            poses[s].matrices.push_back(worlds[static_cast<std::size_t>(skin.joints[j])] *
                                        skin.inverseBinds[j]);
        }
    }
}

}  // namespace

bool BuildSkinBlend(const Scene& scene, const RestMesh& rest, const std::vector<int>& frames,
                    double tolerance, std::size_t maxSets, SkinBlend& out, std::string& error) {
    out = {};
    out.node.resize(rest.vertices.size());
    bool blended = false;
    std::size_t joints = 0, skinnedCount = 0;
    for (std::size_t v = 0; v < rest.vertices.size(); ++v) {
        out.node[v] = rest.vertices[v].node;
        if (rest.vertices[v].skin >= 0) {
            ++skinnedCount;
            blended = blended || IsBlended(Skinned(scene, rest.vertices[v]));
        }
    }
    if (!blended)
        return true;
    std::size_t poses = 1;
    for (const int count : frames)
        poses += static_cast<std::size_t>(count);
    for (const SceneSkin& skin : scene.skins)
        joints += skin.joints.size();
    if (poses * joints > kMaxKeys) {
        out.sets.notes.push_back("blended skin weights follow their heaviest joint: the skins' " +
                                 std::to_string(joints) + " joints over " + std::to_string(poses) +
                                 " frames are too many to blend");
        return true;
    }

    out.poses.resize(scene.skins.size());
    for (std::size_t s = 0; s < scene.skins.size(); ++s) {
        out.poses[s].joints = scene.skins[s].joints.size();
        out.poses[s].matrices.reserve(poses * out.poses[s].joints);
    }
    std::vector<Affine> locals, worlds;
    FrameWorlds(scene, nullptr, 0, locals, worlds);
    AddPose(scene, worlds, out.poses);
    for (std::size_t a = 0; a < frames.size(); ++a) {
        const SceneAnimation* animation = scene.animations.empty() ? nullptr : &scene.animations[a];
        for (int f = 0; f < frames[a]; ++f) {
            FrameWorlds(scene, animation, f, locals, worlds);
            AddPose(scene, worlds, out.poses);
        }
    }

    // Only skinned vertices take part; their indices map back to the rest mesh's.
    std::vector<SkinnedVertex> skinned;
    std::vector<std::size_t> restIndex;
    skinned.reserve(skinnedCount);
    restIndex.reserve(skinnedCount);
    for (std::size_t v = 0; v < rest.vertices.size(); ++v) {
        if (rest.vertices[v].skin >= 0) {
            skinned.push_back(Skinned(scene, rest.vertices[v]));
            restIndex.push_back(v);
        }
    }
    InfluenceSets sets;
    if (!BuildInfluenceSets(skinned, out.poses, tolerance, maxSets, sets, error))
        return false;
    out.sets.sets = std::move(sets.sets);
    out.sets.notes = std::move(sets.notes);
    out.sets.owners.assign(rest.vertices.size(), {});
    for (std::size_t i = 0; i < skinned.size(); ++i) {
        const std::size_t v = restIndex[i];
        const VertexOwner owner = sets.owners[i];
        out.sets.owners[v] = owner;
        out.node[v] = owner.joint >= 0 ? scene.skins[static_cast<std::size_t>(skinned[i].skin)]
                                             .joints[static_cast<std::size_t>(owner.joint)]
                                       : -1;
    }
    return true;
}
