#include <gtest/gtest.h>

#include <filesystem>

#include "assets/bitmap_image.h"
#include "assets/image_writer.h"
#include "assets/tga_image.h"
#include "image_test_support.h"
#include "tests/temp_dir.h"

namespace {

Bytes Pixels(std::size_t count, int seed) {
    Bytes out;
    for (std::size_t i = 0; i < count; ++i)
        out.push_back(std::uint8_t((i * 7 + seed) % 251));
    return out;
}

TEST(ImageWriter, TgaHeaderIsExact) {
    const Bytes file = EncodeTga(300, 2, 32, Pixels(300 * 2 * 4, 1), false);
    const Bytes header(file.begin(), file.begin() + 18);
    EXPECT_EQ(header, (Bytes{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x2C, 0x01, 2, 0, 32, 8}));
    EXPECT_EQ(file.size(), 18u + 300 * 2 * 4);
    EXPECT_EQ(EncodeTga(1, 1, 24, Bytes{1, 2, 3}, true)[2], 10);
}

TEST(ImageWriter, TgaRunLengthPacketsAreExact) {
    // a a a b c d d, then a row of 300 equal pixels, in 16 bits
    const Bytes a = {1, 0}, b = {2, 0}, c = {3, 0}, d = {4, 0}, e = {5, 0};
    Bytes pixels;
    for (const Bytes* p : {&a, &a, &a, &b, &c, &d, &d})
        pixels.insert(pixels.end(), p->begin(), p->end());
    Bytes file = EncodeTga(7, 1, 16, pixels, true);
    EXPECT_EQ(Bytes(file.begin() + 18, file.end()),
              (Bytes{0x82, 1, 0, 0x01, 2, 0, 3, 0, 0x81, 4, 0}));

    pixels.clear();
    for (int i = 0; i < 300; ++i)
        pixels.insert(pixels.end(), e.begin(), e.end());
    file = EncodeTga(300, 1, 16, pixels, true);
    EXPECT_EQ(Bytes(file.begin() + 18, file.end()), (Bytes{0xFF, 5, 0, 0xFF, 5, 0, 0xAB, 5, 0}));

    // No two neighbours equal: raw packets of at most 128 pixels.
    file = EncodeTga(200, 1, 24, Pixels(600, 0), true);
    ASSERT_EQ(file.size(), 18u + 2 + 600);
    EXPECT_EQ(file[18], 127);
    EXPECT_EQ(file[18 + 1 + 128 * 3], 71);
}

TEST(ImageWriter, TgaPacketsNeverSpanRows) {
    const Bytes pixels(2 * 3 * 3, 9);  // 2 rows of 3 equal pixels
    const Bytes file = EncodeTga(3, 2, 24, pixels, true);
    EXPECT_EQ(Bytes(file.begin() + 18, file.end()), (Bytes{0x82, 9, 9, 9, 0x82, 9, 9, 9}));
}

TEST(ImageWriter, TgaRoundTripsThroughTheLoader) {
    TempDir dir;
    for (int depth : {16, 24, 32}) {
        for (bool runLength : {false, true}) {
            SCOPED_TRACE(depth * 10 + runLength);
            Bytes pixels = Pixels(std::size_t(37 * 5 * depth / 8), depth);
            std::fill(pixels.begin() + 20, pixels.begin() + 100, 0x55);  // some runs
            const std::string path = dir.File("round.tga");
            ASSERT_TRUE(WriteTga(path, 37, 5, depth, pixels, runLength));
            TgaImage image;
            ASSERT_EQ(image.Load(path), 1);
            EXPECT_EQ(image.width, 37);
            EXPECT_EQ(image.height, 5);
            EXPECT_EQ(image.pixels, pixels);
        }
    }
}

TEST(ImageWriter, Bmp24IsExactAndRoundTrips) {
    const Bytes rgb = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};  // 2 x 2
    const Bytes file = EncodeBmp24(2, 2, rgb);
    const Bytes expected = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header
                            40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0,
                            0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                            0,                                                   // info
                                                                                 // header
                            3, 2, 1, 6, 5, 4, 0, 0, 9, 8, 7, 12, 11, 10, 0, 0};  // rows, padded
    EXPECT_EQ(file, expected);

    TempDir dir;
    MessageRecorder recorder;
    const Bytes odd = Pixels(7 * 3 * 3, 5);
    ASSERT_TRUE(WriteBmp24(dir.File("odd.bmp"), 7, 3, odd));
    const auto image = LoadBitmapImage(dir.File("odd.bmp"));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pixels, odd);
    EXPECT_TRUE(recorder.messages.empty());
}

TEST(ImageWriter, ReportsFilesThatCannotBeWritten) {
    TempDir dir;
    const Bytes rgb(3, 0);
    EXPECT_FALSE(WriteTga(dir.File("no/such/folder.tga"), 1, 1, 24, rgb, false));
    EXPECT_FALSE(WriteBmp24(dir.File("no/such/folder.bmp"), 1, 1, rgb));
    // Too few pixels for the size: nothing is written.
    EXPECT_FALSE(WriteTga(dir.File("short.tga"), 2, 2, 24, rgb, true));
    EXPECT_FALSE(WriteBmp24(dir.File("short.bmp"), 2, 2, rgb));
    EXPECT_FALSE(std::filesystem::exists(dir.File("short.tga")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("short.bmp")));
}

}  // namespace
