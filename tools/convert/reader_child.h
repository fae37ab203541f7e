// Runs a job in a forked child with limits (address space, processor time), for readers that
// are not hardened against hostile files: whatever the child does, the parent gets back either
// the job's bytes or one line saying why not.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

struct ChildLimits {
    std::size_t addressSpaceBytes = std::size_t{4} << 30;  // not applied under AddressSanitizer
    int cpuSeconds = 60;
    int wallSeconds = 60;                            // then the child is killed
    std::size_t answerBytes = std::size_t{1} << 30;  // the parent stops reading past this
};

// The job runs in the child (forked, not executed anew) and its result is sent through a pipe.
// False with `why` such as "the reader stopped (signal 11)" when the child crashes, is killed,
// exits without an answer, reaches a limit or does not finish in time.
bool RunInChild(const std::function<std::string()>& job, const ChildLimits& limits,
                std::string& answer, std::string& why);
