// Runs the built vorn-inspect and collects what it prints.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

struct InspectRun {
    int status = -1;     // the exit status
    std::string output;  // standard output (and standard error with `withErrors`)
};

inline std::string Quoted(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// `pipeTo`, when given, is a shell command that reads the inspector's output; the status is
// then that command's.
inline InspectRun RunInspect(const std::vector<std::string>& args, bool withErrors = false,
                             const std::string& pipeTo = "") {
    std::string command = VORN_INSPECT;
    for (const std::string& arg : args)
        command += " " + Quoted(arg);
    command += withErrors ? " 2>&1" : " 2>/dev/null";
    if (!pipeTo.empty())
        command += " | " + pipeTo;
    InspectRun run;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        run.output.append(buffer, n);
    }
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// A Python check of JSON Lines read from standard input: every line must parse, and
// `assertion` (Python, with `docs` the parsed documents) must hold. Exit status 0 when it does.
inline std::string PythonJsonCheck(const std::string& assertion) {
    return "python3 -c " +
           Quoted(
               "import json,sys\n"
               "docs=[json.loads(l) for l in sys.stdin if l.strip()]\n"
               "assert " +
               assertion + ", docs\n") +
           " >/dev/null 2>&1; echo $?";
}
