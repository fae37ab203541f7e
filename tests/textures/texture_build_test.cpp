#include <gtest/gtest.h>

#include "assets/bitmap_image.h"
#include "assets/image_writer.h"
#include "assets/texture.h"
#include "assets/texture_alpha.h"
#include "assets/tga_image.h"
#include "image_test_support.h"
#include "tests/support/shared_gl_context.h"
#include "tests/temp_dir.h"

namespace {

class TextureBuildTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(UseSharedGlContext()) << "needs a display with OpenGL";
    }

    // Writes a TGA, loads it into `texture` and builds it.
    GLuint BuildTga(int width, int height, int depth, const Bytes& pixels, TextureParams params) {
        const std::string path = dir.File("t.tga");
        EXPECT_TRUE(WriteTga(path, width, height, depth, pixels, false));
        EXPECT_EQ(texture.LoadImage(path), 1);
        params.width = width;
        params.height = height;
        return texture.Build(params);
    }

    static Bytes ReadBack(GLenum format, int channels, int level = 0) {
        GLint width = 0, height = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &height);
        Bytes pixels(std::size_t(width) * std::size_t(height) * std::size_t(channels));
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, level, format, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
    static GLint Level(GLenum parameter, int level = 0) {
        GLint value = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, parameter, &value);
        return value;
    }
    static GLint Parameter(GLenum parameter) {
        GLint value = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, parameter, &value);
        return value;
    }

    TempDir dir;
    MessageRecorder recorder;
    Texture texture;
};

Bytes Varied(std::size_t bytes) {
    Bytes out;
    for (std::size_t i = 0; i < bytes; ++i)
        out.push_back(std::uint8_t((i * 29 + 7) % 256));
    return out;
}

TextureParams SingleLevel() {
    TextureParams params = defaultTextureParams;
    params.buildMode = 1;
    return params;
}

TEST_F(TextureBuildTest, A24BitTgaIsUploadedAsItIsStored) {
    ASSERT_EQ(texture.LoadImage(Fixture("tga24.tga")), 1);
    TextureParams params = SingleLevel();
    params.width = 13;
    params.height = 7;
    const GLuint name = texture.Build(params);
    ASSERT_NE(name, 0u);
    EXPECT_EQ(texture.name, name);
    EXPECT_EQ(texture.bitsPerPixel, 24);
    EXPECT_EQ(texture.pixels, texture.tga->pixels.data());  // no copy
    EXPECT_EQ(texture.width, 13);
    EXPECT_EQ(texture.height, 7);
    EXPECT_EQ(texture.buildMode, 1);
    EXPECT_EQ(Level(GL_TEXTURE_INTERNAL_FORMAT), GL_RGB8);
    EXPECT_EQ(ReadBack(GL_BGR, 3), texture.tga->pixels);
}

TEST_F(TextureBuildTest, BuildModeZeroMakesTheWholeMipmapChain) {
    const Bytes pixels = Varied(8 * 4 * 3);
    ASSERT_NE(BuildTga(8, 4, 24, pixels, defaultTextureParams), 0u);
    EXPECT_EQ(ReadBack(GL_BGR, 3), pixels);
    const int sizes[][2] = {{8, 4}, {4, 2}, {2, 1}, {1, 1}};
    for (int level = 0; level < 4; ++level) {
        EXPECT_EQ(Level(GL_TEXTURE_WIDTH, level), sizes[level][0]) << level;
        EXPECT_EQ(Level(GL_TEXTURE_HEIGHT, level), sizes[level][1]) << level;
    }
    // A uniform image stays uniform down the chain.
    Texture uniform;
    const Bytes grey(8 * 4 * 3, 0x5A);
    ASSERT_TRUE(WriteTga(dir.File("u.tga"), 8, 4, 24, grey, true));
    ASSERT_EQ(uniform.LoadImage(dir.File("u.tga")), 1);
    ASSERT_NE(uniform.Build(defaultTextureParams), 0u);
    EXPECT_EQ(ReadBack(GL_BGR, 3, 3), Bytes(3, 0x5A));
}

