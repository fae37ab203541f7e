// Quad meshes built by hand, for the bounding-volume tests and benchmark.
#pragma once

#include <cstdint>
#include <vector>

#include "assets/mesh.h"
#include "geometry/math.h"

// Appends a quad with four new vertices; returns the face index.
inline std::int32_t AddQuad(Mesh& mesh, const Vec3& a, const Vec3& b, const Vec3& c,
                            const Vec3& d) {
    const auto first = static_cast<std::int32_t>(mesh.vertices.size());
    for (const Vec3& v : {a, b, c, d})
        mesh.vertices.push_back(v);
    Face face{};
    for (int i = 0; i < 4; ++i)
        face.vertex[i] = first + i;
    mesh.faces.push_back(face);
    mesh.vertexCount = static_cast<std::int32_t>(mesh.vertices.size());
    mesh.faceCount = static_cast<std::int32_t>(mesh.faces.size());
    return mesh.faceCount - 1;
}

// A unit square in the plane z = centre.z whose centroid is exactly `centre`.
inline std::int32_t AddSquareAt(Mesh& mesh, const Vec3& centre) {
    const float h = 0.5f;
    return AddQuad(mesh, centre + Vec3(-h, -h, 0), centre + Vec3(h, -h, 0), centre + Vec3(h, h, 0),
                   centre + Vec3(-h, h, 0));
}

inline std::vector<std::int32_t> AllFaces(const Mesh& mesh) {
    std::vector<std::int32_t> faces(mesh.faces.size());
    for (std::size_t i = 0; i < faces.size(); ++i)
        faces[i] = static_cast<std::int32_t>(i);
    return faces;
}
