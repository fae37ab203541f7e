// `vorn [FOLDER | MODEL]` and `vorn --help`.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/temp_dir.h"

namespace {

CommandLine Read(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "vorn");
    return ReadCommandLine(static_cast<int>(arguments.size()), arguments.data());
}

TEST(CommandLine, NoArgumentRunsHereAFolderRunsThereAFileIsAModelAndHelpNamesTheControls) {
    EXPECT_TRUE(Read({}).run);
    EXPECT_EQ(Read({}).folder, "");
    EXPECT_EQ(Read({}).model, "");

    TempDir dir;
    const std::string folder = dir.Path().string();
    EXPECT_TRUE(Read({folder.c_str()}).run);
    EXPECT_EQ(Read({folder.c_str()}).folder, folder);
    EXPECT_EQ(Read({folder.c_str()}).model, "");
    EXPECT_EQ(Read({"--", folder.c_str()}).folder, folder);
    dir.Write("robot.glb", "");
    const std::string model = dir.File("robot.glb");
    EXPECT_TRUE(Read({model.c_str()}).run);
    EXPECT_EQ(Read({model.c_str()}).model, model);
    EXPECT_EQ(Read({model.c_str()}).folder, "");

    for (const char* help : {"--help", "-h"}) {
        const CommandLine line = Read({help});
        EXPECT_FALSE(line.run);
        EXPECT_EQ(line.status, 0);
        EXPECT_EQ(line.text.rfind("Usage: vorn [FOLDER | MODEL]\n", 0), 0u);
        for (const char* control :
             {"MODEL, a model file", "W/S", "N next animation", "L free or orbiting", "Escape",
              "Space pauses", "F12 saves a picture"})
            EXPECT_NE(line.text.find(control), std::string::npos) << control;
    }
}

TEST(CommandLine, AnUnknownOptionANameOfNoFolderOrFileOrASecondOneIsAOneLineError) {
    TempDir dir;
    const std::string folder = dir.Path().string();
    const std::string missing = dir.File("missing");
    dir.Write("file", "");
    const std::string file = dir.File("file");
    const std::vector<std::pair<std::vector<const char*>, std::string>> cases = {
        {{"--fullscreen"}, "vorn: unknown option --fullscreen (vorn --help tells more)\n"},
        {{"-x", folder.c_str()}, "vorn: unknown option -x (vorn --help tells more)\n"},
        {{missing.c_str()}, "vorn: no such folder or model file: " + missing + "\n"},
        {{"/dev/null"}, "vorn: no such folder or model file: /dev/null\n"},
        {{folder.c_str(), file.c_str()},
         "vorn: one data folder or model only, not also " + file + "\n"},
        {{file.c_str(), folder.c_str()},
         "vorn: one data folder or model only, not also " + folder + "\n"},
    };
    for (const auto& [arguments, text] : cases) {
        const CommandLine line = Read(arguments);
        EXPECT_FALSE(line.run) << text;
        EXPECT_EQ(line.status, 2) << text;
        EXPECT_EQ(line.text, text);
    }
}

TEST(CommandLine, WatchTakesAModelFileOrAFolderOnEitherSideAndNeedsOne) {
    TempDir dir;
    dir.Write("robot.glb", "");
    const std::string model = dir.File("robot.glb");
    const std::string folder = dir.Path().string();
    for (const auto& arguments : {std::vector<const char*>{"--watch", model.c_str()},
                                  std::vector<const char*>{model.c_str(), "--watch"}}) {
        const CommandLine line = Read(arguments);
        EXPECT_TRUE(line.run && line.watch);
        EXPECT_EQ(line.model, model);
        EXPECT_EQ(line.folder, "");
    }
    const CommandLine line = Read({"--watch", folder.c_str()});
    EXPECT_TRUE(line.run && line.watch);
    EXPECT_EQ(line.folder, folder);
    EXPECT_EQ(line.model, "");
    EXPECT_EQ(Read({"--watch"}).text, "vorn: --watch needs a model file or a data folder\n");
    EXPECT_EQ(Read({"--watch"}).status, 2);
    const std::string missing = dir.File("missing.glb");
    EXPECT_EQ(Read({"--watch", missing.c_str()}).text,
              "vorn: no such folder or model file: " + missing + "\n");
}

}  // namespace
