// The real window on a desktop: a window manager (openbox) runs on the test's X server, as on a
// user's desktop, where window sizes are the manager's to grant.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>

#include "platform/message_box.h"
#include "platform/platform.h"
#include "tests/spine/test_app.h"

extern char** environ;

namespace {

constexpr auto kPatience = std::chrono::seconds(20);  // against hangs only, never a measure

std::string Output(const std::string& command) {
    std::string text;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[512];
        std::size_t count = 0;
        while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            text.append(buffer, count);
        ::pclose(pipe);
    }
    return text;
}

// Runs openbox for the whole run, and keeps the video system up (see sdl_window_test.cpp).
class Desktop : public ::testing::Environment {
  public:
    void SetUp() override {
        ThePlatform().RegisterWindowClass();
        const char* const argv[] = {"openbox", nullptr};
        ASSERT_EQ(::posix_spawnp(&pid_, "openbox", nullptr, nullptr, const_cast<char* const*>(argv),
                                 environ),
                  0);
        const auto end = std::chrono::steady_clock::now() + kPatience;
        while (Output("xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null").find("window id") ==
               std::string::npos) {
            ASSERT_LT(std::chrono::steady_clock::now(), end) << "openbox did not start";
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    void TearDown() override {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }

  private:
    pid_t pid_ = -1;
};

const ::testing::Environment* const desktop = ::testing::AddGlobalTestEnvironment(new Desktop);

// The X window whose name is `title`, reparented into the manager's frame: 0 while there is none.
unsigned long XWindow(const std::string& title) {
    std::istringstream tree(Output("xwininfo -root -tree"));
    std::string line;
    while (std::getline(tree, line)) {
        if (line.find("\"" + title + "\"") != std::string::npos)
            return std::stoul(line, nullptr, 16);
    }
    return 0;
}

struct Geometry {
    int x = -1, y = -1, width = 0, height = 0;
};

// Where the window is on the screen, frame or no frame.
Geometry ScreenGeometry(unsigned long window) {
    std::istringstream info(Output("xwininfo -id " + std::to_string(window)));
    Geometry g;
    std::string line;
    while (std::getline(info, line)) {
        const auto value = [&](const char* key, int& out) {
            const auto at = line.find(key);
            if (at != std::string::npos)
                out = std::atoi(line.c_str() + at + std::string(key).size());
        };
        value("Absolute upper-left X:", g.x);
        value("Absolute upper-left Y:", g.y);
        value("Width:", g.width);
        value("Height:", g.height);
    }
    return g;
}

struct Viewport {
    GLint x = -1, y = -1, width = 0, height = 0;
    double aspect = 0;  // of the projection
};

Viewport CurrentView() {
    Viewport v;
    GLint box[4] = {};
    glGetIntegerv(GL_VIEWPORT, box);
    v = {box[0], box[1], box[2], box[3], 0.0};
    GLdouble m[16] = {};
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    v.aspect = m[0] != 0 ? m[5] / m[0] : 0;
    return v;
}

class DesktopWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        SetMessageBoxPresenter([this](const std::string&, const std::string&,
                                      MessageBoxButtons buttons, MessageBoxIcon) {
            ++boxes;
            return buttons == MessageBoxButtons::Ok ? MessageBoxAnswer::Ok : MessageBoxAnswer::No;
        });
        app.recordFrames = false;
    }
    void TearDown() override {
        app.Shutdown();
        SetMessageBoxPresenter({});
    }

    // Runs frames, calling `step` in each until it returns true or patience runs out.
    bool RunUntil(const std::function<bool()>& step) {
        const auto end = std::chrono::steady_clock::now() + kPatience;
        bool done = false;
        app.onUpdate = [&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            if (!done && std::chrono::steady_clock::now() < end)
                done = step();
            if (done || std::chrono::steady_clock::now() >= end)
                ThePlatform().PostQuitMessage();
        };
        app.Run();
        return done;
    }

    int boxes = 0;
    TestApp app;
};

TEST_F(DesktopWindow, TheUserCanResizeTheWindowAndTheViewFollowsItsSize) {
    const std::string title = "Resizable Window";
    ASSERT_EQ(app.Create(title.c_str(), 640, 480, 32, false), 1);
    bool asked = false;
    EXPECT_TRUE(RunUntil([&] {
        if (!asked) {
            const unsigned long window = XWindow(title);
            if (window != 0)
                asked =
                    std::system(
                        ("xdotool windowsize " + std::to_string(window) + " 800 600").c_str()) == 0;
        }
        return app.width == 800 && app.height == 600;
    })) << "the window stayed "
        << app.width << " x " << app.height;
    const Viewport view = CurrentView();
    EXPECT_EQ(view.x, 0);
    EXPECT_EQ(view.y, 0);
    EXPECT_EQ(view.width, 800);
    EXPECT_EQ(view.height, 600);
    EXPECT_NEAR(view.aspect, 800.0 / 600.0, 1e-6);
    EXPECT_EQ(boxes, 0);
}

// Xvfb lists only its screen's own mode, so 640 x 480 is not there to switch to.
TEST_F(DesktopWindow, FullScreenWithoutTheExactModeCoversTheScreenAndEscapeEndsIt) {
    int screenWidth = 0;
    int screenHeight = 0;
    std::istringstream(Output("xdotool getdisplaygeometry")) >> screenWidth >> screenHeight;
    ASSERT_GT(screenWidth, 0);
    if (screenWidth == 640 && screenHeight == 480)
        GTEST_SKIP() << "the screen is 640 x 480 itself";

    const std::string title = "Full Screen Window";
    ASSERT_EQ(app.Create(title.c_str(), 640, 480, 32, true), 1);
    EXPECT_EQ(boxes, 0);
    EXPECT_TRUE(app.fullscreen);
    Geometry covered;
    EXPECT_TRUE(RunUntil([&] {
        if (app.width != screenWidth || app.height != screenHeight)
            return false;
        covered = ScreenGeometry(XWindow(title));
        return true;
    })) << "the view stayed "
        << app.width << " x " << app.height;
    EXPECT_EQ(covered.x, 0);
    EXPECT_EQ(covered.y, 0);
    EXPECT_EQ(covered.width, screenWidth);
    EXPECT_EQ(covered.height, screenHeight);
    const Viewport view = CurrentView();
    EXPECT_EQ(view.width, screenWidth);
    EXPECT_EQ(view.height, screenHeight);
    EXPECT_NEAR(view.aspect, static_cast<double>(screenWidth) / screenHeight, 1e-6);

    // A quick tap of Escape ends the frame loop.
    bool sent = false;
    bool timedOut = false;
    const auto end = std::chrono::steady_clock::now() + kPatience;
    app.onUpdate = [&] {
        if (!sent)
            sent = std::system("xdotool key Escape") == 0;
        if (std::chrono::steady_clock::now() >= end) {
            timedOut = true;
            ThePlatform().PostQuitMessage();
        }
    };
    EXPECT_NE(app.Run(), 0);
    EXPECT_FALSE(timedOut);
    EXPECT_EQ(boxes, 0);
}

}  // namespace
