#include "tools/inspect/report.h"

std::string Describe(const LoadError& error) {
    std::string text = error.what.empty() ? "the loader rejects it" : error.what;
    if (error.offset >= 0)
        text += " (at byte " + std::to_string(error.offset) + ")";
    return text;
}

void FileReport::Problem(const LoadError& error) {
    problems.push_back(Describe(error));
}
