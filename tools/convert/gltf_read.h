// The glTF reader: a .gltf or .glb, through tinygltf and its checks, into the converter's scene.
#pragma once

#include <span>
#include <string>

#include "tools/convert/scene.h"

// `baseDir` empty: the model may not refer to any file. `scene.sources` gets the files read
// beside the model.
bool ReadGltf(std::span<const unsigned char> bytes, const std::string& baseDir, Scene& scene,
              std::string& error);
