#include "tools/convert/gltf_read_geometry.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "tools/convert/gltf_read_accessor.h"
#include "tools/convert/scene_limits.h"

namespace {

// An attribute's accessor with `count` elements, or false with one line.
bool ReadAttribute(const tinygltf::Model& model, const tinygltf::Primitive& primitive,
                   const std::string& name, int type, std::size_t count, AccessorView& out,
                   std::string& error) {
    const int index = primitive.attributes.at(name);
    if (!ViewAccessor(model, index, type, out, error))
        return false;
    if (out.Count() != count) {
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
    out.reserve(mode == TINYGLTF_MODE_TRIANGLES ? n / 3 : n);
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

// A glTF skin as the scene's: joints remapped, inverse bind matrices (identity when absent).
bool ReadSkin(const tinygltf::Model& model, int skinIndex, const std::vector<int>& remap,
              SceneSkin& skin, std::string& error) {
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
    for (std::size_t j = 0; j < s.joints.size(); ++j) {
        Affine bind;
        if (!inverse.empty()) {
            const double* m = inverse.data() + 16 * j;
            for (int r = 0; r < 3; ++r) {
                for (int c = 0; c < 3; ++c)
                    bind.a[r][c] = m[4 * c + r];
                bind.t[static_cast<std::size_t>(r)] = m[12 + r];
            }
        }
        skin.joints.push_back(remap[static_cast<std::size_t>(s.joints[j])]);
        skin.inverseBinds.push_back(bind);
    }
    return true;
}

// A vertex's influences: its positive weights over every JOINTS_n/WEIGHTS_n set, the heaviest
// kMaxInfluences when there are more (the lightest, the last of equals, makes room); with none,
// its first listed joint and no weight. `out` starts empty and is written where it lies: built
// aside and copied, the influences stall on their partial writes.
void Influences(const std::vector<AccessorView>& joints, const std::vector<AccessorView>& weights,
                std::size_t v, std::array<SceneInfluence, kMaxInfluences>& out) {
    std::size_t count = 0;
    for (std::size_t set = 0; set < joints.size(); ++set) {
        for (std::size_t k = 0; k < 4; ++k) {
            const double w = weights[set].At(v, static_cast<int>(k));
            if (!(w > 0))
                continue;
            const int joint = static_cast<int>(joints[set].At(v, static_cast<int>(k)));
            if (count < kMaxInfluences) {
                out[count].joint = joint;
                out[count++].weight = w;
                continue;
            }
            std::size_t lightest = kMaxInfluences;  // the new one, last of all
            double least = w;
            for (std::size_t i = kMaxInfluences; i-- > 0;) {
                if (out[i].weight < least) {
                    least = out[i].weight;
                    lightest = i;
                }
            }
            if (lightest == kMaxInfluences)
                continue;
            for (std::size_t i = lightest; i + 1 < kMaxInfluences; ++i)
                out[i] = out[i + 1];
            out[kMaxInfluences - 1].joint = joint;
            out[kMaxInfluences - 1].weight = w;
        }
    }
    if (count == 0)
        out[0].joint = static_cast<int>(joints[0].At(v, 0));
}

class GeometryReader {
  public:
    GeometryReader(const tinygltf::Model& model, const std::vector<int>& remap, Scene& scene)
        : model_(model), remap_(remap), scene_(scene) {}

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
            scene_.notes.push_back("skipped " + std::to_string(skippedPrimitives_) +
                                   " point and line primitives");
        }
        if (morphPrimitives_ > 0) {
            scene_.notes.push_back("ignored the morph targets of " +
                                   std::to_string(morphPrimitives_) + " primitives");
        }
        if (untexturedPrimitives_ > 0) {
            scene_.notes.push_back(std::to_string(untexturedPrimitives_) +
                                   " primitives lack the texture coordinates their texture "
                                   "needs; they are drawn untextured");
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
        // Read where they lie: copied out first, they were a third of the read.
        AccessorView positions, normals, uvs;
        if (!ViewAccessor(model_, p.attributes.at("POSITION"), TINYGLTF_TYPE_VEC3, positions,
                          error)) {
            return false;
        }
        const std::size_t count = positions.Count();
        const bool hasNormals = Has(p, "NORMAL");
        if (hasNormals &&
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
        std::vector<AccessorView> jointSets, weightSets;
        SceneMesh mesh;
        mesh.node = remap_[static_cast<std::size_t>(node)];
        mesh.material = p.material;
        if (skinned && !ReadSkinning(n.skin, p, count, mesh.skin, jointSets, weightSets, error))
            return false;

        // Only the vertices the triangles use, in order of first use, so that a mesh on many
        // nodes cannot multiply an accessor's unused elements.
        std::vector<std::uint32_t> used(count, UINT32_MAX);
        const std::vector<std::array<std::uint32_t, 3>> triangles = Triangles(mode, index);
        const std::size_t most = std::min(count, 3 * triangles.size());
        mesh.positions.reserve(most);
        mesh.normals.reserve(hasNormals ? most : 0);
        mesh.uvs.reserve(texCoord >= 0 ? most : 0);
        mesh.influences.reserve(skinned ? most : 0);
        mesh.triangles.reserve(triangles.size());
        for (const std::array<std::uint32_t, 3>& t : triangles) {
            if (++triangles_ > kMaxTriangles) {
                error = "the model has more than " + std::to_string(kMaxTriangles) + " triangles";
                return false;
            }
            std::array<std::uint32_t, 3>& corners = mesh.triangles.emplace_back();
            for (std::size_t k = 0; k < 3; ++k) {
                const std::uint32_t v = t[k];
                if (used[v] == UINT32_MAX) {
                    used[v] = static_cast<std::uint32_t>(mesh.positions.size());
                    mesh.positions.push_back(
                        {positions.At(v, 0), positions.At(v, 1), positions.At(v, 2)});
                    if (hasNormals)
                        mesh.normals.push_back(
                            {normals.At(v, 0), normals.At(v, 1), normals.At(v, 2)});
                    if (texCoord >= 0)
                        mesh.uvs.push_back({uvs.At(v, 0), uvs.At(v, 1)});
                    if (skinned)
                        Influences(jointSets, weightSets, v, mesh.influences.emplace_back());
                }
                corners[k] = used[v];
            }
        }
        if (!mesh.triangles.empty())
            scene_.meshes.push_back(std::move(mesh));
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
        if (PlainIndices(model_, p.indices)) {
            if (!ReadPlainIndices(model_, p.indices, out, error))
                return false;
            for (const std::uint32_t index : out) {
                if (index >= count) {
                    error = "a primitive's index (" + std::to_string(index) +
                            ") is out of range for its " + std::to_string(count) + " vertices";
                    return false;
                }
            }
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

    // The scene skin of glTF skin `skinIndex` (made on first use) and the primitive's joint
    // and weight sets.
    bool ReadSkinning(int skinIndex, const tinygltf::Primitive& p, std::size_t count, int& skin,
                      std::vector<AccessorView>& jointSets, std::vector<AccessorView>& weightSets,
                      std::string& error) {
        const auto known = skins_.find(skinIndex);
        if (known != skins_.end()) {
            skin = known->second;
        } else {
            SceneSkin read;
            if (!ReadSkin(model_, skinIndex, remap_, read, error))
                return false;
            skin = skins_[skinIndex] = static_cast<int>(scene_.skins.size());
            scene_.skins.push_back(std::move(read));
        }
        const std::size_t joints = scene_.skins[static_cast<std::size_t>(skin)].joints.size();
        for (int set = 0;; ++set) {
            const std::string jointName = "JOINTS_" + std::to_string(set);
            const std::string weightName = "WEIGHTS_" + std::to_string(set);
            if (!Has(p, jointName) || !Has(p, weightName))
                return true;
            AccessorView j, w;
            if (!ReadAttribute(model_, p, jointName, TINYGLTF_TYPE_VEC4, count, j, error) ||
                !ReadAttribute(model_, p, weightName, TINYGLTF_TYPE_VEC4, count, w, error)) {
                return false;
            }
            const auto& accessor =
                model_.accessors[static_cast<std::size_t>(p.attributes.at(jointName))];
            if (accessor.normalized ||
                (accessor.componentType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE &&
                 accessor.componentType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT)) {
                error = "a primitive's " + jointName + " are not unsigned bytes or shorts";
                return false;
            }
            for (std::size_t v = 0; v < count; ++v) {
                for (int k = 0; k < 4; ++k) {
                    const double index = j.At(v, k);
                    if (index >= static_cast<double>(joints)) {
                        error = "a primitive's joint index (" +
                                std::to_string(static_cast<int>(index)) +
                                ") is out of range for its skin";
                        return false;
                    }
                }
            }
            jointSets.push_back(std::move(j));
            weightSets.push_back(std::move(w));
        }
    }

    const tinygltf::Model& model_;
    const std::vector<int>& remap_;
    Scene& scene_;
    std::map<int, int> skins_;  // glTF skin -> scene skin
    std::size_t triangles_ = 0;
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
                  const std::vector<int>& remap, Scene& scene, std::string& error) {
    GeometryReader reader(model, remap, scene);
    for (const int node : sceneNodes) {
        if (!reader.Node(node, error))
            return false;
    }
    reader.Notes();
    return true;
}
