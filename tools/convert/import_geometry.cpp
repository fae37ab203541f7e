#include "tools/convert/import_geometry.h"

#include <algorithm>
#include <cmath>

#include "tools/convert/import_accessor.h"

namespace {

Vec3d Normalized(const Vec3d& v, const Vec3d& fallback) {
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (!(length > 1e-30) || !std::isfinite(length))
        return fallback;
    return {v[0] / length, v[1] / length, v[2] / length};
}

Vec3d FaceNormal(const Vec3d& a, const Vec3d& b, const Vec3d& c) {
    const Vec3d u = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const Vec3d v = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    return Normalized(
        {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]},
        {0, 1, 0});
}

// An attribute's accessor read with `count` elements, or false with one line.
bool ReadAttribute(const tinygltf::Model& model, const tinygltf::Primitive& primitive,
                   const std::string& name, int type, std::size_t count, std::vector<double>& out,
                   std::string& error) {
    const int index = primitive.attributes.at(name);
    if (!ReadAccessor(model, index, type, out, error))
        return false;
    if (out.size() != count * static_cast<std::size_t>(ComponentsOf(type))) {
        error = "the " + name + " attribute holds a different count than POSITION";
        return false;
    }
    return true;
}

bool Has(const tinygltf::Primitive& primitive, const std::string& name) {
    return primitive.attributes.count(name) != 0;
}

// The triangles of a primitive's index list, by glTF's rules for lists, strips and fans;
// triangles with a repeated corner cover nothing and are dropped.
std::vector<std::array<std::uint32_t, 3>> Triangles(int mode,
                                                    const std::vector<std::uint32_t>& index) {
    std::vector<std::array<std::uint32_t, 3>> out;
    const std::size_t n = index.size();
    const auto add = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
        if (a != b && b != c && a != c)
            out.push_back({a, b, c});
    };
    if (mode == TINYGLTF_MODE_TRIANGLE_STRIP) {
        for (std::size_t i = 0; i + 2 < n; ++i) {
            if (i % 2 == 0)
                add(index[i], index[i + 1], index[i + 2]);
            else
                add(index[i + 1], index[i], index[i + 2]);
        }
    } else if (mode == TINYGLTF_MODE_TRIANGLE_FAN) {
        for (std::size_t i = 1; i + 1 < n; ++i)
            add(index[i], index[i + 1], index[0]);
    } else {
        for (std::size_t i = 0; i + 2 < n; i += 3)
            add(index[i], index[i + 1], index[i + 2]);
    }
    return out;
}

// A skinned primitive's joint influences: per vertex the joint matrices and weights.
struct Skinning {
    std::vector<Affine> joints;  // world at rest times inverse bind matrix, per skin joint
    std::vector<int> jointNodes;
    std::vector<std::vector<double>> jointSets, weightSets;  // per JOINTS_n / WEIGHTS_n
};

bool ReadSkin(const tinygltf::Model& model, int skinIndex, const std::vector<Affine>& restWorlds,
              Skinning& skin, std::string& error) {
    if (skinIndex < 0 || static_cast<std::size_t>(skinIndex) >= model.skins.size()) {
        error = "a node's skin index (" + std::to_string(skinIndex) + ") is out of range";
        return false;
    }
    const tinygltf::Skin& s = model.skins[static_cast<std::size_t>(skinIndex)];
    if (s.joints.empty()) {
        error = "skin " + std::to_string(skinIndex) + " has no joints";
        return false;
    }
    std::vector<double> inverse;
    if (s.inverseBindMatrices >= 0) {
        if (!ReadAccessor(model, s.inverseBindMatrices, TINYGLTF_TYPE_MAT4, inverse, error))
            return false;
        if (inverse.size() < s.joints.size() * 16) {
            error = "skin " + std::to_string(skinIndex) + " has fewer inverse bind matrices " +
                    "than joints";
            return false;
        }
    }
    skin.joints.clear();
    skin.jointNodes.clear();
    for (std::size_t j = 0; j < s.joints.size(); ++j) {
        const int node = s.joints[j];
        if (node < 0 || static_cast<std::size_t>(node) >= model.nodes.size()) {
            error = "skin " + std::to_string(skinIndex) + " has a joint index that is out of range";
            return false;
        }
        Affine bind;
        if (!inverse.empty()) {
            const double* m = inverse.data() + 16 * j;
            for (int r = 0; r < 3; ++r) {
                for (int c = 0; c < 3; ++c)
                    bind.a[r][c] = m[4 * c + r];
                bind.t[static_cast<std::size_t>(r)] = m[12 + r];
            }
        }
        skin.joints.push_back(restWorlds[static_cast<std::size_t>(node)] * bind);
        skin.jointNodes.push_back(node);
    }
    return true;
}

