// What the inspector says about one file: its kind, a summary, and every problem found.
#pragma once

#include <string>
#include <vector>

#include "assets/load_error.h"
#include "tools/inspect/value.h"

struct FileReport {
    FileReport() = default;
    FileReport(std::string path, std::string kind) : path(std::move(path)), kind(std::move(kind)) {}

    std::string path;
    std::string kind;  // "mesh", "animation", "face groups", "prop bounds", "actor bounds",
                       // "tga image", "bmp image", "descriptor", "robot stats", "weapon stats",
                       // "unknown"
    Value summary = Value::Object();
    std::vector<std::string> problems;  // none: the file is valid
    std::vector<std::string> notes;     // fine for the game, worth knowing

    bool Valid() const { return problems.empty(); }
    void Problem(std::string text) { problems.push_back(std::move(text)); }
    // The loader's reason, with the byte offset when it gave one.
    void Problem(const LoadError& error);
    void Note(std::string text) { notes.push_back(std::move(text)); }
    // Runs one of the game's loaders (given the LoadError to fill); false, with its reason as
    // a problem, when it fails.
    template <typename Load>
    bool Loaded(Load load) {
        LoadError error;
        if (load(&error))
            return true;
        Problem(error);
        return false;
    }
};

// "what (at byte N)".
std::string Describe(const LoadError& error);
