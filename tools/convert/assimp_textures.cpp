#include "tools/convert/assimp_textures.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <system_error>

namespace {

namespace fs = std::filesystem;

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::vector<std::string> Parts(const std::string& name) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : name + "/") {
        if (c == '/' || c == '\\') {
            if (!part.empty() && part != ".")
                parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    return parts;
}

std::string Stem(const std::string& name) {
    const std::vector<std::string> parts = Parts(name);
    return parts.empty() ? std::string() : fs::path(parts.back()).stem().string();
}

void Put16(std::vector<std::uint8_t>& out, int v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

}  // namespace

std::string TextureNameRefusal(const std::string& name) {
    if (name.empty())
        return "it is empty";
    if (name.find(':') != std::string::npos)
        return "it is a URI or names a drive";
    if (name[0] == '/' || name[0] == '\\')
        return "it is absolute";
    for (const std::string& part : Parts(name))
        if (part == "..")
            return "it leads out of the model's folder";
    if (name.find('\0') != std::string::npos)
        return "it holds a NUL character";
    return {};
}

fs::path FindInFolder(const fs::path& folder, const std::string& name) {
    fs::path at = folder;
    std::error_code ec;
    for (const std::string& part : Parts(name)) {
        if (fs::exists(at / part, ec)) {
            at /= part;
            continue;
        }
        std::vector<std::string> matches;
        for (fs::directory_iterator it(at, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string entry = it->path().filename().string();
            if (Lower(entry) == Lower(part))
                matches.push_back(entry);
        }
        if (matches.empty())
            return {};
        std::sort(matches.begin(), matches.end());  // the same pick on every run
        at /= matches.front();
    }
    return at;
}

AssimpTextures::AssimpTextures(const aiScene& scene, const fs::path& folder) : scene_(scene) {
    std::error_code ec;
    folder_ = fs::canonical(folder, ec);
    if (ec)
        folder_ = folder;
}

int AssimpTextures::Find(const std::string& name, Scene& scene,
                         std::vector<EncodedImage>& encoded) {
    const auto [texture, index] = scene_.GetEmbeddedTextureAndIndex(name.c_str());
    if (texture != nullptr)
        return Embedded(*texture, index, encoded);
    if (!name.empty() && name[0] == '*') {
        scene.notes.push_back("skipped the texture \"" + name + "\": no such embedded texture");
        return -1;
    }
    return External(name, scene, encoded);
}

int AssimpTextures::Embedded(const aiTexture& texture, int index,
                             std::vector<EncodedImage>& encoded) {
    const std::string key = "*" + std::to_string(index);
    if (const auto it = found_.find(key); it != found_.end())
        return it->second;
    EncodedImage image;
    image.name = Stem(texture.mFilename.C_Str());
    image.file = "\"*" + std::to_string(index) + "\"";
    if (texture.mHeight == 0) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(texture.pcData);
        image.bytes.assign(bytes,
                           bytes + std::min<std::size_t>(texture.mWidth, kMaxImageFileBytes));
    } else if (texture.mWidth <= 32767 && texture.mHeight <= 32767) {
        // aiTexel is blue, green, red, alpha, rows top first: a TGA of type 2, 32 bits,
        // stored from the top-left corner.
        const int width = static_cast<int>(texture.mWidth);
        const int height = static_cast<int>(texture.mHeight);
        image.bytes = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        Put16(image.bytes, width);
        Put16(image.bytes, height);
        image.bytes.push_back(32);
        image.bytes.push_back(0x28);
        const auto* texels = reinterpret_cast<const std::uint8_t*>(texture.pcData);
        image.bytes.insert(image.bytes.end(), texels,
                           texels + std::size_t{4} * static_cast<std::size_t>(width) *
                                        static_cast<std::size_t>(height));
    }
    encoded.push_back(std::move(image));
    const int found = static_cast<int>(encoded.size()) - 1;
    found_[key] = found;
    return found;
}

int AssimpTextures::External(const std::string& name, Scene& scene,
                             std::vector<EncodedImage>& encoded) {
    if (const std::string why = TextureNameRefusal(name); !why.empty()) {
        scene.notes.push_back("skipped the texture \"" + name + "\": " + why);
        return -1;
    }
    std::error_code ec;
    const fs::path file = fs::canonical(FindInFolder(folder_, name), ec);
    const std::string inside = folder_.string() + "/";
    if (ec || file.string().compare(0, inside.size(), inside) != 0 ||
        !fs::is_regular_file(file, ec)) {
        scene.notes.push_back("skipped the texture \"" + name + "\": " +
                              (ec ? "no such file in the model's folder"
                                  : "it is not a file inside the model's folder"));
        return -1;
    }
    if (const auto it = found_.find(file.string()); it != found_.end())
        return it->second;
    const auto size = fs::file_size(file, ec);
    std::ifstream in(file, std::ios::binary);
    if (ec || size > kMaxImageFileBytes || !in) {
        scene.notes.push_back("skipped the texture \"" + name + "\": it cannot be read or is " +
                              "too large");
        return -1;
    }
    EncodedImage image;
    image.name = Stem(name);
    image.file = "\"" + file.filename().string() + "\"";
    image.bytes.resize(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(image.bytes.data()), static_cast<std::streamsize>(size));
    image.bytes.resize(static_cast<std::size_t>(in.gcount()));
    scene.sources.push_back(file.string());
    encoded.push_back(std::move(image));
    const int found = static_cast<int>(encoded.size()) - 1;
    found_[file.string()] = found;
    return found;
}
