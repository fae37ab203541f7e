#include "tools/convert/export_animation.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "tools/convert/export_lists.h"
#include "tools/convert/export_trs.h"

namespace {

constexpr double kFramesPerSecond = 30;

// Per mesh node the track that moves it, as the game finds it: the first with the node's name
// hash, or -1.
std::vector<int> TrackOfNode(const Mesh& mesh, const Animation& animation) {
    std::map<std::uint32_t, int> first;
    for (std::size_t t = 0; t < animation.trackHashes.size(); ++t)
        first.emplace(animation.trackHashes[t], static_cast<int>(t));
    std::vector<int> tracks;
    for (const auto& node : mesh.nodes) {
        const auto found = first.find(node->hash);
        tracks.push_back(found != first.end() ? found->second : -1);
    }
    return tracks;
}

// Far above any real actor's, far below what a few small files could otherwise ask for: one
// track of 32767 frames on thousands of nodes of the same name.
constexpr std::int64_t kMaxKeys = std::int64_t{1} << 24;

}  // namespace

float FrameTime(int frame) {
    const double exact = frame / kFramesPerSecond;
    float time = static_cast<float>(exact);
    if (static_cast<double>(time) > exact)
        time = std::nextafter(time, 0.0f);
    return time;
}

bool AddAnimations(tinygltf::Model& model, BufferBuilder& buffer, const Mesh& mesh,
                   std::span<const int> gltfNodes,
                   std::span<const std::unique_ptr<Animation>> animations,
                   std::span<const std::string> names, std::string& error,
                   std::vector<std::string>& notes) {
    std::vector<std::vector<int>> tracks;
    std::int64_t keys = 0;
    for (const auto& animation : animations) {
        tracks.push_back(TrackOfNode(mesh, *animation));
        for (std::size_t n = 0; n < gltfNodes.size(); ++n) {
            if (gltfNodes[n] < 0)
                tracks.back()[n] = -1;
        }
        keys +=
            std::int64_t{animation->frameCount} *
            std::count_if(tracks.back().begin(), tracks.back().end(), [](int t) { return t >= 0; });
    }
    if (keys > kMaxKeys) {
        error = "the animations would need " + std::to_string(keys) +
                " keyframes in glTF, more than " + std::to_string(kMaxKeys);
        return false;
    }
    for (std::size_t a = 0; a < animations.size(); ++a) {
        const Animation& source = *animations[a];
        const int frames = source.frameCount;
        std::vector<float> times(static_cast<std::size_t>(frames));
        for (int f = 0; f < frames; ++f)
            times[static_cast<std::size_t>(f)] = FrameTime(f);
        tinygltf::Animation out;
        out.name = names[a];
        const int input = buffer.Floats(times, 1, 0, true);
        // glTF wants at least one channel: an animation that moves no node holds the first
        // node written at the identity, as the game does.
        std::vector<Transform> still;
        if (std::all_of(tracks[a].begin(), tracks[a].end(), [](int t) { return t < 0; }))
            still.assign(static_cast<std::size_t>(frames), Transform::Identity);
        for (std::size_t n = 0; n < mesh.nodes.size(); ++n) {
            const int track = tracks[a][n];
            if (gltfNodes[n] < 0 || (track < 0 && (still.empty() || gltfNodes[n] > 0)))
                continue;
            const std::span<const Transform> nodeKeys =
                track < 0 ? std::span<const Transform>(still)
                          : std::span<const Transform>(
                                source.keys.data() + static_cast<std::size_t>(track) * frames,
                                static_cast<std::size_t>(frames));
            std::vector<float> translation, rotation, scale;
            int sheared = 0;
            std::array<double, 4> previous{0, 0, 0, 1};
            for (const Transform& key : nodeKeys) {
                Trs trs = DecomposeTransform(key);
                sheared += trs.exact ? 0 : 1;
                // q and -q are the same rotation; the nearer one keeps viewers from spinning.
                const double dot = trs.rotation[0] * previous[0] + trs.rotation[1] * previous[1] +
                                   trs.rotation[2] * previous[2] + trs.rotation[3] * previous[3];
                if (dot < 0)
                    for (double& q : trs.rotation)
                        q = -q;
                previous = trs.rotation;
                for (int i = 0; i < 3; ++i) {
                    translation.push_back(static_cast<float>(trs.translation[i]));
                    scale.push_back(static_cast<float>(trs.scale[i]));
                }
                for (const double q : trs.rotation)
                    rotation.push_back(static_cast<float>(q));
            }
            // A row near the float limit has a length beyond it.
            if (!std::all_of(scale.begin(), scale.end(),
                             [](float x) { return std::isfinite(x); })) {
                error = names[a] + ": a keyframe of node \"" + mesh.nodes[n]->name +
                        "\" scales beyond what a float holds";
                return false;
            }
            if (sheared > 0) {
                notes.push_back(names[a] + ": " + std::to_string(sheared) +
                                " keyframes of node \"" + mesh.nodes[n]->name +
                                "\" have shear, written as the closest rotation and scale");
            }
            const int target = gltfNodes[n];
            // The game holds each frame's stored pose until the next: STEP.
            AddChannel(out, input, buffer.Floats(translation, 3, 0, false), "STEP", target,
                       "translation");
            AddChannel(out, input, buffer.Floats(rotation, 4, 0, false), "STEP", target,
                       "rotation");
            AddChannel(out, input, buffer.Floats(scale, 3, 0, false), "STEP", target, "scale");
        }
        model.animations.push_back(out);
    }
    return true;
}
