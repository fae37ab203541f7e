// Hand-built file images for the reader tests, written value by value in little-endian order
// rather than through the writers, so that the writers are checked against an independent
// picture of each layout.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

class ByteBuilder {
  public:
    ByteBuilder& Raw(const std::string& s) {
        bytes_ += s;
        return *this;
    }
    ByteBuilder& Byte(int v) {
        bytes_ += static_cast<char>(v & 0xFF);
        return *this;
    }
    ByteBuilder& Short(int v) { return Byte(v).Byte(v >> 8); }
    // The low 32 bits of `v`, so that signed and unsigned values alike can be given.
    ByteBuilder& Int(std::int64_t v) {
        return Byte(static_cast<int>(v))
            .Byte(static_cast<int>(v >> 8))
            .Byte(static_cast<int>(v >> 16))
            .Byte(static_cast<int>(v >> 24));
    }
    ByteBuilder& Float(float f) {
        std::uint32_t bits;
        std::memcpy(&bits, &f, 4);
        return Int(bits);
    }
    ByteBuilder& Floats(std::initializer_list<float> fs) {
        for (float f : fs) {
            Float(f);
        }
        return *this;
    }
    ByteBuilder& Ints(std::initializer_list<std::int64_t> vs) {
        for (std::int64_t v : vs) {
            Int(v);
        }
        return *this;
    }
    // A string and its terminating NUL.
    ByteBuilder& Str(const std::string& s) {
        bytes_ += s;
        bytes_ += '\0';
        return *this;
    }
    // One bounding-volume slab as the bounds files store it: min, max, minVertex, maxVertex.
    ByteBuilder& Slab(float min, float max, std::int32_t minVertex, std::int32_t maxVertex) {
        return Float(min).Float(max).Int(minVertex).Int(maxVertex);
    }

    const std::string& str() const { return bytes_; }
    std::size_t size() const { return bytes_.size(); }
    std::vector<std::uint8_t> Vector() const { return {bytes_.begin(), bytes_.end()}; }

  private:
    std::string bytes_;
};
