// The sample content as files: exactly the files the game reads, the same bytes on every run,
// descriptors and statistics the game's loaders accept, textures that decode to their pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>

#include "assets/animation.h"
#include "assets/bitmap_image.h"
#include "assets/stats.h"
#include "assets/tga_image.h"
#include "tests/temp_dir.h"
#include "tools/content/content_writer.h"
#include "tools/content/texture_images.h"

namespace {

const std::set<std::string> kContentFiles = {
    "kordax.txt", "gun82.txt",  "kordaxstats.txt", "gun82stats.txt", "gun83stats.txt",
    "kordax.ply", "gun82.ply",  "idle.anm",        "walk.anm",       "aim.anm",
    "plate.tga",  "stripe.tga", "panel.bmp",       "gunskin.tga"};

class ContentFiles : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir = new TempDir;
        std::string failed;
        ASSERT_TRUE(WriteContent(dir->Path().string(), 1, failed)) << failed;
    }
    static void TearDownTestSuite() {
        delete dir;
        dir = nullptr;
    }
    static std::string File(const std::string& name) { return dir->File(name); }
    static std::string Read(const std::string& name) { return dir->Read(name); }

    static TempDir* dir;
};

TempDir* ContentFiles::dir = nullptr;

std::set<std::string> FilesIn(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

TEST_F(ContentFiles, AreExactlyTheGamesFilesEachNamedStemDotThreeLetters) {
    EXPECT_EQ(FilesIn(dir->Path()), kContentFiles);
    const std::regex dataName("[a-z0-9]+\\.[a-z]{3}");
    for (const std::string& name : kContentFiles) {
        EXPECT_TRUE(std::regex_match(name, dataName)) << name;
    }
}

TEST_F(ContentFiles, ASecondRunGivesTheSameBytes) {
    TempDir again;
    std::string failed;
    ASSERT_TRUE(WriteContent(again.Path().string(), 1, failed)) << failed;
    for (const std::string& name : kContentFiles) {
        EXPECT_EQ(again.Read(name), Read(name)) << name;
    }
}

TEST_F(ContentFiles, DescriptorsNameTheWrittenFiles) {
    EXPECT_EQ(Read("kordax.txt"), "actor\nkordax.ply\n3\nidle.anm\nwalk.anm\naim.anm\n");
    EXPECT_EQ(Read("gun82.txt"), "prop\ngun82.ply\n");
}

TEST_F(ContentFiles, StatisticsSetEveryKeyOfTheirRecords) {
    RobotStats robot;
    ASSERT_EQ(LoadRobotStats(File("kordaxstats.txt"), robot), 1);
    EXPECT_EQ(robot.maxthrust, 100.0f);
    EXPECT_EQ(robot.maxturn, 90.0f);
    EXPECT_EQ(robot.maxep, 100.0f);
    EXPECT_EQ(robot.epburnrate, 2.5f);
    EXPECT_EQ(robot.maxhp, 250.0f);

    const struct {
        const char* file;
        int power, maxammo, reloadtime, recoil;
    } guns[] = {{"gun82stats.txt", 12, 30, 2, 3}, {"gun83stats.txt", 25, 8, 4, 7}};
    for (const auto& g : guns) {
        WeaponStats gun;
        ASSERT_EQ(LoadWeaponStats(File(g.file), gun), 1) << g.file;
        EXPECT_EQ(gun.power, g.power) << g.file;
        EXPECT_EQ(gun.maxammo, g.maxammo) << g.file;
        EXPECT_EQ(gun.reloadtime, g.reloadtime) << g.file;
        EXPECT_EQ(gun.recoil, g.recoil) << g.file;
    }
}

TEST_F(ContentFiles, AnimationsLoadAtLeastOneSecondLongWithOnlySomeNodesTracked) {
    const struct {
        const char* file;
        const char* name;
        int frames;
    } expected[] = {{"idle.anm", "idle", 90}, {"walk.anm", "walk", 60}, {"aim.anm", "aim", 90}};
    for (const auto& e : expected) {
        Animation animation;
        ASSERT_EQ(animation.Load(File(e.file)), 1) << e.file;
        EXPECT_STREQ(animation.name, e.name);
        EXPECT_EQ(animation.frameCount, e.frames);
        EXPECT_GE(animation.frameCount, 30);
        EXPECT_GE(animation.trackCount, 3) << e.file;
        EXPECT_LT(animation.trackCount, 20) << e.file << ": some nodes stay without a track";
        const std::set<std::uint32_t> distinct(animation.trackHashes.begin(),
                                               animation.trackHashes.end());
        EXPECT_EQ(distinct.size(), animation.trackHashes.size()) << "one track per node";
    }
}

// The TGA pixels as the decoder keeps them (blue, green, red, bottom row first).
void ExpectTga(const std::string& path, const RgbImage& image, int imageType) {
    TgaImage tga;
    ASSERT_EQ(tga.Load(path), 1) << path;
    EXPECT_EQ(tga.imageType, imageType) << path;
    EXPECT_EQ(tga.pixelDepth, 24);
    EXPECT_EQ(tga.width, image.width);
    EXPECT_EQ(tga.height, image.height);
    EXPECT_EQ(tga.pixels, BgrBytes(image)) << path;
}

TEST_F(ContentFiles, TexturesDecodeToTheirPixelsInAllThreeStoredForms) {
    ExpectTga(File("plate.tga"), PlateImage(), 2);
    ExpectTga(File("stripe.tga"), StripeImage(), 10);
    ExpectTga(File("gunskin.tga"), GunSkinImage(), 2);
    EXPECT_LT(Read("stripe.tga").size(), Read("plate.tga").size() / 4) << "runs were packed";

    const auto bitmap = LoadBitmapImage(File("panel.bmp"));
    ASSERT_NE(bitmap, nullptr);
    const RgbImage panel = PanelImage();
    EXPECT_EQ(bitmap->width, panel.width);
    EXPECT_EQ(bitmap->height, panel.height);
    EXPECT_EQ(bitmap->pixels, RgbBytes(panel));
}

// Drawn with GL_REPLACE the texels reach the screen as they are, so these colour ranges are
// what a rendered frame shows of robot and gun.
bool RobotColour(const Rgb& p) {
    return p.b > 125 && p.b >= p.r + 15 && p.b >= p.g;
}
bool GunColour(const Rgb& p) {
    return p.r >= 200 && p.g >= 70 && p.g <= 140 && p.b <= 30;
}

TEST(TextureImages, RobotTexturesAreBlueGreysAndTheGunOrangeAtPowerOfTwoSizes) {
    for (const RgbImage& image : {PlateImage(), StripeImage(), PanelImage(), GunSkinImage()}) {
        EXPECT_EQ(image.width & (image.width - 1), 0);
        EXPECT_EQ(image.height & (image.height - 1), 0);
        EXPECT_EQ(image.pixels.size(), static_cast<std::size_t>(image.width * image.height));
    }
    for (const RgbImage& image : {PlateImage(), StripeImage(), PanelImage()}) {
        EXPECT_TRUE(std::all_of(image.pixels.begin(), image.pixels.end(), RobotColour));
        EXPECT_FALSE(std::any_of(image.pixels.begin(), image.pixels.end(), GunColour));
    }
    const RgbImage gun = GunSkinImage();
    EXPECT_TRUE(std::all_of(gun.pixels.begin(), gun.pixels.end(), GunColour));
}

TEST(TextureImages, PanelChevronPointsDownInTheUpperHalf) {
    const RgbImage panel = PanelImage();
    auto isChevron = [&](int x, int y) { return panel.At(x, y).r < 100; };
    EXPECT_TRUE(isChevron(32, 34)) << "tip, low in the upper half";
    EXPECT_TRUE(isChevron(7, 57) && isChevron(57, 57)) << "arms, high and wide";
    EXPECT_FALSE(isChevron(32, 50)) << "open between the arms";
    EXPECT_FALSE(isChevron(32, 20)) << "nothing in the lower half";
}

TEST(WriteContent, RefusesScalesOutsideItsRangeAndNamesAnUnwritableFile) {
    TempDir dir;
    std::string failed;
    EXPECT_FALSE(WriteContent(dir.Path().string(), 0, failed));
    EXPECT_FALSE(WriteContent(dir.Path().string(), kMaxSubdivisions + 1, failed));
    EXPECT_TRUE(FilesIn(dir.Path()).empty());

    // A plain file where the folder should be: nothing can be written below it.
    dir.Write("blocked", "x");
    EXPECT_FALSE(WriteContent(dir.File("blocked"), 1, failed));
    EXPECT_EQ(failed, (dir.Path() / "blocked" / "kordax.txt").string());
}

}  // namespace
