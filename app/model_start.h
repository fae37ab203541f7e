// `vorn MODEL`: the data folder the game starts on for a model file, converted into the model
// cache or reused from it, or converted into a temporary folder for this run when the cache
// cannot be written.
#pragma once

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "app/model_cache.h"

struct ModelCacheSettings {
    std::filesystem::path root;  // empty: no cache, always a temporary folder
    ModelCachePolicy policy;
};

// The settings of this process's environment (XDG_CACHE_HOME, HOME) and the default policy.
ModelCacheSettings ModelCacheSettingsFromEnvironment();

// The folder of an opened model; a temporary one is removed with the object.
class OpenedModel {
  public:
    enum class Source { Reused, Converted, ConvertedForThisRun };

    OpenedModel() = default;
    ~OpenedModel();
    OpenedModel(const OpenedModel&) = delete;
    OpenedModel& operator=(const OpenedModel&) = delete;

    const std::filesystem::path& Folder() const { return folder_; }
    Source From() const { return source_; }

  private:
    friend int OpenModel(const std::filesystem::path&, const ModelCacheSettings&, OpenedModel&,
                         std::ostream&, std::ostream&);
    std::filesystem::path folder_;
    Source source_ = Source::Reused;
};

// One conversion of a model file: into the cache, or into a temporary folder when the cache
// cannot be written.
struct ModelConversion {
    std::filesystem::path folder;
    std::string forThisRun;  // why the folder is temporary; empty when it is in the cache
    std::vector<std::filesystem::path> sources;  // every file the conversion read, the model first
    std::vector<std::string> notes;              // the converter's
};

// Converts `model` (whose ModelKey is `modelKey`) and stores it. False with the converter's or
// the file system's reason, leaving nothing behind.
bool ConvertModel(const std::filesystem::path& model, std::uint64_t modelKey,
                  const ModelCache& cache, ModelConversion& out, std::string& error);

// Opens the model into `opened` and says on `console` which file was opened and whether it was
// converted or reused (with the converter's notes); 0 then. A model that cannot be converted is
// refused: one line on `errors`, the same reason in an "ERROR" box, nothing left in the cache,
// and 1, the exit status the game then ends with. The cache is pruned by the policy on success.
int OpenModel(const std::filesystem::path& model, const ModelCacheSettings& settings,
              OpenedModel& opened, std::ostream& console, std::ostream& errors);
