// Writes the sample content into a folder: descriptors, statistics, meshes, animations and
// textures. The bytes depend on nothing but the arguments: no clock, no randomness, no
// locale, no unordered containers, so every machine makes the same files.
#pragma once

#include <string>

inline constexpr int kMaxSubdivisions = 32;

// Creates `folder` if needed and writes every file into it; `subdivisions` (1 to
// kMaxSubdivisions) cuts every quad of the robot into that many squared, for benchmarks.
// On failure gives false and the path that could not be written in `failedPath`.
bool WriteContent(const std::string& folder, int subdivisions, std::string& failedPath);
