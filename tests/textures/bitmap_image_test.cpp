#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>

#include "assets/bitmap_image.h"
#include "assets/image_writer.h"
#include "image_test_support.h"
#include "tests/temp_dir.h"

namespace {

const char kConversionError[] = "Image file conversion error.";
const char kUnknownFormat[] = "Unknown DIB file format.";

class BitmapImageTest : public ::testing::Test {
  protected:
    std::unique_ptr<BitmapImage> Decode(const Bytes& bytes, const std::string& name = "x.bmp") {
        const std::string path = dir.File(name);
        WriteFileBytes(path, bytes);
        return LoadBitmapImage(path);
    }
    // Decodes and expects a failure with `message`.
    void ExpectFailure(const Bytes& bytes, const std::string& message) {
        EXPECT_EQ(Decode(bytes), nullptr);
        EXPECT_EQ(recorder.Take(), message);
    }

    TempDir dir;
    MessageRecorder recorder;
};

// A paletted file that uses every colour of `palette`.
HandBuiltBmp PalettedBmp(std::int32_t width, std::int32_t height, int bitCount,
                         std::uint32_t compression, std::vector<std::uint32_t> palette) {
    HandBuiltBmp bmp;
    bmp.width = width;
    bmp.height = height;
    bmp.bitCount = bitCount;
    bmp.compression = compression;
    bmp.coloursUsed = std::uint32_t(palette.size());
    bmp.palette = std::move(palette);
    return bmp;
}

// The fixture, and the file whose stb_image decode is its reference.
struct FixturePair {
    const char* file;
    const char* reference;
};

const FixturePair kFixtures[] = {
    {"bmp24.bmp", "bmp24.bmp"},
    {"bmp32.bmp", "bmp32.bmp"},
    {"bmp8.bmp", "bmp8.bmp"},
    {"bmp4.bmp", "bmp4.bmp"},
    {"bmp1.bmp", "bmp1.bmp"},
    {"bmp8-runs.bmp", "bmp8-runs.bmp"},
    {"bmp8-rle.bmp", "bmp8-runs.bmp"},  // stb_image reads no RLE: its uncompressed twin
    {"os2-24.bmp", "os2-24.bmp"},
    {"os2-16.bmp", "bmp16-555-v5.bmp"},
    // stb_image sizes OS/2 palettes from the pixel offset, 12 bytes short: 40-byte twins
    {"os2-8.bmp", "bmp8.bmp"},
    {"os2-4.bmp", "bmp4.bmp"},
    {"os2-1.bmp", "bmp1.bmp"},
    {"bmp16.bmp", "bmp16-555-v5.bmp"},
    {"bmp16-565.bmp", "bmp16-565-v5.bmp"},
    {"bmp16-4444.bmp", "bmp16-4444-v5.bmp"},
    {"bmp32-bitfields.bmp", "bmp32-v5.bmp"},
};

TEST_F(BitmapImageTest, AgreesWithStbImageOnImageMagickFiles) {
    for (const FixturePair& pair : kFixtures) {
        SCOPED_TRACE(pair.file);
        ReferenceImage reference;
        ASSERT_TRUE(LoadReference(Fixture(pair.reference), 3, reference));
        const auto image = LoadBitmapImage(Fixture(pair.file));
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->width, reference.width);
        EXPECT_EQ(image->height, reference.height);
        // Ours are bottom row first, stb_image's top row first.
        EXPECT_EQ(image->pixels, FlipRows(reference.pixels, reference.width * 3));
    }
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(BitmapImageTest, ComparesTheRedGreenBlueOrderWithAKnownPixel) {
    // Independent of stb_image: one red, one green, one blue pixel in a 24-bit file.
    HandBuiltBmp bmp;
    bmp.width = 3;
    bmp.pixels = {0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0};  // blue, green, red order + pad
    const auto image = Decode(bmp.Build());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pixels, (Bytes{255, 0, 0, 0, 255, 0, 0, 0, 255}));
}

