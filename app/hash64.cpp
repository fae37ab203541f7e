#include "app/hash64.h"

#include <bit>
#include <cstring>

namespace {

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;
constexpr std::uint64_t kPrime3 = 0x165667B19E3779F9ull;
constexpr std::uint64_t kPrime4 = 0x85EBCA77C2B2AE63ull;
constexpr std::uint64_t kPrime5 = 0x27D4EB2F165667C5ull;

// Little-endian reads, as the algorithm defines them: one load on a little-endian machine (the
// byte loop is not turned into one, and a warm `vorn MODEL` start hashes megabytes).
std::uint64_t Read64(const unsigned char* p) {
    std::uint64_t value = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&value, p, sizeof value);
        return value;
    }
    for (int i = 7; i >= 0; --i)
        value = (value << 8) | p[i];
    return value;
}

std::uint64_t Read32(const unsigned char* p) {
    return std::uint64_t{p[0]} | (std::uint64_t{p[1]} << 8) | (std::uint64_t{p[2]} << 16) |
           (std::uint64_t{p[3]} << 24);
}

std::uint64_t Round(std::uint64_t accumulator, std::uint64_t input) {
    accumulator += input * kPrime2;
    return std::rotl(accumulator, 31) * kPrime1;
}

std::uint64_t Merge(std::uint64_t hash, std::uint64_t accumulator) {
    hash ^= Round(0, accumulator);
    return hash * kPrime1 + kPrime4;
}

}  // namespace

std::uint64_t Hash64(const void* data, std::size_t size, std::uint64_t seed) {
    const auto* p = static_cast<const unsigned char*>(data);
    const unsigned char* const end = p + size;
    std::uint64_t hash;
    if (size >= 32) {
        std::uint64_t v1 = seed + kPrime1 + kPrime2;
        std::uint64_t v2 = seed + kPrime2;
        std::uint64_t v3 = seed;
        std::uint64_t v4 = seed - kPrime1;
        for (; end - p >= 32; p += 32) {
            v1 = Round(v1, Read64(p));
            v2 = Round(v2, Read64(p + 8));
            v3 = Round(v3, Read64(p + 16));
            v4 = Round(v4, Read64(p + 24));
        }
        hash = std::rotl(v1, 1) + std::rotl(v2, 7) + std::rotl(v3, 12) + std::rotl(v4, 18);
        hash = Merge(Merge(Merge(Merge(hash, v1), v2), v3), v4);
    } else {
        hash = seed + kPrime5;
    }
    hash += size;
    for (; end - p >= 8; p += 8) {
        hash ^= Round(0, Read64(p));
        hash = std::rotl(hash, 27) * kPrime1 + kPrime4;
    }
    if (end - p >= 4) {
        hash ^= Read32(p) * kPrime1;
        hash = std::rotl(hash, 23) * kPrime2 + kPrime3;
        p += 4;
    }
    for (; p < end; ++p) {
        hash ^= *p * kPrime5;
        hash = std::rotl(hash, 11) * kPrime1;
    }
    hash ^= hash >> 33;
    hash *= kPrime2;
    hash ^= hash >> 29;
    hash *= kPrime3;
    hash ^= hash >> 32;
    return hash;
}
