// The one binary buffer of an exported model, and the buffer views and accessors into it.
#pragma once

#include <tiny_gltf.h>

#include <cstdint>
#include <span>

class BufferBuilder {
  public:
    // Appends to the model's buffer 0, creating it.
    explicit BufferBuilder(tinygltf::Model& model);

    // A buffer view of the bytes, starting 4-byte aligned; `target` 0 for none.
    int View(std::span<const unsigned char> bytes, int target);
    // An accessor of float VEC2/VEC3/VEC4/MAT4/SCALAR elements (`components` each), in its own
    // view, with min and max when `bounds`.
    int Floats(std::span<const float> values, int components, int target, bool bounds);
    // Triangle indices, unsigned short when every index fits, else unsigned int.
    int Indices(std::span<const std::uint32_t> indices);
    // JOINTS_0: four joint indices per vertex, unsigned byte or short by the largest.
    int Joints(std::span<const std::uint16_t> joints);

  private:
    int Accessor(int view, int componentType, int type, std::size_t count);

    tinygltf::Model& model_;
};
