#include "tests/support/gltf_builder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

namespace gltf_models {

Quat AxisAngle(const Vec& axis, double degrees) {
    const double half = degrees * std::numbers::pi / 360.0;
    const double length = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
    const double s = std::sin(half) / length;
    return {axis[0] * s, axis[1] * s, axis[2] * s, std::cos(half)};
}

Mat4 Trs(const Vec& t, const Quat& q, const Vec& s) {
    const double x = q[0], y = q[1], z = q[2], w = q[3];
    const double r[3][3] = {
        {1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
        {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
        {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)},
    };
    Mat4 m{};
    for (int column = 0; column < 3; ++column) {
        for (int row = 0; row < 3; ++row) {
            m[column * 4 + row] = r[row][column] * s[column];
        }
    }
    m[12] = t[0];
    m[13] = t[1];
    m[14] = t[2];
    m[15] = 1;
    return m;
}

Mat4 Multiply(const Mat4& a, const Mat4& b) {
    Mat4 m{};
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) {
                sum += a[k * 4 + row] * b[column * 4 + k];
            }
            m[column * 4 + row] = sum;
        }
    }
    return m;
}

Mat4 InverseAffine(const Mat4& m) {
    auto at = [&m](int row, int column) { return m[column * 4 + row]; };
    const double c00 = at(1, 1) * at(2, 2) - at(1, 2) * at(2, 1);
    const double c01 = at(1, 2) * at(2, 0) - at(1, 0) * at(2, 2);
    const double c02 = at(1, 0) * at(2, 1) - at(1, 1) * at(2, 0);
    const double inverseDeterminant = 1.0 / (at(0, 0) * c00 + at(0, 1) * c01 + at(0, 2) * c02);
    const double inverse[3][3] = {
        {c00, at(0, 2) * at(2, 1) - at(0, 1) * at(2, 2), at(0, 1) * at(1, 2) - at(0, 2) * at(1, 1)},
        {c01, at(0, 0) * at(2, 2) - at(0, 2) * at(2, 0), at(0, 2) * at(1, 0) - at(0, 0) * at(1, 2)},
        {c02, at(0, 1) * at(2, 0) - at(0, 0) * at(2, 1), at(0, 0) * at(1, 1) - at(0, 1) * at(1, 0)},
    };
    Mat4 result{};
    for (int row = 0; row < 3; ++row) {
        double translation = 0;
        for (int column = 0; column < 3; ++column) {
            result[column * 4 + row] = inverse[row][column] * inverseDeterminant;
            translation -= result[column * 4 + row] * m[12 + column];
        }
        result[12 + row] = translation;
    }
    result[15] = 1;
    return result;
}

Vec TransformPoint(const Mat4& m, const Vec& p) {
    Vec result{};
    for (int row = 0; row < 3; ++row) {
        result[row] = m[row] * p[0] + m[4 + row] * p[1] + m[8 + row] * p[2] + m[12 + row];
    }
    return result;
}

Mat4 LocalMatrix(const tinygltf::Node& node) {
    if (node.matrix.size() == 16) {
        Mat4 m{};
        std::copy(node.matrix.begin(), node.matrix.end(), m.begin());
        return m;
    }
    Vec t{0, 0, 0};
    Quat r{0, 0, 0, 1};
    Vec s{1, 1, 1};
    std::copy(node.translation.begin(), node.translation.end(), t.begin());
    std::copy(node.rotation.begin(), node.rotation.end(), r.begin());
    std::copy(node.scale.begin(), node.scale.end(), s.begin());
    return Trs(t, r, s);
}

Mat4 WorldMatrix(const tinygltf::Model& model, int node) {
    Mat4 world = LocalMatrix(model.nodes[node]);
    for (bool found = true; found;) {
        found = false;
        for (std::size_t parent = 0; parent < model.nodes.size() && !found; ++parent) {
            const std::vector<int>& children = model.nodes[parent].children;
            if (std::find(children.begin(), children.end(), node) != children.end()) {
                world = Multiply(LocalMatrix(model.nodes[parent]), world);
                node = static_cast<int>(parent);
                found = true;
            }
        }
    }
    return world;
}

