#include "assets/stats.h"

#include <gtest/gtest.h>

#include "tests/temp_dir.h"

namespace {

// The record `load` reads from a file holding `text`.
template <typename Stats>
Stats LoadFrom(const std::string& text, int (*load)(const std::string&, Stats&, StatsReport*)) {
    TempDir dir;
    dir.Write("stats.txt", text);
    Stats stats;
    EXPECT_EQ(load(dir.File("stats.txt"), stats, nullptr), 1);
    return stats;
}

RobotStats LoadRobot(const std::string& text) {
    return LoadFrom(text, LoadRobotStats);
}
WeaponStats LoadWeapon(const std::string& text) {
    return LoadFrom(text, LoadWeaponStats);
}

TEST(Stats, RobotPairsSetOnlyTheirFields) {
    const RobotStats s = LoadRobot("maxhp\n250\nmaxep\n40.5\n");
    EXPECT_EQ(s.maxhp, 250.0f);
    EXPECT_EQ(s.maxep, 40.5f);
    EXPECT_EQ(s.maxthrust, 0.0f);
    EXPECT_EQ(s.maxturn, 0.0f);
    EXPECT_EQ(s.epburnrate, 0.0f);
}

TEST(Stats, AllKeysAnyOrderLastWinsCarriageReturnsTolerated) {
    const RobotStats s =
        LoadRobot("epburnrate\r\n1.5\r\nmaxthrust\n100\nmaxturn\n  \n 3\nmaxhp\n1\nmaxhp\n2\n");
    EXPECT_EQ(s.epburnrate, 1.5f);
    EXPECT_EQ(s.maxthrust, 100.0f);
    EXPECT_EQ(s.maxturn, 3.0f);
    EXPECT_EQ(s.maxhp, 2.0f);
}

TEST(Stats, KeyAndValueOnOneLineSetsNothing) {
    EXPECT_EQ(LoadWeapon("maxammo 30\n").maxammo, 0);
}

TEST(Stats, FractionalIntegerValueSwallowsTheNextLinesFirstCharacter) {
    // 12.7 reads 12; '.' is taken; "7" is a non-key line; then the 'x' is taken, so the
    // rest of that line is the key "power".
    const WeaponStats s = LoadWeapon("maxammo\n12.7\nxpower\n5\n");
    EXPECT_EQ(s.maxammo, 12);
    EXPECT_EQ(s.power, 5);
}

TEST(Stats, BlankLineMakesTheLoaderMissTheNextKey) {
    const WeaponStats s = LoadWeapon("power\n5\n\nmaxammo\n30\n");
    EXPECT_EQ(s.power, 5);
    EXPECT_EQ(s.maxammo, 0);
}

TEST(Stats, CapitalKeysAreNotRecognised) {
    EXPECT_EQ(LoadWeapon("MAXAMMO\n30\n").maxammo, 0);
}

TEST(Stats, LastValueWithoutLineEndStillCounts) {
    EXPECT_EQ(LoadWeapon("reloadtime\n4\nmaxammo\n30").maxammo, 30);
}

TEST(Stats, NonNumberStopsWithoutZeroingFields) {
    TempDir dir;
    dir.Write("w.txt", "power\n5\nmaxammo\nlots\nrecoil\n2\n");
    WeaponStats s;
    s.maxammo = 77;
    EXPECT_EQ(LoadWeaponStats(dir.File("w.txt"), s), 1);
    EXPECT_EQ(s.power, 5);
    EXPECT_EQ(s.maxammo, 77);
    EXPECT_EQ(s.recoil, 0);
}

TEST(Stats, MissingFileLeavesRecordAndOverlongLineStops) {
    WeaponStats s;
    s.power = 9;
    EXPECT_EQ(LoadWeaponStats("/nonexistent/gun82stats.txt", s), 0);
    EXPECT_EQ(s.power, 9);
    const WeaponStats t = LoadWeapon(std::string(500, 'k') + "\npower\n5\n");
    EXPECT_EQ(t.power, 0);
}

TEST(Stats, ProcessWideRecordsStartAtZero) {
    EXPECT_EQ(kordaxStats.maxhp, 0.0f);
    EXPECT_EQ(gun82Stats.maxammo, 0);
    EXPECT_EQ(gun83Stats.power, 0);
}

}  // namespace
