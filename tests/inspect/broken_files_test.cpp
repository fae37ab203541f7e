// Broken files: the inspector exits 1 and names the count, index or offset at fault.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "assets/image_writer.h"
#include "model/actor_model.h"
#include "model/prop_model.h"
#include "tests/inspect/inspect_run.h"
#include "tests/inspect/sample_caches.h"
#include "tests/support/model_meshes.h"

namespace {

// Offsets in the file of RootAndArm(): one material, no texture, 8 vertices and normals.
constexpr std::size_t kVertexCountAt = 3 + 4 + 4 + 42 + 4;             // 57
constexpr std::size_t kNormalCountAt = kVertexCountAt + 4 + 8 * 12;    // 157
constexpr std::size_t kFirstFaceAt = kNormalCountAt + 4 + 8 * 12 + 4;  // 261

void PutInt32(std::string& bytes, std::size_t at, std::int32_t value) {
    std::memcpy(bytes.data() + at, &value, 4);
}

std::string MeshBytes(const MeshSource& source) {
    const std::optional<std::string> bytes = MeshFileBytes(source);
    EXPECT_TRUE(bytes.has_value());
    return bytes.value_or("");
}

// The one problem line of a file, or the whole output when there is not exactly one.
std::string Problem(const InspectRun& run) {
    const std::size_t at = run.output.find("  problem: ");
    if (at == std::string::npos || run.output.find("  problem: ", at + 1) != std::string::npos) {
        return run.output;
    }
    const std::size_t start = at + std::strlen("  problem: ");
    return run.output.substr(start, run.output.find('\n', start) - start);
}

InspectRun InspectOne(const TempDir& dir, const std::string& name, const std::string& bytes) {
    dir.Write(name, bytes);
    return RunInspect({dir.File(name)});
}

TEST(BrokenMesh, TruncatedCountBadIndexAndMissingTextureAreNamed) {
    TempDir dir;
    const std::string good = MeshBytes(RootAndArm());
    EXPECT_EQ(InspectOne(dir, "good.ply", good).status, 0);

    InspectRun run = InspectOne(dir, "cut.ply", good.substr(0, 200));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Problem(run),
              "normal count 8 needs at least 96 bytes, the file has 39 left "
              "(at byte 157)");

    std::string bytes = good;
    PutInt32(bytes, kVertexCountAt, 0);
    run = InspectOne(dir, "nocount.ply", bytes);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Problem(run), "vertex count 0 is below 1 (at byte 57)");

    bytes = good;
    PutInt32(bytes, kVertexCountAt, 1000000);
    run = InspectOne(dir, "hugecount.ply", bytes);
    EXPECT_EQ(Problem(run), "vertex count 1000000 needs at least 12000000 bytes, the file has " +
                                std::to_string(good.size() - kVertexCountAt - 4) +
                                " left (at byte 57)");

    MeshSource source = RootAndArm();
    source.faces[0].vertex[2] = 9;
    run = InspectOne(dir, "badindex.ply", MeshBytes(source));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Problem(run), "face 0: corner 2 vertex index 9 is outside 0..7 (at byte " +
                                std::to_string(kFirstFaceAt + 4 + 2 * 4) + ")");

    source = RootAndArm();
    source.nodes[1].vertices[3] = 99;
    run = InspectOne(dir, "badnode.ply", MeshBytes(source));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(Problem(run).find("node record 1 \"Arm\": vertex index 99 is outside 0..7 (at byte "),
              std::string::npos)
        << run.output;

    source = RootAndArm();
    source.textures.push_back({"nothere.tga", 8, 8});
    run = InspectOne(dir, "notexture.ply", MeshBytes(source));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Problem(run), "texture 0 \"nothere.tga\": cannot be opened as a file");

    run = InspectOne(dir, "notamesh.ply", "PLZ" + good.substr(3));
    EXPECT_EQ(Problem(run), "the file does not start with \"PLY\" (at byte 0)");
}

TEST(BrokenAnimation, BadMagicAndCountsAreNamed) {
    TempDir dir;
    const std::string good =
        AnimationFileBytes(Constant({"Root", "Arm"}, 3, Transform::Identity)).value();
    // magic, "constant" and its NUL, then the frame count.
    const std::size_t countsAt = 4 + 9;
    std::string bytes = good;
    bytes[countsAt] = 0;
    bytes[countsAt + 1] = 0;
    InspectRun run = InspectOne(dir, "noframes.anm", bytes);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Problem(run), "frame count 0 is below 1 (at byte 13)");

    bytes = good;
    PutInt32(bytes, 0, 0x12345678);
    run = InspectOne(dir, "magic.anm", bytes);
    EXPECT_EQ(Problem(run), "magic 0x12345678 (expected 0x12345679) (at byte 0)");

    run = InspectOne(dir, "cut.anm", good.substr(0, good.size() - 1));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Problem(run),
              "track 1: node name longer than 127 characters, or the file ends "
              "inside the track (at byte " +
                  std::to_string(countsAt + 4 + 5 + 3 * 48) + ")");
}

