// A glTF animation read and checked once, then evaluated at any time: node parts with the
// channels' values put in, honouring STEP, LINEAR (spherical for rotations) and CUBICSPLINE.
#pragma once

#include <string>
#include <vector>

#include <tiny_gltf.h>

#include "tools/convert/import_scene.h"

class AnimationSampler {
  public:
    // False with one line when a channel or sampler is malformed. `notes` gets what is ignored.
    bool Read(const tinygltf::Model& model, const tinygltf::Animation& animation,
              std::vector<std::string>& notes, std::string& error);

    // The last key time of any channel, in seconds.
    double Duration() const { return duration_; }
    // The channels' values at time t written into `parts` (indexed by node).
    void Apply(double t, std::vector<NodeParts>& parts) const;

  private:
    enum class Path { kTranslation, kRotation, kScale };
    enum class Mode { kStep, kLinear, kCubic };
    struct Channel {
        int node;
        Path path;
        Mode mode;
        int components;
        std::vector<double> times;
        std::vector<double> values;  // per key: one value, or in-tangent, value, out-tangent
    };
    void Evaluate(const Channel& channel, double t, double* out) const;

    std::vector<Channel> channels_;
    double duration_ = 0;
};
