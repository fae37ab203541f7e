// The shared model of a rigid prop: its mesh and a binary 18-DOP tree over the mesh's faces,
// cached in a ".kdt" file beside the mesh.
#pragma once

#include <memory>
#include <string>

#include "assets/mesh.h"
#include "geometry/zt18dop.h"

class PropModel {
  public:
    static constexpr std::int32_t kLeafSize = 10;

    // The result of Mesh::Load. The mesh is stored before it loads.
    int LoadMesh(const std::string& fileName, TextureParams& params, LoadError* error = nullptr);
    // The same without the OpenGL context: the textures are decoded (named relative to
    // `textureFolder`) but not built; Mesh::BuildTextures does that later.
    int ReadMesh(const std::string& fileName, const std::string& textureFolder,
                 LoadError* error = nullptr);
    // 1 when the tree was read from a valid bounds file, or built and written now. A missing
    // or invalid file is rebuilt from the mesh and replaced atomically; when it cannot be
    // written, 0, and the built tree stays in `bounds`.
    int LoadBounds(const std::string& fileName, std::int32_t leafSize);
    // 1 when the bounds file exists or was written now, 0 otherwise.
    int BuildBoundsFile(const std::string& fileName, std::int32_t leafSize);
    // 0 when the face-group file can neither be found nor written, else the result of reading it.
    int LoadGroups(const std::string& fileName);

    bool MeshLoaded() const { return meshLoaded_; }

    std::unique_ptr<Mesh> mesh;
    Zt18DOP bounds;

  private:
    void BuildTree(std::int32_t leafSize);
    int WriteBounds(const std::string& fileName);
    bool ReadBounds(const std::string& fileName);

    bool meshLoaded_ = false;
};