class GeometryReader {
  public:
    GeometryReader(const tinygltf::Model& model, const std::vector<Affine>& restWorlds,
                   RestGeometry& out, std::vector<std::string>& notes)
        : model_(model), restWorlds_(restWorlds), out_(out), notes_(notes) {}

    bool Node(int node, std::string& error) {
        const int meshIndex = model_.nodes[static_cast<std::size_t>(node)].mesh;
        if (meshIndex < 0)
            return true;
        if (static_cast<std::size_t>(meshIndex) >= model_.meshes.size()) {
            error = "node " + std::to_string(node) + "'s mesh index is out of range";
            return false;
        }
        for (const tinygltf::Primitive& p :
             model_.meshes[static_cast<std::size_t>(meshIndex)].primitives) {
            if (!Primitive(node, p, error))
                return false;
        }
        return true;
    }

    void Notes() {
        if (skippedPrimitives_ > 0) {
            notes_.push_back("skipped " + std::to_string(skippedPrimitives_) +
                             " point and line primitives");
        }
        if (morphPrimitives_ > 0) {
            notes_.push_back("ignored the morph targets of " + std::to_string(morphPrimitives_) +
                             " primitives");
        }
        if (untexturedPrimitives_ > 0) {
            notes_.push_back(std::to_string(untexturedPrimitives_) +
                             " primitives lack the texture coordinates their texture needs; "
                             "they are drawn untextured");
        }
    }

  private:
    bool Primitive(int node, const tinygltf::Primitive& p, std::string& error) {
        const int mode = p.mode < 0 ? TINYGLTF_MODE_TRIANGLES : p.mode;
        if (mode != TINYGLTF_MODE_TRIANGLES && mode != TINYGLTF_MODE_TRIANGLE_STRIP &&
            mode != TINYGLTF_MODE_TRIANGLE_FAN) {
            ++skippedPrimitives_;
            return true;
        }
        if (!p.targets.empty())
            ++morphPrimitives_;
        if (p.material < -1 || p.material >= static_cast<int>(model_.materials.size())) {
            error =
                "a primitive's material index (" + std::to_string(p.material) + ") is out of range";
            return false;
        }
        if (!Has(p, "POSITION")) {
            error = "a triangle primitive has no POSITION attribute";
            return false;
        }
        std::vector<double> positions, normals, uvs;
        if (!ReadAccessor(model_, p.attributes.at("POSITION"), TINYGLTF_TYPE_VEC3, positions,
                          error)) {
            return false;
        }
        const std::size_t count = positions.size() / 3;
        if (Has(p, "NORMAL") &&
            !ReadAttribute(model_, p, "NORMAL", TINYGLTF_TYPE_VEC3, count, normals, error)) {
            return false;
        }
        int texCoord = -1;
        if (!BaseColorTexCoord(model_, p.material, texCoord, error))
            return false;
        const std::string uvName = "TEXCOORD_" + std::to_string(texCoord);
        if (texCoord >= 0 && !Has(p, uvName)) {
            ++untexturedPrimitives_;
            texCoord = -1;
        }
        if (texCoord >= 0 &&
            !ReadAttribute(model_, p, uvName, TINYGLTF_TYPE_VEC2, count, uvs, error)) {
            return false;
        }
        std::vector<std::uint32_t> index;
        if (!Indices(p, count, index, error))
            return false;

        const tinygltf::Node& n = model_.nodes[static_cast<std::size_t>(node)];
        const bool skinned = n.skin >= 0 && Has(p, "JOINTS_0") && Has(p, "WEIGHTS_0");
        Skinning skin;
        if (skinned && !ReadSkinning(n.skin, p, count, skin, error))
            return false;
        const Affine& world = restWorlds_[static_cast<std::size_t>(node)];
        // A mirroring transform turns glTF's counter-clockwise front faces clockwise.
        const bool mirrored = !skinned && world.Determinant() < 0;

        std::vector<int> shared(normals.empty() ? 0 : count, -1);
        // Each vertex is placed (and skinned) once, however many triangles share it.
        std::vector<RestVertex> placed(count);
        std::vector<bool> isPlaced(count, false);
        const auto placeOnce = [&](std::size_t v) {
            if (!isPlaced[v]) {
                placed[v] = Place(node, world, skinned ? &skin : nullptr, positions, normals, v);
                isPlaced[v] = true;
            }
            return placed[v];
        };
        for (std::array<std::uint32_t, 3> t : Triangles(mode, index)) {
            if (mirrored)
                std::swap(t[1], t[2]);
            if (out_.triangles.size() >= kMaxTriangles) {
                error = "the model has more than " + std::to_string(kMaxTriangles) + " triangles";
                return false;
            }
            RestTriangle triangle{p.material, {}, texCoord >= 0, {}};
            RestVertex corners[3];
            for (int k = 0; k < 3; ++k) {
                const std::size_t v = t[static_cast<std::size_t>(k)];
                corners[k] = placeOnce(v);
                if (texCoord >= 0) {
                    triangle.uv[k][0] = uvs[2 * v];
                    triangle.uv[k][1] = uvs[2 * v + 1];
                }
            }
            const Vec3d flat =
                FaceNormal(corners[0].position, corners[1].position, corners[2].position);
            for (int k = 0; k < 3; ++k) {
                const std::size_t v = t[static_cast<std::size_t>(k)];
                int* slot = normals.empty() ? nullptr : &shared[v];
                if (slot == nullptr || *slot < 0) {
                    if (out_.vertices.size() >= kMaxVertices) {
                        error =
                            "the model has more than " + std::to_string(kMaxVertices) + " vertices";
                        return false;
                    }
                    corners[k].normal = Normalized(corners[k].normal, flat);
                    if (slot == nullptr)
                        corners[k].normal = flat;
                    out_.vertices.push_back(corners[k]);
                    if (slot != nullptr)
                        *slot = static_cast<int>(out_.vertices.size() - 1);
                }
                triangle.corners[k] =
                    slot != nullptr ? *slot : static_cast<int>(out_.vertices.size() - 1);
            }
            out_.triangles.push_back(triangle);
        }
        return true;
    }

