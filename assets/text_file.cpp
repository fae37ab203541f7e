#include "assets/text_file.h"

#include <cstdio>
#include <memory>

#include "assets/regular_file.h"

std::optional<std::istringstream> OpenTextFile(const std::string& fileName) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenRegularStream(fileName), &std::fclose);
    if (file == nullptr)
        return std::nullopt;
    std::string raw;
    char chunk[4096];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
        raw.append(chunk, got);
    std::string text;
    text.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n')
            continue;
        text += raw[i];
    }
    return std::istringstream(std::move(text));
}
