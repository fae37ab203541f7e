// Textures of a mesh: an image file decoded, turned into an OpenGL texture, then released.
#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "assets/load_error.h"

struct TextureParams {
    GLenum wrap = GL_REPEAT;
    GLenum magFilter = GL_LINEAR;
    GLenum minFilter = GL_LINEAR_MIPMAP_LINEAR;
    GLenum envMode = GL_REPLACE;  // not applied by the build; the renderer sets GL_REPLACE
    std::int32_t alphaMode = 0;
    std::int32_t buildMode = 0;  // 0: GLU mipmap chain, 1: single level, else the build fails
    std::uint8_t keyColor[3] = {0, 0, 0};
    std::int32_t width = 0;  // set from the mesh's texture record before each build
    std::int32_t height = 0;
};

// The process-wide defaults that actor and prop loads pass in.
extern TextureParams defaultTextureParams;

struct TgaImage;
struct BitmapImage;

struct Texture {
    Texture();
    ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // 1 when the image was decoded ("tga" or "bmp", in any case), 0 otherwise.
    // With `error`, why it failed.
    int LoadImage(const std::string& fileName, LoadError* error = nullptr);
    // The OpenGL texture name, or 0. Needs a current context. Uploads the image at its own
    // size and depth (the record's size, which the parameters carry, is the same for every
    // well-formed mesh): 24-bit pixels as they are, 32-bit TGA pixels with their own alpha,
    // 16-bit ones widened to 24 bits; a non-zero alpha mode replaces any alpha with the
    // generated one. Nothing is created when it fails.
    GLuint Build(const TextureParams& params);
    // Frees the decoded image and any generated pixel data; the OpenGL name stays.
    void ReleaseImage();

    char fileName[128] = {};
    std::int16_t recordWidth = 0;
    std::int16_t recordHeight = 0;
    std::unique_ptr<TgaImage> tga;
    std::unique_ptr<BitmapImage> bitmap;
    int kind = 0;                          // 0 = TGA, 1 = BMP
    const std::uint8_t* pixels = nullptr;  // what the build hands to OpenGL
    std::vector<std::uint8_t> generated;   // pixels the build made: widened, or with alpha
    int width = 0;
    int bitsPerPixel = 24;  // of the uploaded pixels
    int height = 0;
    int buildMode = 0;
    GLuint name = 0;
};
