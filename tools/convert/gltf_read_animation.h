// A glTF animation read and checked into the scene's channels.
#pragma once

#include <string>
#include <vector>

#include <tiny_gltf.h>

#include "tools/convert/scene.h"

// `remap`: per glTF node its scene node. False with one line when a channel or sampler is
// malformed; `notes` gets what is ignored (morph weights, channels on matrix nodes).
bool ReadAnimation(const tinygltf::Model& model, const tinygltf::Animation& animation,
                   const std::vector<int>& remap, SceneAnimation& out,
                   std::vector<std::string>& notes, std::string& error);
