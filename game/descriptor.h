// Descriptor files: what an actor or a prop is made of, read completely before anything loads.
//
// Actor: "actor", the mesh file, the animation count, one animation file per line.
// Prop: "prop", the mesh file. Lines hold at most 127 characters; further lines are ignored.
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "assets/load_error.h"

struct Descriptor {
    std::string kind;  // "actor" or "prop"
    std::string mesh;
    std::vector<std::string> animations;
    // The actor's count line: what it said (0 when it is no number), and whether it was one.
    // A count larger than the lines that follow stops at the end of the file.
    long long declaredCount = 0;
    bool countIsNumber = true;
};

// nullopt for an unknown kind or a line longer than 127 characters; `error` says which line.
std::optional<Descriptor> ReadDescriptor(std::istream& in, LoadError* error = nullptr);
// The same for a file; nullopt also when it cannot be opened.
std::optional<Descriptor> ReadDescriptorFile(const std::string& fileName,
                                             LoadError* error = nullptr);