    bool Indices(const tinygltf::Primitive& p, std::size_t count, std::vector<std::uint32_t>& out,
                 std::string& error) {
        if (p.indices < 0) {
            out.resize(count);
            for (std::size_t i = 0; i < count; ++i)
                out[i] = static_cast<std::uint32_t>(i);
            return true;
        }
        std::vector<double> values;
        if (!ReadAccessor(model_, p.indices, TINYGLTF_TYPE_SCALAR, values, error))
            return false;
        const int type = model_.accessors[static_cast<std::size_t>(p.indices)].componentType;
        if (type != TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE &&
            type != TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT &&
            type != TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT) {
            error = "a primitive's indices are not unsigned integers";
            return false;
        }
        out.resize(values.size());
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (values[i] >= static_cast<double>(count)) {
                error = "a primitive's index (" +
                        std::to_string(static_cast<long long>(values[i])) +
                        ") is out of range for its " + std::to_string(count) + " vertices";
                return false;
            }
            out[i] = static_cast<std::uint32_t>(values[i]);
        }
        return true;
    }

    bool ReadSkinning(int skinIndex, const tinygltf::Primitive& p, std::size_t count,
                      Skinning& skin, std::string& error) {
        if (!ReadSkin(model_, skinIndex, restWorlds_, skin, error))
            return false;
        for (int set = 0;; ++set) {
            const std::string joints = "JOINTS_" + std::to_string(set);
            const std::string weights = "WEIGHTS_" + std::to_string(set);
            if (!Has(p, joints) || !Has(p, weights))
                return true;
            std::vector<double> j, w;
            if (!ReadAttribute(model_, p, joints, TINYGLTF_TYPE_VEC4, count, j, error) ||
                !ReadAttribute(model_, p, weights, TINYGLTF_TYPE_VEC4, count, w, error)) {
                return false;
            }
            const auto& accessor =
                model_.accessors[static_cast<std::size_t>(p.attributes.at(joints))];
            if (accessor.normalized ||
                (accessor.componentType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE &&
                 accessor.componentType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT)) {
                error = "a primitive's " + joints + " are not unsigned bytes or shorts";
                return false;
            }
            for (double index : j) {
                if (index >= static_cast<double>(skin.joints.size())) {
                    error = "a primitive's joint index (" +
                            std::to_string(static_cast<int>(index)) +
                            ") is out of range for its skin";
                    return false;
                }
            }
            skin.jointSets.push_back(std::move(j));
            skin.weightSets.push_back(std::move(w));
        }
    }

    // The rest-pose vertex v of a primitive: rigid on its node, or blended over its joints
    // and owned by the heaviest (the first of equals).
    static RestVertex Place(int node, const Affine& world, const Skinning* skin,
                            const std::vector<double>& positions,
                            const std::vector<double>& normals, std::size_t v) {
        const Vec3d p = {positions[3 * v], positions[3 * v + 1], positions[3 * v + 2]};
        const Vec3d n = normals.empty()
                            ? Vec3d{0, 0, 0}
                            : Vec3d{normals[3 * v], normals[3 * v + 1], normals[3 * v + 2]};
        if (skin == nullptr)
            return {world.Point(p), world.Normal(n), node};
        double total = 0, heaviest = -1;
        std::size_t owner = 0;
        Vec3d position = {0, 0, 0}, normal = {0, 0, 0};
        const auto add = [&](std::size_t joint, double weight) {
            const Vec3d q = skin->joints[joint].Point(p);
            const Vec3d m = skin->joints[joint].Normal(n);
            for (int i = 0; i < 3; ++i) {
                position[static_cast<std::size_t>(i)] += weight * q[static_cast<std::size_t>(i)];
                normal[static_cast<std::size_t>(i)] += weight * m[static_cast<std::size_t>(i)];
            }
        };
        for (std::size_t set = 0; set < skin->jointSets.size(); ++set) {
            for (std::size_t k = 0; k < 4; ++k) {
                const double w = skin->weightSets[set][4 * v + k];
                const auto joint = static_cast<std::size_t>(skin->jointSets[set][4 * v + k]);
                if (!(w > 0))
                    continue;
                add(joint, w);
                total += w;
                if (w > heaviest) {
                    heaviest = w;
                    owner = joint;
                }
            }
        }
        if (!(total > 0)) {
            // No weight at all: the first listed joint carries it.
            owner = static_cast<std::size_t>(skin->jointSets[0][4 * v]);
            position = normal = {0, 0, 0};
            add(owner, 1.0);
            total = 1;
        }
        for (double& c : position)
            c /= total;
        return {position, normal, skin->jointNodes[owner]};
    }

    const tinygltf::Model& model_;
    const std::vector<Affine>& restWorlds_;
    RestGeometry& out_;
    std::vector<std::string>& notes_;
    int skippedPrimitives_ = 0;
    int morphPrimitives_ = 0;
    int untexturedPrimitives_ = 0;
};

}  // namespace

