// Assembles a little-endian binary file in memory, value by value, for the writers of formats
// that mix bytes, 16-bit values, 32-bit values and strings.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

class ByteWriter {
  public:
    void U8(std::uint8_t v) { bytes_.push_back(static_cast<char>(v)); }
    void I16(std::int16_t v) {
        const auto u = static_cast<std::uint16_t>(v);
        U8(static_cast<std::uint8_t>(u));
        U8(static_cast<std::uint8_t>(u >> 8));
    }
    void I32(std::int32_t v) {
        const auto u = static_cast<std::uint32_t>(v);
        for (int shift = 0; shift < 32; shift += 8) {
            U8(static_cast<std::uint8_t>(u >> shift));
        }
    }
    void F32(float v) {
        std::int32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        I32(bits);
    }
    // The characters and a terminating NUL. Written as given: a name of 128 characters or
    // more makes a file that the loaders reject, which is what some tests want.
    void String(std::string_view s) {
        bytes_.append(s);
        U8(0);
    }

    const std::string& Bytes() const { return bytes_; }
    std::string Take() { return std::move(bytes_); }

  private:
    std::string bytes_;
};