TEST_F(BitmapImageTest, FivePixelRowsAreFifteenBytes) {
    Bytes rgb;
    for (int i = 0; i < 5 * 3; ++i) {
        for (int c = 0; c < 3; ++c)
            rgb.push_back(std::uint8_t(i * 16 + c));
    }
    const Bytes file = EncodeBmp24(5, 3, rgb);
    ASSERT_EQ(file.size(), 54u + 3 * 16);  // each stored row has one padding byte
    const auto image = Decode(file);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pixels.size(), 45u);
    EXPECT_EQ(image->pixels, rgb);
}

// A 40-byte, uncompressed file turned top-down: rows reversed, height negated.
Bytes TopDownTwin(const Bytes& file) {
    const auto u32 = [&](std::size_t at) {
        return std::uint32_t(file[at] | file[at + 1] << 8 | file[at + 2] << 16 |
                             file[at + 3] << 24);
    };
    const std::uint32_t offset = u32(10);
    const auto width = std::int32_t(u32(18));
    const auto height = std::int32_t(u32(22));
    const int bitCount = file[28];
    const std::size_t stride = (std::size_t(width) * bitCount + 31) / 32 * 4;
    Bytes pixels(file.begin() + offset, file.begin() + offset + long(stride * height));
    Bytes twin(file.begin(), file.begin() + offset);
    const Bytes flipped = FlipRows(pixels, int(stride));
    twin.insert(twin.end(), flipped.begin(), flipped.end());
    const auto negative = std::uint32_t(-height);
    for (int i = 0; i < 4; ++i)
        twin[22 + i] = std::uint8_t(negative >> (8 * i));
    return twin;
}

TEST_F(BitmapImageTest, TopDownFilesDecodeLikeTheirBottomUpTwin) {
    for (const char* name : {"bmp24.bmp", "bmp32.bmp", "bmp8.bmp", "bmp4.bmp", "bmp1.bmp",
                             "bmp16.bmp", "bmp16-565.bmp"}) {
        SCOPED_TRACE(name);
        const auto bottomUp = LoadBitmapImage(Fixture(name));
        const auto topDown = Decode(TopDownTwin(ReadFileBytes(Fixture(name))));
        ASSERT_NE(bottomUp, nullptr);
        ASSERT_NE(topDown, nullptr);
        EXPECT_EQ(topDown->width, bottomUp->width);
        EXPECT_EQ(topDown->height, bottomUp->height);
        EXPECT_EQ(topDown->pixels, bottomUp->pixels);
    }
}

TEST_F(BitmapImageTest, FilesWithoutFileHeaderHaveTheirPixelsAfterThePalette) {
    for (const char* name : {"bmp8.bmp", "bmp4.bmp", "bmp24.bmp", "bmp16-565.bmp", "os2-8.bmp"}) {
        SCOPED_TRACE(name);
        const Bytes file = ReadFileBytes(Fixture(name));
        const auto whole = LoadBitmapImage(Fixture(name));
        const auto bare = Decode(Bytes(file.begin() + 14, file.end()));
        ASSERT_NE(whole, nullptr);
        ASSERT_NE(bare, nullptr);
        EXPECT_EQ(bare->pixels, whole->pixels);
    }
}

TEST_F(BitmapImageTest, ColoursUsedSetsThePaletteSize) {
    HandBuiltBmp bmp = PalettedBmp(4, 1, 8, 0, {0x102030, 0x405060});
    bmp.pixels = {1, 0, 1, 1};
    auto image = Decode(bmp.Build());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pixels,
              (Bytes{0x40, 0x50, 0x60, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x40, 0x50, 0x60}));
    // An index beyond the palette is no colour.
    bmp.pixels = {1, 0, 2, 1};
    ExpectFailure(bmp.Build(), kConversionError);
}

