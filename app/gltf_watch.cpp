#include "app/gltf_watch.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "tools/gltf/gltf_import.h"
#include "tools/gltf/import_load.h"

namespace {

namespace fs = std::filesystem;

// The files a model names, beside the model itself; none when it cannot be parsed, so that the
// files of the last good save stay watched.
std::vector<std::string> NamedFiles(const std::string& model) {
    std::ifstream in(model, std::ios::binary);
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (!in || size < 0 || static_cast<std::uint64_t>(size) > kMaxModelFileBytes)
        return {};
    in.seekg(0);
    std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), size);
    const std::string base = fs::path(model).parent_path().string();
    tinygltf::Model parsed;
    std::string error;
    if (!in || !LoadGltf(bytes, base, parsed, error))
        return {};
    std::vector<std::string> files{model};
    const auto add = [&](const std::string& uri) {
        if (!uri.empty() && UriRefusal(uri).empty())
            files.push_back(base + "/" + uri);
    };
    for (const tinygltf::Buffer& buffer : parsed.buffers)
        add(buffer.uri);
    for (const tinygltf::Image& image : parsed.images)
        add(image.uri);
    return files;
}

void RemoveFolder(const std::string& folder) {
    std::error_code error;
    fs::remove_all(folder, error);
}

}  // namespace

WatchSource WatchGltfModel(const std::string& name, const std::string& model) {
    WatchSource source;
    source.name = name;
    source.dropFolder = RemoveFolder;
    source.prepare = [model](std::string& folder, std::vector<std::string>& watched,
                             std::string& error) {
        watched = NamedFiles(model);
        ImportedFolder imported;
        if (!ImportModelFile(model, ImportOptions{}, imported, error))
            return false;
        std::string pattern = (fs::temp_directory_path() / "vorn-watch-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            error = "cannot make a temporary folder for the conversion";
            return false;
        }
        folder = pattern;
        if (!WriteImportedFolder(imported, folder, error)) {
            RemoveFolder(folder);
            return false;
        }
        return true;
    };
    return source;
}
