// `vorn --watch MODEL`: each save converted into the model cache like a start, watching the model
// and every file the conversion read; a superseded conversion's folder is removed.
#pragma once

#include <filesystem>
#include <string>

#include "app/model_reload.h"
#include "app/model_start.h"

// `model` is absolute; `name` is as the user gave it, for the console.
WatchSource WatchModel(const std::string& name, const std::filesystem::path& model,
                       const ModelCacheSettings& settings);
