#include "tools/convert/gltf_read_load.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "tools/convert/image_decode.h"
#include "tools/convert/scene_limits.h"

namespace {

namespace fs = std::filesystem;

// Images larger than this are refused before any pixel is decoded (4096 x 4096).
constexpr long long kMaxImagePixels = 1LL << 24;
constexpr int kMaxJsonDepth = 64;

std::string FirstLine(const std::string& text) {
    std::string line = text.substr(0, text.find('\n'));
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20)
            c = ' ';  // tinygltf quotes parts of the file; keep the message one plain line
    }
    return line.empty() ? "unknown reason" : line;
}

// How deep the JSON's objects and arrays nest, strings skipped; stops counting past the limit.
bool JsonNestsTooDeep(const unsigned char* text, std::size_t size) {
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < size; ++i) {
        const unsigned char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            if (++depth > kMaxJsonDepth)
                return true;
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
    return false;
}

std::uint32_t Le32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Checks the .glb container completely (tinygltf's own check lets the binary chunk reach past
// the file's end) and finds the JSON chunk. `length` becomes the container's declared size.
bool CheckGlb(std::span<const unsigned char> bytes, std::size_t& length,
              std::span<const unsigned char>& json, std::string& error) {
    error = "the .glb container is damaged or truncated";
    if (bytes.size() < 20 || Le32(bytes.data() + 4) != 2)
        return bytes.size() >= 20 ? (error = "the .glb is not glTF version 2", false) : false;
    length = Le32(bytes.data() + 8);
    const std::uint64_t jsonLength = Le32(bytes.data() + 12);
    if (length > bytes.size() || Le32(bytes.data() + 16) != 0x4E4F534Au || jsonLength < 1 ||
        20 + jsonLength > length) {
        return false;
    }
    json = bytes.subspan(20, static_cast<std::size_t>(jsonLength));
    const std::uint64_t binAt = 20 + jsonLength;
    if (binAt == length)
        return true;
    if (binAt + 8 > length)
        return false;
    const std::uint64_t binLength = Le32(bytes.data() + binAt);
    return binAt + 8 + binLength <= length && Le32(bytes.data() + binAt + 4) == 0x004E4942u;
}

// What the file callbacks and the image loader share during one load. tinygltf only warns
// about an image file it could not read, so a refusal is kept here and fails the load after.
struct LoadContext {
    fs::path base;  // canonical; empty: no files at all
    std::string prefix;
    const tinygltf::Model* model = nullptr;
    std::vector<std::string>* read = nullptr;  // the files read
    std::string refusal;

    void Refuse(std::string why) {
        if (refusal.empty())
            refusal = std::move(why);
    }
};

// The file a path that tinygltf built as base + "/" + uri stands for, or empty when it is not
// to be read. tinygltf also tries the uri against the working folder: those paths do not start
// with our base and are quietly not found.
fs::path Confined(const std::string& path, LoadContext& context) {
    if (context.base.empty()) {
        context.Refuse("the model refers to an external file, and none may be read here");
        return {};
    }
    if (path.compare(0, context.prefix.size(), context.prefix) != 0)
        return {};
    const std::string uri = path.substr(context.prefix.size());
    if (const std::string why = UriRefusal(uri); !why.empty()) {
        context.Refuse("refused the URI \"" + uri + "\": " + why);
        return {};
    }
    std::error_code ec;
    const fs::path file = fs::canonical(context.base / uri, ec);
    if (ec)
        return {};  // missing: tinygltf reports it
    const std::string resolved = file.string();
    if (resolved.compare(0, context.prefix.size(), context.prefix) != 0) {
        context.Refuse("refused the URI \"" + uri + "\": it leads out of the model's folder");
        return {};
    }
    if (!fs::is_regular_file(file, ec)) {
        context.Refuse("refused the URI \"" + uri + "\": it is not a regular file");
        return {};
    }
    return file;
}

bool FileExists(const std::string& path, void* user) {
    return !Confined(path, *static_cast<LoadContext*>(user)).empty();
}

std::string ExpandFilePath(const std::string& path, void*) {
    return path;  // tinygltf's own expands shell words; a URI is taken literally
}

bool ReadWholeFile(std::vector<unsigned char>* out, std::string* err, const std::string& path,
                   void* user) {
    auto& context = *static_cast<LoadContext*>(user);
    const fs::path file = Confined(path, context);
    std::error_code ec;
    const std::uintmax_t size = file.empty() ? 0 : fs::file_size(file, ec);
    if (file.empty() || ec || size > kMaxModelFileBytes) {
        if (size > kMaxModelFileBytes)
            context.Refuse("a file the model refers to is larger than 1 GiB");
        *err = "cannot read the file";
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    out->resize(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(out->data()), static_cast<std::streamsize>(size));
    if (!in) {
        *err = "cannot read the file";
        return false;
    }
    context.read->push_back(file.string());
    return true;
}

bool IsPngOrJpeg(const unsigned char* bytes, std::size_t size) {
    static constexpr unsigned char kPng[] = {0x89, 'P', 'N', 'G'};
    return (size >= 4 && std::memcmp(bytes, kPng, 4) == 0) ||
           (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8);
}

// Decodes PNG and JPEG to 8-bit RGB once their size is known to be acceptable.
bool LoadImage(tinygltf::Image* image, const int index, std::string* err, std::string*, int, int,
               const unsigned char* bytes, int size, void* user) {
    auto& context = *static_cast<LoadContext*>(user);
    const std::string name = "image " + std::to_string(index);
    std::size_t length = static_cast<std::size_t>(size);
    if (image->bufferView >= 0) {
        // tinygltf hands out the view's bytes without checking that they lie in the buffer.
        const tinygltf::Model& model = *context.model;
        const tinygltf::BufferView& view =
            model.bufferViews[static_cast<std::size_t>(image->bufferView)];
        const std::vector<unsigned char>& data =
            model.buffers[static_cast<std::size_t>(view.buffer)].data;
        if (view.byteOffset > data.size() || view.byteLength > data.size() - view.byteOffset) {
            context.Refuse(name + "'s buffer view reaches outside its buffer");
            *err = context.refusal;
            return false;
        }
        bytes = data.data() + view.byteOffset;
        length = view.byteLength;
    }
    int width = 0, height = 0;
    if (!IsPngOrJpeg(bytes, length) || !ImageSize(bytes, length, width, height)) {
        context.Refuse(name + " is not a PNG or JPEG image that can be read");
        *err = context.refusal;
        return false;
    }
    if (width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide ||
        static_cast<long long>(width) * height > kMaxImagePixels) {
        context.Refuse(name + " is " + std::to_string(width) + " x " + std::to_string(height) +
                       " pixels; at most 16777216 pixels and 32767 on a side are supported");
        *err = context.refusal;
        return false;
    }
    const char* reason = "";
    if (!DecodeRgb(bytes, length, image->image, width, height, reason)) {
        context.Refuse(name + " cannot be decoded: " + reason);
        *err = context.refusal;
        return false;
    }
    image->width = width;
    image->height = height;
    image->component = 3;
    image->bits = 8;
    image->pixel_type = TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE;
    return true;
}

}  // namespace

std::string UriRefusal(const std::string& uri) {
    if (uri.empty())
        return "it is empty";
    if (uri.front() == '/')
        return "it is an absolute path";
    if (uri.find('\\') != std::string::npos)
        return "it holds a back slash";
    if (uri.find('\0') != std::string::npos)
        return "it holds a NUL character";
    const std::size_t firstSlash = uri.find('/');
    if (uri.substr(0, firstSlash).find(':') != std::string::npos)
        return "it names a scheme or a drive";
    std::size_t start = 0;
    while (start <= uri.size()) {
        const std::size_t end = std::min(uri.find('/', start), uri.size());
        if (uri.compare(start, end - start, "..") == 0 && end - start == 2)
            return "it has a \"..\" step";
        start = end + 1;
    }
    return {};
}

bool LoadGltf(std::span<const unsigned char> bytes, const std::string& baseDir,
              tinygltf::Model& model, std::vector<std::string>& read, std::string& error) {
    if (bytes.size() > kMaxModelFileBytes) {
        error = "the model is larger than 1 GiB";
        return false;
    }
    const bool binary = bytes.size() >= 4 && std::memcmp(bytes.data(), "glTF", 4) == 0;
    std::size_t length = bytes.size();
    std::span<const unsigned char> json = bytes;
    if (binary && !CheckGlb(bytes, length, json, error))
        return false;
    if (JsonNestsTooDeep(json.data(), json.size())) {
        error = "the model's JSON nests deeper than 64 levels";
        return false;
    }

    LoadContext context;
    context.model = &model;
    context.read = &read;
    if (!baseDir.empty()) {
        std::error_code ec;
        context.base = fs::canonical(baseDir, ec);
        if (ec) {
            error = "cannot find the model's folder " + baseDir;
            return false;
        }
        context.prefix = context.base.string();
        if (context.prefix.back() != '/')
            context.prefix += '/';
    }
    tinygltf::TinyGLTF loader;
    loader.SetFsCallbacks({&FileExists, &ExpandFilePath, &ReadWholeFile, nullptr, &context});
    loader.SetImageLoader(&LoadImage, &context);
    std::string err, warn;
    const std::string base = context.base.string();
    bool loaded = false;
    try {
        loaded = binary ? loader.LoadBinaryFromMemory(&model, &err, &warn, bytes.data(),
                                                      static_cast<unsigned int>(length), base)
                        : loader.LoadASCIIFromString(&model, &err, &warn,
                                                     reinterpret_cast<const char*>(bytes.data()),
                                                     static_cast<unsigned int>(bytes.size()), base);
    } catch (const std::exception& e) {
        err = e.what();  // tinygltf throws for a few malformed inputs (an empty image, ...)
    }
    if (!context.refusal.empty()) {
        error = context.refusal;
        return false;
    }
    if (!loaded) {
        error = "not a glTF 2.0 model that can be read: " + FirstLine(err);
        return false;
    }
    return true;
}
