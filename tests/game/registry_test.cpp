// Descriptor files, the models they load, and the registry's factory.
#include <filesystem>

#include "assets/name_hash.h"
#include "game/asset_registry.h"
#include "game/robot.h"
#include "game/weapon.h"
#include "tests/game/game_fixture.h"

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
    std::string Descriptor(const std::string& name, const std::string& text) {
        dir.Write(name, text);
        return dir.File(name);
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(dir.File(name)); }

    AssetRegistry registry{1000.0f};
};

TEST_F(Registry, AnActorLoadsItsMeshGroupsAndEachAnimationWithItsBounds) {
    const std::string file =
        Descriptor("kordax.txt", "actor\n" + dir.File("robot.xyz") + "\n2\n" +
                                     dir.File("walk.anm") + "\n" + dir.File("wave.anm") + "\n");
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
    const std::string crlf = Descriptor("a.txt", "actor\r\n" + dir.File("robot.xyz") + "\r\n0\r\n");
    EXPECT_NE(registry.Load(crlf), 0u);
    EXPECT_TRUE(registry.actorModels[0]->MeshLoaded());
    EXPECT_TRUE(registry.actorModels[0]->animations.empty());

    const std::string gap =
        Descriptor("b.txt", "actor\n" + dir.File("robot.xyz") + "\n3\nmissing.anm\n" +
                                dir.File("wave.anm") + "\n");
    registry.Load(gap);
    const ActorModel& m = *registry.actorModels[1];
    ASSERT_EQ(m.animations.size(), 1u);
    ASSERT_EQ(m.animationBounds.size(), 1u);
    EXPECT_EQ(m.animationBounds[0].size(), 6u);  // the bounds of the animation that loaded
}

TEST_F(Registry, AHugeCountWithoutLinesEndsAtTheEndOfTheFile) {
    const std::string file =
        Descriptor("big.txt", "actor\n" + dir.File("robot.xyz") + "\n2000000000\n");
    EXPECT_NE(registry.Load(file), 0u);
    EXPECT_TRUE(registry.actorModels[0]->animations.empty());
}

TEST_F(Registry, APropLoadsItsMeshBoundsAndGroups) {
    const std::string file = Descriptor("gun82.txt", "prop\n" + dir.File("robot.xyz") + "\n");
    EXPECT_EQ(registry.Load(file), NameHash(file));
    ASSERT_EQ(registry.propModels.size(), 1u);
    EXPECT_TRUE(Exists("robot.kdt"));
    EXPECT_TRUE(Exists("robot.prs"));
    EXPECT_GT(registry.propModels[0]->mesh->radius, 0.0f);
}

TEST_F(Registry, UnrecognisedOrMissingDescriptorsRegisterNothing) {
    for (const char* first : {"actor \n", "Actor\n", "prop2\n", "\n"}) {
        EXPECT_EQ(registry.Load(Descriptor("x.txt", std::string(first) + "robot.xyz\n")), 0u);
    }
    EXPECT_EQ(registry.Load(dir.File("none.txt")), 0u);
    const std::string longName(128, 'a');
    EXPECT_EQ(registry.Load(Descriptor("y.txt", "prop\n" + longName + ".ply\n")), 0u);
    EXPECT_EQ(registry.Load(Descriptor(
                  "z.txt", "actor\n" + dir.File("robot.xyz") + "\n1\n" + longName + "\n")),
              0u);
    EXPECT_TRUE(registry.actorKeys.empty());
    EXPECT_TRUE(registry.propKeys.empty());
}

TEST_F(Registry, TheFactoryMakesTheRobotAndTheGunOnlyForTheirKeys) {
    const AssetKey actor =
        registry.Load(Descriptor("kordax.txt", "actor\n" + dir.File("robot.xyz") + "\n0\n"));
    const AssetKey prop =
        registry.Load(Descriptor("gun82.txt", "prop\n" + dir.File("robot.xyz") + "\n"));
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
