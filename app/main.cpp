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
#include "app/model_watch.h"
#include "app/my_app.h"
#include "app/watched_folder.h"
#include "platform/display_check.h"

MyApp& TheApp() {
    return TheAppOf<MyApp>();
}

namespace {

// `--watch`: the first folder is prepared as every reload will be, and the game starts in it.
bool PrepareWatch(CommandLine& line) {
    std::error_code ignored;
    const std::string given = line.model.empty() ? line.folder : line.model;
    const std::string path = std::filesystem::absolute(given, ignored).string();
    MyApp::WatchStart start;
    if (line.model.empty()) {
        start.source.name = given;
        start.source.prepare = PrepareDataFolder(path);
    } else {
        start.source = WatchModel(given, path, ModelCacheSettingsFromEnvironment());
    }
    std::string error;
    if (!start.source.prepare(start.folder, start.watched, error)) {
        std::fprintf(stderr, "vorn: %s: %s\n", given.c_str(), error.c_str());
        return false;
    }
    line.folder = start.folder;
    TheApp().watchStart = std::move(start);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    CommandLine line = ReadCommandLine(argc, argv);
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
    if (line.watch && !PrepareWatch(line))
        return EXIT_FAILURE;
    std::string folder = line.folder;
    if (!line.watch && !line.model.empty()) {
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