TEST_F(TextureBuildTest, WrapAndFiltersComeFromTheParameters) {
    ASSERT_NE(BuildTga(2, 2, 24, Varied(12), defaultTextureParams), 0u);
    EXPECT_EQ(Parameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(Parameter(GL_TEXTURE_WRAP_T), GL_REPEAT);
    EXPECT_EQ(Parameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(Parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);

    TextureParams params = SingleLevel();
    params.wrap = GL_CLAMP;
    params.magFilter = GL_NEAREST;
    params.minFilter = GL_NEAREST;
    params.envMode = GL_DECAL;
    // The environment mode is the renderer's to set: the build leaves it as it finds it.
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_BLEND);
    Texture other;
    ASSERT_EQ(other.LoadImage(dir.File("t.tga")), 1);
    ASSERT_NE(other.Build(params), 0u);
    EXPECT_EQ(Parameter(GL_TEXTURE_WRAP_S), GL_CLAMP);
    EXPECT_EQ(Parameter(GL_TEXTURE_WRAP_T), GL_CLAMP);
    EXPECT_EQ(Parameter(GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(Parameter(GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    GLint envMode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &envMode);
    EXPECT_EQ(envMode, GL_BLEND);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

TEST_F(TextureBuildTest, EveryAlphaModeGeneratesItsChannel) {
    // Pixels with known answers first, then varied ones.
    Bytes pixels = {0, 0, 0, 200, 200, 200, 31, 20, 10, 0, 4, 3};
    const Bytes rest = Varied(16 * 4 * 3 - pixels.size());
    pixels.insert(pixels.end(), rest.begin(), rest.end());
    const std::uint8_t noKey[3] = {0, 0, 0};
    for (int mode : {1, 2, 3, 4, 5, 6, 7, 8, 9, 12, -3}) {
        SCOPED_TRACE(mode);
        TextureParams params = SingleLevel();
        params.alphaMode = mode;
        Texture built;
        ASSERT_TRUE(WriteTga(dir.File("a.tga"), 16, 4, 24, pixels, false));
        ASSERT_EQ(built.LoadImage(dir.File("a.tga")), 1);
        params.width = 16;
        params.height = 4;
        ASSERT_NE(built.Build(params), 0u);
        EXPECT_EQ(built.bitsPerPixel, 32);
        EXPECT_EQ(Level(GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA8);
        const Bytes texels = ReadBack(GL_BGRA, 4);
        ASSERT_EQ(texels.size(), 16u * 4 * 4);
        for (std::size_t i = 0; i < 16 * 4; ++i) {
            const std::uint8_t* src = &pixels[i * 3];
            ASSERT_EQ(Bytes(texels.begin() + long(i * 4), texels.begin() + long(i * 4 + 3)),
                      Bytes(src, src + 3));
            ASSERT_EQ(texels[i * 4 + 3], GenerateAlpha(mode, src[0], src[1], src[2], noKey)) << i;
        }
        if (mode == 1) {
            EXPECT_EQ(texels[3], 0);  // black is transparent
        }
        if (mode == 3) {
            EXPECT_EQ(texels[7], 255);
        }
        if (mode == 4) {
            EXPECT_EQ(texels[11], 20);
        }
        if (mode == 9) {
            EXPECT_EQ(texels[15], 5);
        }
        if (mode == 12 || mode == -3) {
            for (std::size_t i = 3; i < texels.size(); i += 4)
                ASSERT_EQ(texels[i], 255);
        }
    }
}

TEST_F(TextureBuildTest, BitmapsShowTheirTrueColoursAndKeyTheRightColour) {
    // red, green / blue, black: RGB rows as the decoder gives them
    const Bytes rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0};
    ASSERT_TRUE(WriteBmp24(dir.File("c.bmp"), 2, 2, rgb));
    ASSERT_EQ(texture.LoadImage(dir.File("c.bmp")), 1);
    TextureParams params = SingleLevel();
    params.width = 2;
    params.height = 2;
    ASSERT_NE(texture.Build(params), 0u);
    EXPECT_EQ(ReadBack(GL_RGB, 3), rgb);

    // Key red (red, green, blue): transparent in a bitmap and in a TGA alike.
    params.alphaMode = 1;
    params.keyColor[0] = 255;
    Texture bitmap;
    ASSERT_EQ(bitmap.LoadImage(dir.File("c.bmp")), 1);
    ASSERT_NE(bitmap.Build(params), 0u);
    EXPECT_EQ(ReadBack(GL_RGBA, 4),
              (Bytes{255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 255, 255, 0, 0, 0, 255}));
    const Bytes bgr = {0, 0, 255, 255, 0, 0};  // red, blue as TGA stores them
    ASSERT_NE(BuildTga(2, 1, 24, bgr, params), 0u);
    EXPECT_EQ(ReadBack(GL_RGBA, 4), (Bytes{255, 0, 0, 0, 0, 0, 255, 255}));
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(TextureBuildTest, AnyOtherBuildModeFailsWithoutATexture) {
    TextureParams params = SingleLevel();
    for (int mode : {2, -1, 7}) {
        params.buildMode = mode;
        EXPECT_EQ(BuildTga(2, 2, 24, Varied(12), params), 0u) << mode;
        EXPECT_EQ(texture.name, 0u);
        EXPECT_EQ(texture.buildMode, mode);
    }
    Texture empty;
    EXPECT_EQ(empty.Build(SingleLevel()), 0u) << "no image loaded";
}

TEST_F(TextureBuildTest, ARecordSizeOtherThanTheImageNeverReadsPastIt) {
    const Bytes pixels = Varied(8 * 4 * 3);
    ASSERT_TRUE(WriteTga(dir.File("s.tga"), 8, 4, 24, pixels, false));
    for (const auto& [w, h] : {std::pair{64, 64}, {2, 2}, {8, 40}, {0, 0}}) {
        for (int alphaMode : {0, 2}) {
            Texture sized;
            ASSERT_EQ(sized.LoadImage(dir.File("s.tga")), 1);
            TextureParams params = SingleLevel();
            params.alphaMode = alphaMode;
            params.width = w;
            params.height = h;
            ASSERT_NE(sized.Build(params), 0u);
            EXPECT_EQ(Level(GL_TEXTURE_WIDTH), 8);
            EXPECT_EQ(Level(GL_TEXTURE_HEIGHT), 4);
            EXPECT_EQ(sized.width, 8);
            EXPECT_EQ(sized.height, 4);
        }
    }
    EXPECT_EQ(ReadBack(GL_BGRA, 4)[4 * 31], pixels[3 * 31]);
}

TEST_F(TextureBuildTest, A32BitTgaKeepsItsAlphaUnlessAModeReplacesIt) {
    const Bytes pixels = Varied(4 * 2 * 4);
    ASSERT_NE(BuildTga(4, 2, 32, pixels, SingleLevel()), 0u);
    EXPECT_EQ(texture.bitsPerPixel, 32);
    EXPECT_EQ(Level(GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA8);
    EXPECT_EQ(ReadBack(GL_BGRA, 4), pixels);

    TextureParams params = SingleLevel();
    params.alphaMode = 4;
    ASSERT_NE(BuildTga(4, 2, 32, pixels, params), 0u);
    const Bytes texels = ReadBack(GL_BGRA, 4);
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        EXPECT_EQ(texels[i + 3], (pixels[i] + pixels[i + 1] + pixels[i + 2]) / 3);
    }
}

TEST_F(TextureBuildTest, A16BitTgaIsWidenedTo24Bits) {
    // white, full blue, half blue, full green, full red (x1-5-5-5, little-endian)
    const Bytes pixels = {0xFF, 0x7F, 0x1F, 0x00, 0x10, 0x00, 0xE0, 0x03, 0x00, 0x7C, 0, 0};
    ASSERT_NE(BuildTga(6, 1, 16, pixels, SingleLevel()), 0u);
    EXPECT_EQ(texture.bitsPerPixel, 24);
    EXPECT_EQ(ReadBack(GL_RGB, 3),
              (Bytes{255, 255, 255, 0, 0, 255, 0, 0, 132, 0, 255, 0, 255, 0, 0, 0, 0, 0}));
}

TEST_F(TextureBuildTest, ReleasingTheImageKeepsTheTexture) {
    TextureParams params = SingleLevel();
    params.alphaMode = 2;
    const GLuint name = BuildTga(2, 2, 24, Varied(12), params);
    ASSERT_NE(name, 0u);
    EXPECT_FALSE(texture.generated.empty());
    texture.ReleaseImage();
    EXPECT_EQ(texture.pixels, nullptr);
    EXPECT_TRUE(texture.generated.empty());
    EXPECT_EQ(texture.tga, nullptr);
    EXPECT_EQ(texture.name, name);
    EXPECT_TRUE(glIsTexture(name));
}

}  // namespace
