// Turns a model file into a data folder the game starts on: the model as the robot, with its
// mesh, one animation file per animation, its textures as TGA, and the sample content's gun and
// statistics files. glTF (.gltf, .glb) is read through tinygltf; every reader fills one scene,
// which one writer turns into the game's files.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "tools/convert/scene.h"

struct ImportOptions {
    std::optional<float> scale;  // nullopt: fit in view as the sample robot is, and place
    std::string gunNode;         // empty: "Gun" if the model has one, else add one
};

struct ImportedFolder {  // a data folder in memory, in the order the files are written
    std::vector<std::pair<std::string, std::string>> files;  // file name -> bytes
    std::vector<std::string> notes;                          // "skipped 2 line primitives", ...
    std::vector<std::string> sources;  // every file the import read, the model first
};

// From a file, by its extension: .gltf and .glb through the glTF reader (relative URIs resolve
// inside its folder only), anything else through the asset import library.
bool ImportModelFile(const std::string& path, const ImportOptions& options, ImportedFolder& out,
                     std::string& error);
// glTF bytes already in memory (the fuzz target's entry); `baseDir` empty: no external files.
bool ImportModelBytes(std::span<const unsigned char> bytes, const std::string& baseDir,
                      const ImportOptions& options, ImportedFolder& out, std::string& error);
// Any reader's scene through the shared steps (pose, placement, names, sampling, limits) and
// the writer. The scene's meshes are released once they are read.
bool ConvertScene(Scene& scene, const ImportOptions& options, ImportedFolder& out,
                  std::string& error);
// FOLDER new or empty; on failure nothing is left in it.
bool WriteImportedFolder(const ImportedFolder& folder, const std::string& path, std::string& error);
