#include "app/command_line.h"

#include <filesystem>
#include <string_view>
#include <system_error>

namespace {

constexpr char kHelp[] =
    "Usage: vorn [FOLDER | MODEL]\n"
    "       vorn --watch MODEL|FOLDER\n"
    "The Vorn Project: steer a keyframe-animated robot carrying a gun, in real-time 3D.\n"
    "Reads its data files (kordax.txt, gun82.txt and the files they name) from FOLDER, or from\n"
    "the working directory when none is given, and keeps its caches there when it can write.\n"
    "MODEL, a model file (glTF 2.0: .gltf or .glb), becomes the robot: it is converted once into\n"
    "a folder under $XDG_CACHE_HOME/vorn/models (~/.cache/vorn/models), which later starts\n"
    "reuse.\n"
    "With --watch, reloads the model (converted again) or the folder's models whenever their\n"
    "files are saved, keeping the camera and the robot where they are.\n"
    "\n"
    "Controls: W/S, A/D, Q/E turn the robot; Left/Right, Z/X, Up/Down thrust; N next animation;\n"
    "U/J, H/K orbit the camera; Y/I roll it; Delete/Page Down, End/Home, Insert/Page Up move it;\n"
    "L free or orbiting camera; mouse turns it (R held: rolls); wheel moves it; O levels it;\n"
    "Escape quits.\n"
    "More keys: Space pauses or resumes the animation; F12 saves a picture of the window in\n"
    "your Pictures folder.\n";

CommandLine Error(const std::string& line) {
    CommandLine result;
    result.text = "vorn: " + line + "\n";
    result.status = kUsageErrorStatus;
    return result;
}

}  // namespace

CommandLine ReadCommandLine(int argc, const char* const* argv) {
    CommandLine result;
    result.run = true;
    // Before the names, so that the option may follow its model.
    for (int i = 1; i < argc && std::string_view(argv[i]) != "--"; ++i)
        result.watch |= std::string_view(argv[i]) == "--watch";
    bool optionsEnd = false;
    bool haveData = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (!optionsEnd && argument == "--") {
            optionsEnd = true;
            continue;
        }
        if (!optionsEnd && (argument == "--help" || argument == "-h")) {
            CommandLine help;
            help.text = kHelp;
            return help;
        }
        if (!optionsEnd && argument == "--watch")
            continue;
        if (!optionsEnd && argument.size() > 1 && argument[0] == '-')
            return Error("unknown option " + std::string(argument) + " (vorn --help tells more)");
        if (haveData)
            return Error("one data folder or model only, not also " + std::string(argument));
        std::error_code error;
        const std::filesystem::file_status status =
            std::filesystem::status(std::string(argument), error);
        if (std::filesystem::is_directory(status))
            result.folder = argument;
        else if (std::filesystem::is_regular_file(status))
            result.model = argument;
        else
            return Error("no such folder or model file: " + std::string(argument));
        haveData = true;
    }
    if (result.watch && !haveData)
        return Error("--watch needs a model file or a data folder");
    return result;
}
