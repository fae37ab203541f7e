#include "tools/convert/export_mesh.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <map>
#include <tuple>
#include <vector>

#include "tools/convert/export_lists.h"

namespace {

struct Corner {
    std::int32_t vertex;
    std::int32_t normal;
    float u;
    float v;  // glTF's v: 0 at the image's top row
};

struct Attributes {
    std::vector<float> positions;
    std::vector<float> normals;
    std::vector<float> uvs;
    std::vector<std::uint16_t> joints;
    std::vector<float> weights;
};

// The face groups' order: by texture index from -1 up, pairs of one texture in order of first
// appearance. Gives each face its group.
std::vector<std::pair<int, int>> GroupFaces(const Mesh& mesh, std::vector<int>& groupOfFace) {
    std::vector<std::pair<int, int>> pairs;  // (material, texture) in order of first appearance
    std::vector<int> firstGroup(static_cast<std::size_t>(mesh.faceCount));
    for (std::size_t f = 0; f < mesh.faces.size(); ++f) {
        const Face& face = mesh.faces[f];
        const int texture =
            face.layerCount > 0
                ? mesh.layers[static_cast<std::size_t>(face.firstLayer)].textureIndex
                : -1;
        const std::pair<int, int> pair{face.material, texture};
        auto found = std::find(pairs.begin(), pairs.end(), pair);
        if (found == pairs.end())
            found = pairs.insert(pairs.end(), pair);
        firstGroup[f] = static_cast<int>(found - pairs.begin());
    }
    std::vector<int> order(pairs.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return pairs[a].second < pairs[b].second; });
    std::vector<int> rank(pairs.size());
    std::vector<std::pair<int, int>> sorted;
    for (std::size_t i = 0; i < order.size(); ++i) {
        rank[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
        sorted.push_back(pairs[static_cast<std::size_t>(order[i])]);
    }
    groupOfFace.resize(firstGroup.size());
    for (std::size_t f = 0; f < firstGroup.size(); ++f)
        groupOfFace[f] = rank[static_cast<std::size_t>(firstGroup[f])];
    return sorted;
}

Vec3 ToVec3(const Vec3d& v) {
    return {static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2])};
}

// glTF wants unit normals; the game never renormalises, so only the direction is carried. A
// normal without one takes the face's.
Vec3 UnitNormal(const Vec3& n, const Vec3& faceNormal) {
    for (const Vec3& candidate : {n, faceNormal}) {
        const float length = candidate.Length();
        if (length > 1e-20f && std::isfinite(length))
            return candidate * (1.0f / length);
    }
    return Vec3::UnitY;
}

class CornerTable {
  public:
    CornerTable(const Mesh& mesh, std::span<const std::uint16_t> joints,
                std::span<const BlendedVertex> blended)
        : mesh_(mesh), joints_(joints), blended_(blended) {}

    std::uint32_t Index(const Corner& c, const Vec3& faceNormal) {
        const auto key = std::make_tuple(c.vertex, c.normal, std::bit_cast<std::uint32_t>(c.u),
                                         std::bit_cast<std::uint32_t>(c.v));
        const auto [found, added] = index_.emplace(key, static_cast<std::uint32_t>(index_.size()));
        if (added)
            Append(c, faceNormal);
        return found->second;
    }

    const Attributes& Values() const { return out_; }

  private:
    void Append(const Corner& c, const Vec3& faceNormal) {
        const auto vertex = static_cast<std::size_t>(c.vertex);
        Vec3 p = mesh_.vertices[vertex];
        Vec3 n = mesh_.normals[static_cast<std::size_t>(c.normal)];
        const BlendedVertex* blended =
            !blended_.empty() && blended_[vertex].blended ? &blended_[vertex] : nullptr;
        if (blended != nullptr) {
            p = ToVec3(blended->unbind.Point({p.x, p.y, p.z}));
            n = ToVec3(blended->unbind.Direction({n.x, n.y, n.z}));
        }
        n = UnitNormal(n, faceNormal);
        out_.positions.insert(out_.positions.end(), {p.x, p.y, p.z});
        out_.normals.insert(out_.normals.end(), {n.x, n.y, n.z});
        out_.uvs.insert(out_.uvs.end(), {c.u, c.v});
        if (blended != nullptr) {
            out_.joints.insert(out_.joints.end(), blended->joints.begin(), blended->joints.end());
            out_.weights.insert(out_.weights.end(), blended->weights.begin(),
                                blended->weights.end());
        } else if (!joints_.empty()) {
            out_.joints.insert(out_.joints.end(),
                               {joints_[static_cast<std::size_t>(c.vertex)], 0, 0, 0});
            out_.weights.insert(out_.weights.end(), {1.0f, 0.0f, 0.0f, 0.0f});
        }
    }

