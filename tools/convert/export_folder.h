// Data folder to glTF: the actor of "kordax.txt" (and, on request, the gun of "gun82.txt" on its
// "Gun" node) read with the game's own loaders and written as one .glb, or as one .gltf whose
// buffer is embedded as a data URI.
#pragma once

#include <string>
#include <vector>

// Writes OUT (.glb, or .gltf with embedded data) from the data folder; false with one line in
// `error`. `notes` gets what could not be carried over exactly (keyframes with shear, faces
// without area), one line each.
bool ExportFolder(const std::string& folder, const std::string& outPath, bool withGun,
                  std::string& error, std::vector<std::string>& notes);
bool ExportFolder(const std::string& folder, const std::string& outPath, bool withGun,
                  std::string& error);
