#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#include "app/command_line.h"
#include "app/con_stream.h"
#include "app/entry_point.h"
#include "app/model_start.h"
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
    // Lives until the game has ended: a folder made for this run only goes with it.
    OpenedModel model;
    std::string folder = line.folder;
    if (!line.model.empty()) {
        ConStream console;
        console.Open();
        const int status =
            OpenModel(line.model, ModelCacheSettingsFromEnvironment(), model, console, std::cerr);
        if (status != 0)
            return status;
        folder = model.Folder().string();
    }
    // As if started there: the data is read from, and the caches written to, that folder.
    if (!folder.empty()) {
        std::error_code error;
        std::filesystem::current_path(folder, error);
        if (error) {
            std::fprintf(stderr, "vorn: cannot enter %s: %s\n", folder.c_str(),
                         error.message().c_str());
            return kUsageErrorStatus;
        }
    }
    return EnterApp<MyApp>();
}
