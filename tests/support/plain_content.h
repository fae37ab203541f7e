// The sample content's robot, gun and a short cut of the robot's walk, for tests that need
// loaded models without an OpenGL context. The meshes lose their textures (images need a
// context); their geometry, and with it every cache built from them, is the sample content's.
#pragma once

#include <cstdint>

#include "assets/animation_writer.h"
#include "assets/mesh_writer.h"
#include "tools/content/gun.h"
#include "tools/content/robot.h"
#include "tools/content/robot_animations.h"

inline constexpr int kShortWalkFrames = 3;

inline MeshSource WithoutTextures(MeshSource source) {
    source.textures.clear();
    for (FaceSource& face : source.faces) {
        for (LayerSource& layer : face.layers) {
            layer.textureIndex = -1;
        }
    }
    return source;
}

inline MeshSource PlainRobot() {
    return WithoutTextures(BuildRobotMesh(1));
}
inline MeshSource PlainGun() {
    return WithoutTextures(BuildGunMesh());
}

// How many textures the sample robot names.
inline std::int32_t RobotTextureCount() {
    return static_cast<std::int32_t>(BuildRobotMesh(1).textures.size());
}

// The first `frames` frames of the sample walk.
inline AnimationSource ShortWalk(int frames = kShortWalkFrames) {
    AnimationSource walk = BuildWalkAnimation();
    for (AnimationTrackSource& track : walk.tracks) {
        track.keys.resize(static_cast<std::size_t>(frames));
    }
    return walk;
}
