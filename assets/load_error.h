// Why a load failed, for callers that want to say so (the inspector tool). Loaders take an
// optional pointer to one and fill it at their first failure; given none, they stay silent.
#pragma once

#include <cstdint>
#include <string>

struct LoadError {
    std::string what;          // e.g. "face 3: vertex index 7 is outside 0..5"
    std::int64_t offset = -1;  // byte offset in the file of the value at fault; -1 when none

    bool Set(std::string text, std::int64_t at = -1) {
        what = std::move(text);
        offset = at;
        return false;
    }
};

// Records the failure in `error` when there is one; always false, for `return Fail(...)`.
inline bool Fail(LoadError* error, std::string text, std::int64_t at = -1) {
    if (error != nullptr && error->what.empty()) {
        error->Set(std::move(text), at);
    }
    return false;
}
