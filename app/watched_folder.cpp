#include "app/watched_folder.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "assets/binary_file.h"
#include "assets/mesh.h"
#include "game/descriptor.h"

namespace {

namespace fs = std::filesystem;

// Only names that stay inside the folder: removing a cache must never reach outside it.
bool Inside(const std::string& name) {
    const fs::path path(name);
    if (name.empty() || path.is_absolute())
        return false;
    for (const fs::path& step : path) {
        if (step == "..")
            return false;
    }
    return true;
}

void DropStaleCache(const std::string& source, const std::string& cache) {
    std::error_code error;
    const auto sourceTime = fs::last_write_time(source, error);
    if (error)
        return;
    const auto cacheTime = fs::last_write_time(cache, error);
    if (!error && cacheTime < sourceTime)
        fs::remove(cache, error);
}

// The files of one descriptor, with its stale caches dropped on the way.
void ListDescriptor(const std::string& folder, const std::string& file,
                    std::vector<std::string>& watched) {
    watched.push_back(folder + file);
    const std::optional<Descriptor> d = ReadDescriptorFile(folder + file);
    if (!d || !Inside(d->mesh))
        return;
    const std::string mesh = folder + d->mesh;
    const std::string meshStem = folder + StripExtension(d->mesh);
    watched.push_back(mesh);
    DropStaleCache(mesh, meshStem + ".prs");
    if (d->kind == "prop")
        DropStaleCache(mesh, meshStem + ".kdt");
    // An animation's bounds are built over the mesh too.
    for (const std::string& name : d->animations) {
        if (!Inside(name))
            continue;
        watched.push_back(folder + name);
        const std::string bounds = folder + StripExtension(name) + ".kdt";
        DropStaleCache(folder + name, bounds);
        DropStaleCache(mesh, bounds);
    }
    Mesh read;
    if (read.ReadFile(mesh) != 1)
        return;
    for (std::int32_t i = 0; i < read.textureCount; ++i) {
        const std::string texture = read.textures[static_cast<std::size_t>(i)].fileName;
        if (Inside(texture))
            watched.push_back(folder + texture);
    }
}

}  // namespace

PrepareFolder PrepareDataFolder(const std::string& folder) {
    return [folder](std::string& prepared, std::vector<std::string>& watched, std::string&) {
        prepared = folder;
        const std::string in = folder + "/";
        watched.clear();
        ListDescriptor(in, "kordax.txt", watched);
        ListDescriptor(in, "gun82.txt", watched);
        for (const char* stats : {"kordaxstats.txt", "gun82stats.txt", "gun83stats.txt"})
            watched.push_back(in + stats);
        return true;
    };
}
