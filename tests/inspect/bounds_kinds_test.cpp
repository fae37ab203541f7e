// Telling the two kinds of ".kdt" file apart: by the descriptor or the file of the same stem
// beside them, and without either by their structure.
#include <gtest/gtest.h>

#include "model/actor_model.h"
#include "model/prop_model.h"
#include "tests/inspect/inspect_run.h"
#include "tests/inspect/sample_caches.h"
#include "tests/support/model_meshes.h"
#include "tests/temp_dir.h"

namespace {

class BoundsKinds : public ::testing::Test {
  protected:
    void SetUp() override { WriteArmCaches(dir, 5, false); }
    TempDir dir;
};

TEST_F(BoundsKinds, FilesOfTheSameStemTellTheKind) {
    const InspectRun run = RunInspect({dir.File("arm.kdt"), dir.File("wave.kdt")});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find(dir.File("arm.kdt") + ": prop bounds\n  mesh: " +
                              dir.File("arm.ply") + "\n  nodes: 1\n  leaves: 1\n  depth: 1\n"),
              std::string::npos)
        << run.output;
    // No descriptor names the actor's mesh, so only the frame count is compared.
    EXPECT_NE(run.output.find(dir.File("wave.kdt") + ": actor bounds\n  frames: 5\n  nodes: 4\n"
                                                     "  leaves: 2\n  depth: 3\n"),
              std::string::npos);
    EXPECT_NE(run.output.find("note: no mesh found for it"), std::string::npos);
    EXPECT_NE(run.output.find("  root slabs:\n    - axis x, min 0, max 6, min vertex 0, "
                              "max vertex 5\n"),
              std::string::npos);
}

TEST_F(BoundsKinds, ADescriptorBesideThemNamesTheActorsMesh) {
    dir.Write("robot.txt", "actor\narm.ply\n1\nwave.anm\n");
    const InspectRun run = RunInspect({dir.File("wave.kdt"), dir.File("wave.anm")});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find(": actor bounds\n  mesh: " + dir.File("arm.ply") + "\n"),
              std::string::npos)
        << run.output;
    // The model was given the bounds file's full path, whose hash tags the roots; the game
    // passes the name as the descriptor derives it.
    EXPECT_NE(run.output.find("  note: the roots' tag is not the name hash of \"wave.kdt\"\n"
                              "  valid\n"),
              std::string::npos);
    EXPECT_EQ(run.output.find("note:"), run.output.rfind("note:")) << "only that note";
}

TEST_F(BoundsKinds, AloneTheyAreToldApartByStructure) {
    TempDir alone;
    alone.Write("a.kdt", dir.Read("arm.kdt"));
    alone.Write("b.kdt", dir.Read("wave.kdt"));
    const InspectRun run = RunInspect({alone.File("a.kdt"), alone.File("b.kdt")});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find(alone.File("a.kdt") + ": prop bounds\n"), std::string::npos);
    EXPECT_NE(run.output.find(alone.File("b.kdt") + ": actor bounds\n  frames: 5\n"),
              std::string::npos);
    EXPECT_NE(run.output.find("told apart by its structure"), std::string::npos);
    // Cut short, each is still reported as what it looks like, with the reader's reason.
    alone.Write("c.kdt", dir.Read("wave.kdt").substr(0, 400));
    const InspectRun cut = RunInspect({alone.File("c.kdt")});
    EXPECT_EQ(cut.status, 1);
    EXPECT_NE(cut.output.find(": actor bounds\n"), std::string::npos) << cut.output;
    EXPECT_NE(cut.output.find("problem: frame count 5 needs 760 bytes or more, the file has 396 "
                              "left (at byte 0)"),
              std::string::npos)
        << cut.output;
}

}  // namespace
