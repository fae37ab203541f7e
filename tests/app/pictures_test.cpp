// F12's pictures on disk: which folder they go to, and PNG files that never replace a file.
#include <gtest/gtest.h>
#include <stb/stb_image.h>
#include <sys/stat.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "app/pictures_folder.h"
#include "app/png_file.h"
#include "tests/temp_dir.h"

namespace {

// Sets a variable for one test and puts it back afterwards.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

class PicturesFolderTest : public ::testing::Test {
  protected:
    // An xdg-user-dir of the test's own, first on the PATH, that runs `body`.
    void FakeXdgUserDir(const std::string& body) {
        const std::filesystem::path bin = dir.Path() / "bin";
        std::filesystem::create_directories(bin);
        dir.Write("bin/xdg-user-dir", "#!/bin/sh\n" + body + "\n");
        ::chmod((bin / "xdg-user-dir").c_str(), 0755);
    }

    TempDir dir;
    ScopedVariable home{"HOME", (dir.Path() / "home").string()};
    ScopedVariable path{"PATH", (dir.Path() / "bin").string() + ":/usr/bin:/bin"};
};

TEST_F(PicturesFolderTest, XdgUserDirsAnswerIsMadeAndUsedAndHomeOrNoAnswerMeansHomePictures) {
    std::string error;
    const std::filesystem::path shots = dir.Path() / "home/My Shots";
    FakeXdgUserDir("echo '" + shots.string() + "'");
    EXPECT_EQ(PicturesFolder(error), shots);
    EXPECT_TRUE(std::filesystem::is_directory(shots));

    const std::filesystem::path pictures = dir.Path() / "home/Pictures";
    for (const std::string body : {"echo \"$HOME/\"", "exit 1", "echo relative/folder"}) {
        FakeXdgUserDir(body);
        EXPECT_EQ(PicturesFolder(error), pictures) << body;
        EXPECT_TRUE(std::filesystem::is_directory(pictures)) << body;
        std::filesystem::remove(pictures);
    }
    EXPECT_FALSE(std::filesystem::exists("relative"));

    // A file where the folder should be.
    dir.Write("home/Pictures", "not a folder");
    error.clear();
    EXPECT_EQ(PicturesFolder(error), std::filesystem::path());
    EXPECT_EQ(error.rfind(pictures.string() + ": ", 0), 0u) << error;
}

Picture Gradient() {
    Picture picture;
    picture.width = 3;
    picture.height = 2;
    for (int i = 0; i < 18; ++i)
        picture.rgb.push_back(static_cast<std::uint8_t>(i * 10));
    return picture;
}

TEST(PngFile, ATakenNameGetsTheNextSuffixAndTheFileHoldsThePictureTopRowFirst) {
    TempDir dir;
    // 2026-01-02 03:04:05 in the test's own time zone.
    std::tm local{};
    local.tm_year = 126;
    local.tm_mon = 0;
    local.tm_mday = 2;
    local.tm_hour = 3;
    local.tm_min = 4;
    local.tm_sec = 5;
    local.tm_isdst = -1;
    const std::time_t when = std::mktime(&local);
    dir.Write("vorn-20260102-030405.png", "someone else's");
    std::string error;
    EXPECT_EQ(WritePngFile(dir.Path(), when, Gradient(), error),
              dir.Path() / "vorn-20260102-030405-2.png");
    const std::filesystem::path third = WritePngFile(dir.Path(), when, Gradient(), error);
    EXPECT_EQ(third, dir.Path() / "vorn-20260102-030405-3.png");
    EXPECT_EQ(dir.Read("vorn-20260102-030405.png"), "someone else's");

    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* pixels = stbi_load(third.c_str(), &width, &height, &channels, 3);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(width, 3);
    EXPECT_EQ(height, 2);
    EXPECT_EQ(std::vector<std::uint8_t>(pixels, pixels + 18), Gradient().rgb);
    stbi_image_free(pixels);
}

TEST(PngFile, AFolderThatCannotBeWrittenIsAnErrorThatNamesIt) {
    TempDir dir;
    dir.Write("file", "");
    std::string error;
    EXPECT_EQ(WritePngFile(dir.Path() / "file", 0, Gradient(), error), std::filesystem::path());
    EXPECT_EQ(error, (dir.Path() / "file").string() + ": Not a directory");
}

}  // namespace