TEST_F(BitmapImageTest, OtherBitFieldMasksAreWidenedByRepeatingTheirBits) {
    HandBuiltBmp bmp;
    bmp.width = 2;
    bmp.bitCount = 16;
    bmp.compression = 3;
    bmp.masks = {0x0007, 0x0038, 0xFFC0};  // red 3 bits, green 3 bits, blue 10 bits
    bmp.pixels = {0x05, 0x00, 0xFF, 0xFF};
    // 0x0005: red 5 -> 101 101 10; 0xFFFF: 111 -> 255, green 7 -> 255, blue top 8 bits
    auto image = Decode(bmp.Build());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pixels, (Bytes{0xB6, 0, 0, 255, 255, 255}));
    for (const std::vector<std::uint32_t>& bad :
         {std::vector<std::uint32_t>{0x0005, 0x0038, 0xFFC0},      // gap
          std::vector<std::uint32_t>{0x000F, 0x0038, 0xFFC0},      // overlap
          std::vector<std::uint32_t>{0x70000, 0x0038, 0xFFC0}}) {  // beyond 16 bits
        bmp.masks = bad;
        ExpectFailure(bmp.Build(), kConversionError);
    }
}

TEST_F(BitmapImageTest, HandBuiltRle4FileMatchesItsKnownPattern) {
    HandBuiltBmp bmp = PalettedBmp(5, 3, 4, 2, {0x000010, 0x002000, 0x300000});
    bmp.pixels = {
        5, 0x12,              // row 0: 1 2 1 2 1
        0, 0,                 // end of line
        0, 3,    0x01, 0x20,  // row 1: literal 0 1 2 (two bytes, already even)
        2, 0x00,              //        then 0 0
        0, 0,                 //
        0, 2,    2,    0,     // row 2: move right by 2
        1, 0x20,              //        2
        0, 1,                 // end of bitmap: the rest stays black
    };
    const auto image = Decode(bmp.Build());
    ASSERT_NE(image, nullptr);
    const Bytes c0 = {0, 0, 0x10}, c1 = {0, 0x20, 0}, c2 = {0x30, 0, 0}, black = {0, 0, 0};
    const std::vector<Bytes> expected = {c1, c2, c1,    c2,    c1, c0,    c1,   c2,
                                         c0, c0, black, black, c2, black, black};
    Bytes flat;
    for (const Bytes& p : expected)
        flat.insert(flat.end(), p.begin(), p.end());
    EXPECT_EQ(image->pixels, flat);
}

TEST_F(BitmapImageTest, RunLengthPacketsPastTheRowAreCutThere) {
    HandBuiltBmp bmp = PalettedBmp(3, 2, 8, 1, {0x0000FF, 0x00FF00, 0xFF0000});
    bmp.pixels = {200, 1,                   // row 0: a run far past its end
                  0,   0,                   //
                  0,   4, 0,   1,   2, 1,   // row 1: a literal of 4 in 3 pixels
                  0,   2, 255, 255, 7, 2};  // a delta out of the image, a run there
    const auto image = Decode(bmp.Build());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pixels, (Bytes{0, 255, 0, 0, 255, 0, 0, 255, 0,  //
                                    0, 0, 255, 0, 255, 0, 255, 0, 0}));
}

