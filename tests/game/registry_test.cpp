// Descriptor files, the models they load, and the registry's factory.
#include <filesystem>

#include "assets/name_hash.h"
#include "game/asset_registry.h"
#include "game/robot.h"
#include "game/weapon.h"
#include "tests/game/game_fixture.h"
#include "tests/support/in_folder.h"

namespace {

class Registry : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        ASSERT_TRUE(WriteMeshFile(dir.File("robot.xyz"), RootAndArm()));
        ASSERT_TRUE(
            WriteAnimationFile(dir.File("walk.anm"), Constant({"Arm"}, 4, Transform::Identity)));
        ASSERT_TRUE(
            WriteAnimationFile(dir.File("wave.anm"), Constant({"Root"}, 6, Transform::Identity)));
    }
    // Written into the data folder, which is the working folder as in the game.
    std::string Descriptor(const std::string& name, const std::string& text) {
        dir.Write(name, text);
        return name;
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(dir.File(name)); }

    const InFolder here{dir.Path()};
    AssetRegistry registry{1000.0f};
};

TEST_F(Registry, AnActorLoadsItsMeshGroupsAndEachAnimationWithItsBounds) {
    const std::string file = Descriptor("kordax.txt", "actor\nrobot.xyz\n2\nwalk.anm\nwave.anm\n");
    EXPECT_EQ(registry.Load(file), NameHash(file));
    ASSERT_EQ(registry.actorModels.size(), 1u);
    const ActorModel& m = *registry.actorModels[0];
    EXPECT_EQ(m.animations.size(), 2u);
    ASSERT_EQ(m.animationBounds.size(), 2u);
    EXPECT_EQ(m.animationBounds[1].size(), 6u);
    EXPECT_TRUE(Exists("robot.prs"));
    EXPECT_TRUE(Exists("walk.kdt"));
    EXPECT_TRUE(Exists("wave.kdt"));
    EXPECT_FALSE(Exists("robot.kdt"));
}

TEST_F(Registry, WindowsLineEndsCountZeroAndAFailedAnimationLine) {
    const std::string crlf = Descriptor("a.txt", "actor\r\nrobot.xyz\r\n0\r\n");
    EXPECT_NE(registry.Load(crlf), 0u);
    EXPECT_TRUE(registry.actorModels[0]->MeshLoaded());
    EXPECT_TRUE(registry.actorModels[0]->animations.empty());

    const std::string gap = Descriptor("b.txt", "actor\nrobot.xyz\n3\nmissing.anm\nwave.anm\n");
    registry.Load(gap);
    const ActorModel& m = *registry.actorModels[1];
    ASSERT_EQ(m.animations.size(), 1u);
    ASSERT_EQ(m.animationBounds.size(), 1u);
    EXPECT_EQ(m.animationBounds[0].size(), 6u);  // the bounds of the animation that loaded
}

TEST_F(Registry, AHugeCountWithoutLinesEndsAtTheEndOfTheFile) {
    const std::string file = Descriptor("big.txt", "actor\nrobot.xyz\n2000000000\n");
    EXPECT_NE(registry.Load(file), 0u);
    EXPECT_TRUE(registry.actorModels[0]->animations.empty());
}

TEST_F(Registry, APropLoadsItsMeshBoundsAndGroups) {
    const std::string file = Descriptor("gun82.txt", "prop\nrobot.xyz\n");
    EXPECT_EQ(registry.Load(file), NameHash(file));
    ASSERT_EQ(registry.propModels.size(), 1u);
    EXPECT_TRUE(Exists("robot.kdt"));
    EXPECT_TRUE(Exists("robot.prs"));
    EXPECT_GT(registry.propModels[0]->mesh->radius, 0.0f);
}

