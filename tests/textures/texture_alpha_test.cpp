#include <gtest/gtest.h>

#include "assets/texture_alpha.h"

namespace {

const std::uint8_t kBlack[3] = {0, 0, 0};

std::uint8_t Alpha(int mode, int b0, int b1, int b2) {
    return GenerateAlpha(mode, std::uint8_t(b0), std::uint8_t(b1), std::uint8_t(b2), kBlack);
}

// The alpha each mode gives three bytes of a pixel, with black as the key.
struct AlphaCase {
    int mode, b0, b1, b2, alpha;
};

void ExpectAlphas(std::initializer_list<AlphaCase> cases) {
    for (const AlphaCase& c : cases) {
        EXPECT_EQ(Alpha(c.mode, c.b0, c.b1, c.b2), c.alpha)
            << "mode " << c.mode << ": " << c.b0 << " " << c.b1 << " " << c.b2;
    }
}

TEST(TextureAlpha, ColourKeyMakesOnlyTheKeyTransparent) {
    ExpectAlphas({{1, 0, 0, 0, 0}, {1, 1, 0, 0, 255}, {1, 0, 0, 1, 255}});
    const std::uint8_t key[3] = {10, 20, 30};  // in the pixels' memory order
    EXPECT_EQ(GenerateAlpha(1, 10, 20, 30, key), 0);
    EXPECT_EQ(GenerateAlpha(1, 30, 20, 10, key), 255);
}

TEST(TextureAlpha, SumsAreClampedHalvedOrAveraged) {
    ExpectAlphas({
        {2, 100, 100, 54, 254},
        {2, 100, 100, 55, 255},
        {2, 255, 255, 255, 255},
        {3, 200, 200, 200, 255},
        {3, 1, 1, 1, 1},
        {3, 100, 100, 109, 154},
        {4, 10, 20, 31, 20},
        {4, 255, 255, 255, 255},
        {4, 0, 0, 2, 0},
    });
}

TEST(TextureAlpha, SquaresAreClampedAndDivided) {
    ExpectAlphas({
        {5, 10, 10, 2, 204},
        {5, 15, 5, 4, 255},  // 266
        {5, 16, 0, 0, 255},
        {6, 16, 0, 0, 128},
        {6, 3, 0, 0, 4},  // 9 >> 1
        {7, 15, 3, 3, 81},
        {7, 2, 2, 2, 4},
        {7, 30, 0, 0, 255},
        {8, 20, 0, 0, 100},
        {8, 3, 0, 0, 2},
        {8, 32, 0, 0, 255},
    });
}

TEST(TextureAlpha, LengthIsTruncatedAndClamped) {
    ExpectAlphas({
        {9, 3, 4, 0, 5},
        {9, 1, 1, 1, 1},  // 1.73
        {9, 100, 100, 100, 173},
        {9, 200, 200, 0, 255},
    });
}

TEST(TextureAlpha, AnyOtherModeIsOpaque) {
    for (int mode : {0, 10, 12, -1, 1000}) {
        EXPECT_EQ(Alpha(mode, 0, 0, 0), 255) << mode;
        EXPECT_EQ(Alpha(mode, 1, 2, 3), 255) << mode;
    }
}

TEST(TextureAlpha, ChannelIsAddedAfterTheColour) {
    const std::uint8_t src[] = {0, 0, 0, 99, 10, 20, 31, 99};  // 4-byte pixels: 4th ignored
    std::uint8_t dst[8] = {};
    AddAlphaChannel(src, 4, 2, 4, kBlack, dst);
    EXPECT_EQ(std::vector<std::uint8_t>(dst, dst + 8),
              (std::vector<std::uint8_t>{0, 0, 0, 0, 10, 20, 31, 20}));
    const std::uint8_t packed[] = {0, 0, 0, 3, 4, 0};
    AddAlphaChannel(packed, 3, 2, 9, kBlack, dst);
    EXPECT_EQ(std::vector<std::uint8_t>(dst, dst + 8),
              (std::vector<std::uint8_t>{0, 0, 0, 0, 3, 4, 0, 5}));
}

}  // namespace
