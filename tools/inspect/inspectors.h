// One inspector per file format, each on the game's own loader. They never fail: whatever is
// wrong with a file ends up in its report.
#pragma once

#include <cstdint>
#include <string>

#include "assets/animation.h"
#include "assets/mesh.h"
#include "game/descriptor.h"
#include "model/bounds_files.h"
#include "tools/inspect/report.h"

// What is known about the files that a file belongs to.
struct Neighbours {
    const Mesh* mesh = nullptr;  // the mesh of a face-group file, a bounds file or an animation
    std::string meshPath;        // for messages; empty when no mesh was found
    std::int32_t frames = kAnyCount;  // actor bounds: their animation's frame count
    std::string gameName;  // actor bounds: the name the game opens them by, whose hash tags roots
};

// Textures are looked for beside the mesh file (the game looks in its working directory,
// which is the data folder). `loaded` receives the mesh when it reads.
FileReport InspectMesh(const std::string& path, Mesh* loaded = nullptr);
FileReport InspectAnimation(const std::string& path, const Neighbours& neighbours,
                            Animation* loaded = nullptr);
FileReport InspectFaceGroups(const std::string& path, const Neighbours& neighbours);
FileReport InspectPropBounds(const std::string& path, const Neighbours& neighbours);
FileReport InspectActorBounds(const std::string& path, const Neighbours& neighbours);
FileReport InspectTga(const std::string& path);
FileReport InspectBmp(const std::string& path);
FileReport InspectDescriptor(const std::string& path, Descriptor* loaded = nullptr);
FileReport InspectRobotStats(const std::string& path);
FileReport InspectWeaponStats(const std::string& path);
