// `vorn --watch FOLDER`: the data folder is loaded as it is, and watched by the files the game
// reads from it.
#pragma once

#include <string>

#include "app/model_reload.h"

// Prepares `folder` (absolute) as it is. Its watched files are the descriptors, the meshes and
// animations they name, the textures the meshes name, and the statistics files; names that
// leave the folder are not followed. A face-group or bounds cache older than the file it is made
// from is removed, so that the load makes it again from the saved file.
PrepareFolder PrepareDataFolder(const std::string& folder);