// Caches written by the real models beside a mesh without textures.
class BrokenCaches : public ::testing::Test {
  protected:
    void SetUp() override { WriteArmCaches(dir, 3, true); }
    TempDir dir;
};

TEST_F(BrokenCaches, TruncatedBoundsFilesNameTheRecordAndItsOffset) {
    const InspectRun good =
        RunInspect({dir.File("arm.kdt"), dir.File("wave.kdt"), dir.File("arm.prs")});
    EXPECT_EQ(good.status, 0) << good.output;

    const std::string prop = dir.Read("arm.kdt");
    ASSERT_EQ(prop.size(), 148u);  // two faces: the root alone
    InspectRun run = InspectOne(dir, "arm.kdt", prop.substr(0, 100));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find(": prop bounds\n"), std::string::npos);
    EXPECT_EQ(Problem(run),
              "a record of 148 bytes should start here, but 100 bytes are left "
              "for it (at byte 0)");

    // Per frame: the root, Root's leaf, Root's group and Arm's leaf, 152 bytes each.
    const std::string actor = dir.Read("wave.kdt");
    ASSERT_EQ(actor.size(), 4u + 3 * 4 * 152);
    run = InspectOne(dir, "wave.kdt", actor.substr(0, actor.size() - 10));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find(": actor bounds\n"), std::string::npos);
    EXPECT_EQ(Problem(run),
              "frame 2: child count 1 needs at least 152 bytes, but 142 are left "
              "for them (at byte " +
                  std::to_string(4 + 2 * 608 + 3 * 152 - 4) + ")");

    std::string bytes = actor;
    PutInt32(bytes, 0, 4);
    run = InspectOne(dir, "wave.kdt", bytes);
    EXPECT_EQ(Problem(run), "frame count 4, the animation has 3 (at byte 0)");

    bytes = prop;
    PutInt32(bytes, 8, 8);  // slab 0's min vertex: the mesh has 0..7
    run = InspectOne(dir, "arm.kdt", bytes);
    EXPECT_EQ(Problem(run), "record 0 slab 0: min vertex 8 is outside 0..7");
}

TEST_F(BrokenCaches, FaceGroupsWithABadIndexNameTheGroupAndFace) {
    std::string bytes = dir.Read("arm.prs");
    PutInt32(bytes, 4 + 4 + 36 + 4, 77);  // group 0, face 1
    const InspectRun run = InspectOne(dir, "arm.prs", bytes);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Problem(run), "group 0: face 1 is index 77, outside 0..1 (at byte 48)");
}

TEST(BrokenImages, BadHeadersNameTheField) {
    TempDir dir;
    const std::vector<std::uint8_t> pixels(4 * 2 * 3, 0x80);
    const std::vector<std::uint8_t> tga = EncodeTga(4, 2, 24, pixels, false);
    std::string bytes(tga.begin(), tga.end());
    EXPECT_EQ(InspectOne(dir, "good.tga", bytes).status, 0);

    bytes[2] = 3;
    InspectRun run = InspectOne(dir, "grey.tga", bytes);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Problem(run), "image type 3 (only 2 and 10 are read) (at byte 2)");
    EXPECT_NE(run.output.find("  width: 4\n  height: 2\n  type: 3\n"), std::string::npos);

    bytes = std::string(tga.begin(), tga.end());
    bytes[10] = 5;
    run = InspectOne(dir, "origin.tga", bytes);
    EXPECT_EQ(Problem(run), "y origin 5 (must be 0) (at byte 10)");

    bytes = std::string(tga.begin(), tga.end());
    run = InspectOne(dir, "cut.tga", bytes.substr(0, bytes.size() - 1));
    EXPECT_EQ(Problem(run),
              "4 x 2 pixels of 3 bytes cannot fit in the 23 bytes after the "
              "header (at byte 18)");

    const std::vector<std::uint8_t> bmp = EncodeBmp24(4, 2, pixels);
    bytes = std::string(bmp.begin(), bmp.end());
    EXPECT_EQ(InspectOne(dir, "good.bmp", bytes).status, 0);
    PutInt32(bytes, 14, 20);
    run = InspectOne(dir, "header.bmp", bytes);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Problem(run), "info header size 20 (only 12 and 40 are read) (at byte 14)");

    bytes = std::string(bmp.begin(), bmp.end());
    PutInt32(bytes, 10, 5000);
    run = InspectOne(dir, "offset.bmp", bytes);
    EXPECT_EQ(Problem(run), "pixel data offset 5000 is not inside the file of " +
                                std::to_string(bmp.size()) + " bytes (at byte 10)");
}

