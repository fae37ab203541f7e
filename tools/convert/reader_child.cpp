#include "tools/convert/reader_child.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <new>

#include "tools/convert/reader_child_test_hook.h"

#if defined(__SANITIZE_ADDRESS__)
#define VORN_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VORN_UNDER_ASAN 1
#endif
#endif

namespace {

bool crashChildForTest = false;

constexpr int kExitFailed = 100;
constexpr int kExitOutOfMemory = 101;

void Limit(int resource, rlim_t soft, rlim_t hard) {
    const rlimit limit = {soft, hard};
    setrlimit(resource, &limit);
}

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

[[noreturn]] void RunChild(const std::function<std::string()>& job, const ChildLimits& limits,
                           int fd) {
#ifndef VORN_UNDER_ASAN
    // AddressSanitizer reserves terabytes of shadow memory up front: no address limit there.
    Limit(RLIMIT_AS, limits.addressSpaceBytes, limits.addressSpaceBytes);
#endif
    Limit(RLIMIT_CPU, static_cast<rlim_t>(limits.cpuSeconds),
          static_cast<rlim_t>(limits.cpuSeconds) + 5);
    Limit(RLIMIT_CORE, 0, 0);
    if (crashChildForTest) {
        signal(SIGSEGV, SIG_DFL);  // past any sanitizer's handler: a plain crash
        raise(SIGSEGV);
    }
    int status = 0;
    try {
        status = WriteAll(fd, job()) ? 0 : kExitFailed;
    } catch (const std::bad_alloc&) {
        status = kExitOutOfMemory;
    } catch (...) {
        status = kExitFailed;
    }
    _exit(status);
}

std::string Stopped(int status, bool timedOut, int wallSeconds) {
    if (timedOut)
        return "the reader did not answer within " + std::to_string(wallSeconds) + " s";
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        if (signal == SIGXCPU)
            return "the reader used up its processor time";
        return "the reader stopped (signal " + std::to_string(signal) + ")";
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == kExitOutOfMemory)
        return "the reader ran out of memory";
    return "the reader stopped (status " + std::to_string(WEXITSTATUS(status)) + ")";
}

// Waits for the child until the deadline; kills it then. True when it was killed for time.
bool Reap(pid_t child, std::chrono::steady_clock::time_point deadline, int& status) {
    while (true) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child || (done < 0 && errno != EINTR))
            return false;
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(child, SIGKILL);
            while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            return true;
        }
        const timespec pause = {0, 1000000};
        nanosleep(&pause, nullptr);
    }
}

}  // namespace

void CrashReaderChildForTest(bool crash) {
    crashChildForTest = crash;
}

bool RunInChild(const std::function<std::string()>& job, const ChildLimits& limits,
                std::string& answer, std::string& why) {
    answer.clear();
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        why = "the reader could not be started (no pipe)";
        return false;
    }
    const pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        why = "the reader could not be started (no process)";
        return false;
    }
    if (child == 0) {
        close(fds[0]);
        RunChild(job, limits, fds[1]);
    }
    close(fds[1]);

    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(limits.wallSeconds);
    bool timedOut = false, tooLarge = false;
    char buffer[1 << 16];
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        pollfd wait = {fds[0], POLLIN, 0};
        const int ready = poll(&wait, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            timedOut = ready == 0;
            break;
        }
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        if (answer.size() + static_cast<std::size_t>(n) > limits.answerBytes) {
            tooLarge = true;
            break;
        }
        answer.append(buffer, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    if (timedOut || tooLarge)
        kill(child, SIGKILL);
    int status = 0;
    timedOut = Reap(child, deadline, status) || timedOut;
    if (tooLarge) {
        why = "the reader's answer is larger than " + std::to_string(limits.answerBytes >> 20) +
              " MiB";
    } else if (timedOut || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        why = Stopped(status, timedOut, limits.wallSeconds);
    } else {
        return true;
    }
    answer.clear();
    return false;
}
