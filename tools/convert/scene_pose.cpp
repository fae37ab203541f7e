#include "tools/convert/scene_pose.h"

#include <algorithm>
#include <cmath>

#include "tools/convert/scene_limits.h"

namespace {

void Normalize4(double* q) {
    const double length = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    if (length > 0) {
        for (int i = 0; i < 4; ++i)
            q[i] /= length;
    }
}

void Slerp(const double* a, const double* b, double s, double* out) {
    double d = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
    double sign = 1;
    if (d < 0) {
        d = -d;
        sign = -1;  // the shorter way round
    }
    double wa = 1 - s, wb = s;
    if (d < 0.9995) {
        const double angle = std::acos(std::min(d, 1.0));
        const double sine = std::sin(angle);
        wa = std::sin((1 - s) * angle) / sine;
        wb = std::sin(s * angle) / sine;
    }
    for (int i = 0; i < 4; ++i)
        out[i] = wa * a[i] + sign * wb * b[i];
    Normalize4(out);
}

void Evaluate(const SceneChannel& c, double t, double* out) {
    const std::size_t n = c.path == ScenePath::kRotation ? 4 : 3;
    const bool cubic = c.mode == SceneInterpolation::kCubic;
    // The value of key k (the middle of its three parts for a cubic spline).
    const auto value = [&](std::size_t k) { return c.values.data() + (cubic ? 3 * k + 1 : k) * n; };
    const std::size_t keys = c.times.size();
    if (t <= c.times.front() || keys == 1) {
        std::copy(value(0), value(0) + n, out);
        return;
    }
    if (t >= c.times.back()) {
        std::copy(value(keys - 1), value(keys - 1) + n, out);
        return;
    }
    const std::size_t k = static_cast<std::size_t>(
        std::upper_bound(c.times.begin(), c.times.end(), t) - c.times.begin() - 1);
    const double span = c.times[k + 1] - c.times[k];
    const double s = (t - c.times[k]) / span;
    const double* a = value(k);
    const double* b = value(k + 1);
    switch (c.mode) {
        case SceneInterpolation::kStep:
            std::copy(a, a + n, out);
            return;
        case SceneInterpolation::kLinear:
            if (c.path == ScenePath::kRotation) {
                Slerp(a, b, s, out);
            } else {
                for (std::size_t i = 0; i < n; ++i)
                    out[i] = a[i] + s * (b[i] - a[i]);
            }
            return;
        case SceneInterpolation::kCubic: {
            const double* outTangent = c.values.data() + (3 * k + 2) * n;
            const double* inTangent = c.values.data() + (3 * (k + 1)) * n;
            const double s2 = s * s, s3 = s2 * s;
            const double h00 = 2 * s3 - 3 * s2 + 1, h10 = s3 - 2 * s2 + s;
            const double h01 = -2 * s3 + 3 * s2, h11 = s3 - s2;
            for (std::size_t i = 0; i < n; ++i) {
                out[i] = h00 * a[i] + h10 * span * outTangent[i] + h01 * b[i] +
                         h11 * span * inTangent[i];
            }
            if (c.path == ScenePath::kRotation)
                Normalize4(out);
            return;
        }
    }
}

}  // namespace

std::vector<NodeParts> RestParts(const Scene& scene) {
    std::vector<NodeParts> parts;
    parts.reserve(scene.nodes.size());
    for (const SceneNode& node : scene.nodes)
        parts.push_back(node.rest);
    return parts;
}

void NodeWorlds(const Scene& scene, const std::vector<Affine>& locals,
                std::vector<Affine>& worlds) {
    worlds.resize(locals.size());
    for (std::size_t i = 0; i < locals.size(); ++i) {
        const int parent = scene.nodes[i].parent;
        worlds[i] = parent < 0 ? locals[i] : worlds[static_cast<std::size_t>(parent)] * locals[i];
    }
}

void PartsWorlds(const Scene& scene, const std::vector<NodeParts>& parts,
                 std::vector<Affine>& locals, std::vector<Affine>& worlds) {
    locals.resize(parts.size());
    for (std::size_t i = 0; i < parts.size(); ++i)
        locals[i] = parts[i].Local();
    NodeWorlds(scene, locals, worlds);
}

double Duration(const SceneAnimation& animation) {
    double duration = 0;
    for (const SceneChannel& c : animation.channels) {
        if (!c.times.empty())
            duration = std::max(duration, c.times.back());
    }
    return duration;
}

void ApplyAnimation(const SceneAnimation& animation, double t, std::vector<NodeParts>& parts) {
    for (const SceneChannel& c : animation.channels) {
        if (c.times.empty())
            continue;
        NodeParts& p = parts[static_cast<std::size_t>(c.node)];
        switch (c.path) {
            case ScenePath::kTranslation:
                Evaluate(c, t, p.translation.data());
                break;
            case ScenePath::kRotation:
                Evaluate(c, t, p.rotation.data());
                break;
            case ScenePath::kScale:
                Evaluate(c, t, p.scale.data());
                break;
        }
    }
}

void FrameWorlds(const Scene& scene, const SceneAnimation* animation, int frame,
                 std::vector<Affine>& locals, std::vector<Affine>& worlds) {
    std::vector<NodeParts> parts = RestParts(scene);
    if (animation != nullptr)
        ApplyAnimation(*animation, frame / kFramesPerSecond, parts);
    PartsWorlds(scene, parts, locals, worlds);
}
