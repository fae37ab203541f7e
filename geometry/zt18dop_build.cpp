// Top-down construction of a binary 18-DOP tree over a mesh's quad faces: each node splits its
// faces at the mean centroid of the axis along which the centroids vary most.
#include <vector>

#include "assets/mesh.h"
#include "geometry/zt18dop.h"

namespace {

float Coordinate(const Vec3& v, int axis) {
    return axis == 0 ? v.x : (axis == 1 ? v.y : v.z);
}

bool InRange(std::int32_t index, std::size_t size) {
    return index >= 0 && static_cast<std::size_t>(index) < size;
}

}  // namespace

int Zt18DOP::BuildTree(std::span<const std::int32_t> faces, const Mesh& mesh,
                       std::span<const Vec3> vertices, std::int32_t leafSize) {
    CreateChildren(0);
    // Checked once here so that the recursion can index freely.
    for (const std::int32_t f : faces) {
        if (!InRange(f, mesh.faces.size())) {
            return 0;
        }
        for (const std::int32_t corner : mesh.faces[static_cast<std::size_t>(f)].vertex) {
            if (!InRange(corner, vertices.size())) {
                return 0;
            }
        }
    }
    BuildNode(faces, mesh, vertices, leafSize, 0);
    return 1;
}

void Zt18DOP::BuildNode(std::span<const std::int32_t> faces, const Mesh& mesh,
                        std::span<const Vec3> vertices, std::int32_t leafSize, int depth) {
    CreateChildren(0);
    const std::size_t count = faces.size();
    if (static_cast<std::int64_t>(count) <= leafSize || depth >= kMaxDepth) {
        return;
    }

    std::vector<Vec3> centroids(count);
    Vec3 sum;
    for (std::size_t i = 0; i < count; ++i) {
        const std::int32_t* corner = mesh.faces[static_cast<std::size_t>(faces[i])].vertex;
        const Vec3 c = (vertices[static_cast<std::size_t>(corner[0])] +
                        vertices[static_cast<std::size_t>(corner[1])] +
                        vertices[static_cast<std::size_t>(corner[2])] +
                        vertices[static_cast<std::size_t>(corner[3])]) *
                       0.25f;
        centroids[i] = c;
        sum += c;
    }
    const float inverseCount = 1.0f / static_cast<float>(count);
    const Vec3 mean = sum * inverseCount;
    Vec3 squares;
    for (const Vec3& c : centroids) {
        const Vec3 d = c - mean;
        squares += Vec3(d.x * d.x, d.y * d.y, d.z * d.z);
    }
    const Vec3 variance = squares * inverseCount;

    // Strict comparisons: ties keep x, then y.
    int axis = 0;
    if (variance.y > Coordinate(variance, axis)) {
        axis = 1;
    }
    if (variance.z > Coordinate(variance, axis)) {
        axis = 2;
    }
    const float split = Coordinate(mean, axis);

    std::vector<std::int32_t> below;
    std::vector<std::int32_t> rest;
    for (std::size_t i = 0; i < count; ++i) {
        (Coordinate(centroids[i], axis) < split ? below : rest).push_back(faces[i]);
    }
    std::vector<Vec3>().swap(centroids);  // not needed while the children are built

    // All centroids on one side (equal, or not comparable): splitting again would never end.
    if (below.empty() || rest.empty()) {
        return;
    }
    CreateChildren(2);
    children[0].FitFaceCorners(below, mesh, vertices);
    children[0].BuildNode(below, mesh, vertices, leafSize, depth + 1);
    std::vector<std::int32_t>().swap(below);
    children[1].FitFaceCorners(rest, mesh, vertices);
    children[1].BuildNode(rest, mesh, vertices, leafSize, depth + 1);
}

void Zt18DOP::FitFaceCorners(std::span<const std::int32_t> faces, const Mesh& mesh,
                             std::span<const Vec3> vertices) {
    Reset();
    for (const std::int32_t f : faces) {
        for (const std::int32_t corner : mesh.faces[static_cast<std::size_t>(f)].vertex) {
            Widen(corner, vertices[static_cast<std::size_t>(corner)]);
        }
    }
}
