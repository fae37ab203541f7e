// The vorn-content program: its arguments, its exit status, and what --scale changes.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/temp_dir.h"

namespace {

int RunTool(const std::string& arguments) {
    const std::string command = std::string(VORN_CONTENT_TOOL) + " " + arguments + " 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ContentTool, WritesTheFolderAndScalesOnlyTheRobotMesh) {
    TempDir dir;
    ASSERT_EQ(RunTool(dir.File("plain")), 0);
    ASSERT_EQ(RunTool(dir.File("scaled") + " --scale 3"), 0);
    for (const auto& entry : std::filesystem::directory_iterator(dir.File("plain"))) {
        const std::string name = entry.path().filename().string();
        const std::string plain = dir.Read("plain/" + name);
        const std::string scaled = dir.Read("scaled/" + name);
        if (name == "kordax.ply") {
            EXPECT_GT(scaled.size(), 8 * plain.size()) << "nine quads for every quad";
        } else {
            EXPECT_EQ(scaled, plain) << name;
        }
    }
}

TEST(ContentTool, RejectsBadArgumentsWithUsageStatus) {
    TempDir dir;
    const std::string out = dir.File("out");
    EXPECT_EQ(RunTool(""), 2);
    EXPECT_EQ(RunTool(out + " --scale"), 2);
    EXPECT_EQ(RunTool(out + " --scale 0"), 2);
    EXPECT_EQ(RunTool(out + " --scale 33"), 2);
    EXPECT_EQ(RunTool(out + " --scale 2x"), 2);
    EXPECT_EQ(RunTool(out + " --size 2"), 2);
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(ContentTool, FailsWhenTheFolderCannotBeWritten) {
    TempDir dir;
    dir.Write("blocked", "x");
    EXPECT_EQ(RunTool(dir.File("blocked")), 1);
}

}  // namespace
