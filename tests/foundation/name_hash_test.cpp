#include "assets/name_hash.h"

#include <gtest/gtest.h>

#include <string>

TEST(NameHash, KnownValues) {
    EXPECT_EQ(NameHash(""), 0u);
    EXPECT_EQ(NameHash("a"), 0x61u);
    EXPECT_EQ(NameHash("abc"), 0x608E3u);
    EXPECT_EQ(NameHash("Gun"), 0x46D2Eu);
    EXPECT_EQ(NameHash("abcdefgh"), 0x858279A8u);
}

TEST(NameHash, CaseSensitiveAndSignExtended) {
    EXPECT_NE(NameHash("gun"), NameHash("Gun"));
    EXPECT_EQ(NameHash(std::string(1, static_cast<char>(0xE9))), 0xFFFFFFE9u);
    static_assert(NameHash("Gun") == 0x46D2Eu, "usable at compile time");
}
