// glTF's materials and images as the scene's: metallic-roughness turned into Phong colours,
// base colour textures with their factor.
#pragma once

#include <tiny_gltf.h>

#include "tools/convert/scene.h"

// Every material and every decoded image, by their glTF index; the images' pixels are moved
// out of `model`.
void ReadMaterials(tinygltf::Model& model, Scene& scene);
