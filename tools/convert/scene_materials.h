// The scene's materials as the game's: colours, and textures as TGA files.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "assets/mesh_writer.h"
#include "tools/convert/scene.h"
#include "tools/convert/scene_names.h"
#include "tools/convert/scene_rest_mesh.h"

struct MaterialSet {
    std::vector<MaterialSource> materials;
    std::vector<TextureSource> textures;
    std::vector<std::pair<std::string, std::string>> files;  // the textures' TGA files
    // Indexed by scene material + 1 (0 is the default material): the game's material and
    // texture index, -1 where unused or untextured.
    std::vector<int> material;
    std::vector<int> texture;
};

// The materials the triangles use, in order of first use, with their textures.
MaterialSet BuildMaterials(const Scene& scene, const RestMesh& mesh, FileStems& stems);
