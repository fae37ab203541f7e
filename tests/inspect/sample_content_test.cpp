// The inspector on the sample content: every file valid, the key figures in its summary, the
// whole folder valid under --check, and the same reports as JSON.
#include <gtest/gtest.h>

#include "tests/inspect/inspect_run.h"
#include "tests/inspect/sample_caches.h"

namespace {

class SampleContent : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir = new TempDir;
        WriteSampleContent(*dir);
    }
    static void TearDownTestSuite() {
        delete dir;
        dir = nullptr;
    }
    static std::string File(const std::string& name) { return dir->File(name); }

    static TempDir* dir;
};

TempDir* SampleContent::dir = nullptr;

TEST_F(SampleContent, MeshesShowCountsTexturesAndTheNodeTree) {
    const InspectRun run = RunInspect({File("kordax.ply"), File("gun82.ply")});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find(File("kordax.ply") + ": mesh\n"), std::string::npos);
    EXPECT_NE(run.output.find("  vertices: 436\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("  nodes: 20\n"), std::string::npos);
    // The node the gun hangs on, indented four levels below the root, with its hash.
    EXPECT_NE(run.output.find("\n              - name Gun, hash 0x00046D2E, vertices 0\n"),
              std::string::npos);
    EXPECT_NE(run.output.find("- name Pelvis, hash 0x64677A33, vertices 24\n"), std::string::npos);
    EXPECT_NE(run.output.find("file panel.bmp, record width 64, record height 64, image bmp, "
                              "image width 64, image height 64"),
              std::string::npos);
    EXPECT_NE(run.output.find("  vertices: 252\n"), std::string::npos);  // the gun
    EXPECT_EQ(run.output.find("problem"), std::string::npos);
}

TEST_F(SampleContent, AnimationsShowFramesAndTracks) {
    const InspectRun run = RunInspect({File("idle.anm"), File("walk.anm"), File("aim.anm")});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("  name: idle\n  frames: 90\n  tracks: 4\n"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("- node Gun, hash 0x00046D2E\n"), std::string::npos);
    EXPECT_EQ(run.output.find("note"), std::string::npos) << "every track names a robot node";
}

TEST_F(SampleContent, ImagesShowSizeTypeAndDepth) {
    const InspectRun run =
        RunInspect({File("plate.tga"), File("stripe.tga"), File("panel.bmp"), File("gunskin.tga")});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("  width: 64\n  height: 64\n  type: 10\n  type name: run-length"),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("  width: 32\n  height: 32\n  type: 2\n"), std::string::npos);
    EXPECT_NE(run.output.find(": bmp image\n  width: 64\n  height: 64\n  depth: 24\n"),
              std::string::npos);
}

TEST_F(SampleContent, TextFilesAreToldApartByContent) {
    const InspectRun run = RunInspect(
        {File("kordax.txt"), File("gun82.txt"), File("kordaxstats.txt"), File("gun82stats.txt")});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find(": descriptor\n  model: actor\n  mesh: kordax.ply\n"
                              "  animation count: 3\n  animations: idle.anm, walk.anm, aim.anm\n"),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find(": descriptor\n  model: prop\n  mesh: gun82.ply\n"),
              std::string::npos);
    EXPECT_NE(run.output.find(": robot stats\n  maxthrust: 100\n"), std::string::npos);
    EXPECT_NE(run.output.find(": weapon stats\n  power: 12\n  maxammo: 30\n"), std::string::npos);

    // Under another name, a statistics file is still recognised by its keys.
    std::filesystem::copy_file(File("gun83stats.txt"), File("spare.txt"));
    const InspectRun renamed = RunInspect({File("spare.txt")});
    EXPECT_EQ(renamed.status, 0);
    EXPECT_NE(renamed.output.find(": weapon stats\n  power: 25\n"), std::string::npos);
}

TEST_F(SampleContent, CachesAreCheckedAgainstTheirMeshesAndAnimations) {
    const InspectRun run = RunInspect({File("kordax.prs"), File("gun82.kdt"), File("walk.kdt")});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(
        run.output.find(File("kordax.prs") + ": face groups\n  mesh: " + File("kordax.ply") + "\n"),
        std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find(File("gun82.kdt") + ": prop bounds\n  mesh: " + File("gun82.ply")),
              std::string::npos);
    EXPECT_NE(run.output.find(File("walk.kdt") + ": actor bounds\n  mesh: " + File("kordax.ply") +
                              "\n  frames: 60\n"),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("- axis x, min "), std::string::npos);
    EXPECT_EQ(run.output.find("note"), std::string::npos) << run.output;
}

TEST_F(SampleContent, TheWholeFolderChecksValid) {
    const InspectRun run = RunInspect({"--check", dir->Path().string()});
    EXPECT_EQ(run.status, 0) << run.output;
    // 3 statistics files, 2 descriptors, 2 meshes, 2 face-group files, 3 animations, 4 trees.
    EXPECT_EQ(run.output, dir->Path().string() + ": 16 files, all valid\n");
}

TEST_F(SampleContent, JsonHasOneDocumentPerFileWithTheSameFigures) {
    const InspectRun run = RunInspect(
        {"--json", File("kordax.ply"), File("idle.anm"), File("stripe.tga"), File("gun82.kdt"),
         File("kordax.txt")},
        false,
        PythonJsonCheck("len(docs)==5 and all(d['valid'] and d['problems']==[] for d in docs) and "
                        "docs[0]['kind']=='mesh' and docs[0]['summary']['vertices']==436 and "
                        "docs[0]['summary']['node tree'][0]['name']=='Pelvis' and "
                        "docs[1]['summary']['frames']==90 and "
                        "docs[1]['summary']['track list'][0]['node']=='Torso' and "
                        "docs[2]['summary']['width']==64 and docs[2]['summary']['type']==10 and "
                        "docs[3]['kind']=='prop bounds' and "
                        "len(docs[3]['summary']['root slabs'])==9 and "
                        "docs[4]['summary']['animations']==['idle.anm','walk.anm','aim.anm']"));
    EXPECT_EQ(run.output, "0\n");
}

TEST_F(SampleContent, CheckWithJsonGivesEveryFileLookedAt) {
    const InspectRun run =
        RunInspect({"--json", "--check", dir->Path().string()}, false,
                   PythonJsonCheck("len(docs)==16 and all(d['valid'] for d in docs) and "
                                   "[d['kind'] for d in docs][:5]==['weapon stats','weapon stats',"
                                   "'robot stats','descriptor','mesh']"));
    EXPECT_EQ(run.output, "0\n");
}

}  // namespace
