#include "assets/stats.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "assets/text_file.h"

RobotStats kordaxStats;
WeaponStats gun82Stats;
WeaponStats gun83Stats;

namespace {

template <typename Field>
struct Key {
    const char* name;
    Field* field;
};

// Reads key lines and their values until a line or a number cannot be read. A value is
// extracted into a temporary first: a failed extraction must not zero the field.
// The number of the line that starts at or contains `offset`.
int LineAt(const std::string& text, std::streamoff offset) {
    const auto end = text.begin() + std::min<std::streamoff>(offset, std::ssize(text));
    return 1 + static_cast<int>(std::count(text.begin(), end, '\n'));
}

template <typename Field, std::size_t N>
int LoadKeyValues(const std::string& fileName, const Key<Field> (&keys)[N], StatsReport* report) {
    auto opened = OpenTextFile(fileName);
    if (!opened) {
        return 0;
    }
    std::istringstream& in = *opened;
    char line[128];
    while (!in.fail() && !in.bad()) {
        const std::streamoff start = report != nullptr ? std::streamoff(in.tellg()) : 0;
        in.getline(line, sizeof line);
        if (in.fail()) {
            break;
        }
        bool isKey = false;
        for (const auto& key : keys) {
            if (std::strcmp(line, key.name) == 0) {
                isKey = true;
                Field value{};
                if (in >> value) {
                    *key.field = value;
                    if (report != nullptr) {
                        report->keys.push_back({line, LineAt(in.str(), start)});
                    }
                } else if (report != nullptr) {
                    report->badValueLine = LineAt(in.str(), start);
                }
                break;
            }
        }
        if (!isKey && report != nullptr) {
            report->otherLines.push_back({line, LineAt(in.str(), start)});
        }
        in.get();
    }
    return 1;
}

}  // namespace

int LoadRobotStats(const std::string& fileName, RobotStats& stats, StatsReport* report) {
    const Key<float> keys[] = {{"maxthrust", &stats.maxthrust},
                               {"maxturn", &stats.maxturn},
                               {"maxep", &stats.maxep},
                               {"epburnrate", &stats.epburnrate},
                               {"maxhp", &stats.maxhp}};
    return LoadKeyValues(fileName, keys, report);
}

int LoadWeaponStats(const std::string& fileName, WeaponStats& stats, StatsReport* report) {
    const Key<std::int32_t> keys[] = {{"power", &stats.power},
                                      {"maxammo", &stats.maxammo},
                                      {"reloadtime", &stats.reloadtime},
                                      {"recoil", &stats.recoil}};
    return LoadKeyValues(fileName, keys, report);
}