    const Mesh& mesh_;
    std::span<const std::uint16_t> joints_;
    std::span<const BlendedVertex> blended_;
    std::map<std::tuple<std::int32_t, std::int32_t, std::uint32_t, std::uint32_t>, std::uint32_t>
        index_;
    Attributes out_;
};

// The face's corners with repeated vertices dropped (a triangle stored as a quad repeats its
// third corner): four make two triangles, three one, fewer none.
int DistinctCorners(const Mesh& mesh, const Face& face, Corner (&out)[4]) {
    const TextureLayer* layer =
        face.layerCount > 0 ? &mesh.layers[static_cast<std::size_t>(face.firstLayer)] : nullptr;
    int count = 0;
    for (int k = 0; k < 4; ++k) {
        if (count > 0 && out[count - 1].vertex == face.vertex[k])
            continue;
        // Memory holds 1 - v of the file; the file's v is glTF's (see export_image.h).
        out[count++] = {face.vertex[k], face.normal[k], layer != nullptr ? layer->uv[k][0] : 0.0f,
                        layer != nullptr ? 1.0f - layer->uv[k][1] : 0.0f};
    }
    if (count > 1 && out[count - 1].vertex == out[0].vertex)
        --count;
    return count;
}

}  // namespace

int AddMesh(tinygltf::Model& model, BufferBuilder& buffer, MaterialTable& materials,
            const Mesh& mesh, std::span<const std::uint16_t> vertexJoints,
            std::span<const BlendedVertex> blended, const std::string& name, MeshCounts& counts) {
    std::vector<int> groupOfFace;
    const std::vector<std::pair<int, int>> groups = GroupFaces(mesh, groupOfFace);
    std::vector<std::vector<std::uint32_t>> indices(groups.size());
    CornerTable corners(mesh, vertexJoints, blended);
    for (std::size_t f = 0; f < mesh.faces.size(); ++f) {
        const Face& face = mesh.faces[f];
        Corner c[4];
        const int count = DistinctCorners(mesh, face, c);
        if (count < 3) {
            ++counts.faceless;
            continue;
        }
        const auto at = [&](int k) { return mesh.vertices[static_cast<std::size_t>(c[k].vertex)]; };
        const Vec3 faceNormal = Cross(at(1) - at(0), at(2) - at(0));
        std::uint32_t index[4];
        for (int k = 0; k < count; ++k)
            index[k] = corners.Index(c[k], faceNormal);
        std::vector<std::uint32_t>& list = indices[static_cast<std::size_t>(groupOfFace[f])];
        list.insert(list.end(), {index[0], index[1], index[2]});
        if (count == 4)
            list.insert(list.end(), {index[0], index[2], index[3]});
        counts.triangles += count - 2;
    }

    const Attributes& values = corners.Values();
    tinygltf::Mesh out;
    out.name = name;
    std::map<std::string, int> attributes;
    if (!values.positions.empty()) {
        attributes["POSITION"] =
            buffer.Floats(values.positions, 3, TINYGLTF_TARGET_ARRAY_BUFFER, true);
        attributes["NORMAL"] =
            buffer.Floats(values.normals, 3, TINYGLTF_TARGET_ARRAY_BUFFER, false);
        attributes["TEXCOORD_0"] =
            buffer.Floats(values.uvs, 2, TINYGLTF_TARGET_ARRAY_BUFFER, false);
        if (!vertexJoints.empty()) {
            attributes["JOINTS_0"] = buffer.Joints(values.joints);
            attributes["WEIGHTS_0"] =
                buffer.Floats(values.weights, 4, TINYGLTF_TARGET_ARRAY_BUFFER, false);
        }
    }
    for (std::size_t g = 0; g < groups.size(); ++g) {
        if (indices[g].empty())
            continue;
        tinygltf::Primitive primitive;
        primitive.attributes = attributes;
        primitive.indices = buffer.Indices(indices[g]);
        primitive.material = materials.For(groups[g].first, groups[g].second);
        primitive.mode = TINYGLTF_MODE_TRIANGLES;
        out.primitives.push_back(primitive);
    }
    return Append(model.meshes, std::move(out));
}
