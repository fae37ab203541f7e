#include "model/prop_model.h"

#include <numeric>
#include <vector>

#include "assets/binary_file.h"
#include "model/bounds_files.h"

int PropModel::LoadMesh(const std::string& fileName, TextureParams& params, LoadError* error) {
    mesh = std::make_unique<Mesh>();
    meshLoaded_ = mesh->Load(fileName, params, error) == 1;
    return meshLoaded_ ? 1 : 0;
}

int PropModel::ReadMesh(const std::string& fileName, const std::string& textureFolder,
                        LoadError* error) {
    mesh = std::make_unique<Mesh>();
    meshLoaded_ =
        mesh->ReadFile(fileName, error) == 1 && mesh->DecodeTextures(textureFolder, error) == 1;
    return meshLoaded_ ? 1 : 0;
}

void PropModel::BuildTree(std::int32_t leafSize) {
    std::vector<std::int32_t> all(mesh->vertices.size());
    std::iota(all.begin(), all.end(), 0);
    bounds.FitVertices(all, mesh->vertices);
    std::vector<std::int32_t> faces(mesh->faces.size());
    std::iota(faces.begin(), faces.end(), 0);
    bounds.BuildTree(faces, *mesh, mesh->vertices, leafSize);
}

int PropModel::WriteBounds(const std::string& fileName) {
    BinaryFile file;
    if (file.Open(fileName, 0) != 1)
        return 0;
    if (bounds.Serialize(file, true) != 1)
        return 0;  // discarded, never renamed
    return file.Close();
}

// A bounds file is trusted only when it holds exactly one whole tree whose vertex indices lie
// within the mesh.
bool PropModel::ReadBounds(const std::string& fileName) {
    return ReadPropBoundsFile(fileName, mesh->vertexCount, bounds);
}

int PropModel::BuildBoundsFile(const std::string& fileName, std::int32_t leafSize) {
    BinaryFile probe;
    if (probe.Open(fileName, 1) == 1)
        return 1;
    // No bounds file is ever written from a mesh that failed to load.
    if (!meshLoaded_)
        return 0;
    BuildTree(leafSize);
    return WriteBounds(fileName);
}

int PropModel::LoadBounds(const std::string& fileName, std::int32_t leafSize) {
    if (!meshLoaded_)
        return 0;
    if (ReadBounds(fileName))
        return 1;
    BuildTree(leafSize);
    return WriteBounds(fileName);
}

int PropModel::LoadGroups(const std::string& fileName) {
    if (!meshLoaded_ || mesh->BuildGroupFile(fileName) != 1)
        return 0;
    return mesh->ReadGroupFile(fileName);
}
