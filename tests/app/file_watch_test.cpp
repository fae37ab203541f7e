// Watching files for saves: a change counts once it has settled, a save by rename is seen, a
// neighbour's change is not, and polling sees what inotify sees.
#include "app/file_watch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/temp_dir.h"

namespace {

using std::chrono::milliseconds;

TEST(SettleTimer, IsDueOnceTwoHundredMillisecondsAfterTheLastTouch) {
    const WatchClock::time_point t0{};
    SettleTimer timer;
    EXPECT_FALSE(timer.Due(t0 + milliseconds(1000)));
    timer.Touch(t0);
    timer.Touch(t0 + milliseconds(150));  // a second write: the wait starts again
    EXPECT_FALSE(timer.Due(t0 + milliseconds(349)));
    EXPECT_TRUE(timer.Due(t0 + milliseconds(350)));
    EXPECT_FALSE(timer.Due(t0 + milliseconds(351)));
}

void SaveByRename(const std::filesystem::path& path, const char* bytes) {
    std::ofstream(path.string() + ".new") << bytes;
    std::filesystem::rename(path.string() + ".new", path);
}

TEST(FileWatch, SeesASaveByRenameOnceSettledAndNotANeighboursChangeWithInotifyAndPolling) {
    for (const bool inotify : {true, false}) {
        SCOPED_TRACE(inotify ? "inotify" : "polling");
        TempDir dir;
        dir.Write("model.gltf", "one");
        dir.Write("other.txt", "one");
        FileWatch watch(inotify);
        watch.Watch({dir.File("model.gltf")});
        ASSERT_EQ(watch.UsesInotify(), inotify);
        WatchClock::time_point now = WatchClock::now();
        EXPECT_FALSE(watch.Changed(now));

        dir.Write("other.txt", "two, longer");
        now += milliseconds(500);
        EXPECT_FALSE(watch.Changed(now));
        now += milliseconds(500);
        EXPECT_FALSE(watch.Changed(now));

        SaveByRename(dir.File("model.gltf"), "two");
        now += milliseconds(500);
        EXPECT_FALSE(watch.Changed(now));  // just seen: not settled yet
        now += milliseconds(199);
        EXPECT_FALSE(watch.Changed(now));
        now += milliseconds(1);
        EXPECT_TRUE(watch.Changed(now));
        now += milliseconds(500);
        EXPECT_FALSE(watch.Changed(now));
    }
}

}  // namespace
