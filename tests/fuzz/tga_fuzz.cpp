// TGA images (TgaImage::Load).
#include "assets/tga_image.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = WriteFuzzInput("input.tga", data, size);
    TgaImage image;
    if (image.Load(path) == 1) {
        FUZZ_CHECK(image.pixelCount == image.width * image.height);
        FUZZ_CHECK(image.pixels.size() == static_cast<std::size_t>(image.pixelCount) *
                                              static_cast<std::size_t>(image.BytesPerPixel()));
    } else {
        FUZZ_CHECK(image.pixels.empty());
    }
    return 0;
}
