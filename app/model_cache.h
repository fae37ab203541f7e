// The cache of converted models under $XDG_CACHE_HOME/vorn/models (~/.cache/vorn/models): one
// data folder per conversion, named "<model key>-<full key>". The model key hashes the
// converter's version and the model file's bytes; the full key adds the files the model names
// (listed, relative to the model's folder, in the folder's manifest), so that a changed texture
// beside the model means a new conversion. The game writes its own caches into the folder too.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Names the converter's output: change it whenever the same model would convert to other files,
// so that no older conversion is reused.
inline constexpr std::string_view kModelConverterVersion = "vorn-convert 2";

struct ModelCachePolicy {
    std::chrono::seconds unusedFor{std::chrono::hours(24 * 30)};  // older conversions go
    std::uintmax_t maxBytes = std::uintmax_t{2} << 30;  // the least recently used go beyond it
};

// The cache's folder for these values of XDG_CACHE_HOME and HOME (either may be null); empty
// when neither gives an absolute path.
std::filesystem::path ModelCacheRoot(const char* xdgCacheHome, const char* home);

class ModelCache {
  public:
    // Fills `folder`, new and empty, with the conversion; false with `error` when it cannot.
    using FolderWriter =
        std::function<bool(const std::filesystem::path& folder, std::string& error)>;

    explicit ModelCache(std::filesystem::path root) : root_(std::move(root)) {}
    const std::filesystem::path& Root() const { return root_; }

    // The key of the model file's bytes (and the converter's version); nullopt when it cannot
    // be read.
    static std::optional<std::uint64_t> ModelKey(const std::filesystem::path& model);

    // An earlier conversion of the model whose named files are all unchanged, marked as used
    // now; nullopt when there is none.
    std::optional<std::filesystem::path> Find(const std::filesystem::path& model,
                                              std::uint64_t modelKey) const;

    // Writes a conversion through `write` into a hidden sibling, adds the manifest of `sources`
    // (every file the conversion read, the model first) and renames it into place. The stored
    // folder on success; on failure nothing is left behind and `error` says why.
    std::optional<std::filesystem::path> Store(const std::filesystem::path& model,
                                               std::uint64_t modelKey,
                                               const std::vector<std::filesystem::path>& sources,
                                               const FolderWriter& write, std::string& error) const;

    // Removes the conversions unused for longer than the policy allows, then the least recently
    // used ones while all of them together are larger than it allows, and hidden siblings left
    // by runs that ended while writing. `keep` (the folder of this run) stays.
    void Prune(const ModelCachePolicy& policy, const std::filesystem::path& keep) const;

  private:
    std::filesystem::path root_;
};