bool BaseColorTexCoord(const tinygltf::Model& model, int material, int& texCoord,
                       std::string& error) {
    texCoord = -1;
    if (material < 0)
        return true;
    const tinygltf::TextureInfo& info =
        model.materials[static_cast<std::size_t>(material)].pbrMetallicRoughness.baseColorTexture;
    if (info.index < 0)
        return true;
    if (static_cast<std::size_t>(info.index) >= model.textures.size()) {
        error = "material " + std::to_string(material) + "'s texture index is out of range";
        return false;
    }
    const int source = model.textures[static_cast<std::size_t>(info.index)].source;
    if (source < 0)
        return true;
    if (static_cast<std::size_t>(source) >= model.images.size()) {
        error = "texture " + std::to_string(info.index) + "'s image index is out of range";
        return false;
    }
    const tinygltf::Image& image = model.images[static_cast<std::size_t>(source)];
    if (image.image.empty()) {
        error = "image " + std::to_string(source) + " could not be read";
        return false;
    }
    if (info.texCoord < 0 || info.texCoord > 7) {
        error = "material " + std::to_string(material) + " names an unusable TEXCOORD set";
        return false;
    }
    texCoord = info.texCoord;
    return true;
}

bool ReadGeometry(const tinygltf::Model& model, const std::vector<int>& sceneNodes,
                  const std::vector<Affine>& restWorlds, RestGeometry& out,
                  std::vector<std::string>& notes, std::string& error) {
    GeometryReader reader(model, restWorlds, out, notes);
    for (const int node : sceneNodes) {
        if (!reader.Node(node, error))
            return false;
    }
    reader.Notes();
    if (out.triangles.empty()) {
        error = "the default scene has no triangles";
        return false;
    }
    return true;
}
