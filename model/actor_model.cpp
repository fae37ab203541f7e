#include "model/actor_model.h"

#include <algorithm>

#include "model/lane_transform.h"
#include "model/node_walk.h"

namespace {

std::vector<std::int32_t> Unmarked(const std::vector<bool>& marked) {
    std::vector<std::int32_t> indices;
    for (std::size_t i = 0; i < marked.size(); ++i) {
        if (!marked[i])
            indices.push_back(static_cast<std::int32_t>(i));
    }
    return indices;
}

}  // namespace

int ActorModel::LoadMesh(const std::string& fileName, TextureParams& params, LoadError* error) {
    mesh = std::make_unique<Mesh>();
    return PrepareMesh(mesh->Load(fileName, params, error) == 1);
}

int ActorModel::ReadMesh(const std::string& fileName, const std::string& textureFolder,
                         LoadError* error) {
    mesh = std::make_unique<Mesh>();
    return PrepareMesh(mesh->ReadFile(fileName, error) == 1 &&
                       mesh->DecodeTextures(textureFolder, error) == 1);
}

int ActorModel::PrepareMesh(bool loaded) {
    meshLoaded_ = loaded;
    meshDepth_ = 0;
    std::vector<bool> posedVertex(mesh->vertices.size());
    std::vector<bool> posedNormal(mesh->normals.size());
    if (meshLoaded_) {
        WalkNodes(mesh->root, [&](const MeshNode& node, int level) {
            meshDepth_ = std::max(meshDepth_, level + 1);
            for (const std::int32_t v : node.vertices) {
                posedVertex[static_cast<std::size_t>(v)] = true;
                const std::int32_t k = mesh->vertexToNormal[static_cast<std::size_t>(v)];
                if (k >= 0)
                    posedNormal[static_cast<std::size_t>(k)] = true;
            }
        });
    }
    unposedVertices_ = Unmarked(posedVertex);
    unposedNormals_ = Unmarked(posedNormal);
    poseStack_.assign(static_cast<std::size_t>(meshDepth_) + 1, LaneTransform(Transform::Identity));
    frameKeys_.clear();
    for (const auto& animation : animations)
        frameKeys_.push_back(LayOutKeys(*animation));
    return meshLoaded_ ? 1 : 0;
}

ActorModel::FrameKeys ActorModel::LayOutKeys(const Animation& animation) const {
    FrameKeys laid;
    if (mesh == nullptr || animation.frameCount <= 0)
        return laid;
    std::vector<std::int32_t> tracks;  // of the slots, in order of first use
    std::vector<std::int32_t> slotOfTrack(static_cast<std::size_t>(animation.trackCount), -1);
    WalkNodes(mesh->root, [&](const MeshNode& node, int) {
        const std::int32_t track = animation.TrackOf(node.hash);
        std::int32_t slot = -1;
        if (track >= 0 && static_cast<std::size_t>(track) < slotOfTrack.size()) {
            std::int32_t& known = slotOfTrack[static_cast<std::size_t>(track)];
            if (known < 0) {
                known = static_cast<std::int32_t>(tracks.size());
                tracks.push_back(track);
            }
            slot = known;
        }
        laid.slots.push_back(slot);
    });
    if (laid.slots.size() != mesh->nodes.size())
        return {};  // nodes outside the tree: posing searches instead
    laid.perFrame = tracks.size();
    laid.keys.reserve(static_cast<std::size_t>(animation.frameCount) * laid.perFrame);
    for (int frame = 0; frame < animation.frameCount; ++frame) {
        for (const std::int32_t track : tracks)
            laid.keys.push_back(animation.Key(track, frame));
    }
    return laid;
}

int ActorModel::CopyUnposed(std::span<Vec3> vertices, std::span<Vec3> normals) const {
    if (mesh == nullptr || vertices.size() < mesh->vertices.size() ||
        normals.size() < mesh->normals.size()) {
        return 0;
    }
    for (const std::int32_t v : unposedVertices_)
        vertices[v] = mesh->vertices[v];
    for (const std::int32_t k : unposedNormals_)
        normals[k] = mesh->normals[k];
    return 1;
}

