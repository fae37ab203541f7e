#include "tools/convert/encoded_image.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "assets/bitmap_image.h"
#include "assets/tga_image.h"
#include "platform/message_box.h"
#include "tools/convert/image_decode.h"
#include "tools/convert/scene_check.h"

namespace {

bool SizeFits(int width, int height) {
    return width >= 1 && height >= 1 && width <= kMaxImageSide && height <= kMaxImageSide &&
           static_cast<std::size_t>(width) * static_cast<std::size_t>(height) <= kMaxImagePixels;
}

// The game's TGA and BMP readers take a file name: the bytes go to a private temporary file.
class TemporaryFile {
  public:
    explicit TemporaryFile(const std::vector<std::uint8_t>& bytes) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vorn-image-XXXXXX").string();
        const int fd = mkstemp(pattern.data());
        if (fd < 0)
            return;
        close(fd);
        path_ = pattern;
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out.flush())
            path_.clear();
    }
    ~TemporaryFile() {
        if (!path_.empty())
            unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

bool DecodeTga(const std::string& file, SceneImage& image, std::string& why) {
    TgaImage tga;
    LoadError error;
    if (tga.Load(file, &error) != 1) {
        why = "not a readable TGA (" + error.what + ")";
        return false;
    }
    if (!SizeFits(tga.width, tga.height)) {
        why = "the image is too large";
        return false;
    }
    image.width = tga.width;
    image.height = tga.height;
    const std::size_t width = static_cast<std::size_t>(tga.width);
    const std::size_t bytes = static_cast<std::size_t>(tga.BytesPerPixel());
    image.rgb.resize(width * static_cast<std::size_t>(tga.height) * 3);
    for (int y = 0; y < tga.height; ++y) {
        // Rows come bottom first, pixels blue, green, red (16 bits: 5 each, blue lowest).
        const std::uint8_t* src =
            tga.pixels.data() + static_cast<std::size_t>(tga.height - 1 - y) * width * bytes;
        std::uint8_t* dst = image.rgb.data() + static_cast<std::size_t>(y) * width * 3;
        for (std::size_t x = 0; x < width; ++x, src += bytes, dst += 3) {
            if (bytes == 2) {
                const unsigned v = src[0] | (src[1] << 8);
                for (int c = 0; c < 3; ++c) {
                    const unsigned five = (v >> (10 - 5 * c)) & 0x1F;
                    dst[c] = static_cast<std::uint8_t>((five << 3) | (five >> 2));
                }
            } else {
                dst[0] = src[2], dst[1] = src[1], dst[2] = src[0];
            }
        }
    }
    return true;
}

bool DecodeBmp(const std::string& file, SceneImage& image, std::string& why) {
    // The game's reader reports failures in a message box; here a failure is only a note.
    SetMessageBoxPresenter([](const std::string&, const std::string&, MessageBoxButtons buttons,
                              MessageBoxIcon) { return EscapeAnswer(buttons); });
    LoadError error;
    const std::unique_ptr<BitmapImage> bmp = LoadBitmapImage(file, &error);
    SetMessageBoxPresenter({});
    if (!bmp) {
        why = "not a readable BMP (" + error.what + ")";
        return false;
    }
    if (!SizeFits(bmp->width, bmp->height)) {
        why = "the image is too large";
        return false;
    }
    image.width = bmp->width;
    image.height = bmp->height;
    const std::size_t row = static_cast<std::size_t>(bmp->width) * 3;
    image.rgb.resize(row * static_cast<std::size_t>(bmp->height));
    for (int y = 0; y < bmp->height; ++y) {
        const std::uint8_t* src =
            bmp->pixels.data() + static_cast<std::size_t>(bmp->height - 1 - y) * row;
        std::copy(src, src + row, image.rgb.data() + static_cast<std::size_t>(y) * row);
    }
    return true;
}

}  // namespace

bool DecodeEncodedImage(const EncodedImage& encoded, SceneImage& image, std::string& why) {
    image = SceneImage{};
    image.name = encoded.name;
    const std::vector<std::uint8_t>& bytes = encoded.bytes;
    int width = 0, height = 0;
    if (ImageSize(bytes.data(), bytes.size(), width, height)) {
        if (!SizeFits(width, height)) {
            why = "the image is too large";
            return false;
        }
        const char* reason = "";
        if (!DecodeRgb(bytes.data(), bytes.size(), image.rgb, image.width, image.height, reason)) {
            why = std::string("the image cannot be decoded (") + reason + ")";
            return false;
        }
        return true;
    }
    const bool png = bytes.size() >= 4 && bytes[0] == 0x89 && bytes[1] == 'P';
    const bool jpeg = bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8;
    if (png || jpeg) {
        why = "the image is a damaged PNG or JPEG";
        return false;
    }
    const TemporaryFile file(bytes);
    if (file.Path().empty()) {
        why = "no temporary file for decoding could be written";
        return false;
    }
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        return DecodeBmp(file.Path(), image, why);
    return DecodeTga(file.Path(), image, why);
}
