// The asset import library's scene (after triangulation, vertex joining, bone weight limiting
// and validation) turned into the converter's scene. Runs in the reader child.
#pragma once

#include <string>
#include <vector>

#include <assimp/scene.h>

#include "tools/convert/scene.h"
#include "tools/convert/scene_wire.h"

// An animation to bring in, and the name it gets when it has none of its own.
struct AssimpAnimation {
    const aiAnimation* animation = nullptr;
    std::string fallbackName;
};

// Fills `scene` (sources and notes are appended to) and `encoded` with the textures'
// undecoded bytes. False with one line (no geometry, a bone without its node, too many nodes).
bool ConvertAssimpScene(const aiScene& ai, const std::string& modelPath,
                        const std::vector<AssimpAnimation>& animations, Scene& scene,
                        std::vector<EncodedImage>& encoded, std::string& error);
