#include "model/actor_model.h"

#include <algorithm>

#include "model/node_walk.h"

namespace {

// Posing runs every frame over every vertex of the actor, so it is written for speed: a point
// as four float lanes (x, y, z, unused) takes one lane-wise multiply and add per matrix row.
// These are the operations of TransformPoint and of Vec3 * Matrix3, in the same order, so the
// results are the same to the bit.
using Lanes = float __attribute__((vector_size(16)));

struct LaneTransform {
    Lanes rows[3];
    Lanes t;

    explicit LaneTransform(const Transform& m)
        : rows{{m.r.m[0], m.r.m[1], m.r.m[2], 0},
               {m.r.m[3], m.r.m[4], m.r.m[5], 0},
               {m.r.m[6], m.r.m[7], m.r.m[8], 0}},
          t{m.t.x, m.t.y, m.t.z, 0} {}

    Lanes Turn(const Vec3& d) const { return d.x * rows[0] + d.y * rows[1] + d.z * rows[2]; }
    Lanes Place(const Vec3& p) const { return Turn(p) + t; }
};

Vec3 ToVec3(Lanes v) {
    return {v[0], v[1], v[2]};
}

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
    poseStack_.assign(static_cast<std::size_t>(meshDepth_) + 1, Transform::Identity);
    nodeTracks_.clear();
    for (const auto& animation : animations)
        nodeTracks_.push_back(NodeTracks(*animation));
    return meshLoaded_ ? 1 : 0;
}

std::vector<std::int32_t> ActorModel::NodeTracks(const Animation& animation) const {
    std::vector<std::int32_t> tracks;
    if (mesh != nullptr) {
        tracks.reserve(mesh->nodes.size());
        for (const auto& node : mesh->nodes)
            tracks.push_back(animation.TrackOf(node->hash));
    }
    return tracks;
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
    nodeTracks_.push_back(NodeTracks(*animation));
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
    // Walked from the root, the nodes come in the order of mesh->nodes: their tracks were
    // looked up at load. Any other chain searches each node's track.
    const std::int32_t* tracks = nullptr;
    if (!animations.empty()) {
        if (animation < 0 || static_cast<std::size_t>(animation) >= animations.size())
            return 0;
        playing = animations[static_cast<std::size_t>(animation)].get();
        if (frame < 0 || frame >= playing->frameCount)
            return 0;
        const auto a = static_cast<std::size_t>(animation);
        if (first == mesh->root && a < nodeTracks_.size() &&
            nodeTracks_[a].size() == mesh->nodes.size()) {
            tracks = nodeTracks_[a].data();
        }
    }
    const std::size_t captures = std::min(captureHashes.size(), captureOut.size());
    const std::int32_t* toNormal = mesh->vertexToNormal.data();
    // Read from the bind pose, not from the buffers: a vertex listed twice, or a normal that
    // several vertices share, is placed once instead of being moved again by every listing.
    const Vec3* bindVertices = mesh->vertices.data();
    const Vec3* bindNormals = mesh->normals.data();

    poseStack_[0] = parent;
    bool tooDeep = false;
    std::size_t ordinal = 0;
    WalkNodes(first, [&](const MeshNode& node, int level) {
        if (static_cast<std::size_t>(level) + 1 >= poseStack_.size()) {
            tooDeep = true;  // a chain from outside this model's mesh
            return;
        }
        // With no animations at all every node keeps the identity, whatever the parent.
        Transform m = Transform::Identity;
        if (playing != nullptr) {
            const Transform& key = tracks != nullptr ? playing->Key(tracks[ordinal], frame)
                                                     : playing->FindKey(node, frame);
            m = Compose(key, poseStack_[level]);
        }
        ++ordinal;
        poseStack_[static_cast<std::size_t>(level) + 1] = m;
        for (std::size_t i = 0; i < captures; ++i) {
            if (captureHashes[i] == node.hash)
                captureOut[i] = m;
        }
        const LaneTransform lanes(m);
        for (const std::int32_t v : node.vertices) {
            vertices[static_cast<std::size_t>(v)] = ToVec3(lanes.Place(bindVertices[v]));
            // A vertex that no face uses has no normal to carry.
            const std::int32_t k = toNormal[v];
            if (k >= 0)
                normals[static_cast<std::size_t>(k)] = ToVec3(lanes.Turn(bindNormals[k]));
        }
    });
    return tooDeep ? 0 : 1;
}
