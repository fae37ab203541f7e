#include "assets/stats.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

RobotStats kordaxStats;
WeaponStats gun82Stats;
WeaponStats gun83Stats;

namespace {

template <typename Field>
struct Key {
    const char* name;
    Field* field;
};

// These files are written on Windows as often as not; text mode there turns "\r\n" into "\n"
// before the reader sees it, and so do we.
std::string ReadTextFile(std::ifstream& file) {
    std::string raw((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::string text;
    text.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') {
            continue;
        }
        text += raw[i];
    }
    return text;
}

// Reads key lines and their values until a line or a number cannot be read. A value is
// extracted into a temporary first: a failed extraction must not zero the field.
template <typename Field, std::size_t N>
int LoadKeyValues(const std::string& fileName, const Key<Field> (&keys)[N]) {
    std::ifstream file(fileName, std::ios::binary);
    if (!file.is_open()) {
        return 0;
    }
    std::istringstream in(ReadTextFile(file));
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
