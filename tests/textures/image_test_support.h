// Helpers shared by the image and texture tests: fixtures, stb_image references, recorded
// message boxes and hand-built BMP files.
#pragma once

#include <stb_image.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "tests/support/byte_builder.h"

using Bytes = std::vector<std::uint8_t>;

inline std::string Fixture(const std::string& name) {
    return std::string(VORN_IMAGE_FIXTURES) + "/" + name;
}

inline Bytes ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFileBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// stb_image's decode: top row first, red first.
struct ReferenceImage {
    int width = 0;
    int height = 0;
    Bytes pixels;
};

inline bool LoadReference(const std::string& path, int channels, ReferenceImage& image) {
    int components = 0;
    stbi_uc* data = stbi_load(path.c_str(), &image.width, &image.height, &components, channels);
    if (data == nullptr) {
        return false;
    }
    image.pixels.assign(data, data + std::size_t(image.width) * image.height * channels);
    stbi_image_free(data);
    return true;
}

// Rows in the opposite order.
inline Bytes FlipRows(const Bytes& pixels, int rowBytes) {
    Bytes flipped;
    for (std::size_t end = pixels.size(); end >= std::size_t(rowBytes); end -= rowBytes) {
        flipped.insert(flipped.end(), pixels.begin() + long(end - rowBytes),
                       pixels.begin() + long(end));
    }
    return flipped;
}

struct RecordedMessage {
    std::string text;
    std::string caption;
    MessageBoxButtons buttons;
    MessageBoxIcon icon;
};

// Records every message box while it lives, answering each as Escape would.
class MessageRecorder {
  public:
    MessageRecorder() {
        SetMessageBoxPresenter([this](const std::string& text, const std::string& caption,
                                      MessageBoxButtons buttons, MessageBoxIcon icon) {
            messages.push_back({text, caption, buttons, icon});
            return EscapeAnswer(buttons);
        });
    }
    ~MessageRecorder() { SetMessageBoxPresenter({}); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    // The one message shown since the last call, or "" when there was none or more than one.
    std::string Take() {
        std::string text = messages.size() == 1 ? messages[0].text : "";
        messages.clear();
        return text;
    }

    std::vector<RecordedMessage> messages;
};

// A BMP file with a 40-byte header, every field under the test's control.
struct HandBuiltBmp {
    std::int32_t width = 1;
    std::int32_t height = 1;
    int bitCount = 24;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    std::vector<std::uint32_t> palette;  // 0x00RRGGBB
    std::vector<std::uint32_t> masks;    // written after the header when not empty
    Bytes pixels;                        // as stored
    std::int64_t pixelOffset = -1;       // -1: right after the palette

    Bytes Build() const {
        const std::uint32_t start = 14 + 40 + 4 * std::uint32_t(masks.size() + palette.size());
        const auto offset = pixelOffset < 0 ? start : std::uint32_t(pixelOffset);
        ByteBuilder out;
        out.Raw("BM").Int(start + std::uint32_t(pixels.size())).Int(0).Int(offset);
        out.Int(40).Int(width).Int(height).Short(1).Short(bitCount);
        out.Int(compression).Int(0).Int(2835).Int(2835).Int(coloursUsed).Int(0);
        for (std::uint32_t m : masks)
            out.Int(m);
        for (std::uint32_t c : palette)
            out.Int(c);
        out.Raw(std::string(pixels.begin(), pixels.end()));
        return out.Vector();
    }
};
