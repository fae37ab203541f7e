// An instance of an animated actor: playback clock, posed buffers and up to ten attached props.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "game/clone.h"
#include "model/actor_model.h"

class PropClone;

// The transform that hangs a prop on `node`: from the node's three attachment points p0, p1, p2,
// rows Cross(u, v), u, v with u towards p2 and v towards p1, translation p0. It maps the prop's
// coordinates into the actor's bind-pose model space.
Transform MountTransform(const MeshNode& node);

class ActorClone : public Clone {
  public:
    static constexpr int kMaxAttachments = 10;

    ActorClone(const ActorModel* model, float counterFrequency, const Vec3& position, bool playing,
               std::int32_t animationIndex, std::int32_t frame, std::int32_t framesPerSecond);

    // Draws the attached props at their nodes, then the actor's own faces.
    void Draw(const Camera& camera) override;

    // Hangs `prop` on the node with this name hash. 0 when all slots are taken or there is no
    // such node.
    int Attach(PropClone* prop, std::uint32_t nodeHash);
    // 1 unless the bounding sphere around `position` lies outside a frustum plane.
    int IsVisible(const Camera& camera) const;
    // Starting restarts the clock from now.
    void SetPlaying(bool playing);
    // Advances the clock by the real time since the last update and poses the mesh.
    void UpdatePose();
    // The next animation, cyclically, keeping the frame where the new one has it.
    void NextAnimation();
    // The frame now set, or the last frame of the animation when `f` is out of range.
    std::int32_t SetFrame(std::int32_t f);

    const ActorModel* model;
    std::int32_t animationIndex;
    std::int32_t frame;
    float frameFraction = 0;
    std::int64_t lastCounter = 0;
    bool playing;
    float counterFrequency;
    std::int32_t framesPerSecond;
    float framesPerTick;
    std::vector<Vec3> posedNormals;
    std::vector<Vec3> posedVertices;
    std::array<PropClone*, kMaxAttachments> attachedProps{};
    std::array<std::uint32_t, kMaxAttachments> attachNodeHashes{};
    // The nodes' pose transforms from the last UpdatePose, and their world copies made at
    // drawing. Kept apart so that drawing twice never compounds the placement.
    std::array<Transform, kMaxAttachments> attachPoses{};
    std::array<Transform, kMaxAttachments> attachTransforms{};
    std::int32_t attachmentCount = 0;

  private:
    const Mesh* LoadedMesh() const;
    std::int32_t FrameCount() const;
};
