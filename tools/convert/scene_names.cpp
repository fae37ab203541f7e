#include "tools/convert/scene_names.h"

#include <algorithm>
#include <cstdio>

#include "assets/name_hash.h"
#include "tools/content/content_names.h"

namespace {

constexpr std::size_t kMaxStemLength = 48;

std::string StemOf(const char* fileName) {
    const std::string name = fileName;
    return name.substr(0, name.size() - 4);
}

// Lower case, so that folders on case-blind file systems hold the same files.
std::string SafeStem(const std::string& wanted) {
    std::string stem;
    for (const char c : wanted) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
        if (c >= 'A' && c <= 'Z')
            stem += static_cast<char>(c - 'A' + 'a');
        else
            stem += plain ? c : '_';
        if (stem.size() == kMaxStemLength)
            break;
    }
    return stem;
}

}  // namespace

std::string OneLine(const std::string& text) {
    std::string line;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            line += escaped;
        } else {
            line += c;
        }
    }
    return line;
}

std::string CutUtf8(const std::string& text, std::size_t length) {
    if (text.size() <= length)
        return text;
    std::size_t end = length;
    // Step back over continuation bytes to the start of the character that would be cut.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

bool NodeNames::Free(const std::string& name) const {
    return names_.count(name) == 0 && hashes_.count(NameHash(name)) == 0;
}

void NodeNames::Take(const std::string& name) {
    names_.insert(name);
    hashes_.insert(NameHash(name));
}

void NodeNames::Reserve(const std::string& name) {
    Take(name);
}

std::string NodeNames::Make(const std::string& wanted, const std::string& fallback) {
    std::string base = wanted;
    base.erase(std::remove(base.begin(), base.end(), '\0'), base.end());
    if (base.empty())
        base = fallback;
    base = CutUtf8(base, kMaxNameLength);
    if (Free(base)) {
        Take(base);
        return base;
    }
    for (int k = 2;; ++k) {
        const std::string suffix = "_" + std::to_string(k);
        const std::string name = CutUtf8(base, kMaxNameLength - suffix.size()) + suffix;
        if (Free(name)) {
            Take(name);
            return name;
        }
    }
}

FileStems::FileStems() {
    for (const char* name :
         {kRobotDescriptorFile, kGunDescriptorFile, kRobotStatsFile, kGun82StatsFile,
          kGun83StatsFile, kGunMeshFile, kGunSkinFile, kRobotMeshFile}) {
        taken_.insert(StemOf(name));
    }
    taken_.insert("model");  // the imported mesh
}

std::string FileStems::Make(const std::string& wanted, const std::string& fallback) {
    std::string base = SafeStem(wanted);
    if (base.empty())
        base = fallback;
    if (taken_.insert(base).second)
        return base;
    for (int k = 2;; ++k) {
        const std::string suffix = "_" + std::to_string(k);
        const std::string stem = base.substr(0, kMaxStemLength - suffix.size()) + suffix;
        if (taken_.insert(stem).second)
            return stem;
    }
}
