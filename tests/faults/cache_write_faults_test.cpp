// A disk that fills while a cache is written, and a process killed while it writes one. Each
// write runs in a child process whose files may only grow to N bytes (RLIMIT_FSIZE): with
// SIGXFSZ ignored the write past N fails with EFBIG, at its default action the kernel kills the
// child there. Afterwards the cache's name holds nothing or what it held before, every other
// file is as it was, and the next load gives the clean result and the clean cache.
//
// The children are forked from the test body: GoogleTest starts no threads, and a child only
// loads, then leaves with _exit (no exit handlers, no flushing of the parent's streams).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "assets/atomic_file.h"
#include "tests/faults/cache_loads.h"

namespace {

// Exit codes of a child's load.
constexpr int kWrote = 1;        // the load reported the cache written
constexpr int kWrongResult = 2;  // what the load gave differs from a clean load

struct ChildEnd {
    bool exited = false;
    int code = -1;   // when exited
    int signal = 0;  // when killed
};

ChildEnd LoadInChild(const ContentFolder& folder, CacheKind kind, const CacheLoad& clean,
                     rlim_t limit, bool killAtLimit) {
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit fileSize{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &fileSize);
        ::signal(SIGXFSZ, killAtLimit ? SIG_DFL : SIG_IGN);
        const CacheLoad loaded = folder.Load(kind);
        ::_exit((loaded.result == 1 ? kWrote : 0) |
                (loaded.contents == clean.contents ? 0 : kWrongResult));
    }
    ChildEnd end;
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) {
        return end;
    }
    end.exited = WIFEXITED(status);
    end.code = end.exited ? WEXITSTATUS(status) : -1;
    end.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return end;
}

// Every offset of the first 16 bytes (the header and the first values), then about 40 spread
// over the rest at an odd step, so that they fall at every position within the 4-byte values,
// and the last byte.
std::vector<std::size_t> Offsets(std::size_t size) {
    const std::size_t step = std::max<std::size_t>(size / 40, 1) | 1;
    std::vector<std::size_t> offsets;
    for (std::size_t n = 0; n + 1 < size; n += (n < 16 ? 1 : step))
        offsets.push_back(n);
    offsets.push_back(size - 1);
    return offsets;
}

class CacheWriteFaults : public ::testing::TestWithParam<CacheKind> {
  protected:
    void SetUp() override {
        // The clean result and bytes; each case removes the cache again first.
        clean = folder.Load(GetParam());
        ASSERT_EQ(clean.result, 1);
        cacheBytes = folder.Dir().Read(name);
        ASSERT_GT(cacheBytes.size(), 1u);
        // The other caches are there, good, and must stay as they are.
        for (const CacheKind other : kAllCaches) {
            if (other != GetParam()) {
                ASSERT_EQ(folder.Load(other).result, 1);
            }
        }
    }

    // After a failed write: the next load in this process gives the clean result and writes
    // the clean cache; every other file is unchanged and no temporary file is left.
    void ExpectNextLoadIsClean(const std::map<std::string, std::string>& before) {
        const CacheLoad next = folder.Load(GetParam());
        EXPECT_EQ(next.result, 1);
        EXPECT_EQ(next.contents, clean.contents);
        auto expected = before;
        expected[name] = cacheBytes;
        folder.ExpectFiles(expected);
    }

    const std::string name = CacheName(GetParam());
    ContentFolder folder;
    CacheLoad clean;
    std::string cacheBytes;
};

TEST_P(CacheWriteFaults, DiskFullMidWriteLeavesNoCacheAndTheNextLoadIsClean) {
    for (const std::size_t limit : Offsets(cacheBytes.size())) {
        SCOPED_TRACE("disk full after " + std::to_string(limit) + " bytes");
        std::filesystem::remove(folder.File(name));
        const auto before = folder.Files();
        const ChildEnd end = LoadInChild(folder, GetParam(), clean, limit, false);
        ASSERT_TRUE(end.exited) << "signal " << end.signal;
        EXPECT_EQ(end.code, 0) << "the write must fail and the result stay clean";
        folder.ExpectFiles(before);  // no cache, no temporary file
        ExpectNextLoadIsClean(before);
    }
}

TEST_P(CacheWriteFaults, DiskFullWhileReplacingABadCacheKeepsTheOldFileWhole) {
    const std::string bad = cacheBytes.substr(0, cacheBytes.size() / 2);
    for (const std::size_t limit : {std::size_t{0}, cacheBytes.size() / 3, cacheBytes.size() - 1}) {
        SCOPED_TRACE("disk full after " + std::to_string(limit) + " bytes");
        folder.Dir().Write(name, bad);
        const auto before = folder.Files();
        const ChildEnd end = LoadInChild(folder, GetParam(), clean, limit, false);
        ASSERT_TRUE(end.exited) << "signal " << end.signal;
        EXPECT_EQ(end.code, 0);
        folder.ExpectFiles(before);
        ExpectNextLoadIsClean(before);
    }
}

TEST_P(CacheWriteFaults, ProcessKilledMidWriteLeavesNoCacheAndTheNextLoadIsClean) {
    const std::string temporary = AtomicFile::TemporaryName(name);
    for (const std::size_t limit : Offsets(cacheBytes.size())) {
        SCOPED_TRACE("killed at byte " + std::to_string(limit));
        std::filesystem::remove(folder.File(name));
        const auto before = folder.Files();
        const ChildEnd end = LoadInChild(folder, GetParam(), clean, limit, true);
        ASSERT_FALSE(end.exited) << "exit code " << end.code;
        EXPECT_EQ(end.signal, SIGXFSZ);
        // The kill leaves the temporary file with what was written before it, never the cache.
        auto after = folder.Files();
        ASSERT_EQ(after.count(name), 0u);
        ASSERT_EQ(after.count(temporary), 1u);
        EXPECT_EQ(after[temporary].size(), limit);
        EXPECT_TRUE(after[temporary] == cacheBytes.substr(0, after[temporary].size()));
        after.erase(temporary);
        EXPECT_TRUE(after == before) << "another file changed";
        // The next load writes over the left-over temporary file and moves it into place.
        ExpectNextLoadIsClean(before);
    }
}

INSTANTIATE_TEST_SUITE_P(Caches, CacheWriteFaults, ::testing::ValuesIn(kAllCaches),
                         [](const auto& info) { return CacheTestName(info.param); });

}  // namespace
