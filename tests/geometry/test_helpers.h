// Small builders shared by the geometry tests: quad meshes by hand and little-endian bytes.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "assets/mesh.h"
#include "geometry/math.h"

// A Mesh for tests that fill only its faces and vertices. Its own destructor would pull in the
// texture code, which these tests neither need nor link; the two vectors are released here and
// every other member is still empty, so skipping it frees everything.
class TestMesh {
  public:
    TestMesh() : mesh_() {}
    ~TestMesh() {
        std::vector<Face>().swap(mesh_.faces);
        std::vector<Vec3>().swap(mesh_.vertices);
    }
    TestMesh(const TestMesh&) = delete;
    TestMesh& operator=(const TestMesh&) = delete;

    Mesh* operator->() { return &mesh_; }
    const Mesh* operator->() const { return &mesh_; }
    operator Mesh&() { return mesh_; }
    operator const Mesh&() const { return mesh_; }

  private:
    union {
        Mesh mesh_;
    };
};

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

class Bytes {
  public:
    Bytes& Int(std::int32_t v) {
        const auto u = static_cast<std::uint32_t>(v);
        for (int i = 0; i < 4; ++i)
            data_ += static_cast<char>((u >> (8 * i)) & 0xFF);
        return *this;
    }
    Bytes& Float(float f) {
        std::int32_t bits;
        std::memcpy(&bits, &f, 4);
        return Int(bits);
    }
    // One slab as stored: min, max, minVertex, maxVertex.
    Bytes& Slab(float min, float max, std::int32_t minVertex, std::int32_t maxVertex) {
        return Float(min).Float(max).Int(minVertex).Int(maxVertex);
    }
    Bytes& Append(const std::string& s) {
        data_ += s;
        return *this;
    }
    const std::string& str() const { return data_; }
    std::size_t size() const { return data_.size(); }

  private:
    std::string data_;
};