void AddInfluences(Geometry& geometry, Influences influences) {
    std::erase_if(influences, [](const auto& influence) { return influence.second <= 0; });
    std::stable_sort(influences.begin(), influences.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    influences.resize(4, {0, 0.0});
    double total = 0;
    for (const auto& influence : influences) {
        total += influence.second;
    }
    for (const auto& [joint, weight] : influences) {
        geometry.joints.push_back(static_cast<std::uint16_t>(joint));
        geometry.weights.push_back(static_cast<float>(weight / total));
    }
}

namespace {

void AddVertex(Geometry& geometry, const Vec& position, const Vec& normal,
               const std::function<Influences(const Vec&)>& weights) {
    for (int i = 0; i < 3; ++i) {
        geometry.positions.push_back(static_cast<float>(position[i]));
        geometry.normals.push_back(static_cast<float>(normal[i]));
    }
    if (weights) {
        AddInfluences(geometry, weights(position));
    }
}

}  // namespace

void AddBox(Geometry& geometry, const Vec& min, const Vec& max, const BoxOptions& options) {
    for (int face = 0; face < 6; ++face) {
        if ((options.faces & (1u << face)) == 0) {
            continue;
        }
        const int axis = face / 2;
        const bool positive = face % 2 == 1;
        // u x v = the face's normal, so quads going +u then +v wind counter-clockwise.
        int u = (axis + 1) % 3;
        int v = (axis + 2) % 3;
        if (!positive) {
            std::swap(u, v);
        }
        const int stepsU = u == options.axis ? options.segments : 1;
        const int stepsV = v == options.axis ? options.segments : 1;
        Vec normal{0, 0, 0};
        normal[axis] = positive ? 1 : -1;
        const std::uint32_t first = geometry.VertexCount();
        for (int j = 0; j <= stepsV; ++j) {
            for (int i = 0; i <= stepsU; ++i) {
                Vec p{};
                p[axis] = positive ? max[axis] : min[axis];
                p[u] = min[u] + (max[u] - min[u]) * i / stepsU;
                p[v] = min[v] + (max[v] - min[v]) * j / stepsV;
                AddVertex(geometry, p, normal, options.weights);
            }
        }
        for (int j = 0; j < stepsV; ++j) {
            for (int i = 0; i < stepsU; ++i) {
                const std::uint32_t a = first + j * (stepsU + 1) + i;
                const std::uint32_t b = a + 1;
                const std::uint32_t c = b + stepsU + 1;
                const std::uint32_t d = a + stepsU + 1;
                geometry.indices.insert(geometry.indices.end(), {a, b, c, a, c, d});
            }
        }
    }
}

Builder::Builder(tinygltf::Model& model) : model_(model) {
    if (model_.buffers.empty()) {
        model_.buffers.emplace_back();
    }
}

int Builder::View(const void* data, std::size_t bytes, int target) {
    std::vector<unsigned char>& buffer = model_.buffers[0].data;
    buffer.resize((buffer.size() + 3) / 4 * 4, 0);
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = buffer.size();
    view.byteLength = bytes;
    view.target = target;
    const auto* begin = static_cast<const unsigned char*>(data);
    buffer.insert(buffer.end(), begin, begin + bytes);
    model_.bufferViews.push_back(view);
    return static_cast<int>(model_.bufferViews.size() - 1);
}

int Builder::Accessor(int view, int componentType, std::size_t count, int type) {
    tinygltf::Accessor accessor;
    accessor.bufferView = view;
    accessor.byteOffset = 0;
    accessor.componentType = componentType;
    accessor.count = count;
    accessor.type = type;
    model_.accessors.push_back(accessor);
    return static_cast<int>(model_.accessors.size() - 1);
}

int Builder::Floats(const std::vector<float>& values, int type, int target, bool bounds) {
    const int components = tinygltf::GetNumComponentsInType(type);
    const int view = View(values.data(), values.size() * sizeof(float), target);
    const int index =
        Accessor(view, TINYGLTF_COMPONENT_TYPE_FLOAT, values.size() / components, type);
    if (bounds) {
        tinygltf::Accessor& accessor = model_.accessors[index];
        accessor.minValues.assign(components, std::numeric_limits<double>::max());
        accessor.maxValues.assign(components, std::numeric_limits<double>::lowest());
        for (std::size_t i = 0; i < values.size(); ++i) {
            const int c = static_cast<int>(i % components);
            accessor.minValues[c] = std::min<double>(accessor.minValues[c], values[i]);
            accessor.maxValues[c] = std::max<double>(accessor.maxValues[c], values[i]);
        }
    }
    return index;
}

int Builder::Indices(const std::vector<std::uint32_t>& indices) {
    const std::uint32_t largest = *std::max_element(indices.begin(), indices.end());
    if (largest >= 0xffff) {
        const int view =
            View(indices.data(), indices.size() * 4, TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
        return Accessor(view, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, indices.size(),
                        TINYGLTF_TYPE_SCALAR);
    }
    const std::vector<std::uint16_t> narrow(indices.begin(), indices.end());
    const int view = View(narrow.data(), narrow.size() * 2, TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
    return Accessor(view, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, indices.size(),
                    TINYGLTF_TYPE_SCALAR);
}

int Builder::Joints(const std::vector<std::uint16_t>& joints, int componentType) {
    int view = 0;
    if (componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE) {
        const std::vector<std::uint8_t> narrow(joints.begin(), joints.end());
        view = View(narrow.data(), narrow.size(), TINYGLTF_TARGET_ARRAY_BUFFER);
    } else {
        view = View(joints.data(), joints.size() * 2, TINYGLTF_TARGET_ARRAY_BUFFER);
    }
    return Accessor(view, componentType, joints.size() / 4, TINYGLTF_TYPE_VEC4);
}

int Builder::Matrices(const std::vector<Mat4>& matrices) {
    std::vector<float> values;
    for (const Mat4& m : matrices) {
        values.insert(values.end(), m.begin(), m.end());
    }
    return Floats(values, TINYGLTF_TYPE_MAT4, 0, false);
}

tinygltf::Primitive Builder::Primitive(const Geometry& geometry, int material, int mode,
                                       int jointType) {
    tinygltf::Primitive primitive;
    primitive.mode = mode;
    primitive.material = material;
    const int target = TINYGLTF_TARGET_ARRAY_BUFFER;
    primitive.attributes["POSITION"] = Floats(geometry.positions, TINYGLTF_TYPE_VEC3, target, true);
    if (!geometry.normals.empty()) {
        primitive.attributes["NORMAL"] =
            Floats(geometry.normals, TINYGLTF_TYPE_VEC3, target, false);
    }
    if (!geometry.uvs.empty()) {
        primitive.attributes["TEXCOORD_0"] =
            Floats(geometry.uvs, TINYGLTF_TYPE_VEC2, target, false);
    }
    if (!geometry.joints.empty()) {
        primitive.attributes["JOINTS_0"] = Joints(geometry.joints, jointType);
        primitive.attributes["WEIGHTS_0"] =
            Floats(geometry.weights, TINYGLTF_TYPE_VEC4, target, false);
    }
    if (!geometry.indices.empty()) {
        primitive.indices = Indices(geometry.indices);
    }
    return primitive;
}

void Builder::Channel(tinygltf::Animation& animation, int node, const std::string& path,
                      const std::string& interpolation, const std::vector<float>& times,
                      const std::vector<float>& values) {
    const int type = path == "rotation" ? TINYGLTF_TYPE_VEC4 : TINYGLTF_TYPE_VEC3;
    tinygltf::AnimationSampler sampler;
    sampler.input = Floats(times, TINYGLTF_TYPE_SCALAR, 0, true);
    sampler.output = Floats(values, type, 0, false);
    sampler.interpolation = interpolation;
    animation.samplers.push_back(sampler);
    tinygltf::AnimationChannel channel;
    channel.sampler = static_cast<int>(animation.samplers.size() - 1);
    channel.target_node = node;
    channel.target_path = path;
    animation.channels.push_back(channel);
}

int AddMaterial(tinygltf::Model& model, const std::string& name, const std::array<double, 4>& color,
                double metallic, double roughness) {
    tinygltf::Material material;
    material.name = name;
    material.pbrMetallicRoughness.baseColorFactor.assign(color.begin(), color.end());
    material.pbrMetallicRoughness.metallicFactor = metallic;
    material.pbrMetallicRoughness.roughnessFactor = roughness;
    model.materials.push_back(material);
    return static_cast<int>(model.materials.size() - 1);
}

int AddTexture(tinygltf::Model& model, const std::string& name, int width, int height,
               std::vector<unsigned char> rgb, const std::string& mimeType) {
    tinygltf::Image image;
    image.name = name;
    image.width = width;
    image.height = height;
    image.component = 3;
    image.bits = 8;
    image.pixel_type = TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE;
    image.image = std::move(rgb);
    image.mimeType = mimeType;
    model.images.push_back(std::move(image));

    tinygltf::Sampler sampler;
    sampler.magFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
    sampler.minFilter = TINYGLTF_TEXTURE_FILTER_LINEAR_MIPMAP_LINEAR;
    model.samplers.push_back(sampler);

    tinygltf::Texture texture;
    texture.name = name;
    texture.source = static_cast<int>(model.images.size() - 1);
    texture.sampler = static_cast<int>(model.samplers.size() - 1);
    model.textures.push_back(texture);
    return static_cast<int>(model.textures.size() - 1);
}

int AddNode(tinygltf::Model& model, const std::string& name, int parent, int mesh) {
    tinygltf::Node node;
    node.name = name;
    node.mesh = mesh;
    model.nodes.push_back(node);
    const int index = static_cast<int>(model.nodes.size() - 1);
    if (parent >= 0) {
        model.nodes[parent].children.push_back(index);
    }
    return index;
}

}  // namespace gltf_models
