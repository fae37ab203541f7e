// Building blocks for the glTF test models: column-major matrices as glTF stores them, vertex
// data that becomes accessors in buffer 0, and boxes made of flat quads.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <tiny_gltf.h>

namespace gltf_models {

using Vec = std::array<double, 3>;
using Quat = std::array<double, 4>;   // x, y, z, w as glTF stores rotations
using Mat4 = std::array<double, 16>;  // column-major, as glTF stores matrices

Quat AxisAngle(const Vec& axis, double degrees);
Mat4 Trs(const Vec& t, const Quat& r, const Vec& s);
Mat4 Multiply(const Mat4& a, const Mat4& b);  // a * b: b applies first
Mat4 InverseAffine(const Mat4& m);
Vec TransformPoint(const Mat4& m, const Vec& p);

// The node's local matrix (its matrix, or its TRS) and its world matrix at rest.
Mat4 LocalMatrix(const tinygltf::Node& node);
Mat4 WorldMatrix(const tinygltf::Model& model, int node);

// Joint indices and weights of one vertex, heaviest first, at most four.
using Influences = std::vector<std::pair<int, double>>;

// Vertex and index data of one primitive before it becomes accessors.
struct Geometry {
    std::vector<float> positions;
    std::vector<float> normals;
    std::vector<float> uvs;
    std::vector<std::uint16_t> joints;  // four per vertex
    std::vector<float> weights;         // four per vertex, summing to 1
    std::vector<std::uint32_t> indices;

    std::uint32_t VertexCount() const { return static_cast<std::uint32_t>(positions.size() / 3); }
};

// Appends one vertex's joints and weights: zero weights dropped, heaviest first, normalised,
// padded to four with joint 0 at weight 0.
void AddInfluences(Geometry& geometry, Influences influences);

// Axis-aligned box faces as quads of their own four vertices with the face's normal, split
// `segments` times along `axis` so that skin weights can change along it. `weights` (when set)
// gives each vertex's influences from its position; `faces` masks faces: bit 2k is -axis k,
// bit 2k+1 is +axis k.
struct BoxOptions {
    int axis = 1;
    int segments = 1;
    unsigned faces = 0x3f;
    std::function<Influences(const Vec&)> weights;
};
void AddBox(Geometry& geometry, const Vec& min, const Vec& max, const BoxOptions& options);

// Appends accessors and buffer views to the model's buffer 0 (made on first use).
class Builder {
  public:
    explicit Builder(tinygltf::Model& model);

    // Floats of a glTF type (TINYGLTF_TYPE_*); min and max recorded when `bounds`.
    int Floats(const std::vector<float>& values, int type, int target, bool bounds);
    int Indices(const std::vector<std::uint32_t>& indices);
    // Four joint indices per vertex as TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE or _SHORT.
    int Joints(const std::vector<std::uint16_t>& joints, int componentType);
    int Matrices(const std::vector<Mat4>& matrices);

    // A primitive of `mode` from the geometry's non-empty parts; indices only when present.
    tinygltf::Primitive Primitive(const Geometry& geometry, int material, int mode,
                                  int jointType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE);

    // A sampler over `times` (seconds) with `values` of `type`, and a channel on `node`.
    void Channel(tinygltf::Animation& animation, int node, const std::string& path,
                 const std::string& interpolation, const std::vector<float>& times,
                 const std::vector<float>& values);

    // A buffer view of raw bytes; `target` 0 for none.
    int View(const void* data, std::size_t bytes, int target);

  private:
    int Accessor(int view, int componentType, std::size_t count, int type);

    tinygltf::Model& model_;
};

// A material with the given base colour factor, metallic and roughness factors.
int AddMaterial(tinygltf::Model& model, const std::string& name, const std::array<double, 4>& color,
                double metallic, double roughness);

// An RGB image held as pixels with its mime type, and a texture using it; returns the texture.
int AddTexture(tinygltf::Model& model, const std::string& name, int width, int height,
               std::vector<unsigned char> rgb, const std::string& mimeType);

int AddNode(tinygltf::Model& model, const std::string& name, int parent, int mesh = -1);

}  // namespace gltf_models
