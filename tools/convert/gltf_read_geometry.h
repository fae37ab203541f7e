// The triangle primitives of the default scene's nodes as scene meshes: one per primitive per
// node that uses it, in the mesh's own space, with their skins.
#pragma once

#include <string>
#include <vector>

#include <tiny_gltf.h>

#include "tools/convert/scene.h"

// `sceneNodes`: the default scene's glTF nodes in pre-order; `remap`: per glTF node its scene
// node. Adds meshes and the skins they use; `scene.notes` gets what is skipped.
bool ReadGeometry(const tinygltf::Model& model, const std::vector<int>& sceneNodes,
                  const std::vector<int>& remap, Scene& scene, std::string& error);

// The TEXCOORD set of material `material`'s base colour texture, or -1 when it has none that
// holds a decoded image. False with one line when an index is out of range.
bool BaseColorTexCoord(const tinygltf::Model& model, int material, int& texCoord,
                       std::string& error);
