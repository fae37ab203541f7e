#include "tests/firstrun/game_process.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace {

constexpr uid_t kNobody = 65534;
constexpr const char* kQuestionTitle = "Start FullScreen?";
constexpr const char* kWindowTitle = "The Vorn Project";

}  // namespace

GameProcess::GameProcess(const Start& start, const std::string& consoleFile) {
    std::vector<char*> argv;
    for (const std::string& argument : start.command) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        const int out = open(consoleFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || chdir(start.folder.c_str()) != 0) {
            _exit(126);
        }
        if (start.asUser && getuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
            _exit(125);
        }
        for (const auto& [name, value] : start.environment) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        dup2(out, STDOUT_FILENO);
        dup2(out, STDERR_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
}

GameProcess::~GameProcess() {
    if (Running()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

bool GameProcess::Running() {
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

unsigned long AnswerNoAndFindWindow(const X11Session& x) {
    unsigned long question = 0;
    if (!WaitUntil([&] { return (question = x.FindWindow(kQuestionTitle)) != 0; })) {
        return 0;
    }
    // Until the box has taken the key; the box may still be setting up its input.
    if (!WaitUntil([&] {
            x.SendKey(question, "Escape", true);
            return WaitUntil([&] { return x.FindWindow(kQuestionTitle) == 0; },
                             std::chrono::milliseconds(500));
        })) {
        return 0;
    }
    unsigned long window = 0;
    WaitUntil([&] { return (window = x.FindWindow(kWindowTitle)) != 0; });
    return window;
}