TEST_F(BitmapImageTest, RunLengthDataMustCompleteTheImageOrEndIt) {
    HandBuiltBmp bmp = PalettedBmp(2, 2, 8, 1, {0xFFFFFF});
    bmp.pixels = {2, 0, 0, 0, 2, 0};  // both rows, no end mark: complete
    EXPECT_NE(Decode(bmp.Build()), nullptr);
    bmp.pixels = {2, 0, 0, 0, 1, 0};  // ends one pixel short
    ExpectFailure(bmp.Build(), kConversionError);
    bmp.pixels = {2, 0, 0, 1};  // ended early on purpose
    EXPECT_NE(Decode(bmp.Build()), nullptr);
    bmp.pixels = {2, 0, 0, 5, 0, 0};  // literal longer than the data
    ExpectFailure(bmp.Build(), kConversionError);
    bmp.pixels = {2, 0, 0, 2, 1};  // delta without its offsets
    ExpectFailure(bmp.Build(), kConversionError);
    bmp.pixels = {2, 1, 0, 1};  // palette index out of range in a run
    ExpectFailure(bmp.Build(), kConversionError);
    bmp.pixels = {2, 0, 0, 0, 0, 3, 0, 0, 3, 0};  // ... and in a literal
    ExpectFailure(bmp.Build(), kConversionError);
    bmp.height = -2;  // compressed bitmaps cannot be top-down
    bmp.pixels = {2, 0, 0, 0, 2, 0};
    ExpectFailure(bmp.Build(), kConversionError);
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(BitmapImageTest, RejectsLayoutsThatDescribeNoImage) {
    HandBuiltBmp valid;
    valid.width = 2;
    valid.pixels = Bytes(8, 0);
    ASSERT_NE(Decode(valid.Build()), nullptr);
    for (int bits : {0, 2, 3, 7, 15, 33, 64}) {
        SCOPED_TRACE(bits);
        HandBuiltBmp bmp = valid;
        bmp.bitCount = bits;
        ExpectFailure(bmp.Build(), kConversionError);
    }
    const struct {
        int bitCount;
        std::uint32_t compression;
    } badCompressions[] = {{24, 1}, {8, 2}, {4, 1}, {24, 3}, {8, 3}, {24, 4}, {24, 5}, {16, 6}};
    for (const auto& c : badCompressions) {
        SCOPED_TRACE(c.compression);
        HandBuiltBmp bmp = valid;
        bmp.bitCount = c.bitCount;
        bmp.compression = c.compression;
        bmp.masks = {0xF800, 0x7E0, 0x1F};
        ExpectFailure(bmp.Build(), kConversionError);
    }
    HandBuiltBmp bmp = valid;
    bmp.width = 0;
    ExpectFailure(bmp.Build(), kConversionError);
    bmp = valid;
    bmp.width = -2;
    ExpectFailure(bmp.Build(), kConversionError);
    bmp = valid;
    bmp.height = 0;
    ExpectFailure(bmp.Build(), kConversionError);
    bmp = valid;
    bmp.height = INT32_MIN;
    ExpectFailure(bmp.Build(), kConversionError);
    bmp = valid;
    bmp.pixelOffset = 1000;  // past the end
    ExpectFailure(bmp.Build(), kConversionError);
    bmp = valid;
    bmp.bitCount = 8;
    bmp.coloursUsed = 0x40000000;  // a palette the file cannot hold
    ExpectFailure(bmp.Build(), kConversionError);
}

TEST_F(BitmapImageTest, HugeSizesInSmallFilesAreRejectedBeforeAllocating) {
    const std::int32_t huge = 1 << 30;
    HandBuiltBmp bmp;
    bmp.pixels = Bytes(64, 0);
    for (const auto& [w, h] : {std::pair{huge, 1}, {1, huge}, {huge, huge}, {INT32_MAX, -huge}}) {
        bmp.width = w;
        bmp.height = h;
        bmp.bitCount = 24;
        bmp.compression = 0;
        ExpectFailure(bmp.Build(), kConversionError);
        bmp.bitCount = 8;
        bmp.compression = 1;
        bmp.palette = {0};
        bmp.coloursUsed = 1;
        if (h > 0)
            ExpectFailure(bmp.Build(), kConversionError);
        bmp.palette.clear();
        bmp.coloursUsed = 0;
    }
}

// Row stride times rows of these passes 64 bits; found by the BMP fuzz target.
TEST_F(BitmapImageTest, SizesWhoseByteCountOverflowsAreRejected) {
    HandBuiltBmp bmp;
    bmp.pixels = Bytes(64, 0);
    for (const std::int32_t height : {INT32_MAX, -INT32_MAX}) {
        for (const std::uint32_t compression : {0u, 3u}) {
            bmp.width = INT32_MAX;
            bmp.height = height;
            bmp.bitCount = 32;
            bmp.compression = compression;
            ExpectFailure(bmp.Build(), kConversionError);
        }
    }
}

TEST_F(BitmapImageTest, UnknownHeadersAreReportedAsSuch) {
    // 124-byte headers, as ImageMagick writes by default
    EXPECT_EQ(LoadBitmapImage(Fixture("bmp16-565-v5.bmp")), nullptr);
    EXPECT_EQ(recorder.Take(), kUnknownFormat);
    ExpectFailure({'B', 'M', 0, 0}, kUnknownFormat);
    Bytes file = ReadFileBytes(Fixture("bmp24.bmp"));
    file[14] = 64;
    ExpectFailure(file, kUnknownFormat);
}

TEST_F(BitmapImageTest, ReportsWithTheErrorCaptionAnOkButtonAndTheErrorIcon) {
    const std::string missing = dir.File("missing.bmp");
    EXPECT_EQ(LoadBitmapImage(missing), nullptr);
    ASSERT_EQ(recorder.messages.size(), 1u);
    const RecordedMessage& message = recorder.messages[0];
    EXPECT_EQ(message.text, "Failed to open DIB file " + missing + ".\n");
    EXPECT_EQ(message.caption, "Error");
    EXPECT_EQ(message.buttons, MessageBoxButtons::Ok);
    EXPECT_EQ(message.icon, MessageBoxIcon::Error);
    recorder.messages.clear();
    // A folder cannot be opened as a file either.
    EXPECT_EQ(LoadBitmapImage(dir.Path().string()), nullptr);
    EXPECT_EQ(recorder.Take(), "Failed to open DIB file " + dir.Path().string() + ".\n");
    // Nor can an empty file be mapped.
    const std::string empty = dir.File("empty.bmp");
    std::ofstream{empty};
    EXPECT_EQ(LoadBitmapImage(empty), nullptr);
    EXPECT_EQ(recorder.Take(), "Failed to open DIB file " + empty + ".\n");
}

TEST_F(BitmapImageTest, TruncatedFilesFailWithTheirMessageOrKeepEveryPixel) {
    for (const FixturePair& pair : kFixtures) {
        SCOPED_TRACE(pair.file);
        const Bytes file = ReadFileBytes(Fixture(pair.file));
        const auto whole = LoadBitmapImage(Fixture(pair.file));
        ASSERT_NE(whole, nullptr);
        const std::size_t headers = 14 + file[14];
        int decoded = 0;
        for (std::size_t cut = 0; cut < file.size(); ++cut) {
            SCOPED_TRACE(cut);
            const auto image = Decode(Bytes(file.begin(), file.begin() + long(cut)));
            if (image == nullptr) {
                const std::string expected =
                    cut == 0        ? "Failed to open DIB file " + dir.File("x.bmp") + ".\n"
                    : cut < headers ? kUnknownFormat
                                    : kConversionError;
                EXPECT_EQ(recorder.Take(), expected);
                continue;
            }
            // Only what follows the last pixel may be missing: row padding, end marks (and
            // the run of padding pixels that ImageMagick's RLE rows end with).
            ++decoded;
            EXPECT_EQ(image->pixels, whole->pixels);
        }
        EXPECT_LE(decoded, 6);
    }
}

TEST_F(BitmapImageTest, FlippedBytesNeverCrash) {
    for (const char* name :
         {"bmp8-rle.bmp", "bmp4.bmp", "bmp16-565.bmp", "os2-8.bmp", "bmp32-bitfields.bmp"}) {
        SCOPED_TRACE(name);
        const Bytes file = ReadFileBytes(Fixture(name));
        const std::size_t limit = std::min<std::size_t>(file.size(), 200);
        for (std::size_t at = 0; at < limit; ++at) {
            for (std::uint8_t flip : {0x01, 0x80, 0xFF}) {
                Bytes changed = file;
                changed[at] ^= flip;
                const auto image = Decode(changed);
                if (image != nullptr) {
                    EXPECT_EQ(image->pixels.size(),
                              std::size_t(image->width) * std::size_t(image->height) * 3);
                }
                recorder.messages.clear();
            }
        }
    }
}

}  // namespace