int ActorModel::LoadGroups(const std::string& fileName) {
    if (!meshLoaded_ || mesh->BuildGroupFile(fileName) != 1) {
        return 0;
    }
    return mesh->ReadGroupFile(fileName);
}

int ActorModel::LoadAnimation(const std::string& fileName, LoadError* error) {
    auto animation = std::make_unique<Animation>();
    if (animation->Load(fileName, error) != 1) {
        return 0;
    }
    frameKeys_.push_back(LayOutKeys(*animation));
    animations.push_back(std::move(animation));
    return 1;
}

int ActorModel::PoseNodes(int animation, int frame, const MeshNode* first, std::span<Vec3> vertices,
                          std::span<Vec3> normals, std::span<const std::uint32_t> captureHashes,
                          std::span<Transform> captureOut, const Transform& parent) const {
    if (mesh == nullptr || vertices.size() < mesh->vertices.size() ||
        normals.size() < mesh->normals.size() || poseStack_.empty()) {
        return 0;
    }
    const Animation* playing = nullptr;
    // Walked from the root, each node's key of this frame is in one block laid out at load. Any
    // other chain searches each node's track.
    const std::int32_t* slots = nullptr;
    const Transform* frameKeys = nullptr;
    if (!animations.empty()) {
        if (animation < 0 || static_cast<std::size_t>(animation) >= animations.size())
            return 0;
        playing = animations[static_cast<std::size_t>(animation)].get();
        if (frame < 0 || frame >= playing->frameCount)
            return 0;
        const auto a = static_cast<std::size_t>(animation);
        if (first == mesh->root && a < frameKeys_.size() &&
            frameKeys_[a].slots.size() == mesh->nodes.size()) {
            const FrameKeys& laid = frameKeys_[a];
            slots = laid.slots.data();
            frameKeys = laid.keys.data() + static_cast<std::size_t>(frame) * laid.perFrame;
        }
    }
    const std::size_t captures = std::min(captureHashes.size(), captureOut.size());
    const std::int32_t* toNormal = mesh->vertexToNormal.data();
    // Read from the bind pose, not from the buffers: a vertex listed twice, or a normal that
    // several vertices share, is placed once instead of being moved again by every listing.
    const Vec3* bindVertices = mesh->vertices.data();
    const Vec3* bindNormals = mesh->normals.data();
    // With no animations at all every node keeps the identity, whatever the parent.
    const LaneTransform identity(Transform::Identity);

    poseStack_[0] = LaneTransform(parent);
    bool tooDeep = false;
    std::size_t ordinal = 0;
    WalkNodes(first, [&](const MeshNode& node, int level) {
        if (static_cast<std::size_t>(level) + 1 >= poseStack_.size()) {
            tooDeep = true;  // a chain from outside this model's mesh
            return;
        }
        const Transform* key = nullptr;
        if (slots != nullptr)
            key = slots[ordinal] >= 0 ? &frameKeys[slots[ordinal]] : &Transform::Identity;
        else if (playing != nullptr)
            key = &playing->FindKey(node, frame);
        ++ordinal;
        const LaneTransform& m = poseStack_[static_cast<std::size_t>(level) + 1] =
            key != nullptr ? poseStack_[static_cast<std::size_t>(level)].After(*key) : identity;
        for (std::size_t i = 0; i < captures; ++i) {
            if (captureHashes[i] == node.hash)
                captureOut[i] = m.ToTransform();
        }
        for (const std::int32_t v : node.vertices) {
            vertices[static_cast<std::size_t>(v)] = ToVec3(m.Place(bindVertices[v]));
            // A vertex that no face uses has no normal to carry.
            const std::int32_t k = toNormal[v];
            if (k >= 0)
                normals[static_cast<std::size_t>(k)] = ToVec3(m.Turn(bindNormals[k]));
        }
    });
    return tooDeep ? 0 : 1;
}
