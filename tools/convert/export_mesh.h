// A game mesh as one glTF mesh: its quads as triangles, one primitive per face group.
#pragma once

#include <tiny_gltf.h>

#include <cstdint>
#include <span>
#include <string>

#include "assets/mesh.h"
#include "tools/convert/export_buffer.h"
#include "tools/convert/export_materials.h"
#include "tools/convert/export_skin.h"

struct MeshCounts {
    std::int64_t triangles = 0;
    std::int64_t faceless = 0;  // faces with fewer than three distinct corners: not drawn
};

// Adds the mesh and gives its index. glTF vertices are the distinct (vertex, normal, texture
// coordinate) corners; primitives follow the game's face groups: one per (material, texture)
// pair, by texture index from -1 up, pairs of one texture in order of first use. With
// `vertexJoints` (one joint per mesh vertex) every vertex is bound with weight 1 to its joint,
// except those that `blended` (empty, or one per mesh vertex) binds to several: their
// positions and normals are then in their bind space.
int AddMesh(tinygltf::Model& model, BufferBuilder& buffer, MaterialTable& materials,
            const Mesh& mesh, std::span<const std::uint16_t> vertexJoints,
            std::span<const BlendedVertex> blended, const std::string& name, MeshCounts& counts);
