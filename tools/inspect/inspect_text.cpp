// The two text formats: descriptors and statistics files.
#include <utility>
#include <vector>

#include "assets/stats.h"
#include "tools/inspect/inspectors.h"

FileReport InspectDescriptor(const std::string& path, Descriptor* loaded) {
    FileReport report(path, "descriptor");
    LoadError error;
    const std::optional<Descriptor> d = ReadDescriptorFile(path, &error);
    if (!d) {
        report.Problem(error);
        return report;
    }
    Value& s = report.summary;
    s.Set("model", d->kind);
    s.Set("mesh", d->mesh);
    if (d->kind == "actor") {
        s.Set("animation count", d->declaredCount);
        // A count beyond the last line gives one empty name, which loads nothing.
        Value& list = s.Set("animations", Value::List());
        long long named = 0;
        for (const std::string& name : d->animations) {
            if (name.empty())
                continue;
            list.Append(Value::String(name));
            ++named;
        }
        if (!d->countIsNumber) {
            report.Problem("line 3: the animation count is not a number, so no animation loads");
        } else if (d->declaredCount < 0) {
            report.Problem("line 3: animation count " + std::to_string(d->declaredCount) +
                           " is below 0");
        } else if (named < d->declaredCount) {
            report.Problem("animation count " + std::to_string(d->declaredCount) + " but only " +
                           std::to_string(named) + " names follow");
        }
    }
    if (loaded != nullptr)
        *loaded = *d;
    return report;
}

namespace {

void Describe(const StatsReport& read, FileReport& report) {
    for (const StatsReport::Line& line : read.otherLines) {
        report.Problem("line " + std::to_string(line.number) + " \"" + line.text +
                       "\" is no key (a key line holds one key and nothing else; a line that "
                       "is none also swallows the first character of the next)");
    }
    if (read.badValueLine != 0) {
        report.Problem("line " + std::to_string(read.badValueLine) +
                       ": the value after this key is no number; reading stopped there");
    }
}

// Each field's value, and a note for each key the file never set.
void Fields(const std::vector<std::pair<const char*, Value>>& fields, const StatsReport& read,
            FileReport& report) {
    for (const auto& [name, value] : fields) {
        report.summary.Set(name, value);
        bool set = false;
        for (const StatsReport::Line& key : read.keys)
            set |= key.text == name;
        if (!set)
            report.Note(std::string("\"") + name + "\" is never set: it stays 0");
    }
}

Value FieldValue(float v) {
    return Value::Real(v);
}
Value FieldValue(std::int32_t v) {
    return Value::Int(v);
}

// Reads a statistics file with the game's loader and reports the record's `fields`.
template <typename Stats, typename Field, std::size_t N>
FileReport InspectStats(const std::string& path, const char* kind,
                        int (*load)(const std::string&, Stats&, StatsReport*),
                        const std::pair<const char*, Field Stats::*> (&fields)[N]) {
    FileReport report(path, kind);
    Stats stats;
    StatsReport read;
    if (!load(path, stats, &read)) {
        report.Problem("cannot be opened as a file");
        return report;
    }
    std::vector<std::pair<const char*, Value>> values;
    for (const auto& [name, member] : fields)
        values.emplace_back(name, FieldValue(stats.*member));
    Fields(values, read, report);
    Describe(read, report);
    return report;
}

constexpr std::pair<const char*, float RobotStats::*> kRobotFields[] = {
    {"maxthrust", &RobotStats::maxthrust},
    {"maxturn", &RobotStats::maxturn},
    {"maxep", &RobotStats::maxep},
    {"epburnrate", &RobotStats::epburnrate},
    {"maxhp", &RobotStats::maxhp}};
constexpr std::pair<const char*, std::int32_t WeaponStats::*> kWeaponFields[] = {
    {"power", &WeaponStats::power},
    {"maxammo", &WeaponStats::maxammo},
    {"reloadtime", &WeaponStats::reloadtime},
    {"recoil", &WeaponStats::recoil}};

}  // namespace

FileReport InspectRobotStats(const std::string& path) {
    return InspectStats(path, "robot stats", LoadRobotStats, kRobotFields);
}

FileReport InspectWeaponStats(const std::string& path) {
    return InspectStats(path, "weapon stats", LoadWeaponStats, kWeaponFields);
}
