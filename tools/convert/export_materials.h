// glTF materials for a mesh's (material, texture) pairs, made on first use.
//
// Mapping: the diffuse colour is the base colour factor, the specular colour the
// KHR_materials_specular colour factor; metallicFactor is 0 and the shininess s (0 to 128, as
// OpenGL takes it) becomes roughnessFactor = 1 - sqrt(s / 128), clamped to 0..1, so
// s = 128 (1 - roughness)^2 maps it back. A texture is the base colour texture, embedded as PNG;
// a texture with alpha makes the material blend, as the game does.
#pragma once

#include <tiny_gltf.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "assets/mesh.h"
#include "tools/convert/export_buffer.h"
#include "tools/convert/export_image.h"

class MaterialTable {
  public:
    // `textures` holds one image per texture record of the mesh; `name` prefixes the names.
    MaterialTable(tinygltf::Model& model, BufferBuilder& buffer, const Mesh& mesh,
                  std::vector<PngImage> textures, std::string name);

    // The glTF material of the mesh's material `material` with texture `texture` (-1: none).
    int For(int material, int texture);

  private:
    int TextureFor(int texture);

    tinygltf::Model& model_;
    BufferBuilder& buffer_;
    const Mesh& mesh_;
    std::vector<PngImage> images_;
    std::string name_;
    std::map<std::pair<int, int>, int> materials_;
    std::map<int, int> textures_;
};
