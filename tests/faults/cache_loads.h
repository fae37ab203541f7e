// The caches that the models write next to their data: face groups (".prs") of the robot's and
// the gun's mesh, the gun's bounds tree and the bounds of the robot's walk (".kdt"). Each load is a
// fresh model loading its files as a game start does; its result is compared by a dump of what
// the model holds afterwards.
#pragma once

#include <map>
#include <string>

#include "tests/temp_dir.h"

enum class CacheKind { kRobotGroups, kGunGroups, kGunBounds, kWalkBounds };

inline constexpr CacheKind kAllCaches[] = {CacheKind::kRobotGroups, CacheKind::kGunGroups,
                                           CacheKind::kGunBounds, CacheKind::kWalkBounds};

const char* CacheName(CacheKind kind);      // the cache's file name beside the data
std::string CacheTestName(CacheKind kind);  // "kordax_prs"

struct CacheLoad {
    int result = 0;        // of LoadGroups or LoadBounds
    std::string contents;  // the groups and radius, or the bounds trees, as loaded
};

// A folder with the plain sample robot, gun and the first frame of the walk in it. It lies in
// memory (/dev/shm) where the system has that: these tests write caches thousands of times,
// each write synced.
class ContentFolder {
  public:
    ContentFolder();

    const TempDir& Dir() const { return dir_; }
    std::string File(const std::string& name) const { return dir_.File(name); }
    // Loads the model that `kind` belongs to with the cache at `cachePath`.
    CacheLoad Load(CacheKind kind, const std::string& cachePath) const;
    CacheLoad Load(CacheKind kind) const { return Load(kind, File(CacheName(kind))); }
    // Every regular file in the folder with its bytes.
    std::map<std::string, std::string> Files() const;
    // Adds a failure naming each file that is missing, added or different.
    void ExpectFiles(const std::map<std::string, std::string>& expected) const;

  private:
    TempDir dir_;
};
