// `vorn --watch MODEL` for a glTF model: each save converted into a new temporary folder, which
// is removed once a later save has replaced it.
#pragma once

#include <string>

#include "app/model_reload.h"

// `model` is absolute. Its watched files are the model and the buffers and images it names.
WatchSource WatchGltfModel(const std::string& name, const std::string& model);
