// glTF objects refer to each other by their index in the model's lists.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <tiny_gltf.h>

// Appends `item` and gives its index.
template <typename T>
int Append(std::vector<T>& list, T item) {
    list.push_back(std::move(item));
    return static_cast<int>(list.size() - 1);
}

// A sampler of the key times `input` and values `output`, and the channel that drives `path` of
// `node` with it.
inline void AddChannel(tinygltf::Animation& animation, int input, int output,
                       const std::string& interpolation, int node, const std::string& path) {
    tinygltf::AnimationSampler sampler;
    sampler.input = input;
    sampler.output = output;
    sampler.interpolation = interpolation;
    tinygltf::AnimationChannel channel;
    channel.sampler = Append(animation.samplers, std::move(sampler));
    channel.target_node = node;
    channel.target_path = path;
    animation.channels.push_back(std::move(channel));
}
