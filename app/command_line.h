// The game's command line: `vorn [FOLDER]`, `vorn --watch MODEL|FOLDER`, or `vorn --help`.
#pragma once

#include <string>

inline constexpr int kUsageErrorStatus = 2;

struct CommandLine {
    bool run = false;    // start the game; otherwise print `text` and end with `status`
    std::string folder;  // the data folder to start in; empty for the working directory
    bool watch = false;  // --watch: reload the models whenever their files are saved
    std::string model;   // with --watch, the model file to convert, in place of a folder
    std::string text;    // the help (for standard output) or a one-line error (standard error)
    int status = 0;
};

// Reads the arguments after the program name. A folder must exist (or, with --watch, a folder or
// a model file, one of which it needs); an option other than --help (-h) and --watch is an
// error, as is a second folder. Errors end with status 2.
CommandLine ReadCommandLine(int argc, const char* const* argv);
