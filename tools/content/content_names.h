// The names of the sample content's files. Every data file name is a stem, a dot and three
// letters: the game derives its cache names by replacing the last four characters.
#pragma once

inline constexpr const char* kRobotDescriptorFile = "kordax.txt";
inline constexpr const char* kGunDescriptorFile = "gun82.txt";
inline constexpr const char* kRobotStatsFile = "kordaxstats.txt";
inline constexpr const char* kGun82StatsFile = "gun82stats.txt";
inline constexpr const char* kGun83StatsFile = "gun83stats.txt";

inline constexpr const char* kRobotMeshFile = "kordax.ply";
inline constexpr const char* kGunMeshFile = "gun82.ply";
inline constexpr const char* kIdleFile = "idle.anm";
inline constexpr const char* kWalkFile = "walk.anm";
inline constexpr const char* kAimFile = "aim.anm";

inline constexpr const char* kPlateFile = "plate.tga";    // uncompressed
inline constexpr const char* kStripeFile = "stripe.tga";  // run-length
inline constexpr const char* kPanelFile = "panel.bmp";
inline constexpr const char* kGunSkinFile = "gunskin.tga";
