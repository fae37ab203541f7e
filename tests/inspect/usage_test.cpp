// Bad usage exits 2 with the usage on standard error; --help documents everything and exits 0.
#include <gtest/gtest.h>

#include "tests/inspect/inspect_run.h"
#include "tests/temp_dir.h"

namespace {

TEST(Usage, BadUsageExitsTwo) {
    TempDir dir;
    dir.Write("a.tga", "x");
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {},
             {"--json"},
             {"--frobnicate", dir.File("a.tga")},
             {"--check"},
             {"--check", dir.Path().string(), dir.File("a.tga")},
             {"--check", dir.File("a.tga")},
             {"--check", dir.Path().string(), "--check", dir.Path().string()}}) {
        const InspectRun run = RunInspect(args, true);
        EXPECT_EQ(run.status, 2) << testing::PrintToString(args) << run.output;
        EXPECT_NE(run.output.find("usage: vorn-inspect [--json] FILE..."), std::string::npos);
    }
}

TEST(Usage, HelpDocumentsOptionsOutputAndExitStatus) {
    const InspectRun run = RunInspect({"--help"});
    EXPECT_EQ(run.status, 0);
    for (const char* text :
         {"--json", "JSON Lines", "--check FOLDER", "\"kordax.txt\"", "\"gun82stats.txt\"",
          "Exit status: 0", "1 when one is not", "2 for bad usage", ".kdt", ".prs", ".tga, .bmp"}) {
        EXPECT_NE(run.output.find(text), std::string::npos) << text;
    }
}

TEST(Usage, AFileNamedLikeAnOptionIsReadAfterTheDoubleDash) {
    TempDir dir;
    const InspectRun run = RunInspect({"--", "--json"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("--json: unknown\n"), std::string::npos) << run.output;
}

}  // namespace
