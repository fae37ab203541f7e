#include "tools/inspect/paths.h"

#include <filesystem>

std::string Beside(const std::string& file, const std::string& name) {
    const std::filesystem::path named(name);
    if (named.is_absolute())
        return name;
    return (std::filesystem::path(file).parent_path() / named).string();
}

std::string BaseName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

bool IsRegularFile(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::is_regular_file(path, ignored);
}
