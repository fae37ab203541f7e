// Validates a data folder the way the demo loads it: the three statistics files, then the
// descriptors "kordax.txt" (the robot, an actor) and "gun82.txt" (the gun, a prop) and every
// file they name, caches included. A missing cache is no problem (the game writes it); one that
// exists must be valid for the mesh and animation it caches.
#pragma once

#include <string>
#include <vector>

#include "tools/inspect/report.h"

// The reports of every file looked at, in the order the game loads them.
std::vector<FileReport> CheckFolder(const std::string& folder);
