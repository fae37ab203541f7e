// Game-play numbers of the robot and the weapons, read from small key/value text files.
//
// A key line holds exactly one key; its value is the next number in the stream (blanks and line
// ends skipped), after which one character (the line end) is taken. A line that is not a key is
// skipped together with the one character after it, so a blank line swallows the first letter
// of the key that follows. These rules are what the existing files were written against.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

// What a load saw, for reports. Lines are numbered from 1; a line that the loader entered
// after a swallowed character is listed as it read it.
struct StatsReport {
    struct Line {
        std::string text;
        int number = 0;
    };
    std::vector<Line> keys;        // key lines whose value was read, in file order
    std::vector<Line> otherLines;  // lines that are no key
    int badValueLine = 0;          // the key line whose value was no number (the load stopped)
};

// 1 if the file was opened (whatever it held), 0 if not (record unchanged).
int LoadRobotStats(const std::string& fileName, RobotStats& stats, StatsReport* report = nullptr);
int LoadWeaponStats(const std::string& fileName, WeaponStats& stats, StatsReport* report = nullptr);
