// Assembles a little-endian binary file in memory, value by value, for the writers of formats
// that mix bytes, 16-bit values, 32-bit values and strings.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

class ByteWriter {
  public:
    void U8(std::uint8_t v) { bytes_.push_back(static_cast<char>(v)); }
    void I16(std::int16_t v) {
        const auto u = static_cast<std::uint16_t>(v);
        const char bytes[2] = {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
        bytes_.append(bytes, sizeof bytes);
    }
    // Appended as one piece: large meshes are millions of these.
    void I32(std::int32_t v) {
        char bytes[4];
        Put32(bytes, v);
        bytes_.append(bytes, sizeof bytes);
    }
    // The four bytes of a 32-bit value, for writers that pack a record before one Append.
    static void Put32(char* at, std::int32_t v) {
        const auto u = static_cast<std::uint32_t>(v);
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(at, &u, 4);  // one store: the compiler does not merge the bytes
            return;
        }
        at[0] = static_cast<char>(u & 0xFF);
        at[1] = static_cast<char>((u >> 8) & 0xFF);
        at[2] = static_cast<char>((u >> 16) & 0xFF);
        at[3] = static_cast<char>(u >> 24);
    }
    static void PutF32(char* at, float v) {
        std::int32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        Put32(at, bits);
    }
    void Append(const char* data, std::size_t size) { bytes_.append(data, size); }
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

    // Room for `size` bytes in all, so that a large file is built in one buffer, not regrown.
    void Reserve(std::size_t size) { bytes_.reserve(size); }

    const std::string& Bytes() const { return bytes_; }
    std::string Take() { return std::move(bytes_); }

  private:
    std::string bytes_;
};