TEST_F(Registry, NamesThatLeaveTheFolderAreFilesThatCannotBeOpenedAndGetNoCache) {
    // Each way names files that are there, by a name that leaves the folder.
    const std::string upAndBack = "../" + dir.Path().filename().string() + "/";
    for (const std::string& way : {upAndBack, dir.Path().string() + "/"}) {
        SCOPED_TRACE(way);
        registry.Load(Descriptor(
            "kordax.txt", "actor\n" + way + "robot.xyz\n2\nwalk.anm\n" + way + "wave.anm\n"));
        const ActorModel& actor = *registry.actorModels.back();
        EXPECT_FALSE(actor.MeshLoaded());
        ASSERT_EQ(actor.animations.size(), 1u);  // walk.anm, named inside
        EXPECT_EQ(actor.animations[0]->frameCount, 4);
        registry.Load(Descriptor("gun82.txt", "prop\n" + way + "robot.xyz\n"));
        EXPECT_FALSE(registry.propModels.back()->MeshLoaded());
        EXPECT_FALSE(Exists("robot.prs"));
        EXPECT_FALSE(Exists("robot.kdt"));
        EXPECT_FALSE(Exists("wave.kdt"));
    }
    // A subfolder is inside.
    std::filesystem::create_directory(dir.File("sub"));
    std::filesystem::copy_file(dir.File("robot.xyz"), dir.File("sub/robot.xyz"));
    registry.Load(Descriptor("inner.txt", "prop\nsub/robot.xyz\n"));
    EXPECT_TRUE(registry.propModels.back()->MeshLoaded());
    EXPECT_TRUE(Exists("sub/robot.kdt"));
    EXPECT_TRUE(Exists("sub/robot.prs"));
}

TEST_F(Registry, UnrecognisedOrMissingDescriptorsRegisterNothing) {
    for (const char* first : {"actor \n", "Actor\n", "prop2\n", "\n"}) {
        EXPECT_EQ(registry.Load(Descriptor("x.txt", std::string(first) + "robot.xyz\n")), 0u);
    }
    EXPECT_EQ(registry.Load(dir.File("none.txt")), 0u);
    const std::string longName(128, 'a');
    EXPECT_EQ(registry.Load(Descriptor("y.txt", "prop\n" + longName + ".ply\n")), 0u);
    EXPECT_EQ(registry.Load(Descriptor("z.txt", "actor\nrobot.xyz\n1\n" + longName + "\n")), 0u);
    EXPECT_TRUE(registry.actorKeys.empty());
    EXPECT_TRUE(registry.propKeys.empty());
}

TEST_F(Registry, TheFactoryMakesTheRobotAndTheGunOnlyForTheirKeys) {
    const AssetKey actor = registry.Load(Descriptor("kordax.txt", "actor\nrobot.xyz\n0\n"));
    const AssetKey prop = registry.Load(Descriptor("gun82.txt", "prop\nrobot.xyz\n"));
    EXPECT_EQ(registry.CreateInstance(actor), nullptr);  // robotKey not set yet
    EXPECT_EQ(registry.CreateInstance(prop), nullptr);
    registry.robotKey = actor;
    registry.gunKey = prop;
    const auto robot = registry.CreateInstance(actor);
    EXPECT_NE(dynamic_cast<Kordax*>(robot.get()), nullptr);
    const auto gun = registry.CreateInstance(prop);
    EXPECT_NE(dynamic_cast<Gun82*>(gun.get()), nullptr);
    EXPECT_EQ(registry.CreateInstance(0), nullptr);
    EXPECT_EQ(registry.CreateInstance(12345), nullptr);
}

TEST_F(Registry, TheProcessWideRegistryIsCreatedOnce) {
    EXPECT_EQ(AssetRegistry::Get(), nullptr);
    EXPECT_EQ(AssetRegistry::Create(50.0f), 1);
    EXPECT_EQ(AssetRegistry::Create(70.0f), 0);
    EXPECT_EQ(AssetRegistry::Get()->counterFrequency, 50.0f);
}

}  // namespace
