// Finding the files that a file belongs to, among the files beside it: the descriptors of its
// folder name meshes and animations, and a cache shares its stem with its mesh or animation.
#pragma once

#include <memory>
#include <string>

#include "assets/animation.h"
#include "assets/mesh.h"
#include "tools/inspect/inspectors.h"

// Neighbours plus the objects they point into.
struct FoundNeighbours {
    Neighbours neighbours;
    std::unique_ptr<Mesh> mesh;
    enum class Bounds { kUnknown, kProp, kActor } bounds = Bounds::kUnknown;
};

// For an animation: the mesh of an actor descriptor beside it that lists it.
FoundNeighbours NeighboursOfAnimation(const std::string& path);
// For a face-group file: the mesh of a descriptor beside it whose mesh it caches, else the
// mesh of the same stem (".ply").
FoundNeighbours NeighboursOfFaceGroups(const std::string& path);
// For a bounds file: a descriptor beside it that derives it (a prop's mesh, an actor's
// animation), else a mesh (".ply", prop bounds) or an animation (".anm", actor bounds) of the
// same stem. `bounds` stays unknown when nothing beside it tells.
FoundNeighbours NeighboursOfBounds(const std::string& path);
