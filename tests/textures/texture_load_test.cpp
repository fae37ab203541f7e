#include <gtest/gtest.h>

#include "assets/bitmap_image.h"
#include "assets/image_writer.h"
#include "assets/texture.h"
#include "assets/tga_image.h"
#include "image_test_support.h"
#include "tests/temp_dir.h"

namespace {

class TextureLoadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const Bytes pixels(2 * 2 * 3, 0x40);
        ASSERT_TRUE(WriteTga(dir.File("skin.TGA"), 2, 2, 24, pixels, false));
        ASSERT_TRUE(WriteBmp24(dir.File("skin.Bmp"), 2, 2, pixels));
    }

    TempDir dir;
    MessageRecorder recorder;
    Texture texture;
};

TEST_F(TextureLoadTest, RecognisesExtensionsInAnyCase) {
    ASSERT_EQ(texture.LoadImage(dir.File("skin.TGA")), 1);
    EXPECT_EQ(texture.kind, 0);
    ASSERT_NE(texture.tga, nullptr);
    EXPECT_EQ(texture.tga->pixelCount, 4);
    EXPECT_EQ(texture.bitmap, nullptr);

    ASSERT_EQ(texture.LoadImage(dir.File("skin.Bmp")), 1);
    EXPECT_EQ(texture.kind, 1);
    ASSERT_NE(texture.bitmap, nullptr);
    EXPECT_EQ(texture.bitmap->width, 2);
    EXPECT_EQ(texture.tga, nullptr);  // the earlier image is released
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(TextureLoadTest, FilesWithoutADecoderFailSilently) {
    std::filesystem::copy_file(dir.File("skin.TGA"), dir.File("skin.png"));
    std::filesystem::copy_file(dir.File("skin.TGA"), dir.File("skin"));
    EXPECT_EQ(texture.LoadImage(dir.File("skin.png")), 0);
    EXPECT_EQ(texture.LoadImage(dir.File("skin")), 0);
    EXPECT_EQ(texture.LoadImage(dir.File("missing.tga")), 0);
    // A missing bitmap is no decoding failure: no message either.
    EXPECT_EQ(texture.LoadImage(dir.File("missing.bmp")), 0);
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_EQ(texture.tga, nullptr);
    EXPECT_EQ(texture.bitmap, nullptr);
}

TEST_F(TextureLoadTest, BitmapsThatFailToDecodeAreReported) {
    dir.Write("broken.bmp", "BM not a bitmap at all");
    EXPECT_EQ(texture.LoadImage(dir.File("broken.bmp")), 0);
    EXPECT_EQ(recorder.Take(), "Unknown DIB file format.");
    EXPECT_EQ(texture.bitmap, nullptr);
}

TEST_F(TextureLoadTest, ReleaseImageFreesTheDecodedPixels) {
    ASSERT_EQ(texture.LoadImage(dir.File("skin.TGA")), 1);
    texture.ReleaseImage();
    EXPECT_EQ(texture.tga, nullptr);
    EXPECT_EQ(texture.pixels, nullptr);
    EXPECT_TRUE(texture.generated.empty());
    ASSERT_EQ(texture.LoadImage(dir.File("skin.Bmp")), 1);
    texture.ReleaseImage();
    EXPECT_EQ(texture.bitmap, nullptr);
}

}  // namespace
