// Turns a glTF 2.0 model (.gltf or .glb) into a data folder the game starts on: the model as the
// robot, with its mesh, one animation file per glTF animation, its textures as TGA, and the
// sample content's gun and statistics files.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

struct ImportOptions {
    std::optional<float> scale;  // nullopt: fit to the sample robot's height and place
    std::string gunNode;         // empty: "Gun" if the model has one, else add one
};

struct ImportedFolder {  // a data folder in memory, in the order the files are written
    std::vector<std::pair<std::string, std::string>> files;  // file name -> bytes
    std::vector<std::string> notes;                          // "skipped 2 line primitives", ...
};

// From a file (.gltf or .glb by content/extension); relative URIs resolve inside its folder only.
bool ImportModelFile(const std::string& path, const ImportOptions& options, ImportedFolder& out,
                     std::string& error);
// From bytes already in memory (the fuzz target's entry); `baseDir` empty: no external files.
bool ImportModelBytes(std::span<const unsigned char> bytes, const std::string& baseDir,
                      const ImportOptions& options, ImportedFolder& out, std::string& error);
// FOLDER new or empty; on failure nothing is left in it.
bool WriteImportedFolder(const ImportedFolder& folder, const std::string& path, std::string& error);
