#include <stdlib.h>

#include <filesystem>
#include <system_error>
#include <vector>

#include "assets/atomic_file.h"
#include "tools/convert/model_import.h"

namespace fs = std::filesystem;

namespace {

bool WriteFiles(const ImportedFolder& folder, const fs::path& into, std::vector<fs::path>& written,
                std::string& error) {
    for (const auto& [name, bytes] : folder.files) {
        const fs::path path = into / name;
        if (!WriteFileAtomically(path.string(), bytes.data(), bytes.size())) {
            error = "cannot write " + path.string();
            return false;
        }
        written.push_back(path);
    }
    return true;
}

}  // namespace

// A new folder is filled under a temporary name beside it and renamed once complete; an empty
// folder that exists is filled in place, and only the files written now are removed again on
// failure. Nothing that was there before is ever touched.
bool WriteImportedFolder(const ImportedFolder& folder, const std::string& path,
                         std::string& error) {
    std::error_code ec;
    const fs::path target(path);
    if (fs::exists(fs::symlink_status(target, ec))) {
        if (!fs::is_directory(target, ec) || !fs::is_empty(target, ec)) {
            error = path + " exists and is not an empty folder";
            return false;
        }
        std::vector<fs::path> written;
        if (WriteFiles(folder, target, written, error))
            return true;
        for (const fs::path& file : written)
            fs::remove(file, ec);
        return false;
    }
    fs::path parent = target.parent_path();
    if (parent.empty())
        parent = ".";
    std::string pattern = (parent / ("." + target.filename().string() + ".import-XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) {
        error = "cannot create a folder beside " + path;
        return false;
    }
    const fs::path temporary(buffer.data());
    std::vector<fs::path> written;
    if (WriteFiles(folder, temporary, written, error)) {
        // mkdtemp made it private; a data folder is as readable as any other.
        fs::permissions(temporary,
                        fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                            fs::perms::others_read | fs::perms::others_exec,
                        ec);
        fs::rename(temporary, target, ec);
        if (!ec)
            return true;
        error = "cannot create " + path + ": " + ec.message();
    }
    fs::remove_all(temporary, ec);
    return false;
}
