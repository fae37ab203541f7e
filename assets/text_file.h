// Text files as a Windows program in text mode reads them: every "\r\n" arrives as "\n".
// Our data files are written on Windows as often as not.
#pragma once

#include <optional>
#include <sstream>
#include <string>

// The whole file with its line ends normalised, or nullopt when it cannot be opened or is no
// regular file.
std::optional<std::istringstream> OpenTextFile(const std::string& fileName);
