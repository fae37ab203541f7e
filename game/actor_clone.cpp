#include "game/actor_clone.h"

#include <algorithm>
#include <cmath>

#include "game/performance_counter.h"
#include "game/prop_clone.h"

namespace {

constexpr Transform kZeroTransform{{{0, 0, 0, 0, 0, 0, 0, 0, 0}}, {0, 0, 0}};

}  // namespace

ActorClone::ActorClone(const ActorModel* m, float frequency, const Vec3& p, bool play,
                       std::int32_t animation, std::int32_t startFrame, std::int32_t rate)
    : Clone(p),
      model(m),
      animationIndex(animation),
      frame(startFrame),
      playing(play),
      counterFrequency(frequency),
      framesPerSecond(rate) {
    attachPoses.fill(kZeroTransform);
    attachTransforms.fill(kZeroTransform);
    SetPlaying(play);
    framesPerTick = static_cast<float>(framesPerSecond) / counterFrequency;
    if (const Mesh* mesh = LoadedMesh()) {
        posedVertices.assign(mesh->vertices.size(), Vec3::Zero);
        posedNormals.assign(mesh->normals.size(), Vec3::Zero);
        CopyGroups(mesh);
    }
    BuildDisplayLists();
}

const Mesh* ActorClone::LoadedMesh() const {
    return model != nullptr && model->MeshLoaded() ? model->mesh.get() : nullptr;
}

std::int32_t ActorClone::FrameCount() const {
    const auto& animations = model->animations;
    return animations[static_cast<std::size_t>(animationIndex)]->frameCount;
}

void ActorClone::SetPlaying(bool play) {
    playing = play;
    if (play) {
        frameFraction = 0;
        lastCounter = ReadPerformanceCounter();
    }
}

void ActorClone::UpdatePose() {
    if (model == nullptr)
        return;
    if (playing && !model->animations.empty()) {
        const std::int64_t now = ReadPerformanceCounter();
        double x = static_cast<double>(now - lastCounter) * framesPerTick + frameFraction;
        // A counter that steps back, or a clock without a frequency, holds the frame.
        if (!std::isfinite(x) || x < 0)
            x = frameFraction;
        const double whole = std::trunc(x);
        const std::int64_t count = FrameCount();
        // Reduced before adding, so that any pause wraps correctly without overflow.
        const auto step = static_cast<std::int64_t>(std::fmod(whole, static_cast<double>(count)));
        std::int64_t next = frame + step;
        if (next >= count)
            next %= count;
        frame = static_cast<std::int32_t>(next);
        frameFraction = static_cast<float>(x - whole);
        lastCounter = now;
    }
    const Mesh* mesh = LoadedMesh();
    if (mesh == nullptr || mesh->root == nullptr)
        return;
    // Posing writes every entry a node owns from the bind pose; only the rest is copied.
    model->CopyUnposed(posedVertices, posedNormals);
    const auto n = static_cast<std::size_t>(attachmentCount);
    model->PoseNodes(animationIndex, frame, mesh->root, posedVertices, posedNormals,
                     std::span(attachNodeHashes.data(), n), std::span(attachPoses.data(), n),
                     Transform::Identity);
}

void ActorClone::NextAnimation() {
    if (model == nullptr || model->animations.empty())
        return;
    animationIndex += 1;
    if (static_cast<std::size_t>(animationIndex) >= model->animations.size())
        animationIndex = 0;
    const std::int32_t count = FrameCount();
    if (frame >= 0 && frame < count) {
        SetFrame(frame);
    } else {
        frame = ((frame % count) + count) % count;
    }
}

std::int32_t ActorClone::SetFrame(std::int32_t f) {
    if (model == nullptr || model->animations.empty())
        return frame;
    const std::int32_t count = FrameCount();
    if (f >= count || f < 0)
        return count - 1;
    frame = f;
    return f;
}

Transform MountTransform(const MeshNode& node) {
    const Vec3 p0{node.points[0], node.points[1], node.points[2]};
    const Vec3 p1{node.points[3], node.points[4], node.points[5]};
    const Vec3 p2{node.points[6], node.points[7], node.points[8]};
    // Coincident points give no direction; the prop's own axis stands in for it.
    const Vec3 u = (p2 - p0).Length() > 0 ? (p2 - p0).Normalized() : Vec3::UnitY;
    const Vec3 v = (p1 - p0).Length() > 0 ? (p1 - p0).Normalized() : Vec3::UnitZ;
    return {Matrix3::FromRows(Cross(u, v), u, v), p0};
}

int ActorClone::Attach(PropClone* prop, std::uint32_t nodeHash) {
    if (attachmentCount >= kMaxAttachments || prop == nullptr)
        return 0;
    const Mesh* mesh = LoadedMesh();
    const MeshNode* node = mesh != nullptr ? mesh->FindNode(nodeHash) : nullptr;
    if (node == nullptr)
        return 0;
    prop->transform = MountTransform(*node);
    const auto slot = static_cast<std::size_t>(attachmentCount);
    attachedProps[slot] = prop;
    attachNodeHashes[slot] = nodeHash;
    ++attachmentCount;
    return 1;
}

int ActorClone::IsVisible(const Camera& camera) const {
    const Mesh* mesh = LoadedMesh();
    const float radius = mesh != nullptr ? mesh->radius : 0.0f;
    return camera.frustum.IsSphereVisible(position, radius) ? 1 : 0;
}

void ActorClone::Draw(const Camera& camera) {
    transform = {Matrix3::FromRows(xAxis, yAxis, zAxis), position};
    for (std::size_t i = 0; i < static_cast<std::size_t>(attachmentCount); ++i) {
        attachTransforms[i] = Compose(attachPoses[i], transform);
        PropClone& prop = *attachedProps[i];
        prop.xAxis = attachTransforms[i].r.Row(0);
        prop.yAxis = attachTransforms[i].r.Row(1);
        prop.zAxis = attachTransforms[i].r.Row(2);
        prop.position = attachTransforms[i].t;
        prop.Draw(camera);
    }
    const Mesh* mesh = LoadedMesh();
    if (mesh == nullptr)
        return;
    float matrix[16];
    ToGLMatrix(transform, matrix);
    glPushMatrix();
    glMultMatrixf(matrix);
    const Matrix3 r = Matrix3::FromRows(xAxis, yAxis, zAxis);
    DrawFaceGroups(*mesh, posedVertices.data(), posedNormals.data(), r, camera.position - position);
    glPopMatrix();
}
