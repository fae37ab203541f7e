// File names relative to the file that names them.
#pragma once

#include <string>

// `name` in the folder of `file` ("data/kordax.ply", "plate.tga" -> "data/plate.tga"); an
// absolute name stays as it is.
std::string Beside(const std::string& file, const std::string& name);
// The file name without its folder.
std::string BaseName(const std::string& path);
bool IsRegularFile(const std::string& path);
