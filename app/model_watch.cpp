#include "app/model_watch.h"

#include <optional>
#include <system_error>

namespace fs = std::filesystem;

WatchSource WatchModel(const std::string& name, const fs::path& model,
                       const ModelCacheSettings& settings) {
    WatchSource source;
    source.name = name;
    source.dropFolder = [](const std::string& folder) {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    };
    source.prepare = [model, settings](std::string& folder, std::vector<std::string>& watched,
                                       std::string& error) {
        // A save that cannot be read leaves the last good save's files watched.
        const std::optional<std::uint64_t> key = ModelCache::ModelKey(model);
        if (!key) {
            error = "cannot read the file";
            return false;
        }
        ModelConversion conversion;
        if (!ConvertModel(model, *key, ModelCache(settings.root), conversion, error))
            return false;
        folder = conversion.folder.string();
        watched.assign(conversion.sources.begin(), conversion.sources.end());
        return true;
    };
    return source;
}
