// The real game as a child process, for the tests that drive it through the X server.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/firstrun/x11_session.h"

inline constexpr auto kPatience = std::chrono::seconds(20);  // against hangs only, never a measure

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

// How the game is started: where, with which command line, whether as an ordinary user (for a
// test running as root, to whom no folder is read-only), and with which variables set (or, with
// no value, unset).
struct Start {
    std::filesystem::path folder;
    std::vector<std::string> command;
    bool asUser = false;
    std::vector<std::pair<std::string, std::optional<std::string>>> environment = {};
};

// The game, its console going to `consoleFile`; killed if still running at the end.
class GameProcess {
  public:
    GameProcess(const Start& start, const std::string& consoleFile);
    ~GameProcess();
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    bool Running();
    int Status() const { return status_; }

  private:
    pid_t pid_ = -1;
    bool exited_ = false;
    int status_ = -1;
};

// Answers the game's full-screen question with Escape (No) and waits for its window: the
// window, or 0 when the question or the window does not come.
unsigned long AnswerNoAndFindWindow(const X11Session& x);
