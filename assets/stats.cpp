#include "assets/stats.h"

#include <cstring>

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
template <typename Field, std::size_t N>
int LoadKeyValues(const std::string& fileName, const Key<Field> (&keys)[N]) {
    auto opened = OpenTextFile(fileName);
    if (!opened) {
        return 0;
    }
    std::istringstream& in = *opened;
    char line[128];
    while (!in.fail() && !in.bad()) {
        in.getline(line, sizeof line);
        if (in.fail()) {
            break;
        }
        for (const auto& key : keys) {
            if (std::strcmp(line, key.name) == 0) {
                Field value{};
                if (in >> value) {
                    *key.field = value;
                }
                break;
            }
        }
        in.get();
    }
    return 1;
}

}  // namespace

int LoadRobotStats(const std::string& fileName, RobotStats& stats) {
    const Key<float> keys[] = {{"maxthrust", &stats.maxthrust},
                               {"maxturn", &stats.maxturn},
                               {"maxep", &stats.maxep},
                               {"epburnrate", &stats.epburnrate},
                               {"maxhp", &stats.maxhp}};
    return LoadKeyValues(fileName, keys);
}

int LoadWeaponStats(const std::string& fileName, WeaponStats& stats) {
    const Key<std::int32_t> keys[] = {{"power", &stats.power},
                                      {"maxammo", &stats.maxammo},
                                      {"reloadtime", &stats.reloadtime},
                                      {"recoil", &stats.recoil}};
    return LoadKeyValues(fileName, keys);
}
