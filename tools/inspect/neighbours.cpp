#include "tools/inspect/neighbours.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <vector>

#include "assets/binary_file.h"
#include "tools/inspect/paths.h"

namespace {

struct Owner {
    std::string path;  // of the descriptor
    Descriptor descriptor;
};

// The descriptors among the ".txt" files in the folder of `path`, in name order.
std::vector<Owner> DescriptorsBeside(const std::string& path) {
    std::vector<std::string> names;
    std::error_code failed;
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty())
        folder = ".";
    for (const auto& entry : std::filesystem::directory_iterator(folder, failed)) {
        const std::optional<std::string> extension = GetExtension(entry.path().string());
        if (extension == "txt" && IsRegularFile(entry.path().string())) {
            names.push_back(entry.path().string());
        }
    }
    std::sort(names.begin(), names.end());
    std::vector<Owner> owners;
    for (const std::string& name : names) {
        if (std::optional<Descriptor> d = ReadDescriptorFile(name))
            owners.push_back({name, *d});
    }
    return owners;
}

// Whether the cache that the game derives from `name` (the stem plus `extension`) is `path`.
bool Derives(const std::string& name, const char* extension, const std::string& path) {
    return BaseName(StripExtension(name) + extension) == BaseName(path);
}

void UseMesh(FoundNeighbours& found, const std::string& meshPath) {
    auto mesh = std::make_unique<Mesh>();
    if (!IsRegularFile(meshPath) || !mesh->ReadFile(meshPath))
        return;
    found.mesh = std::move(mesh);
    found.neighbours.mesh = found.mesh.get();
    found.neighbours.meshPath = meshPath;
}

void UseAnimation(FoundNeighbours& found, const std::string& animationPath) {
    Animation animation;
    if (IsRegularFile(animationPath) && animation.Load(animationPath)) {
        found.neighbours.frames = animation.frameCount;
    }
}

}  // namespace

FoundNeighbours NeighboursOfAnimation(const std::string& path) {
    FoundNeighbours found;
    for (const Owner& owner : DescriptorsBeside(path)) {
        for (const std::string& name : owner.descriptor.animations) {
            if (owner.descriptor.kind == "actor" && BaseName(name) == BaseName(path)) {
                UseMesh(found, Beside(owner.path, owner.descriptor.mesh));
                return found;
            }
        }
    }
    return found;
}

FoundNeighbours NeighboursOfFaceGroups(const std::string& path) {
    FoundNeighbours found;
    for (const Owner& owner : DescriptorsBeside(path)) {
        if (Derives(owner.descriptor.mesh, ".prs", path)) {
            UseMesh(found, Beside(owner.path, owner.descriptor.mesh));
            return found;
        }
    }
    UseMesh(found, StripExtension(path) + ".ply");
    return found;
}

FoundNeighbours NeighboursOfBounds(const std::string& path) {
    FoundNeighbours found;
    for (const Owner& owner : DescriptorsBeside(path)) {
        const Descriptor& d = owner.descriptor;
        if (d.kind == "prop" && Derives(d.mesh, ".kdt", path)) {
            found.bounds = FoundNeighbours::Bounds::kProp;
            UseMesh(found, Beside(owner.path, d.mesh));
            return found;
        }
        for (const std::string& name : d.animations) {
            if (d.kind == "actor" && Derives(name, ".kdt", path)) {
                found.bounds = FoundNeighbours::Bounds::kActor;
                found.neighbours.gameName = StripExtension(name) + ".kdt";
                UseMesh(found, Beside(owner.path, d.mesh));
                UseAnimation(found, Beside(owner.path, name));
                return found;
            }
        }
    }
    const std::string stem = StripExtension(path);
    if (IsRegularFile(stem + ".ply")) {
        found.bounds = FoundNeighbours::Bounds::kProp;
        UseMesh(found, stem + ".ply");
    } else if (IsRegularFile(stem + ".anm")) {
        found.bounds = FoundNeighbours::Bounds::kActor;
        UseAnimation(found, stem + ".anm");
    }
    return found;
}
