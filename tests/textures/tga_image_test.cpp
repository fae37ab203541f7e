#include <gtest/gtest.h>

#include "assets/image_writer.h"
#include "assets/tga_image.h"
#include "image_test_support.h"
#include "tests/temp_dir.h"

namespace {

class TgaImageTest : public ::testing::Test {
  protected:
    int Load(const Bytes& bytes) {
        const std::string path = dir.File("x.tga");
        WriteFileBytes(path, bytes);
        return image.Load(path);
    }

    TempDir dir;
    TgaImage image;
};

Bytes Header(int type, int width, int height, int depth) {
    ByteBuilder out;
    out.Byte(0).Byte(0).Byte(type).Raw(std::string(9, '\0')).Short(width).Short(height);
    return out.Byte(depth).Byte(0).Vector();
}

// stb_image's pixels in our order: bottom row first (stb_image gives the top row first, for
// either origin), blue first.
Bytes BottomUp(const ReferenceImage& reference, int channels) {
    Bytes pixels = reference.pixels;
    for (std::size_t i = 0; i + 2 < pixels.size(); i += std::size_t(channels)) {
        std::swap(pixels[i], pixels[i + 2]);
    }
    return FlipRows(pixels, reference.width * channels);
}

TEST_F(TgaImageTest, AgreesWithStbImageOnImageMagickFiles) {
    const struct {
        const char* file;
        int type, depth;
    } fixtures[] = {{"tga24.tga", 2, 24},
                    {"tga24-rle.tga", 10, 24},
                    {"tga32.tga", 2, 32},
                    {"tga32-rle.tga", 10, 32},
                    {"tga24-runs-rle.tga", 10, 24}};
    for (const auto& f : fixtures) {
        SCOPED_TRACE(f.file);
        ASSERT_EQ(image.Load(Fixture(f.file)), 1);
        EXPECT_EQ(image.imageType, f.type);
        EXPECT_EQ(image.pixelDepth, f.depth);
        const int channels = f.depth / 8;
        ReferenceImage reference;
        ASSERT_TRUE(LoadReference(Fixture(f.file), channels, reference));
        EXPECT_EQ(image.width, reference.width);
        EXPECT_EQ(image.height, reference.height);
        EXPECT_EQ(image.pixelCount, reference.width * reference.height);
        EXPECT_EQ(image.pixels, BottomUp(reference, channels));
    }
}

TEST_F(TgaImageTest, RowsComeBottomUpAndLeftToRightFromWhicheverCornerTheFileStarts) {
    // A 3 x 3 picture; pixel (row, column) counted from the bottom left.
    const auto pixel = [](int row, int column) {
        return Bytes{std::uint8_t(row * 3 + column), std::uint8_t(0x40 + row),
                     std::uint8_t(0x80 + column)};
    };
    Bytes picture;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            for (std::uint8_t b : pixel(row, column))
                picture.push_back(b);
    for (int type : {2, 10}) {
        for (std::uint8_t descriptor : {0x00, 0x10, 0x20, 0x30}) {
            SCOPED_TRACE(::testing::Message() << "type " << type << ", descriptor " << +descriptor);
            Bytes file = Header(type, 3, 3, 24);
            file[17] = descriptor;
            if (type == 10)
                file.push_back(8);  // one raw packet of all nine pixels
            for (int stored = 0; stored < 3; ++stored) {
                const int row = descriptor & 0x20 ? 2 - stored : stored;
                for (int at = 0; at < 3; ++at) {
                    const Bytes p = pixel(row, descriptor & 0x10 ? 2 - at : at);
                    file.insert(file.end(), p.begin(), p.end());
                }
            }
            ASSERT_EQ(Load(file), 1);
            EXPECT_EQ(image.pixels, picture);
            EXPECT_EQ(image.imageDescriptor, descriptor);
        }
    }
}

TEST_F(TgaImageTest, OneRunPacketFillsFourPixels) {
    Bytes file = Header(10, 4, 1, 24);
    file.insert(file.end(), {131, 1, 2, 3});
    ASSERT_EQ(Load(file), 1);
    EXPECT_EQ(image.pixels, (Bytes{1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 3}));
}

TEST_F(TgaImageTest, PacketsPastTheLastPixelStopThere) {
    Bytes run = Header(10, 2, 1, 24);
    run.insert(run.end(), {255, 9, 8, 7});  // 128 pixels for an image of 2
    ASSERT_EQ(Load(run), 1);
    EXPECT_EQ(image.pixels, (Bytes{9, 8, 7, 9, 8, 7}));

    Bytes raw = Header(10, 3, 1, 16);
    raw.insert(raw.end(), {0, 1, 2, 3, 5, 6, 7, 8, 9, 10, 11});  // 1 raw, then 4 raw for 2
    ASSERT_EQ(Load(raw), 1);
    EXPECT_EQ(image.pixels, (Bytes{1, 2, 5, 6, 7, 8}));
}

TEST_F(TgaImageTest, SkipsTheImageId) {
    Bytes file = Header(2, 1, 1, 24);
    file[0] = 5;
    file.insert(file.end(), {'h', 'e', 'l', 'l', 'o', 40, 50, 60});
    ASSERT_EQ(Load(file), 1);
    EXPECT_EQ(image.pixels, (Bytes{40, 50, 60}));
}

TEST_F(TgaImageTest, BytesPerPixelFollowTheDepth) {
    for (const auto& [depth, bytes] : {std::pair{16, 2}, {24, 3}, {32, 4}, {17, 4}, {255, 4}}) {
        Bytes file = Header(2, 2, 1, depth);
        file.insert(file.end(), std::size_t(2 * bytes), 7);
        ASSERT_EQ(Load(file), 1) << depth;
        EXPECT_EQ(image.BytesPerPixel(), bytes);
        EXPECT_EQ(image.pixels.size(), std::size_t(2 * bytes));
    }
}

TEST_F(TgaImageTest, RejectsLayoutsOtherThanTrueColourAtTheOrigin) {
    const Bytes pixels(3 * 4, 1);
    const auto with = [&](std::size_t at, std::uint8_t value) {
        Bytes file = Header(2, 2, 2, 24);
        file[at] = value;
        file.insert(file.end(), pixels.begin(), pixels.end());
        return file;
    };
    ASSERT_EQ(Load(with(0, 0)), 1);
    EXPECT_EQ(Load(with(1, 1)), 0) << "colour map";
    EXPECT_EQ(Load(with(2, 1)), 0) << "colour-mapped";
    EXPECT_EQ(Load(with(2, 3)), 0) << "grey";
    EXPECT_EQ(Load(with(2, 9)), 0) << "run-length colour-mapped";
    EXPECT_EQ(Load(with(2, 11)), 0) << "run-length grey";
    EXPECT_EQ(Load(with(8, 1)), 0) << "x origin";
    EXPECT_EQ(Load(with(10, 5)), 0) << "y origin 5";
    EXPECT_EQ(Load(with(12, 0)), 0) << "width 0";
    EXPECT_EQ(Load(with(14, 0)), 0) << "height 0";
    Bytes negative = with(13, 0x80);  // width -32766
    negative[12] = 2;
    EXPECT_EQ(Load(negative), 0);
    EXPECT_EQ(Load(with(16, 8)), 0) << "8 bits";
    EXPECT_EQ(Load(with(16, 15)), 0) << "15 bits";
    EXPECT_TRUE(image.pixels.empty());
    EXPECT_EQ(image.Load(dir.File("missing.tga")), 0);
}

TEST_F(TgaImageTest, HugeSizesInSmallFilesAreRejectedBeforeAllocating) {
    for (int type : {2, 10}) {
        Bytes file = Header(type, 32767, 32767, 32);
        file.insert(file.end(), 64, 0xFF);
        EXPECT_EQ(Load(file), 0) << type;
    }
    // 128 pixels per packet of two bytes is the most a run-length file can describe.
    Bytes fits = Header(10, 128, 2, 16);
    fits.insert(fits.end(), {255, 1, 2, 255, 3, 4});
    EXPECT_EQ(Load(fits), 1);
}

TEST_F(TgaImageTest, TruncatedFilesAreRejectedAtEveryLength) {
    for (const char* name : {"tga24.tga", "tga32-rle.tga", "tga24-runs-rle.tga"}) {
        SCOPED_TRACE(name);
        const Bytes file = ReadFileBytes(Fixture(name));
        ASSERT_EQ(Load(file), 1);
        for (std::size_t cut = 0; cut < file.size(); ++cut) {
            EXPECT_EQ(Load(Bytes(file.begin(), file.begin() + long(cut))), 0) << cut;
        }
    }
}

TEST_F(TgaImageTest, FlippedBytesNeverCrash) {
    for (const char* name : {"tga24-rle.tga", "tga32.tga"}) {
        const Bytes file = ReadFileBytes(Fixture(name));
        for (std::size_t at = 0; at < std::min<std::size_t>(file.size(), 120); ++at) {
            for (std::uint8_t flip : {0x01, 0x80, 0xFF}) {
                Bytes changed = file;
                changed[at] ^= flip;
                if (Load(changed) == 1) {
                    EXPECT_EQ(image.pixels.size(),
                              std::size_t(image.pixelCount) * std::size_t(image.BytesPerPixel()));
                }
            }
        }
    }
}

}  // namespace
