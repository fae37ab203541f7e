// The first run, as a user makes it: the real game started on a fresh content folder answers
// the full-screen question with Escape (No), shows the robot holding its gun, reports its load
// time and frame rate, ends on a tap of Escape with status 0 and leaves its caches; a second
// start, in that folder, reads those caches and does not rewrite them. And the game installed
// with cmake --install starts from its menu entry on its read-only content.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>
#include <vector>

#include "tests/firstrun/game_process.h"
#include "tests/firstrun/x11_session.h"
#include "tests/temp_dir.h"
#include "tools/content/content_writer.h"

namespace {

bool RobotColour(const Pixel& p) {
    return p.b >= 100 && p.b >= p.r + 15 && p.b >= p.g;
}
bool GunColour(const Pixel& p) {
    return p.r >= 200 && p.g >= 60 && p.g <= 150 && p.b <= 60;
}

struct CacheFile {
    std::string bytes;
    ino_t inode = 0;
    std::int64_t modifiedNs = 0;
    friend bool operator==(const CacheFile&, const CacheFile&) = default;
};

class FirstRun : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(x.Connected()) << "needs an X display";
        std::string failed;
        ASSERT_TRUE(WriteContent(Data().string(), 1, failed)) << failed;
    }

    std::filesystem::path Data() const { return dir.Path() / "data"; }
    std::string Console() const { return dir.Read("console.txt"); }
    bool ConsoleHas(const std::string& text) const {
        return Console().find(text) != std::string::npos;
    }

    // Starts the game, says No to full screen, waits for both console lines, captures a
    // frame when asked, ends the game with a tap of Escape. The exit status lands in `status`.
    void Run(const Start& start, int& status, std::optional<Frame>* frame) {
        GameProcess game(start, dir.File("console.txt"));
        ASSERT_TRUE(game.Started());
        const unsigned long window = AnswerNoAndFindWindow(x);
        ASSERT_NE(window, 0u) << "no full-screen question, or no game window after it\n"
                              << Console();
        ASSERT_TRUE(WaitUntil([&] { return ConsoleHas("Load Time "); })) << Console();
        ASSERT_TRUE(WaitUntil([&] { return ConsoleHas("Frames per sec: "); })) << Console();
        if (frame != nullptr) {
            *frame = x.Capture(window);
        }
        ASSERT_TRUE(WaitUntil([&] {
            x.SendKey(window, "Escape", true);
            return WaitUntil([&] { return !game.Running(); }, std::chrono::milliseconds(1000));
        })) << "the game did not end on Escape";
        status = game.Status();
    }

    std::map<std::string, CacheFile> Caches(const std::filesystem::path& folder) const {
        std::map<std::string, CacheFile> caches;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            const std::string extension = entry.path().extension().string();
            if (extension != ".prs" && extension != ".kdt") {
                continue;
            }
            struct stat info = {};
            stat(entry.path().c_str(), &info);
            std::ifstream in(entry.path(), std::ios::binary);
            caches[name] = {{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()},
                            info.st_ino,
                            info.st_mtim.tv_sec * 1'000'000'000LL + info.st_mtim.tv_nsec};
        }
        return caches;
    }

    X11Session x;
    TempDir dir;
};

