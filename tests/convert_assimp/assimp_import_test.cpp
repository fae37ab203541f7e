// Whole imports of files the library's exporters cannot write as they come from other tools:
// into the game's files, loaded and posed by the game.
#include <algorithm>

#include <gtest/gtest.h>

#include "model/actor_model.h"
#include "tests/convert_assimp/assimp_models.h"
#include "tests/temp_dir.h"
#include "tools/convert/model_import.h"

namespace {

ImportedFolder Import(const std::string& path) {
    ImportedFolder out;
    std::string error;
    ImportOptions options;
    options.scale = 1.0f;
    EXPECT_TRUE(ImportModelFile(path, options, out, error)) << error;
    return out;
}

TEST(AssimpBinaryFbx, ConvertsToTheSameFilesAsTheAsciiOne) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "ascii");
    std::filesystem::create_directory(dir.Path() / "binary");
    ASSERT_EQ(ExportWithAssimp(*AssimpSkinnedCharacter(), "fbxa", dir.File("ascii/man.fbx")), "");
    ASSERT_EQ(ExportWithAssimp(*AssimpSkinnedCharacter(), "fbx", dir.File("exported.fbx")), "");
    dir.Write("binary/man.fbx", BinaryFbxWithNullRecords(dir.Read("exported.fbx")));
    const ImportedFolder ascii = Import(dir.File("ascii/man.fbx"));
    const ImportedFolder binary = Import(dir.File("binary/man.fbx"));
    ASSERT_GT(ascii.files.size(), 5u);
    EXPECT_TRUE(binary.files == ascii.files);
}

// Joints and weights in model space, Z up; "Arm" stands 1 above "Hips" and carries vertex 2.
constexpr char kMesh[] = R"(MD5Version 10
commandline ""

numJoints 2
numMeshes 1

joints {
	"Hips" -1 ( 0 0 0 ) ( 0 0 0 )
	"Arm" 0 ( 0 0 1 ) ( 0 0 0 )
}

mesh {
	shader ""
	numverts 3
	vert 0 ( 0 0 ) 0 1
	vert 1 ( 1 0 ) 1 1
	vert 2 ( 0 1 ) 2 1
	numtris 1
	tri 0 0 1 2
	numweights 3
	weight 0 0 1 ( 0 0 0 )
	weight 1 0 1 ( 1 0 0 )
	weight 2 1 1 ( 0 0 0.5 )
}
)";

// An animation of Arm's height, one key per frame at `rate` frames per second.
std::string Anim(int rate, const std::vector<double>& heights) {
    std::string text = "MD5Version 10\ncommandline \"\"\n\nnumFrames " +
                       std::to_string(heights.size()) + "\nnumJoints 2\nframeRate " +
                       std::to_string(rate) +
                       "\nnumAnimatedComponents 1\n\nhierarchy {\n\t\"Hips\" -1 0 0\n\t\"Arm\" 0 4 "
                       "0\n}\n\nbounds {\n";
    for (std::size_t f = 0; f < heights.size(); ++f)
        text += "\t( -1 -1 -1 ) ( 2 2 3 )\n";
    text += "}\n\nbaseframe {\n\t( 0 0 0 ) ( 0 0 0 )\n\t( 0 0 1 ) ( 0 0 0 )\n}\n";
    for (std::size_t f = 0; f < heights.size(); ++f)
        text += "\nframe " + std::to_string(f) + " {\n\t" + std::to_string(heights[f]) + "\n}\n";
    return text;
}

// The .md5anim of the mesh's name and another one beside it: one game animation each, sampled
// at 30 frames per second by the file's own frame rate, moving the arm's vertex.
TEST(AssimpMd5, EveryAnimFileBesideTheMeshIsAnAnimationAtItsOwnFrameRate) {
    TempDir dir;
    dir.Write("bob.md5mesh", kMesh);
    dir.Write("bob.md5anim", Anim(10, {1, 1.5, 2}));                         // 0.2 s
    dir.Write("wave.md5anim", Anim(60, {1, 0.9, 0.8, 0.7, 0.6, 0.5, 0.4}));  // 0.1 s
    std::string error;
    ASSERT_TRUE(WriteImportedFolder(Import(dir.File("bob.md5mesh")), dir.File("data"), error))
        << error;

    const std::filesystem::path data = dir.Path() / "data";
    ActorModel actor;
    ASSERT_EQ(actor.ReadMesh((data / "model.ply").string(), data.string()), 1);
    ASSERT_EQ(actor.LoadAnimation((data / "bob.anm").string()), 1);
    ASSERT_EQ(actor.LoadAnimation((data / "wave.anm").string()), 1);
    EXPECT_EQ(dir.Read("data/kordax.txt"), "actor\nmodel.ply\n2\nbob.anm\nwave.anm\n");
    EXPECT_EQ(actor.animations[0]->frameCount, 7);
    EXPECT_EQ(actor.animations[1]->frameCount, 4);

    const std::vector<Vec3>& rest = actor.mesh->vertices;
    const auto arm = static_cast<std::size_t>(
        std::max_element(rest.begin(), rest.end(),
                         [](const Vec3& a, const Vec3& b) { return a.y < b.y; }) -
        rest.begin());
    const auto armHeight = [&](int animation, int frame) {
        std::vector<Vec3> vertices = rest, normals = actor.mesh->normals;
        EXPECT_EQ(actor.PoseNodes(animation, frame, actor.mesh->root, vertices, normals, {}, {},
                                  Transform::Identity),
                  1);
        return vertices[arm].y;
    };
    EXPECT_NEAR(armHeight(0, 6) - armHeight(0, 0), 1, 1e-4);
    EXPECT_NEAR(armHeight(1, 3) - armHeight(1, 0), -0.6, 1e-4);
}

}  // namespace
