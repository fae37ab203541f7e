#include "tools/gltf/export_animation.h"

#include <cmath>

#include "tools/gltf/export_trs.h"

namespace {

constexpr double kFramesPerSecond = 30;

void AddChannel(tinygltf::Animation& animation, BufferBuilder& buffer, int input, int node,
                const char* path, const std::vector<float>& values, int components) {
    tinygltf::AnimationSampler sampler;
    sampler.input = input;
    sampler.output = buffer.Floats(values, components, 0, false);
    sampler.interpolation = "STEP";
    animation.samplers.push_back(sampler);
    tinygltf::AnimationChannel channel;
    channel.sampler = static_cast<int>(animation.samplers.size() - 1);
    channel.target_node = node;
    channel.target_path = path;
    animation.channels.push_back(channel);
}

}  // namespace

float FrameTime(int frame) {
    const double exact = frame / kFramesPerSecond;
    float time = static_cast<float>(exact);
    if (static_cast<double>(time) > exact)
        time = std::nextafter(time, 0.0f);
    return time;
}

void AddAnimations(tinygltf::Model& model, BufferBuilder& buffer, const Mesh& mesh,
                   std::span<const std::unique_ptr<Animation>> animations,
                   std::span<const std::string> names, std::vector<std::string>& notes) {
    for (std::size_t a = 0; a < animations.size(); ++a) {
        const Animation& source = *animations[a];
        const int frames = source.frameCount;
        std::vector<float> times(static_cast<std::size_t>(frames));
        for (int f = 0; f < frames; ++f)
            times[static_cast<std::size_t>(f)] = FrameTime(f);
        tinygltf::Animation out;
        out.name = names[a];
        const int input = buffer.Floats(times, 1, 0, true);
        for (std::size_t n = 0; n < mesh.nodes.size(); ++n) {
            const MeshNode& node = *mesh.nodes[n];
            std::vector<float> translation, rotation, scale;
            int sheared = 0;
            std::array<double, 4> previous{0, 0, 0, 1};
            for (int f = 0; f < frames; ++f) {
                Trs trs = DecomposeTransform(source.FindKey(node, f));
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
            if (sheared > 0) {
                notes.push_back(names[a] + ": " + std::to_string(sheared) +
                                " keyframes of node \"" + node.name +
                                "\" have shear, written as the closest rotation and scale");
            }
            const int target = static_cast<int>(n);
            AddChannel(out, buffer, input, target, "translation", translation, 3);
            AddChannel(out, buffer, input, target, "rotation", rotation, 4);
            AddChannel(out, buffer, input, target, "scale", scale, 3);
        }
        model.animations.push_back(out);
    }
}
