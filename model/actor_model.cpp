#include "model/actor_model.h"

#include <algorithm>

#include "model/node_walk.h"

int ActorModel::LoadMesh(const std::string& fileName, TextureParams& params) {
    mesh = std::make_unique<Mesh>();
    meshLoaded_ = mesh->Load(fileName, params) == 1;
    meshDepth_ = 0;
    if (meshLoaded_) {
        WalkNodes(mesh->root, [&](const MeshNode&, int level) {
            meshDepth_ = std::max(meshDepth_, level + 1);
        });
    }
    poseStack_.assign(static_cast<std::size_t>(meshDepth_) + 1, Transform::Identity);
    return meshLoaded_ ? 1 : 0;
}

int ActorModel::LoadGroups(const std::string& fileName) {
    if (!meshLoaded_ || mesh->BuildGroupFile(fileName) != 1) {
        return 0;
    }
    return mesh->ReadGroupFile(fileName);
}

int ActorModel::LoadAnimation(const std::string& fileName) {
    auto animation = std::make_unique<Animation>();
    if (animation->Load(fileName) != 1) {
        return 0;
    }
    animations.push_back(std::move(animation));
    return 1;
}

int ActorModel::PoseNodes(int animation, int frame, const MeshNode* first,
                          std::span<Vec3> vertices, std::span<Vec3> normals,
                          std::span<const std::uint32_t> captureHashes,
                          std::span<Transform> captureOut, const Transform& parent) const {
    if (mesh == nullptr || vertices.size() < mesh->vertices.size() ||
        normals.size() < mesh->normals.size() || poseStack_.empty()) {
        return 0;
    }
    const Animation* playing = nullptr;
    if (!animations.empty()) {
        if (animation < 0 || static_cast<std::size_t>(animation) >= animations.size()) return 0;
        playing = animations[static_cast<std::size_t>(animation)].get();
        if (frame < 0 || frame >= playing->frameCount) return 0;
    }
    const std::size_t captures = std::min(captureHashes.size(), captureOut.size());
    const std::int32_t* toNormal = mesh->vertexToNormal.data();

    poseStack_[0] = parent;
    bool tooDeep = false;
    WalkNodes(first, [&](const MeshNode& node, int level) {
        if (static_cast<std::size_t>(level) + 1 >= poseStack_.size()) {
            tooDeep = true;  // a chain from outside this model's mesh
            return;
        }
        // With no animations at all every node keeps the identity, whatever the parent.
        const Transform m = playing != nullptr
                                ? Compose(playing->FindKey(node, frame), poseStack_[level])
                                : Transform::Identity;
        poseStack_[static_cast<std::size_t>(level) + 1] = m;
        for (std::size_t i = 0; i < captures; ++i) {
            if (captureHashes[i] == node.hash) captureOut[i] = m;
        }
        for (const std::int32_t v : node.vertices) {
            vertices[static_cast<std::size_t>(v)] = TransformPoint(vertices[v], m);
            // A vertex that no face uses has no normal to carry.
            const std::int32_t k = toNormal[v];
            if (k >= 0) normals[static_cast<std::size_t>(k)] = normals[k] * m.r;
        }
    });
    return tooDeep ? 0 : 1;
}
