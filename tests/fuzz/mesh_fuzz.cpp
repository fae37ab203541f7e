// Mesh files (Mesh::Load). A mesh that loads also gets what a game start builds from it: its
// face groups and radius, and a prop bounds tree over its faces; their cache writes are blocked.
#include <numeric>
#include <vector>

#include "assets/mesh.h"
#include "geometry/zt18dop.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

bool Below(std::int32_t index, std::size_t count) {
    return index >= 0 && static_cast<std::size_t>(index) < count;
}

void CheckLoaded(const Mesh& mesh) {
    FUZZ_CHECK(mesh.vertices.size() == static_cast<std::size_t>(mesh.vertexCount));
    FUZZ_CHECK(mesh.faces.size() == static_cast<std::size_t>(mesh.faceCount));
    for (const Face& face : mesh.faces) {
        FUZZ_CHECK(Below(face.material, mesh.materials.size()));
        for (int k = 0; k < 4; ++k) {
            FUZZ_CHECK(Below(face.vertex[k], mesh.vertices.size()));
            FUZZ_CHECK(Below(face.normal[k], mesh.normals.size()));
        }
    }
    for (const auto& node : mesh.nodes) {
        for (const std::int32_t v : node->vertices) {
            FUZZ_CHECK(Below(v, mesh.vertices.size()));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string groups = FuzzPath("input.prs");
    static const bool blocked = (BlockWrites(groups), true);
    (void)blocked;
    const std::string path = WriteFuzzInput("input.ply", data, size);
    // Texture images are decoded, but never built: there is no OpenGL context.
    TextureParams params;
    params.buildMode = 2;
    Mesh mesh;
    if (mesh.Load(path, params) != 1) {
        return 0;
    }
    CheckLoaded(mesh);
    FUZZ_CHECK(mesh.BuildGroupFile(groups) == 0);  // computed, but cannot be written
    std::int32_t grouped = 0;
    for (const FaceGroup& group : mesh.groups) {
        grouped += group.faceCount;
    }
    FUZZ_CHECK(grouped == mesh.faceCount);
    mesh.FindNode(0x46D2E);  // "Gun"

    std::vector<std::int32_t> all(mesh.vertices.size());
    std::iota(all.begin(), all.end(), 0);
    std::vector<std::int32_t> faces(mesh.faces.size());
    std::iota(faces.begin(), faces.end(), 0);
    Zt18DOP tree;
    FUZZ_CHECK(tree.FitVertices(all, mesh.vertices) == 1);
    FUZZ_CHECK(tree.BuildTree(faces, mesh, mesh.vertices, 10) == 1);
    return 0;
}
