#include "assets/texture.h"

#include <GL/glu.h>

#include <new>

#include "assets/binary_file.h"
#include "assets/bitmap_image.h"
#include "assets/regular_file.h"
#include "assets/texture_alpha.h"
#include "assets/tga_image.h"

TextureParams defaultTextureParams;

namespace {

// The decoded image as the build sees it.
struct SourcePixels {
    const std::uint8_t* data = nullptr;
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;  // 2, 3 or 4
    bool redFirst = false;  // BMP rows are red, green, blue; TGA pixels blue, green, red
};

std::uint8_t Widen5(unsigned v) {
    return static_cast<std::uint8_t>((v << 3) | (v >> 2));
}

// 16-bit TGA pixels (little-endian, attribute bit and 5 bits each of red, green, blue) to
// blue, green, red.
void Widen555(const std::uint8_t* src, std::size_t count, std::uint8_t* dst) {
    for (std::size_t i = 0; i < count; ++i, src += 2, dst += 3) {
        const unsigned v = src[0] | (src[1] << 8);
        dst[0] = Widen5(v & 0x1F);
        dst[1] = Widen5((v >> 5) & 0x1F);
        dst[2] = Widen5((v >> 10) & 0x1F);
    }
}

bool Upload(int buildMode, GLint internalFormat, int width, int height, GLenum format,
            const std::uint8_t* pixels) {
    if (buildMode == 0) {
        return gluBuild2DMipmaps(GL_TEXTURE_2D, internalFormat, width, height, format,
                                 GL_UNSIGNED_BYTE, pixels) == 0;
    }
    for (int i = 0; i < 32 && glGetError() != GL_NO_ERROR; ++i) {
        // Errors left by earlier calls must not be taken for this upload's.
    }
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, format, GL_UNSIGNED_BYTE,
                 pixels);
    return glGetError() == GL_NO_ERROR;
}

}  // namespace

Texture::Texture() = default;
Texture::~Texture() = default;

int Texture::LoadImage(const std::string& file, LoadError* error) {
    ReleaseImage();
    const std::optional<std::string> extension = GetExtension(file);
    if (!extension) {
        Fail(error, "the name has no extension, so no decoder");
        return 0;
    }
    if (*extension == "tga") {
        kind = 0;
        auto image = std::make_unique<TgaImage>();
        if (!image->Load(file, error)) {
            return 0;
        }
        tga = std::move(image);
        return 1;
    }
    if (*extension == "bmp") {
        kind = 1;
        if (!IsReadableRegularFile(file)) {
            Fail(error, "cannot be opened as a file");
            return 0;  // a missing file is no decoding failure: no message
        }
        bitmap = LoadBitmapImage(file, error);
        return bitmap != nullptr ? 1 : 0;
    }
    Fail(error, "extension \"" + *extension + "\" is neither tga nor bmp");
    return 0;
}

GLuint Texture::Build(const TextureParams& params) {
    buildMode = params.buildMode;
    if (buildMode != 0 && buildMode != 1) {
        return 0;
    }
    SourcePixels source;
    if (kind == 0 && tga != nullptr && !tga->pixels.empty()) {
        source = {tga->pixels.data(), tga->width, tga->height, tga->BytesPerPixel(), false};
    } else if (kind == 1 && bitmap != nullptr && !bitmap->pixels.empty()) {
        source = {bitmap->pixels.data(), bitmap->width, bitmap->height, 3, true};
    } else {
        return 0;
    }
    // The pixels are read at the image's own size: a mesh record that names another size
    // would make the upload read past the decoded pixels or skew them.
    width = source.width;
    height = source.height;
    const auto count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);

    const std::uint8_t* colour = source.data;
    int stride = source.bytesPerPixel;
    std::vector<std::uint8_t> widened;
    try {
        if (stride == 2) {
            widened.resize(count * 3);
            Widen555(colour, count, widened.data());
            colour = widened.data();
            stride = 3;
        }
        if (params.alphaMode != 0) {
            const std::uint8_t* k = params.keyColor;
            const std::uint8_t key[3] = {source.redFirst ? k[0] : k[2], k[1],
                                         source.redFirst ? k[2] : k[0]};
            generated.resize(count * 4);
            AddAlphaChannel(colour, stride, count, params.alphaMode, key, generated.data());
            colour = generated.data();
            stride = 4;
        } else if (!widened.empty()) {
            generated.swap(widened);
            colour = generated.data();
        }
    } catch (const std::bad_alloc&) {
        generated = {};
        return 0;
    }
    pixels = colour;
    bitsPerPixel = stride * 8;
    const bool alpha = stride == 4;
    const GLenum format =
        alpha ? (source.redFirst ? GL_RGBA : GL_BGRA) : (source.redFirst ? GL_RGB : GL_BGR);
    const GLint internalFormat = alpha ? GL_RGBA8 : GL_RGB8;

    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(params.wrap));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(params.wrap));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(params.magFilter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(params.minFilter));
    if (!Upload(buildMode, internalFormat, width, height, format, pixels)) {
        glDeleteTextures(1, &texture);
        return 0;
    }
    name = texture;
    return name;
}

void Texture::ReleaseImage() {
    tga.reset();
    bitmap.reset();
    generated = {};
    pixels = nullptr;
}
