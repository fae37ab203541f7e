// XXH64, the 64-bit xxHash: a well-known non-cryptographic hash, fast enough over a large model
// file that a start which reuses its conversion costs little more than reading it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

std::uint64_t Hash64(const void* data, std::size_t size, std::uint64_t seed = 0);

inline std::uint64_t Hash64(std::string_view bytes, std::uint64_t seed = 0) {
    return Hash64(bytes.data(), bytes.size(), seed);
}
