#include <gtest/gtest.h>

#include "assets/binary_file.h"

TEST(FileNames, StripExtension) {
    EXPECT_EQ(StripExtension("gun.ply"), "gun");
    EXPECT_EQ(StripExtension("robot.xyz") + ".prs", "robot.prs");
    EXPECT_EQ(StripExtension("data/walk.anm"), "data/walk");
    // Outside the three-letter convention: never reads before the name or strips a folder.
    EXPECT_EQ(StripExtension("ab"), "ab");
    EXPECT_EQ(StripExtension(""), "");
    EXPECT_EQ(StripExtension("mesh.tiff"), "mesh");
    EXPECT_EQ(StripExtension("some.dir/mesh"), "some.dir/mesh");
    EXPECT_EQ(StripExtension(std::string(300, 'x') + ".ply").size(), 127u);
}

TEST(FileNames, GetExtension) {
    EXPECT_EQ(GetExtension("skin.TGA"), "tga");
    EXPECT_EQ(GetExtension("skin.Bmp"), "bmp");
    EXPECT_EQ(GetExtension("noextension"), std::nullopt);
    EXPECT_EQ(GetExtension("a.b"), "b");
    EXPECT_EQ(GetExtension("x."), "");
    // Only the first three characters are lower-cased.
    EXPECT_EQ(GetExtension("photo.JPEG"), "jpeG");
}
