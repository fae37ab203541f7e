// A picture written as a PNG file under a name of its own, never over an existing file.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // red, green, blue per pixel, top row first
};

// Writes `picture` into `folder` as vorn-YYYYMMDD-HHMMSS.png for the local time `when`, or as
// vorn-YYYYMMDD-HHMMSS-2.png, -3, ... when that name is taken. The path written; empty, with
// `error` saying why, when nothing was (a partly written file is removed).
std::filesystem::path WritePngFile(const std::filesystem::path& folder, std::time_t when,
                                   const Picture& picture, std::string& error);
