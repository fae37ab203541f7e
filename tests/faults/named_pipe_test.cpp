// A named pipe where a data file belongs, as a folder unpacked from an archive can hold: every
// loader refuses it as a file that cannot be opened, at once, instead of waiting for a writer
// that never comes. Without that these tests hang until the test's short time limit.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "assets/animation.h"
#include "assets/mesh.h"
#include "assets/stats.h"
#include "assets/texture.h"
#include "tests/faults/cache_loads.h"

namespace {

void MakePipe(const std::string& path) {
    std::filesystem::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0) << path;
}

class PipeForCache : public ::testing::TestWithParam<CacheKind> {};

TEST_P(PipeForCache, IsReplacedByTheCleanCacheAndAPipeForItsTemporaryFileByNothing) {
    ContentFolder folder;
    const CacheLoad clean = folder.Load(GetParam());
    ASSERT_EQ(clean.result, 1);
    const std::string name = CacheName(GetParam());
    const std::string bytes = folder.Dir().Read(name);

    ASSERT_NO_FATAL_FAILURE(MakePipe(folder.File(name)));
    const CacheLoad rebuilt = folder.Load(GetParam());
    EXPECT_EQ(rebuilt.result, 1);
    EXPECT_EQ(rebuilt.contents, clean.contents);
    EXPECT_TRUE(std::filesystem::is_regular_file(folder.File(name)));
    EXPECT_TRUE(folder.Dir().Read(name) == bytes);

    // The cache cannot be written through a pipe at its temporary name: the load goes on from
    // memory and leaves the pipe alone.
    std::filesystem::remove(folder.File(name));
    ASSERT_NO_FATAL_FAILURE(MakePipe(folder.File(name + ".tmp")));
    const CacheLoad unwritten = folder.Load(GetParam());
    EXPECT_EQ(unwritten.result, 0);
    EXPECT_EQ(unwritten.contents, clean.contents);
    EXPECT_FALSE(std::filesystem::exists(folder.File(name)));
    EXPECT_TRUE(std::filesystem::is_fifo(folder.File(name + ".tmp")));
}

INSTANTIATE_TEST_SUITE_P(Caches, PipeForCache, ::testing::ValuesIn(kAllCaches),
                         [](const auto& info) { return CacheTestName(info.param); });

TEST(PipeForData, TexturesMeshesAnimationsAndStatisticsCannotBeOpened) {
    TempDir dir;
    for (const char* name : {"skin.tga", "skin.bmp", "m.ply", "walk.anm", "kordaxstats.txt"})
        ASSERT_NO_FATAL_FAILURE(MakePipe(dir.File(name)));
    for (const char* name : {"skin.tga", "skin.bmp"}) {
        Texture texture;
        LoadError error;
        EXPECT_EQ(texture.LoadImage(dir.File(name), &error), 0) << name;
        EXPECT_EQ(error.what, "cannot be opened as a file") << name;
    }
    Mesh mesh;
    LoadError meshError;
    EXPECT_EQ(mesh.ReadFile(dir.File("m.ply"), &meshError), 0);
    EXPECT_EQ(meshError.what, "cannot be opened as a file");
    Animation animation;
    LoadError animationError;
    EXPECT_EQ(animation.Load(dir.File("walk.anm"), &animationError), 0);
    EXPECT_EQ(animationError.what, "cannot be opened as a file");
    RobotStats stats;
    EXPECT_EQ(LoadRobotStats(dir.File("kordaxstats.txt"), stats), 0);
}

}  // namespace
