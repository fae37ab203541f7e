// The first run, as a user makes it: the real game started in a fresh content folder answers
// the full-screen question with Escape (No), shows the robot holding its gun, reports its load
// time and frame rate, ends on Escape with status 0 and leaves its caches; a second start reads
// those caches and does not rewrite them.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "tests/firstrun/x11_session.h"
#include "tests/temp_dir.h"
#include "tools/content/content_writer.h"

namespace {

constexpr const char* kQuestionTitle = "Start FullScreen?";
constexpr const char* kWindowTitle = "The Vorn Project";
constexpr auto kPatience = std::chrono::seconds(20);  // against hangs only, never a measure

template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds limit = kPatience) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// The game as a child process in `folder`, its console going to `consoleFile`.
class GameProcess {
  public:
    GameProcess(const std::filesystem::path& folder, const std::string& consoleFile) {
        pid_ = fork();
        if (pid_ == 0) {
            const int out = open(consoleFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (out < 0 || chdir(folder.c_str()) != 0) {
                _exit(126);
            }
            dup2(out, STDOUT_FILENO);
            dup2(out, STDERR_FILENO);
            execl(VORN_GAME, VORN_GAME, static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~GameProcess() {
        if (Running()) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    bool Running() {
        if (pid_ <= 0 || exited_) {
            return false;
        }
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            exited_ = true;
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        return !exited_;
    }
    int Status() const { return status_; }

  private:
    pid_t pid_ = -1;
    bool exited_ = false;
    int status_ = -1;
};

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
    // frame when asked, ends the game with Escape. The exit status lands in `status`.
    void Run(int& status, std::optional<Frame>* frame) {
        GameProcess game(Data(), dir.File("console.txt"));
        ASSERT_TRUE(game.Started());
        unsigned long question = 0;
        ASSERT_TRUE(WaitUntil([&] { return (question = x.FindWindow(kQuestionTitle)) != 0; }))
            << "no full-screen question\n"
            << Console();
        // Until the box has taken the key; the box may still be setting up its input.
        ASSERT_TRUE(WaitUntil([&] {
            x.SendKey(question, "Escape", true);
            return WaitUntil([&] { return x.FindWindow(kQuestionTitle) == 0; },
                             std::chrono::milliseconds(500));
        })) << "the question did not close on Escape";

        unsigned long window = 0;
        ASSERT_TRUE(WaitUntil([&] { return (window = x.FindWindow(kWindowTitle)) != 0; }))
            << "no game window\n"
            << Console();
        ASSERT_TRUE(WaitUntil([&] { return ConsoleHas("Load Time "); })) << Console();
        ASSERT_TRUE(WaitUntil([&] { return ConsoleHas("Frames per sec: "); })) << Console();
        if (frame != nullptr) {
            *frame = x.Capture(window);
        }
        ASSERT_TRUE(WaitUntil([&] {
            x.SendKey(window, "Escape", false);
            return WaitUntil([&] { return !game.Running(); }, std::chrono::milliseconds(1000));
        })) << "the game did not end on Escape";
        status = game.Status();
    }

    std::map<std::string, CacheFile> Caches() const {
        std::map<std::string, CacheFile> caches;
        for (const auto& entry : std::filesystem::directory_iterator(Data())) {
            const std::string name = entry.path().filename().string();
            const std::string extension = entry.path().extension().string();
            if (extension != ".prs" && extension != ".kdt") {
                continue;
            }
            struct stat info = {};
            stat(entry.path().c_str(), &info);
            caches[name] = {dir.Read("data/" + name), info.st_ino,
                            info.st_mtim.tv_sec * 1'000'000'000LL + info.st_mtim.tv_nsec};
        }
        return caches;
    }

    X11Session x;
    TempDir dir;
};

TEST_F(FirstRun, ShowsTheRobotWithItsGunEndsOnEscapeAndTheSecondStartKeepsTheCaches) {
    int status = -1;
    std::optional<Frame> frame;
    Run(status, &frame);
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

    const auto caches = Caches();
    std::vector<std::string> names;
    for (const auto& [name, file] : caches) {
        names.push_back(name);
        EXPECT_FALSE(file.bytes.empty()) << name;
    }
    EXPECT_EQ(names, (std::vector<std::string>{"aim.kdt", "gun82.kdt", "gun82.prs", "idle.kdt",
                                               "kordax.prs", "walk.kdt"}));

    // A rewrite, even with the same bytes, would show as a new file or a new time.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    Run(status, nullptr);
    if (HasFatalFailure()) {
        return;
    }
    EXPECT_EQ(status, 0) << Console();
    EXPECT_TRUE(Caches() == caches) << "the second start rewrote its caches";
}

}  // namespace
