#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/command_line.h"
#include "app/entry_point.h"
#include "app/gltf_watch.h"
#include "app/my_app.h"
#include "app/watched_folder.h"

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
        start.source = WatchGltfModel(given, path);
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
    if (line.watch && !PrepareWatch(line))
        return EXIT_FAILURE;
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
