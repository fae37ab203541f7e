#include "tests/convert/gltf_reference.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tests/support/gltf_builder.h"

using namespace gltf_models;

namespace {

std::vector<double> Read(const tinygltf::Model& model, int index) {
    const tinygltf::Accessor& a = model.accessors[static_cast<std::size_t>(index)];
    const tinygltf::BufferView& v = model.bufferViews[static_cast<std::size_t>(a.bufferView)];
    const unsigned char* p =
        model.buffers[static_cast<std::size_t>(v.buffer)].data.data() + v.byteOffset + a.byteOffset;
    const std::size_t n = a.count * static_cast<std::size_t>(tinygltf::GetNumComponentsInType(
                                        static_cast<std::uint32_t>(a.type)));
    std::vector<double> out(n);
    for (std::size_t i = 0; i < n; ++i) {
        if (a.componentType == TINYGLTF_COMPONENT_TYPE_FLOAT) {
            float f;
            std::memcpy(&f, p + 4 * i, 4);
            out[i] = f;
        } else if (a.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT) {
            std::uint16_t s;
            std::memcpy(&s, p + 2 * i, 2);
            out[i] = s;
        } else if (a.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT) {
            std::uint32_t u;
            std::memcpy(&u, p + 4 * i, 4);
            out[i] = u;
        } else {
            out[i] = p[i];
        }
    }
    return out;
}

std::vector<double> Sample(const tinygltf::Model& model, const tinygltf::AnimationSampler& s,
                           std::size_t width, bool rotation, double t) {
    const std::vector<double> times = Read(model, s.input);
    const std::vector<double> values = Read(model, s.output);
    const bool cubic = s.interpolation == "CUBICSPLINE";
    const auto at = [&](std::size_t key, std::size_t part) {
        const std::size_t base = (cubic ? 3 * key + part : key) * width;
        return std::vector<double>(values.begin() + static_cast<long>(base),
                                   values.begin() + static_cast<long>(base + width));
    };
    if (t <= times.front())
        return at(0, 1);
    if (t >= times.back())
        return at(times.size() - 1, 1);
    std::size_t k = 0;
    while (times[k + 1] <= t)
        ++k;
    const double dt = times[k + 1] - times[k], u = (t - times[k]) / dt;
    std::vector<double> out(width);
    if (s.interpolation == "STEP")
        return at(k, 1);
    if (cubic) {
        const auto p0 = at(k, 1), m0 = at(k, 2), p1 = at(k + 1, 1), m1 = at(k + 1, 0);
        for (std::size_t i = 0; i < width; ++i) {
            out[i] = (2 * u * u * u - 3 * u * u + 1) * p0[i] +
                     (u * u * u - 2 * u * u + u) * dt * m0[i] +
                     (-2 * u * u * u + 3 * u * u) * p1[i] + (u * u * u - u * u) * dt * m1[i];
        }
    } else if (rotation) {
        auto a = at(k, 1), b = at(k + 1, 1);
        double d = 0;
        for (std::size_t i = 0; i < 4; ++i)
            d += a[i] * b[i];
        if (d < 0) {
            for (double& x : b)
                x = -x;
            d = -d;
        }
        const double angle = std::acos(std::min(1.0, d));
        for (std::size_t i = 0; i < 4; ++i) {
            out[i] = angle < 1e-9
                         ? a[i] + u * (b[i] - a[i])
                         : (std::sin((1 - u) * angle) * a[i] + std::sin(u * angle) * b[i]) /
                               std::sin(angle);
        }
    } else {
        const auto a = at(k, 1), b = at(k + 1, 1);
        for (std::size_t i = 0; i < width; ++i)
            out[i] = a[i] + u * (b[i] - a[i]);
    }
    if (rotation) {
        double length = 0;
        for (double x : out)
            length += x * x;
        for (double& x : out)
            x /= std::sqrt(length);
    }
    return out;
}

Vec Point(const Mat4& m, const std::vector<double>& v, std::size_t i) {
    return TransformPoint(m, {v[3 * i], v[3 * i + 1], v[3 * i + 2]});
}

}  // namespace

tinygltf::Model PosedModel(const tinygltf::Model& model, int animation, double t) {
    tinygltf::Model posed = model;
    if (animation < 0)
        return posed;
    const tinygltf::Animation& a = model.animations[static_cast<std::size_t>(animation)];
    for (const tinygltf::AnimationChannel& c : a.channels) {
        tinygltf::Node& node = posed.nodes[static_cast<std::size_t>(c.target_node)];
        const bool rotation = c.target_path == "rotation";
        const std::vector<double> value = Sample(
            model, a.samplers[static_cast<std::size_t>(c.sampler)], rotation ? 4 : 3, rotation, t);
        (c.target_path == "translation" ? node.translation
         : rotation                     ? node.rotation
                                        : node.scale) = value;
    }
    return posed;
}

double AnimationLength(const tinygltf::Model& model, int animation) {
    double length = 0;
    for (const auto& s : model.animations[static_cast<std::size_t>(animation)].samplers)
        length = std::max(length, Read(model, s.input).back());
    return length;
}

