// The animation clock of actor instances and switching between animations.
#include "game/actor_clone.h"
#include "platform/scripted_platform.h"
#include "tests/game/game_fixture.h"

namespace {

class Playback : public GameTest {
  protected:
    // An actor with animations of the given frame counts; each moves the arm along x by its
    // frame number, so the pose shows the frame.
    void LoadActor(const std::vector<int>& frameCounts) {
        ASSERT_TRUE(WriteMeshFile(dir.File("a.ply"), RootAndArm()));
        ASSERT_EQ(model.LoadMesh(dir.File("a.ply"), defaultTextureParams), 1);
        model.LoadGroups(dir.File("a.prs"));
        for (std::size_t i = 0; i < frameCounts.size(); ++i) {
            AnimationSource a;
            a.name = "a";
            a.tracks.push_back({"Arm", {}});
            for (int f = 0; f < frameCounts[i]; ++f) {
                a.tracks[0].keys.push_back({Matrix3::Identity, {static_cast<float>(f), 0, 0}});
            }
            const std::string name = dir.File("a" + std::to_string(i) + ".anm");
            ASSERT_TRUE(WriteAnimationFile(name, a));
            ASSERT_EQ(model.LoadAnimation(name), 1);
        }
    }
    // Advances the counter by `ticks` and poses `actor` for that moment; returns its frame.
    std::int32_t FrameAfter(ActorClone& actor, std::int64_t ticks) {
        platform.AdvanceCounter(ticks);
        actor.UpdatePose();
        return actor.frame;
    }
    ScriptedPlatform platform;
    ActorModel model;
};

TEST_F(Playback, TheClockCarriesTheFractionOfAFrameBetweenUpdates) {
    LoadActor({30});
    // 30 frames per second at 983,040 ticks per second: exactly 2^-15 frames per tick.
    ActorClone actor(&model, 983040.0f, Vec3::Zero, true, 0, 0, 30);
    EXPECT_EQ(actor.framesPerTick, 1.0f / 32768.0f);
    EXPECT_EQ(FrameAfter(actor, 49152), 1);
    EXPECT_EQ(actor.frameFraction, 0.5f);
    EXPECT_EQ(FrameAfter(actor, 49152), 3);
    EXPECT_EQ(actor.frameFraction, 0.0f);
    EXPECT_EQ(actor.posedVertices[4].x, 5.0f + 3.0f);  // the arm at frame 3
}

TEST_F(Playback, FramesWrapAndLongPausesOrABackwardCounterAreHarmless) {
    LoadActor({30});
    ActorClone actor(&model, 983040.0f, Vec3::Zero, true, 0, 28, 30);
    EXPECT_EQ(FrameAfter(actor, 5 * 32768), 3);
    platform.AdvanceCounter(std::int64_t{1} << 50);
    actor.UpdatePose();
    EXPECT_GE(actor.frame, 0);
    EXPECT_LT(actor.frame, 30);
    const std::int32_t held = actor.frame;
    EXPECT_EQ(FrameAfter(actor, -100000), held);
}

TEST_F(Playback, AStoppedClockAndAModelWithoutAnimationsHoldTheirPose) {
    LoadActor({});
    ActorClone still(&model, 1000.0f, Vec3::Zero, true, 0, 0, 30);
    EXPECT_EQ(FrameAfter(still, 100000), 0);
    EXPECT_EQ(still.posedVertices, model.mesh->vertices);
    still.NextAnimation();  // nothing to switch to
    EXPECT_EQ(still.animationIndex, 0);
}

TEST_F(Playback, SwitchingKeepsOrWrapsTheFrameAndCyclesBackToTheFirst) {
    LoadActor({30, 20});
    ActorClone actor(&model, 1000.0f, Vec3::Zero, false, 0, 25, 30);
    actor.NextAnimation();
    EXPECT_EQ(actor.animationIndex, 1);
    EXPECT_EQ(actor.frame, 5);
    actor.frame = 12;
    actor.NextAnimation();
    EXPECT_EQ(actor.animationIndex, 0);
    EXPECT_EQ(actor.frame, 12);
    EXPECT_EQ(actor.SetFrame(-1), 29);
    EXPECT_EQ(actor.SetFrame(30), 29);
    EXPECT_EQ(actor.frame, 12);
    EXPECT_EQ(actor.SetFrame(7), 7);
}

TEST_F(Playback, StartingRestartsTheClockFromNow) {
    LoadActor({30});
    ActorClone actor(&model, 983040.0f, Vec3::Zero, false, 0, 0, 30);
    EXPECT_EQ(FrameAfter(actor, 10 * 32768), 0);
    actor.SetPlaying(true);
    EXPECT_EQ(FrameAfter(actor, 32768), 1);
}

}  // namespace
