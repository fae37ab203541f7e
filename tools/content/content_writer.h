// Writes the sample content into a folder: descriptors, statistics, meshes, animations and
// textures. The bytes depend on nothing but the arguments: no clock, no randomness, no
// locale, no unordered containers, so every machine makes the same files.
#pragma once

#include <string>
#include <utility>
#include <vector>

inline constexpr int kMaxSubdivisions = 32;

// A file of a data folder: its name and its bytes.
using ContentFile = std::pair<std::string, std::string>;

// Every file of the sample content, in the order WriteContent writes them; `subdivisions`
// (1 to kMaxSubdivisions) cuts every quad of the robot into that many squared.
std::vector<ContentFile> ContentFiles(int subdivisions);

// What a data folder holds besides its robot: the gun's descriptor, mesh and texture and the
// three statistics files, the same bytes as in the sample content.
std::vector<ContentFile> GunAndStatsFiles();

// Creates `folder` if needed and writes every file of ContentFiles into it.
// On failure gives false and the path that could not be written in `failedPath`.
bool WriteContent(const std::string& folder, int subdivisions, std::string& failedPath);
