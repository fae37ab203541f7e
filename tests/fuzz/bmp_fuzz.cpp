// BMP images (LoadBitmapImage).
#include "assets/bitmap_image.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PrepareFuzzing();
    const std::string path = WriteFuzzInput("input.bmp", data, size);
    const std::unique_ptr<BitmapImage> image = LoadBitmapImage(path);
    if (image != nullptr) {
        FUZZ_CHECK(image->width >= 1 && image->height >= 1);
        FUZZ_CHECK(image->pixels.size() == static_cast<std::size_t>(image->width) *
                                               static_cast<std::size_t>(image->height) * 3);
    }
    return 0;
}
