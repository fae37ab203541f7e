#include "app/pictures_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace {

std::filesystem::path HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return home;
    const passwd* user = ::getpwuid(::getuid());
    return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
}

// The answer's first line; empty when the command is missing or fails.
std::filesystem::path AskXdgUserDir() {
    std::FILE* pipe = ::popen("xdg-user-dir PICTURES 2>/dev/null", "r");
    if (pipe == nullptr)
        return {};
    std::string answer;
    char buffer[512];
    std::size_t count = 0;
    // A path is far shorter; anything longer is no answer to use.
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0 && answer.size() < 8192)
        answer.append(buffer, count);
    const int status = ::pclose(pipe);
    if (status != 0)
        return {};
    answer = answer.substr(0, answer.find('\n'));
    const std::filesystem::path folder(answer);
    return folder.is_absolute() ? folder : std::filesystem::path();
}

bool MakeFolder(const std::filesystem::path& folder, std::error_code& error) {
    std::filesystem::create_directories(folder, error);
    return !error && std::filesystem::is_directory(folder, error);
}

}  // namespace

std::filesystem::path PicturesFolder(std::string& error) {
    const std::filesystem::path home = HomeFolder();
    std::error_code failure;
    const std::filesystem::path answer = AskXdgUserDir();
    const bool isHome = (answer / "").lexically_normal() == (home / "").lexically_normal();
    if (!answer.empty() && !isHome && MakeFolder(answer, failure)) {
        return answer;
    }
    if (home.empty()) {
        error = "no home folder";
        return {};
    }
    const std::filesystem::path pictures = home / "Pictures";
    if (!MakeFolder(pictures, failure)) {
        error =
            pictures.string() + ": " + (failure ? failure.message() : std::string("not a folder"));
        return {};
    }
    return pictures;
}
