#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "app/command_line.h"
#include "app/entry_point.h"
#include "app/my_app.h"
#include "platform/display_check.h"

MyApp& TheApp() {
    return TheAppOf<MyApp>();
}

int main(int argc, char** argv) {
    const CommandLine line = ReadCommandLine(argc, argv);
    if (!line.run) {
        std::fputs(line.text.c_str(), line.status == 0 ? stdout : stderr);
        return line.status;
    }
    if (const std::string missing = MissingDisplay(); !missing.empty()) {
        std::fprintf(stderr, "vorn: %s\n", missing.c_str());
        return EXIT_FAILURE;
    }
    // As if started there: the data is read from, and the caches written to, that folder.
    if (!line.folder.empty()) {
        std::error_code error;
        std::filesystem::current_path(line.folder, error);
        if (error) {
            std::fprintf(stderr, "vorn: cannot enter %s: %s\n", line.folder.c_str(),
                         error.message().c_str());
            return kUsageErrorStatus;
        }
    }
    return EnterApp<MyApp>();
}