TEST_F(FirstRun, ShowsTheRobotWithItsGunEndsOnEscapeAndTheSecondStartKeepsTheCaches) {
    // Started elsewhere, on the folder named on its command line.
    int status = -1;
    std::optional<Frame> frame;
    Run({dir.Path(), {VORN_GAME, Data().string()}}, status, &frame);
    if (HasFatalFailure()) {
        return;
    }
    EXPECT_EQ(status, 0) << Console();

    ASSERT_TRUE(frame.has_value());
    ASSERT_EQ(frame->width, 640);
    ASSERT_EQ(frame->height, 480);
    // The camera looks at the robot's middle; the gun is in its right hand, on the left of the
    // picture since the robot faces the camera.
    EXPECT_TRUE(RobotColour(frame->At(320, 240)));
    int robot = 0;
    int gun = 0;
    int gunOnTheLeft = 0;
    for (int y = 0; y < frame->height; ++y) {
        for (int x0 = 0; x0 < frame->width; ++x0) {
            const Pixel& p = frame->At(x0, y);
            robot += RobotColour(p) ? 1 : 0;
            if (GunColour(p)) {
                ++gun;
                gunOnTheLeft += x0 < 320 ? 1 : 0;
            }
        }
    }
    EXPECT_GT(robot, 5000);
    EXPECT_GT(gun, 40);
    EXPECT_EQ(gunOnTheLeft, gun);

    const auto caches = Caches(Data());
    std::vector<std::string> names;
    for (const auto& [name, file] : caches) {
        names.push_back(name);
        EXPECT_FALSE(file.bytes.empty()) << name;
    }
    EXPECT_EQ(names, (std::vector<std::string>{"aim.kdt", "gun82.kdt", "gun82.prs", "idle.kdt",
                                               "kordax.prs", "walk.kdt"}));

    // A rewrite, even with the same bytes, would show as a new file or a new time.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    Run({Data(), {VORN_GAME}}, status, nullptr);
    if (HasFatalFailure()) {
        return;
    }
    EXPECT_EQ(status, 0) << Console();
    EXPECT_TRUE(Caches(Data()) == caches) << "the second start rewrote its caches";
}

TEST_F(FirstRun, TheInstalledGameStartsFromItsMenuEntryOnItsReadOnlyContent) {
    const std::filesystem::path prefix = dir.Path() / "installed here";
    const std::string install = std::string("\"") + VORN_CMAKE + "\" --install \"" +
                                VORN_BUILD_DIR + "\" --prefix \"" + prefix.string() + "\" > \"" +
                                dir.File("install.txt") + "\"";
    ASSERT_EQ(std::system(install.c_str()), 0) << dir.Read("install.txt");

    const std::filesystem::path entry = prefix / "share/applications/vorn.desktop";
    EXPECT_EQ(std::system(("desktop-file-validate \"" + entry.string() + "\"").c_str()), 0);
    EXPECT_TRUE(std::filesystem::exists(prefix / "share/icons/hicolor/scalable/apps/vorn.svg"));
    EXPECT_TRUE(std::filesystem::exists(prefix / "bin/vorn-inspect"));
    EXPECT_TRUE(std::filesystem::exists(prefix / "bin/vorn-gltf"));
    // The entry's command: the installed game on the installed content, each path quoted.
    std::ifstream in(entry);
    std::string line;
    while (std::getline(in, line) && line.rfind("Exec=", 0) != 0) {
    }
    const std::string game = (prefix / "bin/vorn").string();
    const std::filesystem::path data = prefix / "share/vorn/data";
    ASSERT_EQ(line, "Exec=\"" + game + "\" \"" + data.string() + "\"");

    // Read-only for the game: caches it cannot write are kept in memory.
    using std::filesystem::perms;
    std::filesystem::permissions(dir.Path(), perms::owner_all | perms::group_read |
                                                 perms::group_exec | perms::others_read |
                                                 perms::others_exec);
    std::filesystem::permissions(data,
                                 perms::owner_write | perms::group_write | perms::others_write,
                                 std::filesystem::perm_options::remove);
    int status = -1;
    std::optional<Frame> frame;
    Run({"/", {game, data.string()}, true}, status, &frame);
    std::filesystem::permissions(data, perms::owner_write, std::filesystem::perm_options::add);
    if (HasFatalFailure()) {
        return;
    }
    EXPECT_EQ(status, 0) << Console();
    ASSERT_TRUE(frame.has_value());
    EXPECT_TRUE(RobotColour(frame->At(320, 240)));
    EXPECT_TRUE(Caches(data).empty());
}

}  // namespace
