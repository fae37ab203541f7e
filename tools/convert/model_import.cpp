// The entries: a model file or glTF bytes to its reader, then the one path every scene takes.
#include "tools/convert/model_import.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "tools/convert/assimp_reader.h"
#include "tools/convert/gltf_read.h"
#include "tools/convert/gltf_read_load.h"
#include "tools/convert/scene_names.h"

namespace {

bool IsGltf(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".gltf" || extension == ".glb";
}

bool ImportGltfFile(const std::string& path, const ImportOptions& options, ImportedFolder& out,
                    std::string& error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size > kMaxModelFileBytes) {
        error = ec ? "cannot read " + path : path + " is larger than 1 GiB";
        return false;
    }
    std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
    std::ifstream in(path, std::ios::binary);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    fs::path folder = fs::path(path).parent_path();
    if (folder.empty())
        folder = ".";
    if (!ImportModelBytes(bytes, folder.string(), options, out, error))
        return false;
    out.sources.insert(out.sources.begin(), path);
    return true;
}

}  // namespace

bool ImportModelBytes(std::span<const unsigned char> bytes, const std::string& baseDir,
                      const ImportOptions& options, ImportedFolder& out, std::string& error) {
    out = {};
    Scene scene;
    if (!ReadGltf(bytes, baseDir, scene, error)) {
        error = OneLine(error);
        return false;
    }
    return ConvertScene(scene, options, out, error);
}

bool ImportModelFile(const std::string& path, const ImportOptions& options, ImportedFolder& out,
                     std::string& error) {
    out = {};
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        error = "cannot read " + path + ": not a file";
        return false;
    }
    if (IsGltf(path))
        return ImportGltfFile(path, options, out, error);
    Scene scene;
    if (!ReadWithAssimp(path, scene, error)) {
        error = OneLine(error);
        return false;
    }
    return ConvertScene(scene, options, out, error);
}
