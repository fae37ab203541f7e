// Texture images: TGA and BMP headers through the game's decoders.
#include <memory>

#include "assets/bitmap_image.h"
#include "assets/tga_image.h"
#include "tools/inspect/inspectors.h"

namespace {

const char* TgaTypeName(int type) {
    switch (type) {
        case 2:
            return "uncompressed true colour";
        case 10:
            return "run-length true colour";
        default:
            return "not read by the game";
    }
}

const char* BmpCompressionName(std::uint32_t compression) {
    switch (compression) {
        case 0:
            return "none";
        case 1:
            return "RLE8";
        case 2:
            return "RLE4";
        case 3:
            return "bit fields";
        default:
            return "unknown";
    }
}

}  // namespace

FileReport InspectTga(const std::string& path) {
    FileReport report(path, "tga image");
    TgaImage image;
    LoadError error;
    const bool ok = image.Load(path, &error) == 1;
    Value& s = report.summary;
    // The header fields stay set when a later check fails, so they are shown either way. Only
    // the faults before the header was read have no offset.
    if (ok || error.offset >= 0) {
        s.Set("width", image.width);
        s.Set("height", image.height);
        s.Set("type", image.imageType);
        s.Set("type name", TgaTypeName(image.imageType));
        s.Set("depth", image.pixelDepth);
        s.Set("colour-map type", image.colorMapType);
        s.Set("id length", image.idLength);
        s.Set("image descriptor", image.imageDescriptor);
    }
    if (!ok)
        report.Problem(error);
    return report;
}

FileReport InspectBmp(const std::string& path) {
    FileReport report(path, "bmp image");
    std::unique_ptr<BitmapImage> image;
    if (!report.Loaded([&](LoadError* error) {
            image = LoadBitmapImage(path, error);
            return image != nullptr;
        }))
        return report;
    Value& s = report.summary;
    s.Set("width", image->width);
    s.Set("height", image->height);
    s.Set("depth", image->bitCount);
    s.Set("compression", BmpCompressionName(image->compression));
    s.Set("header size", static_cast<std::int64_t>(image->headerSize));
    s.Set("top-down", Value::Bool(image->topDown));
    return report;
}
