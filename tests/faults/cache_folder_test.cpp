// Caches that cannot be written at all, and caches cut short: the load still gives what a clean
// load gives, and no other file changes.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/faults/cache_loads.h"

namespace {

class CacheFolderFaults : public ::testing::TestWithParam<CacheKind> {
  protected:
    void SetUp() override {
        clean = folder.Load(GetParam());
        ASSERT_EQ(clean.result, 1);
        cacheBytes = folder.Dir().Read(CacheName(GetParam()));
        ASSERT_FALSE(cacheBytes.empty());
    }

    ContentFolder folder;
    CacheLoad clean;
    std::string cacheBytes;  // as the clean load wrote it
};

TEST_P(CacheFolderFaults, FolderThatIsARegularFileOrMissingGivesCleanResultsAndChangesNothing) {
    folder.Dir().Write("blocker", "not a folder");
    const auto before = folder.Files();
    for (const std::string parent : {"blocker", "missing"}) {
        SCOPED_TRACE(parent);
        const std::string cache = folder.File(parent + "/" + CacheName(GetParam()));
        for (int load = 0; load < 2; ++load) {
            const CacheLoad loaded = folder.Load(GetParam(), cache);
            EXPECT_EQ(loaded.result, 0) << "the cache cannot have been written";
            EXPECT_EQ(loaded.contents, clean.contents);
        }
        folder.ExpectFiles(before);
        EXPECT_FALSE(std::filesystem::exists(folder.File("missing")));
    }
}

TEST_P(CacheFolderFaults, CacheCutAtEveryOffsetIsRebuiltToTheCleanBytes) {
    const std::string name = CacheName(GetParam());
    const auto expected = folder.Files();
    for (std::size_t size = 0; size < cacheBytes.size(); ++size) {
        SCOPED_TRACE("cut at " + std::to_string(size));
        folder.Dir().Write(name, cacheBytes.substr(0, size));
        const CacheLoad loaded = folder.Load(GetParam());
        ASSERT_EQ(loaded.result, 1);
        ASSERT_TRUE(loaded.contents == clean.contents);
        ASSERT_TRUE(folder.Dir().Read(name) == cacheBytes);
    }
    folder.ExpectFiles(expected);
}

INSTANTIATE_TEST_SUITE_P(Caches, CacheFolderFaults, ::testing::ValuesIn(kAllCaches),
                         [](const auto& info) { return CacheTestName(info.param); });

}  // namespace
