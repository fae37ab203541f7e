#include "tools/convert/gltf_read_animation.h"

#include <algorithm>
#include <cmath>

#include "tools/convert/gltf_read_accessor.h"

bool ReadAnimation(const tinygltf::Model& model, const tinygltf::Animation& animation,
                   const std::vector<int>& remap, SceneAnimation& out,
                   std::vector<std::string>& notes, std::string& error) {
    const std::string name = "animation \"" + animation.name + "\"";
    out.name = animation.name;
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
        SceneChannel channel;
        channel.node = remap[static_cast<std::size_t>(c.target_node)];
        if (c.target_path == "translation") {
            channel.path = ScenePath::kTranslation;
        } else if (c.target_path == "rotation") {
            channel.path = ScenePath::kRotation;
        } else if (c.target_path == "scale") {
            channel.path = ScenePath::kScale;
        } else {
            error = name + " has a channel with the unknown path \"" + c.target_path + "\"";
            return false;
        }
        const tinygltf::AnimationSampler& s =
            animation.samplers[static_cast<std::size_t>(c.sampler)];
        if (s.interpolation == "STEP") {
            channel.mode = SceneInterpolation::kStep;
        } else if (s.interpolation == "CUBICSPLINE") {
            channel.mode = SceneInterpolation::kCubic;
        } else if (s.interpolation == "LINEAR" || s.interpolation.empty()) {
            channel.mode = SceneInterpolation::kLinear;
        } else {
            error =
                name + " has a sampler with the unknown interpolation \"" + s.interpolation + "\"";
            return false;
        }
        const bool rotation = channel.path == ScenePath::kRotation;
        if (!ReadAccessor(model, s.input, TINYGLTF_TYPE_SCALAR, channel.times, error) ||
            !ReadAccessor(model, s.output, rotation ? TINYGLTF_TYPE_VEC4 : TINYGLTF_TYPE_VEC3,
                          channel.values, error)) {
            error = name + ": " + error;
            return false;
        }
        const std::size_t perKey =
            (rotation ? 4u : 3u) * (channel.mode == SceneInterpolation::kCubic ? 3u : 1u);
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
        if (model.nodes[static_cast<std::size_t>(c.target_node)].matrix.size() == 16) {
            notes.push_back(name + " animates node " + std::to_string(c.target_node) +
                            ", which has a matrix; the channel is ignored");
            continue;
        }
        out.channels.push_back(std::move(channel));
    }
    if (morphChannels > 0) {
        notes.push_back(name + ": ignored " + std::to_string(morphChannels) +
                        " morph target weight channels");
    }
    return true;
}
