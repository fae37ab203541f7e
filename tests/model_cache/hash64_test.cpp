// XXH64 against the reference library's values, over every tail length the algorithm treats
// apart (bytes, a 4-byte word, 8-byte words, 32-byte stripes) and with a seed.
#include "app/hash64.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

TEST(Hash64, MatchesTheReferenceXxh64) {
    std::string bytes;
    for (int i = 0; i < 100; ++i)
        bytes += static_cast<char>((i * 7 + 3) % 256);
    const std::pair<std::size_t, std::uint64_t> unseeded[] = {
        {0, 0xef46db3751d8e999},   {3, 0x31d2363f52e564c9},  {5, 0xc7608efddb7051fe},
        {12, 0xd52e407833af5133},  {32, 0x23c3c17ef790fd97}, {37, 0xe32ef63802f5a3fd},
        {100, 0xa61f8d4c170fe531},
    };
    for (const auto& [size, hash] : unseeded)
        EXPECT_EQ(Hash64(bytes.data(), size), hash) << size << " bytes";
    EXPECT_EQ(Hash64(std::string_view(bytes).substr(0, 37), 0x9E3779B185EBCA87),
              0x7e3d8c398b036061u);
}

}  // namespace
