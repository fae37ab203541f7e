#include "tools/inspect/file_kind.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "assets/binary_file.h"
#include "assets/text_file.h"
#include "tools/inspect/inspectors.h"
#include "tools/inspect/neighbours.h"
#include "tools/inspect/paths.h"

namespace {

std::string Trimmed(std::string text) {
    const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), blank));
    text.erase(std::find_if_not(text.rbegin(), text.rend(), blank).base(), text.end());
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

enum class TextKind { kDescriptor, kRobotStats, kWeaponStats, kUnknown };

// The game's own names decide first; otherwise the first line ("actor", "prop", in any case or
// spacing, so that a misspelt descriptor is still reported as one) or the keys it holds.
TextKind ClassifyText(const std::string& path) {
    const std::string base = BaseName(path);
    if (base == "kordax.txt" || base == "gun82.txt")
        return TextKind::kDescriptor;
    if (base == "kordaxstats.txt")
        return TextKind::kRobotStats;
    if (base == "gun82stats.txt" || base == "gun83stats.txt")
        return TextKind::kWeaponStats;
    auto text = OpenTextFile(path);
    if (!text)
        return TextKind::kUnknown;
    std::string line;
    int robotKeys = 0, weaponKeys = 0;
    for (int number = 1; std::getline(*text, line); ++number) {
        const std::string key = Trimmed(line);
        if (number == 1 && (key == "actor" || key == "prop"))
            return TextKind::kDescriptor;
        for (const char* k : {"maxthrust", "maxturn", "maxep", "epburnrate", "maxhp"}) {
            robotKeys += key == k ? 1 : 0;
        }
        for (const char* k : {"power", "maxammo", "reloadtime", "recoil"}) {
            weaponKeys += key == k ? 1 : 0;
        }
    }
    if (robotKeys == 0 && weaponKeys == 0)
        return TextKind::kUnknown;
    return robotKeys >= weaponKeys ? TextKind::kRobotStats : TextKind::kWeaponStats;
}

// Without a neighbour to tell: whichever reader takes the whole file, else the layout that
// its first value suggests: a frame count is below 32768, while a prop's first value is a
// float, whose bits read as such a number only for denormals near 0, never a coordinate.
FoundNeighbours::Bounds BoundsByStructure(const std::string& path, FileReport& note) {
    std::vector<Zt18DOP> roots;
    Zt18DOP root;
    FoundNeighbours::Bounds kind;
    if (ReadAnimationBoundsFile(path, kAnyCount, kAnyCount, roots)) {
        kind = FoundNeighbours::Bounds::kActor;
    } else if (ReadPropBoundsFile(path, kAnyCount, root)) {
        kind = FoundNeighbours::Bounds::kProp;
    } else {
        BinaryFile file;
        file.Open(path, 1);
        const std::int32_t first = file.ReadInt32();
        kind = first >= 1 && first <= 32767 ? FoundNeighbours::Bounds::kActor
                                            : FoundNeighbours::Bounds::kProp;
    }
    note.Note("no descriptor, mesh or animation beside it: told apart by its structure");
    return kind;
}

FileReport InspectBounds(const std::string& path) {
    FoundNeighbours found = NeighboursOfBounds(path);
    FileReport notes;
    if (found.bounds == FoundNeighbours::Bounds::kUnknown) {
        found.bounds = BoundsByStructure(path, notes);
    }
    FileReport report = found.bounds == FoundNeighbours::Bounds::kActor
                            ? InspectActorBounds(path, found.neighbours)
                            : InspectPropBounds(path, found.neighbours);
    report.notes.insert(report.notes.begin(), notes.notes.begin(), notes.notes.end());
    return report;
}

FileReport InspectText(const std::string& path) {
    switch (ClassifyText(path)) {
        case TextKind::kDescriptor:
            return InspectDescriptor(path);
        case TextKind::kRobotStats:
            return InspectRobotStats(path);
        case TextKind::kWeaponStats:
            return InspectWeaponStats(path);
        case TextKind::kUnknown:
            break;
    }
    FileReport report(path, "unknown");
    report.Problem(
        "neither a descriptor (first line \"actor\" or \"prop\") nor a statistics "
        "file (no key line of either kind)");
    return report;
}

}  // namespace

FileReport InspectFile(const std::string& path) {
    if (!IsRegularFile(path)) {
        FileReport report(path, "unknown");
        report.Problem("no such file, or not a regular file");
        return report;
    }
    const std::string extension = GetExtension(path).value_or("");
    if (extension == "ply")
        return InspectMesh(path);
    if (extension == "anm") {
        const FoundNeighbours found = NeighboursOfAnimation(path);
        return InspectAnimation(path, found.neighbours);
    }
    if (extension == "prs") {
        const FoundNeighbours found = NeighboursOfFaceGroups(path);
        return InspectFaceGroups(path, found.neighbours);
    }
    if (extension == "kdt")
        return InspectBounds(path);
    if (extension == "tga")
        return InspectTga(path);
    if (extension == "bmp")
        return InspectBmp(path);
    if (extension == "txt")
        return InspectText(path);
    FileReport report(path, "unknown");
    report.Problem("unrecognised extension: none of ply, anm, prs, kdt, tga, bmp, txt");
    return report;
}
