#include "tools/convert/import_animation.h"

#include <algorithm>
#include <cmath>

#include "tools/convert/import_accessor.h"

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

}  // namespace

bool AnimationSampler::Read(const tinygltf::Model& model, const tinygltf::Animation& animation,
                            std::vector<std::string>& notes, std::string& error) {
    const std::string name = "animation \"" + animation.name + "\"";
    int morphChannels = 0;
    for (const tinygltf::AnimationChannel& c : animation.channels) {
        if (c.target_path == "weights") {
            ++morphChannels;
            continue;
        }
        if (c.target_node < 0 || static_cast<std::size_t>(c.target_node) >= model.nodes.size() ||
            c.sampler < 0 || static_cast<std::size_t>(c.sampler) >= animation.samplers.size()) {
            error = name + " has a channel whose node or sampler is out of range";
            return false;
        }
        Channel channel;
        channel.node = c.target_node;
        if (c.target_path == "translation") {
            channel.path = Path::kTranslation;
        } else if (c.target_path == "rotation") {
            channel.path = Path::kRotation;
        } else if (c.target_path == "scale") {
            channel.path = Path::kScale;
        } else {
            error = name + " has a channel with the unknown path \"" + c.target_path + "\"";
            return false;
        }
        const tinygltf::AnimationSampler& s =
            animation.samplers[static_cast<std::size_t>(c.sampler)];
        if (s.interpolation == "STEP") {
            channel.mode = Mode::kStep;
        } else if (s.interpolation == "CUBICSPLINE") {
            channel.mode = Mode::kCubic;
        } else if (s.interpolation == "LINEAR" || s.interpolation.empty()) {
            channel.mode = Mode::kLinear;
        } else {
            error =
                name + " has a sampler with the unknown interpolation \"" + s.interpolation + "\"";
            return false;
        }
        channel.components = channel.path == Path::kRotation ? 4 : 3;
        if (!ReadAccessor(model, s.input, TINYGLTF_TYPE_SCALAR, channel.times, error) ||
            !ReadAccessor(model, s.output,
                          channel.components == 4 ? TINYGLTF_TYPE_VEC4 : TINYGLTF_TYPE_VEC3,
                          channel.values, error)) {
            error = name + ": " + error;
            return false;
        }
        const std::size_t perKey =
            static_cast<std::size_t>(channel.components) * (channel.mode == Mode::kCubic ? 3 : 1);
        if (channel.values.size() != channel.times.size() * perKey) {
            error = name + " has a sampler whose output count does not match its input count";
            return false;
        }
        for (std::size_t k = 0; k < channel.times.size(); ++k) {
            if (!std::isfinite(channel.times[k]) ||
                (k > 0 && !(channel.times[k] > channel.times[k - 1]))) {
                error = name + " has key times that are not finite and increasing";
                return false;
            }
        }
        if (!std::all_of(channel.values.begin(), channel.values.end(),
                         [](double v) { return std::isfinite(v); })) {
            error = name + " has a key value that is not finite";
            return false;
        }
        if (model.nodes[static_cast<std::size_t>(channel.node)].matrix.size() == 16) {
            notes.push_back(name + " animates node " + std::to_string(channel.node) +
                            ", which has a matrix; the channel is ignored");
            continue;
        }
        duration_ = std::max(duration_, channel.times.back());
        channels_.push_back(std::move(channel));
    }
    if (morphChannels > 0) {
        notes.push_back(name + ": ignored " + std::to_string(morphChannels) +
                        " morph target weight channels");
    }
    return true;
}

void AnimationSampler::Evaluate(const Channel& c, double t, double* out) const {
    const auto n = static_cast<std::size_t>(c.components);
    const bool cubic = c.mode == Mode::kCubic;
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
        case Mode::kStep:
            std::copy(a, a + n, out);
            return;
        case Mode::kLinear:
            if (c.path == Path::kRotation) {
                Slerp(a, b, s, out);
            } else {
                for (std::size_t i = 0; i < n; ++i)
                    out[i] = a[i] + s * (b[i] - a[i]);
            }
            return;
        case Mode::kCubic: {
            const double* outTangent = c.values.data() + (3 * k + 2) * n;
            const double* inTangent = c.values.data() + (3 * (k + 1)) * n;
            const double s2 = s * s, s3 = s2 * s;
            const double h00 = 2 * s3 - 3 * s2 + 1, h10 = s3 - 2 * s2 + s;
            const double h01 = -2 * s3 + 3 * s2, h11 = s3 - s2;
            for (std::size_t i = 0; i < n; ++i) {
                out[i] = h00 * a[i] + h10 * span * outTangent[i] + h01 * b[i] +
                         h11 * span * inTangent[i];
            }
            if (c.path == Path::kRotation)
                Normalize4(out);
            return;
        }
    }
}

void AnimationSampler::Apply(double t, std::vector<NodeParts>& parts) const {
    for (const Channel& c : channels_) {
        NodeParts& p = parts[static_cast<std::size_t>(c.node)];
        switch (c.path) {
            case Path::kTranslation:
                Evaluate(c, t, p.translation.data());
                break;
            case Path::kRotation:
                Evaluate(c, t, p.rotation.data());
                break;
            case Path::kScale:
                Evaluate(c, t, p.scale.data());
                break;
        }
    }
}
