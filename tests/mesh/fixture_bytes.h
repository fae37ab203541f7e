// Hand-built file images for the loader tests, written value by value here rather than through
// the writers, so that the writers are checked against an independent picture of each layout.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>

class FixtureBytes {
  public:
    FixtureBytes& Raw(const std::string& s) {
        bytes += s;
        return *this;
    }
    FixtureBytes& Byte(int v) {
        bytes += static_cast<char>(v & 0xFF);
        return *this;
    }
    FixtureBytes& Short(int v) { return Byte(v).Byte(v >> 8); }
    FixtureBytes& Int(std::int64_t v) {
        return Byte(static_cast<int>(v))
            .Byte(static_cast<int>(v >> 8))
            .Byte(static_cast<int>(v >> 16))
            .Byte(static_cast<int>(v >> 24));
    }
    FixtureBytes& Float(float f) {
        std::uint32_t bits;
        std::memcpy(&bits, &f, 4);
        return Int(bits);
    }
    FixtureBytes& Floats(std::initializer_list<float> fs) {
        for (float f : fs) {
            Float(f);
        }
        return *this;
    }
    FixtureBytes& Ints(std::initializer_list<std::int64_t> vs) {
        for (std::int64_t v : vs) {
            Int(v);
        }
        return *this;
    }
    FixtureBytes& Str(const std::string& s) {
        bytes += s;
        bytes += '\0';
        return *this;
    }

    std::string bytes;
};
