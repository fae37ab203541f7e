// The 32-bit hash by which every name is identified: asset keys, mesh nodes, animation tracks,
// bounds-record tags. Two names with the same hash are the same name to the program.
#pragma once

#include <cstdint>
#include <string_view>

constexpr std::uint32_t NameHash(std::string_view name) {
    std::uint32_t h = 0;
    for (const char ch : name) {
        // Characters are signed bytes, sign-extended: 0xE9 contributes 0xFFFFFFE9.
        const auto c =
            static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(ch)));
        h = (h & 0xFFF00000u) ^ (h << 6) ^ c;
    }
    return h;
}
