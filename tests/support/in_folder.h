// Runs a scope inside a folder, as the game runs inside its data folder: the names that data
// files give for other files (meshes, animations, textures) are relative to it.
#pragma once

#include <filesystem>

class InFolder {
  public:
    explicit InFolder(const std::filesystem::path& folder)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~InFolder() { std::filesystem::current_path(previous_); }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

  private:
    std::filesystem::path previous_;
};
