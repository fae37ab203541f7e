// The geometry shared by every instance of one actor or prop: materials, textures, vertices,
// normals, quad faces, the named node hierarchy, and the faces grouped for drawing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "assets/load_error.h"
#include "assets/texture.h"
#include "geometry/math.h"

struct Material {
    float diffuse[3];  // bytes / 255
    float extra1;
    float specular[3];  // bytes / 255
    float extra2;
    float shininess;  // file value * 128
    float further[6];
};

struct TextureLayer {
    std::int32_t textureIndex;
    float values[3];
    std::uint8_t flags[2];
    float uv[4][2];  // one (u, v) per corner; v is held as 1 - v of the file
};

struct Face {
    std::int32_t material;
    std::int32_t vertex[4];  // corners in drawing order
    std::int32_t normal[4];
    std::int32_t layerCount;
    std::int32_t firstLayer;  // this face's layers are Mesh::layers[firstLayer, +layerCount);
                              // only the first is drawn
};

struct MeshNode {
    MeshNode* parent = nullptr;
    MeshNode* firstChild = nullptr;
    MeshNode* nextSibling = nullptr;
    float points[9] = {};  // attachment origin and two further points
    std::int32_t vertexCount = 0;
    std::vector<std::int32_t> vertices;
    std::uint32_t hash = 0;  // NameHash(name)
    char name[128] = {};
};

struct FaceGroup {
    float shininess = 0;
    float specular[3] = {};
    float diffuse[3] = {};
    std::int32_t textureIndex = -1;  // -1: faces without a layer
    std::int32_t faceCount = 0;
    std::vector<std::int32_t> faces;  // ascending
};

class Mesh {
  public:
    // 1 when every section was read, every index was in range and every texture was built;
    // 0 otherwise, with the mesh and the parameters left as they were. The textures are loaded
    // once the rest of the file has proved good; `params` then holds the last one's size.
    // With `error`, the first failure is described there (which count, index or offset).
    int Load(const std::string& fileName, TextureParams& params, LoadError* error = nullptr);
    // Reads the file as Load does, every check included, but loads no texture image and
    // needs no OpenGL context: the texture records keep their names and sizes, with no
    // texture built. 1 or 0 as for Load; on 0 the mesh is left as it was.
    int ReadFile(const std::string& fileName, LoadError* error = nullptr);
    // The halves of Load's textures, for a mesh read with ReadFile on a thread without the
    // context: decoding every texture's image, named relative to `folder` (empty, or ending in
    // '/'), needs no context; building them then does, on the context's thread. 0 at the
    // first texture that fails, with the textures built before it deleted.
    int DecodeTextures(const std::string& folder, LoadError* error = nullptr);
    int BuildTextures(TextureParams& params, LoadError* error = nullptr);
    // Gives the built textures back to OpenGL, for a mesh that is replaced while the game runs.
    void DeleteTextures();
    // 1 if the face-group file already holds valid groups for this mesh (it is then left
    // untouched) or was written; 0 if it could not be written, or the mesh holds no faces.
    // When it computes the groups (the file is missing or does not fit the mesh) it also keeps
    // them and the radius in the mesh, so a mesh in a folder that cannot be written is still
    // drawn by callers that read the file only after a 1.
    int BuildGroupFile(const std::string& fileName);
    // 1 when read, 0 when the file cannot be opened or does not hold valid groups for this
    // mesh; on 0 the mesh keeps the groups it had.
    int ReadGroupFile(const std::string& fileName, LoadError* error = nullptr);
    // The first node in pre-order with this name hash, or null.
    const MeshNode* FindNode(std::uint32_t hash) const;
    MeshNode* FindNode(std::uint32_t hash);

    std::int32_t materialCount = 0;
    std::vector<Material> materials;
    std::int32_t textureCount = 0;
    std::unique_ptr<Texture[]> textures;
    std::int32_t vertexCount = 0;
    std::vector<Vec3> vertices;
    std::int32_t normalCount = 0;
    std::vector<Vec3> normals;
    std::vector<std::int32_t> vertexToNormal;  // per vertex: normal of its last face corner, or -1
    std::int32_t faceCount = 0;
    std::vector<Face> faces;
    std::vector<TextureLayer> layers;  // every face's layers, face by face
    std::int32_t nodeCount = 0;
    std::vector<std::unique_ptr<MeshNode>> nodes;  // pre-order; nodes[0] is the root
    MeshNode* root = nullptr;
    std::int32_t groupCount = 0;
    std::vector<FaceGroup> groups;
    float radius = 0;
    std::int64_t trailingBytes = 0;  // bytes after the last node record, which nothing reads
};

// The reader behind Mesh::ReadGroupFile, for a mesh of `textureCount` textures and `faceCount`
// faces: true when the file holds valid groups for it, with the first fault in `error`.
bool ReadFaceGroupFile(const std::string& fileName, std::int32_t textureCount,
                       std::int32_t faceCount, std::vector<FaceGroup>& groups, float& radius,
                       LoadError* error = nullptr);
