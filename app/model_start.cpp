#include "app/model_start.h"

#include <stdlib.h>

#include <optional>
#include <system_error>
#include <vector>

#include "platform/message_box.h"
// The converter: this include and vorn_model_start's link in app/CMakeLists.txt name it.
#include "tools/convert/model_import.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRefused = 1;

int Refuse(const fs::path& model, const std::string& reason, std::ostream& errors) {
    const std::string line = "cannot open " + model.string() + ": " + reason;
    errors << "vorn: " << line << '\n' << std::flush;
    ShowMessageBox(line, "ERROR", MessageBoxButtons::Ok, MessageBoxIcon::Warning);
    return kRefused;
}

std::optional<fs::path> MakeTemporaryFolder() {
    std::error_code error;
    std::string pattern = (fs::temp_directory_path(error) / "vorn-model-XXXXXX").string();
    if (error || ::mkdtemp(pattern.data()) == nullptr)
        return std::nullopt;
    return fs::path(pattern);
}

}  // namespace

ModelCacheSettings ModelCacheSettingsFromEnvironment() {
    return {ModelCacheRoot(::getenv("XDG_CACHE_HOME"), ::getenv("HOME")), {}};
}

OpenedModel::~OpenedModel() {
    if (source_ == Source::ConvertedForThisRun) {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
}

bool ConvertModel(const fs::path& model, std::uint64_t modelKey, const ModelCache& cache,
                  ModelConversion& out, std::string& error) {
    ImportedFolder converted;
    if (!ImportModelFile(model.string(), ImportOptions{}, converted, error))
        return false;
    out.sources.assign(converted.sources.begin(), converted.sources.end());
    if (out.sources.empty())
        out.sources.push_back(model);
    out.notes = std::move(converted.notes);
    const auto write = [&converted](const fs::path& folder, std::string& writeError) {
        return WriteImportedFolder(converted, folder.string(), writeError);
    };
    std::string cacheError;
    if (std::optional<fs::path> folder =
            cache.Store(model, modelKey, out.sources, write, cacheError)) {
        out.folder = std::move(*folder);
        return true;
    }
    const std::optional<fs::path> temporary = MakeTemporaryFolder();
    if (!temporary) {
        error = cacheError + ", nor make a temporary folder";
        return false;
    }
    if (!write(*temporary, error)) {
        std::error_code ignored;
        fs::remove_all(*temporary, ignored);
        return false;
    }
    out.folder = *temporary;
    out.forThisRun = cacheError;
    return true;
}

int OpenModel(const fs::path& model, const ModelCacheSettings& settings, OpenedModel& opened,
              std::ostream& console, std::ostream& errors) {
    const std::optional<std::uint64_t> modelKey = ModelCache::ModelKey(model);
    if (!modelKey)
        return Refuse(model, "cannot read the file", errors);
    const ModelCache cache(settings.root);
    if (std::optional<fs::path> folder = cache.Find(model, *modelKey)) {
        opened.folder_ = std::move(*folder);
        opened.source_ = OpenedModel::Source::Reused;
        console << "Opened " << model.string() << ": reused its conversion in "
                << opened.folder_.string() << '\n';
        cache.Prune(settings.policy, opened.folder_);
        return 0;
    }

    ModelConversion conversion;
    std::string error;
    if (!ConvertModel(model, *modelKey, cache, conversion, error))
        return Refuse(model, error, errors);
    opened.folder_ = conversion.folder;
    if (conversion.forThisRun.empty()) {
        opened.source_ = OpenedModel::Source::Converted;
        console << "Opened " << model.string() << ": converted into " << opened.folder_.string()
                << '\n';
        cache.Prune(settings.policy, opened.folder_);
    } else {
        opened.source_ = OpenedModel::Source::ConvertedForThisRun;
        console << "Opened " << model.string() << ": converted into " << opened.folder_.string()
                << " for this run only (" << conversion.forThisRun << ")\n";
    }
    for (const std::string& note : conversion.notes)
        console << "note: " << note << '\n';
    return 0;
}
