#include "tools/convert/assimp_animation.h"

#include <cmath>

namespace {

struct Part {
    std::vector<double> times;
    std::vector<double> values;
    bool droppedKeys = false;

    void Add(double time, std::initializer_list<double> value) {
        if (!std::isfinite(time) || (!times.empty() && !(time > times.back()))) {
            droppedKeys = true;
            return;
        }
        times.push_back(time);
        values.insert(values.end(), value);
    }
};

SceneChannel Channel(int node, ScenePath path, Part&& part, double start,
                     std::initializer_list<double> rest) {
    if (part.times.empty())
        part.Add(start, rest);
    SceneChannel channel;
    channel.node = node;
    channel.path = path;
    channel.mode = SceneInterpolation::kLinear;
    channel.times = std::move(part.times);
    channel.values = std::move(part.values);
    return channel;
}

}  // namespace

SceneAnimation ConvertAnimation(const aiAnimation& animation, const std::string& fallbackName,
                                const std::map<std::string, int>& nodes, Scene& scene) {
    SceneAnimation out;
    out.name = animation.mName.length > 0 ? animation.mName.C_Str() : fallbackName;
    const double rate = animation.mTicksPerSecond > 0 && std::isfinite(animation.mTicksPerSecond)
                            ? animation.mTicksPerSecond
                            : kDefaultTicksPerSecond;
    bool dropped = false;
    for (unsigned c = 0; c < animation.mNumChannels; ++c) {
        const aiNodeAnim& track = *animation.mChannels[c];
        const auto found = nodes.find(track.mNodeName.C_Str());
        if (found == nodes.end()) {
            scene.notes.push_back("animation \"" + out.name + "\": skipped the channel of \"" +
                                  track.mNodeName.C_Str() + "\", which names no node");
            continue;
        }
        Part translation, rotation, scale;
        for (unsigned k = 0; k < track.mNumPositionKeys; ++k) {
            const aiVectorKey& key = track.mPositionKeys[k];
            translation.Add(key.mTime / rate, {key.mValue.x, key.mValue.y, key.mValue.z});
        }
        for (unsigned k = 0; k < track.mNumRotationKeys; ++k) {
            const aiQuatKey& key = track.mRotationKeys[k];
            rotation.Add(key.mTime / rate,
                         {key.mValue.x, key.mValue.y, key.mValue.z, key.mValue.w});
        }
        for (unsigned k = 0; k < track.mNumScalingKeys; ++k) {
            const aiVectorKey& key = track.mScalingKeys[k];
            scale.Add(key.mTime / rate, {key.mValue.x, key.mValue.y, key.mValue.z});
        }
        dropped = dropped || translation.droppedKeys || rotation.droppedKeys || scale.droppedKeys;
        double start = HUGE_VAL;
        for (const Part* part : {&translation, &rotation, &scale})
            if (!part->times.empty())
                start = std::min(start, part->times.front());
        if (start == HUGE_VAL)
            continue;
        const int node = found->second;
        const NodeParts& rest = scene.nodes[static_cast<std::size_t>(node)].rest;
        const Vec3d& t = rest.translation;
        const auto& r = rest.rotation;
        const Vec3d& s = rest.scale;
        out.channels.push_back(Channel(node, ScenePath::kTranslation, std::move(translation), start,
                                       {t[0], t[1], t[2]}));
        out.channels.push_back(Channel(node, ScenePath::kRotation, std::move(rotation), start,
                                       {r[0], r[1], r[2], r[3]}));
        out.channels.push_back(
            Channel(node, ScenePath::kScale, std::move(scale), start, {s[0], s[1], s[2]}));
    }
    if (dropped)
        scene.notes.push_back("animation \"" + out.name + "\": left out keys whose times do " +
                              "not ascend");
    return out;
}
