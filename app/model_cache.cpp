#include "app/model_cache.h"

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>

#include "app/hash64.h"
#include "assets/byte_reader.h"

namespace fs = std::filesystem;

namespace {

// In every cache folder: a header line, then the files the model names, relative to its folder,
// each ended by a NUL (no file name holds one). Its modification time is the folder's last use.
constexpr char kManifestName[] = ".vorn-model";
constexpr std::string_view kManifestHeader = "vorn model cache 1\n";
constexpr std::uintmax_t kMaxManifestBytes = 1 << 20;
constexpr std::string_view kHiddenPrefix = ".tmp-";
// A hidden sibling this old belongs to a run that ended while writing it.
constexpr auto kAbandonedAfter = std::chrono::hours(24);
constexpr std::size_t kKeyDigits = 16;

std::string Hex(std::uint64_t key) {
    char text[kKeyDigits + 1];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(key));
    return text;
}

bool IsCacheFolderName(std::string_view name) {
    return name.size() == 2 * kKeyDigits + 1 && name[kKeyDigits] == '-' &&
           std::all_of(name.begin(), name.end(), [](char c) {
               return c == '-' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

std::optional<std::uint64_t> FileHash(const fs::path& file, std::uint64_t seed = 0) {
    MappedFile mapped;
    if (!mapped.Open(file.string()))
        return std::nullopt;
    return Hash64(mapped.Data(), mapped.Size(), seed);
}

fs::path ModelFolder(const fs::path& model) {
    std::error_code ignored;
    return fs::absolute(model, ignored).parent_path().lexically_normal();
}

// The full key: the model key, then each named file's name and the hash of its bytes.
std::optional<std::uint64_t> FullKey(const fs::path& modelFolder,
                                     const std::vector<std::string>& namedFiles,
                                     std::uint64_t modelKey) {
    std::string records;
    for (const std::string& name : namedFiles) {
        const std::optional<std::uint64_t> hash = FileHash(modelFolder / name);
        if (!hash)
            return std::nullopt;
        records += name;
        records += '\0';
        for (int shift = 0; shift < 64; shift += 8)
            records += static_cast<char>((*hash >> shift) & 0xFF);
    }
    return Hash64(records, modelKey);
}

std::optional<std::vector<std::string>> ReadManifest(const fs::path& folder) {
    const fs::path file = folder / kManifestName;
    std::error_code error;
    const std::uintmax_t size = fs::file_size(file, error);
    if (error || size > kMaxManifestBytes)
        return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in || bytes.size() != size || !bytes.starts_with(kManifestHeader) ||
        (bytes.size() > kManifestHeader.size() && bytes.back() != '\0')) {
        return std::nullopt;
    }
    std::vector<std::string> names;
    for (std::size_t at = kManifestHeader.size(); at < bytes.size();) {
        const std::size_t end = bytes.find('\0', at);
        if (end == at)
            return std::nullopt;
        names.push_back(bytes.substr(at, end - at));
        at = end + 1;
    }
    return names;
}

bool WriteManifest(const fs::path& folder, const std::vector<std::string>& namedFiles,
                   std::string& error) {
    std::string bytes(kManifestHeader);
    for (const std::string& name : namedFiles) {
        bytes += name;
        bytes += '\0';
    }
    std::ofstream out(folder / kManifestName, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        error = "cannot write " + (folder / kManifestName).string();
    return static_cast<bool>(out);
}

// Whether `folder` holds this model's conversion with every named file as it is now.
bool Matches(const fs::path& folder, const fs::path& modelFolder, std::uint64_t modelKey) {
    const std::string name = folder.filename().string();
    const std::optional<std::vector<std::string>> namedFiles = ReadManifest(folder);
    if (!IsCacheFolderName(name) || !namedFiles)
        return false;
    const std::optional<std::uint64_t> full = FullKey(modelFolder, *namedFiles, modelKey);
    return full && name == Hex(modelKey) + "-" + Hex(*full);
}

void MarkUsed(const fs::path& folder) {
    std::error_code ignored;
    fs::last_write_time(folder / kManifestName, fs::file_time_type::clock::now(), ignored);
}

fs::file_time_type LastUse(const fs::path& folder) {
    std::error_code error;
    fs::file_time_type time = fs::last_write_time(folder / kManifestName, error);
    if (error)
        time = fs::last_write_time(folder, error);
    return error ? fs::file_time_type::min() : time;
}

std::uintmax_t FolderBytes(const fs::path& folder) {
    std::uintmax_t total = 0;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code sizeError;
        if (it->is_regular_file(sizeError)) {
            const std::uintmax_t size = it->file_size(sizeError);
            total += sizeError ? 0 : size;
        }
    }
    return total;
}

}  // namespace

fs::path ModelCacheRoot(const char* xdgCacheHome, const char* home) {
    if (xdgCacheHome != nullptr && fs::path(xdgCacheHome).is_absolute())
        return fs::path(xdgCacheHome) / "vorn" / "models";
    if (home != nullptr && fs::path(home).is_absolute())
        return fs::path(home) / ".cache" / "vorn" / "models";
    return {};
}

std::optional<std::uint64_t> ModelCache::ModelKey(const fs::path& model) {
    return FileHash(model, Hash64(kModelConverterVersion));
}

std::optional<fs::path> ModelCache::Find(const fs::path& model, std::uint64_t modelKey) const {
    const std::string prefix = Hex(modelKey) + "-";
    const fs::path modelFolder = ModelFolder(model);
    std::error_code error;
    for (fs::directory_iterator it(root_, error), end; !error && it != end; it.increment(error)) {
        if (it->path().filename().string().starts_with(prefix) &&
            Matches(it->path(), modelFolder, modelKey)) {
            MarkUsed(it->path());
            return it->path();
        }
    }
    return std::nullopt;
}

std::optional<fs::path> ModelCache::Store(const fs::path& model, std::uint64_t modelKey,
                                          const std::vector<fs::path>& sources,
                                          const FolderWriter& write, std::string& error) const {
    std::error_code fsError;
    if (root_.empty()) {
        error = "no cache folder (neither XDG_CACHE_HOME nor HOME is an absolute path)";
        return std::nullopt;
    }
    fs::create_directories(root_, fsError);
    if (fsError) {
        error = "cannot make the cache folder " + root_.string() + ": " + fsError.message();
        return std::nullopt;
    }
    // The named files as the manifest lists them; the model itself is in the model key.
    const fs::path modelFolder = ModelFolder(model);
    std::vector<std::string> namedFiles;
    for (std::size_t i = 1; i < sources.size(); ++i) {
        const fs::path source = fs::absolute(sources[i], fsError).lexically_normal();
        const fs::path relative = source.lexically_relative(modelFolder);
        namedFiles.push_back((relative.empty() ? source : relative).string());
    }
    const std::optional<std::uint64_t> full = FullKey(modelFolder, namedFiles, modelKey);
    if (!full) {
        error = "cannot read the files the model names again";
        return std::nullopt;
    }
    const fs::path folder = root_ / (Hex(modelKey) + "-" + Hex(*full));

    std::string pattern =
        (root_ / (std::string(kHiddenPrefix) + folder.filename().string() + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        error = "cannot write in the cache folder " + root_.string();
        return std::nullopt;
    }
    const fs::path hidden = pattern;
    if (!write(hidden, error) || !WriteManifest(hidden, namedFiles, error)) {
        fs::remove_all(hidden, fsError);
        return std::nullopt;
    }
    fs::rename(hidden, folder, fsError);
    if (fsError && !Matches(folder, modelFolder, modelKey)) {
        // A damaged folder of the same name: this conversion replaces it.
        fs::remove_all(folder, fsError);
        fs::rename(hidden, folder, fsError);
    }
    if (fsError) {
        const std::string reason = fsError.message();
        fs::remove_all(hidden, fsError);
        // Another start stored the same conversion meanwhile.
        if (Matches(folder, modelFolder, modelKey))
            return folder;
        error = "cannot move the conversion into " + folder.string() + ": " + reason;
        return std::nullopt;
    }
    return folder;
}

void ModelCache::Prune(const ModelCachePolicy& policy, const fs::path& keep) const {
    struct Entry {
        fs::path folder;
        fs::file_time_type lastUse;
        std::uintmax_t bytes = 0;
    };
    const fs::file_time_type now = fs::file_time_type::clock::now();
    std::vector<Entry> entries;
    std::uintmax_t total = 0;
    std::error_code error;
    for (fs::directory_iterator it(root_, error), end; !error && it != end; it.increment(error)) {
        const fs::path& folder = it->path();
        const std::string name = folder.filename().string();
        std::error_code ignored;
        if (!it->is_directory(ignored) || it->is_symlink(ignored))
            continue;
        if (name.starts_with(kHiddenPrefix)) {
            const fs::file_time_type written = fs::last_write_time(folder, ignored);
            if (!ignored && written < now - kAbandonedAfter)
                fs::remove_all(folder, ignored);
            continue;
        }
        if (!IsCacheFolderName(name))
            continue;
        const Entry entry{folder, LastUse(folder), FolderBytes(folder)};
        if (folder != keep && entry.lastUse < now - policy.unusedFor) {
            fs::remove_all(folder, ignored);
            continue;
        }
        total += entry.bytes;
        if (folder != keep)
            entries.push_back(entry);
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.lastUse < b.lastUse; });
    for (const Entry& entry : entries) {
        if (total <= policy.maxBytes)
            break;
        fs::remove_all(entry.folder, error);
        total -= entry.bytes;
    }
}