TEST(BrokenText, DescriptorsAndStatisticsSayWhichLine) {
    TempDir dir;
    InspectRun run = InspectOne(dir, "robot.txt", "Actor\nrobot.ply\n0\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find(": descriptor\n"), std::string::npos);
    EXPECT_EQ(Problem(run), "line 1 \"Actor\" is neither \"actor\" nor \"prop\"");

    run = InspectOne(dir, "short.txt", "actor\nrobot.ply\n3\nwalk.anm\n");
    EXPECT_EQ(Problem(run), "animation count 3 but only 1 names follow");

    run = InspectOne(dir, "long.txt", "prop\n" + std::string(200, 'g') + ".ply\n");
    EXPECT_EQ(Problem(run), "line 2 is longer than 127 characters");

    // The blank line swallows the m of maxhp, which is then no key.
    run = InspectOne(dir, "kordaxstats.txt", "maxep\n40\n\nmaxhp\n250\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(Problem(run).find("line 4 \"axhp\" is no key"), std::string::npos) << run.output;

    run = InspectOne(dir, "gun82stats.txt", "maxammo\nmany\n");
    EXPECT_EQ(Problem(run),
              "line 1: the value after this key is no number; reading stopped "
              "there");

    run = InspectOne(dir, "notes.txt", "just some words\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find(": unknown\n"), std::string::npos);
}

TEST(BrokenFiles, UnknownAndMissingFilesAreInvalid) {
    TempDir dir;
    InspectRun run = InspectOne(dir, "robot.xyz", "PLY");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Problem(run), "unrecognised extension: none of ply, anm, prs, kdt, tga, bmp, txt");
    run = RunInspect({dir.File("none.ply")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Problem(run), "no such file, or not a regular file");
    // One bad file among good ones still fails the run, and every file is reported.
    dir.Write("good.anm", AnimationFileBytes(Constant({"Root"}, 2, Transform::Identity)).value());
    run = RunInspect({dir.File("good.anm"), dir.File("none.ply")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("good.anm: animation\n"), std::string::npos);
}

TEST(BrokenFolder, CheckPrintsOneLinePerProblem) {
    TempDir dir;
    WriteSampleContent(dir);
    const std::string mesh = dir.Read("kordax.ply");
    dir.Write("kordax.ply", mesh.substr(0, mesh.size() - 8));
    std::string bounds = dir.Read("gun82.kdt");
    dir.Write("gun82.kdt", bounds.substr(0, bounds.size() - 4));
    std::filesystem::remove(dir.File("gun83stats.txt"));

    const InspectRun run = RunInspect({"--check", dir.Path().string()});
    EXPECT_EQ(run.status, 1);
    const std::string expected = dir.File("gun83stats.txt") + ": cannot be opened as a file\n" +
                                 dir.File("kordax.ply") +
                                 ": node record 19: vertex count 24 needs at least 96 bytes, the "
                                 "file has 88 left (at byte ";
    EXPECT_EQ(run.output.substr(0, expected.size()), expected) << run.output;
    EXPECT_NE(run.output.find(dir.File("gun82.kdt") + ": "), std::string::npos) << run.output;
    EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 3) << run.output;
}

}  // namespace

TEST(BrokenFolder, ANameLeadingOutOfTheFolderIsNotFollowed) {
    TempDir dir;
    WriteSampleContent(dir);
    // The prop's mesh exists one level up, where the game would never look for it.
    const std::filesystem::path inner = dir.Path() / "inner";
    std::filesystem::create_directory(inner);
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        if (entry.is_regular_file())
            std::filesystem::copy(entry.path(), inner / entry.path().filename());
    }
    std::ofstream(inner / "gun82.txt") << "prop\n../gun82.ply\n";
    std::filesystem::remove(inner / "gun82.ply");

    const InspectRun run = RunInspect({"--check", inner.string()});
    EXPECT_EQ(run.status, 1) << run.output;
}