std::vector<RefVertex> SkinnedVertices(const tinygltf::Model& model, int animation, double t) {
    const tinygltf::Model posed = PosedModel(model, animation, t);
    std::vector<RefVertex> out;
    for (const tinygltf::Node& node : model.nodes) {
        if (node.mesh < 0 || node.skin < 0)
            continue;
        const tinygltf::Skin& skin = model.skins[static_cast<std::size_t>(node.skin)];
        std::vector<double> inverse(16 * skin.joints.size(), 0.0);
        if (skin.inverseBindMatrices >= 0)
            inverse = Read(model, skin.inverseBindMatrices);
        else
            for (std::size_t j = 0; j < skin.joints.size(); ++j)
                for (std::size_t i = 0; i < 4; ++i)
                    inverse[16 * j + 5 * i] = 1;
        for (const tinygltf::Primitive& p :
             model.meshes[static_cast<std::size_t>(node.mesh)].primitives) {
            if (p.mode < TINYGLTF_MODE_TRIANGLES)
                continue;
            const std::vector<double> positions = Read(model, p.attributes.at("POSITION"));
            const std::vector<double> joints = Read(model, p.attributes.at("JOINTS_0"));
            const std::vector<double> weights = Read(model, p.attributes.at("WEIGHTS_0"));
            for (std::size_t i = 0; i < positions.size() / 3; ++i) {
                RefVertex v{{0, 0, 0}, {0, 0, 0}};
                for (std::size_t k = 0; k < 4; ++k) {
                    const auto j = static_cast<std::size_t>(joints[4 * i + k]);
                    Mat4 bind;
                    std::copy(inverse.begin() + static_cast<long>(16 * j),
                              inverse.begin() + static_cast<long>(16 * j + 16), bind.begin());
                    const Vec rest =
                        Point(Multiply(WorldMatrix(model, skin.joints[j]), bind), positions, i);
                    const Vec now =
                        Point(Multiply(WorldMatrix(posed, skin.joints[j]), bind), positions, i);
                    for (std::size_t c = 0; c < 3; ++c) {
                        v.rest[c] += weights[4 * i + k] * rest[c];
                        v.posed[c] += weights[4 * i + k] * now[c];
                    }
                }
                out.push_back(v);
            }
        }
    }
    return out;
}

namespace {

// The vertices one node or joint moves alone, or (`blended`) those over several joints.
std::vector<RefVertex> Vertices(const tinygltf::Model& model, int animation, double t,
                                bool blended) {
    const tinygltf::Model posed = PosedModel(model, animation, t);
    std::vector<RefVertex> out;
    for (std::size_t n = 0; n < model.nodes.size(); ++n) {
        const tinygltf::Node& node = model.nodes[n];
        if (node.mesh < 0 || node.name == "Hidden")
            continue;
        for (const tinygltf::Primitive& p :
             model.meshes[static_cast<std::size_t>(node.mesh)].primitives) {
            if (p.mode < TINYGLTF_MODE_TRIANGLES)
                continue;
            const std::vector<double> positions = Read(model, p.attributes.at("POSITION"));
            const std::size_t count = positions.size() / 3;
            if (node.skin < 0) {
                if (blended)
                    continue;
                const Mat4 rest = WorldMatrix(model, static_cast<int>(n));
                const Mat4 now = WorldMatrix(posed, static_cast<int>(n));
                for (std::size_t i = 0; i < count; ++i)
                    out.push_back({Point(rest, positions, i), Point(now, positions, i)});
                continue;
            }
            const tinygltf::Skin& skin = model.skins[static_cast<std::size_t>(node.skin)];
            const std::vector<double> joints = Read(model, p.attributes.at("JOINTS_0"));
            const std::vector<double> weights = Read(model, p.attributes.at("WEIGHTS_0"));
            const std::vector<double> inverse = Read(model, skin.inverseBindMatrices);
            // A joint's skinning matrix in a pose.
            const auto skinning = [&](const tinygltf::Model& pose, std::size_t j) {
                Mat4 bind;
                std::copy(inverse.begin() + static_cast<long>(16 * j),
                          inverse.begin() + static_cast<long>(16 * j + 16), bind.begin());
                return Multiply(WorldMatrix(pose, skin.joints[j]), bind);
            };
            for (std::size_t i = 0; i < count; ++i) {
                if ((weights[4 * i] < 1 - 1e-6) != blended)
                    continue;
                RefVertex vertex{{0, 0, 0}, {0, 0, 0}};
                double total = 0;
                for (std::size_t k = 0; k < 4; ++k)
                    total += weights[4 * i + k];
                for (std::size_t k = 0; k < 4; ++k) {
                    const double w = weights[4 * i + k] / total;
                    if (w == 0)
                        continue;
                    const auto j = static_cast<std::size_t>(joints[4 * i + k]);
                    const Vec rest = Point(skinning(model, j), positions, i);
                    const Vec now = Point(skinning(posed, j), positions, i);
                    for (std::size_t c = 0; c < 3; ++c) {
                        vertex.rest[c] += w * rest[c];
                        vertex.posed[c] += w * now[c];
                    }
                }
                out.push_back(vertex);
            }
        }
    }
    return out;
}

}  // namespace

std::vector<RefVertex> RigidVertices(const tinygltf::Model& model, int animation, double t) {
    return Vertices(model, animation, t, false);
}

std::vector<RefVertex> BlendedVertices(const tinygltf::Model& model, int animation, double t) {
    return Vertices(model, animation, t, true);
}
