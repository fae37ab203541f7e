// Where F12 puts its pictures: the user's Pictures folder.
#pragma once

#include <filesystem>
#include <string>

// The folder `xdg-user-dir PICTURES` names, when it answers with a folder of its own (not the
// home folder, its answer for "none set") that exists or can be made; otherwise ~/Pictures, made
// when missing. Empty, with `error` saying why, when neither can be had.
std::filesystem::path PicturesFolder(std::string& error);
