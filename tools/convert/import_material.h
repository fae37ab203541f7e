// glTF materials as the game's: colours, and base colour textures as TGA files.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <tiny_gltf.h>

#include "assets/mesh_writer.h"
#include "tools/convert/import_geometry.h"
#include "tools/convert/import_names.h"

struct MaterialSet {
    std::vector<MaterialSource> materials;
    std::vector<TextureSource> textures;
    std::vector<std::pair<std::string, std::string>> files;  // the textures' TGA files
    // Indexed by glTF material + 1 (0 is glTF's default material): the game's material and
    // texture index, -1 where unused or untextured.
    std::vector<int> material;
    std::vector<int> texture;
};

// The materials the triangles use, in order of first use, with their textures.
MaterialSet BuildMaterials(const tinygltf::Model& model, const RestGeometry& geometry,
                           FileStems& stems);
