// What the fuzz targets share. The loaders read files by name (none has an in-memory entry),
// so each input is written to a file in a private temporary folder first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "assets/texture.h"

struct AnimationSource;
struct MeshSource;
class Zt18DOP;

// A broken invariant counts as a finding, like a crash.
#define FUZZ_CHECK(condition) \
    do {                      \
        if (!(condition)) {   \
            __builtin_trap(); \
        }                     \
    } while (false)

// Creates the folder (removed again at exit), makes it the working directory, so that names an
// input refers to resolve inside it, and silences message boxes: there is no display, and a
// decoder's report is an answer, not a finding.
void PrepareFuzzing();
// `name` inside the folder.
std::string FuzzPath(const std::string& name);
// Writes the input to FuzzPath(name) and returns that path.
std::string WriteFuzzInput(const std::string& name, const std::uint8_t* data, std::size_t size);
// Makes every write of `path` fail at once: its temporary name is taken by a folder. Cache
// writers then take their "cannot write" path without touching the disk, which keeps runs fast
// and the folder unchanged.
void BlockWrites(const std::string& path);
// Writes a stand-in model file; aborts when it cannot (nothing could be fuzzed).
void WriteStandIn(const std::string& path, const MeshSource& source);
void WriteStandIn(const std::string& path, const AnimationSource& source);
// What `make` gives (a pointer), made at the first input and kept for the whole run: the models
// the inputs are read for.
template <typename Make>
auto& KeptForTheRun(Make make) {
    static auto* const kept = make();
    return *kept;
}
// Writes `source` as FuzzPath(name) and loads it into a new `Model` (a Mesh, ActorModel or
// PropModel) with the default texture parameters; aborts when the load fails. The model is
// kept for the whole run.
template <typename Model>
Model* LoadStandIn(const std::string& name, const MeshSource& source) {
    const std::string path = FuzzPath(name);
    WriteStandIn(path, source);
    auto* loaded = new Model;
    if constexpr (requires { loaded->LoadMesh(path, defaultTextureParams); }) {
        FUZZ_CHECK(loaded->LoadMesh(path, defaultTextureParams) == 1);
    } else {
        FUZZ_CHECK(loaded->Load(path, defaultTextureParams) == 1);
    }
    return loaded;
}
// A bounds tree as read or rebuilt: every node a leaf or with its children (two each when
// `binary`, as in a prop's tree), and every extreme a vertex below `vertexCount`.
void CheckBoundsTree(const Zt18DOP& root, std::int32_t vertexCount, bool binary);
