// `vorn MODEL` up to the game's start: a model converted into the cache once and reused on later
// starts, a refused model leaving nothing behind, and a cache that cannot be written.
#include "app/model_start.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>

#include "platform/message_box.h"
#include "tests/support/gltf_models.h"
#include "tests/temp_dir.h"

namespace {

namespace fs = std::filesystem;

struct Box {
    std::string text;
    std::string caption;
};

// The conversion's one note: where the figure holds the gun.
constexpr const char* kHandNote = "note: gun on joint 'Forearm.R' (the end of the right arm)\n";

class ModelStart : public ::testing::Test {
  protected:
    void SetUp() override {
        SetMessageBoxPresenter([this](const std::string& text, const std::string& caption,
                                      MessageBoxButtons buttons, MessageBoxIcon) {
            boxes.push_back({text, caption});
            return EscapeAnswer(buttons);
        });
        ASSERT_TRUE(WriteModelFile(SkinnedModel(), dir.File("robot.glb")));
    }
    void TearDown() override { SetMessageBoxPresenter({}); }

    fs::path Root() const { return dir.Path() / "cache"; }
    int Open(const fs::path& model, OpenedModel& opened, const fs::path& root) {
        console.str("");
        errors.str("");
        return OpenModel(model, {root, {}}, opened, console, errors);
    }

    TempDir dir;
    std::vector<Box> boxes;
    std::ostringstream console;
    std::ostringstream errors;
};

struct stat Stat(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info;
}

TEST_F(ModelStart, TheFirstStartConvertsIntoTheCacheAndTheNextReusesItUntouched) {
    const fs::path model = dir.Path() / "robot.glb";
    fs::path folder;
    struct stat mesh {};
    {
        OpenedModel opened;
        ASSERT_EQ(Open(model, opened, Root()), 0) << errors.str();
        EXPECT_EQ(opened.From(), OpenedModel::Source::Converted);
        folder = opened.Folder();
        EXPECT_EQ(folder.parent_path(), Root());
        EXPECT_EQ(console.str(), "Opened " + model.string() + ": converted into " +
                                     folder.string() + "\n" + kHandNote);
        EXPECT_TRUE(fs::exists(folder / "kordax.txt"));
        mesh = Stat(folder / "model.ply");
    }
    EXPECT_TRUE(fs::exists(folder)) << "a cache folder outlives its run";
    const struct stat before = Stat(folder);

    OpenedModel again;
    ASSERT_EQ(Open(model, again, Root()), 0) << errors.str();
    EXPECT_EQ(again.From(), OpenedModel::Source::Reused);
    EXPECT_EQ(again.Folder(), folder);
    EXPECT_EQ(console.str(),
              "Opened " + model.string() + ": reused its conversion in " + folder.string() + "\n");
    const struct stat after = Stat(folder);
    const struct stat meshAfter = Stat(folder / "model.ply");
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(meshAfter.st_ino, mesh.st_ino);
    EXPECT_EQ(meshAfter.st_mtim.tv_nsec, mesh.st_mtim.tv_nsec);
    EXPECT_EQ(std::distance(fs::directory_iterator(Root()), fs::directory_iterator()), 1);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ModelStart, ARefusedModelIsOneLineAndAnErrorBoxAndLeavesNothing) {
    dir.Write("broken.gltf", "{\"asset\": {\"version\": \"1.0\"}}");
    const fs::path model = dir.Path() / "broken.gltf";
    for (const fs::path& root : {Root(), dir.Path() / "broken.gltf" / "cache"}) {
        boxes.clear();
        OpenedModel opened;
        EXPECT_EQ(Open(model, opened, root), 1);
        const std::string errorLine = errors.str();
        ASSERT_TRUE(errorLine.starts_with("vorn: cannot open " + model.string() + ": "))
            << errorLine;
        EXPECT_EQ(std::count(errorLine.begin(), errorLine.end(), '\n'), 1);
        EXPECT_EQ(errorLine.back(), '\n');
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, "ERROR");
        EXPECT_EQ("vorn: " + boxes[0].text + "\n", errorLine);
        EXPECT_EQ(console.str(), "");
    }
    EXPECT_FALSE(fs::exists(Root())) << "not even the cache folder";
}

TEST_F(ModelStart, ACacheThatCannotBeWrittenGivesAFolderForThisRunOnly) {
    dir.Write("file", "");
    const fs::path model = dir.Path() / "robot.glb";
    fs::path folder;
    {
        OpenedModel opened;
        ASSERT_EQ(Open(model, opened, dir.Path() / "file" / "cache"), 0) << errors.str();
        EXPECT_EQ(opened.From(), OpenedModel::Source::ConvertedForThisRun);
        folder = opened.Folder();
        EXPECT_EQ(folder.parent_path(), fs::temp_directory_path());
        EXPECT_TRUE(fs::exists(folder / "kordax.txt"));
        const std::string line = console.str();
        EXPECT_TRUE(line.starts_with("Opened " + model.string() + ": converted into " +
                                     folder.string() + " for this run only (cannot "))
            << line;
        EXPECT_TRUE(line.ends_with(")\n" + std::string(kHandNote))) << line;
        EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 2);
    }
    EXPECT_FALSE(fs::exists(folder));

    OpenedModel noCache;
    ASSERT_EQ(Open(model, noCache, fs::path()), 0) << errors.str();
    EXPECT_EQ(noCache.From(), OpenedModel::Source::ConvertedForThisRun);
    EXPECT_TRUE(boxes.empty());
}

}  // namespace
