// The actor's animations as glTF animations of the joint nodes.
#pragma once

#include <tiny_gltf.h>

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "assets/animation.h"
#include "assets/mesh.h"
#include "tools/convert/export_buffer.h"

// The time of frame f: f / 30 s, rounded down to a float, so that sampling at f / 30 in any
// precision lands on frame f and not on the one before it.
float FrameTime(int frame);

// One glTF animation per actor animation (named by `names`), whose channels set every node that
// a track moves (mesh node i is glTF node gltfNodes[i], or left out when -1) to its keyframe at
// each frame time, held until the next: STEP samplers, as the game shows each frame's stored pose
// with no blending. Other nodes keep their rest pose, the identity, as in the game. Keyframes with
// shear get the closest rotation and scale, with a note. False, with `error`, for animations too
// large to write.
bool AddAnimations(tinygltf::Model& model, BufferBuilder& buffer, const Mesh& mesh,
                   std::span<const int> gltfNodes,
                   std::span<const std::unique_ptr<Animation>> animations,
                   std::span<const std::string> names, std::string& error,
                   std::vector<std::string>& notes);
