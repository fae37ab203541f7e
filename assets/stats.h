// Game-play numbers of the robot and the weapons, read from small key/value text files.
//
// A key line holds exactly one key; its value is the next number in the stream (blanks and line
// ends skipped), after which one character (the line end) is taken. A line that is not a key is
// skipped together with the one character after it, so a blank line swallows the first letter
// of the key that follows. These rules are what the existing files were written against.
#pragma once

#include <cstdint>
#include <string>

struct RobotStats {
    float maxthrust = 0.0f;
    float maxturn = 0.0f;
    float maxep = 0.0f;
    float epburnrate = 0.0f;
    float maxhp = 0.0f;
};

struct WeaponStats {
    std::int32_t power = 0;
    std::int32_t maxammo = 0;
    std::int32_t reloadtime = 0;
    std::int32_t recoil = 0;
};

// Process-wide records, zero until a file sets them.
extern RobotStats kordaxStats;
extern WeaponStats gun82Stats;
extern WeaponStats gun83Stats;

// 1 if the file was opened (whatever it held), 0 if not (record unchanged).
int LoadRobotStats(const std::string& fileName, RobotStats& stats);
int LoadWeaponStats(const std::string& fileName, WeaponStats& stats);
