// The game's command line: `vorn [FOLDER | MODEL]`, `vorn --watch MODEL|FOLDER`, or `vorn --help`.
#pragma once

#include <string>

inline constexpr int kUsageErrorStatus = 2;

struct CommandLine {
    bool run = false;    // start the game; otherwise print `text` and end with `status`
    std::string folder;  // the data folder to start in; empty for the working directory
    bool watch = false;  // --watch: reload the models whenever their files are saved
    std::string model;   // a model file to convert and start on instead; empty for none
    std::string text;    // the help (for standard output) or a one-line error (standard error)
    int status = 0;
};

// Reads the arguments after the program name. An existing folder is a data folder, a regular
// file a model; anything else is an error, as is an option other than --help (-h) and --watch,
// and a second folder or model. --watch needs a folder or a model. Errors end with status 2.
CommandLine ReadCommandLine(int argc, const char* const* argv);
