// What the importer writes: the same bytes every time, folders the game's checks accept, nodes
// named as the game needs them, the gun on the right node, and nothing left behind on failure.
#include <cmath>
#include <fstream>
#include <iterator>

#include "assets/mesh.h"
#include "tests/convert/gltf_reference.h"
#include "tests/convert/import_support.h"
#include "tests/support/gltf_builder.h"
#include "tools/content/robot.h"
#include "tools/inspect/check_folder.h"

namespace {

std::vector<std::string> NodeNamesOf(const std::string& meshPath) {
    Mesh mesh;
    EXPECT_EQ(mesh.ReadFile(meshPath), 1);
    std::vector<std::string> names;
    for (const auto& node : mesh.nodes)
        names.emplace_back(node->name);
    return names;
}

TEST(ImportFolder, SameBytesTwiceAndEveryFolderPassesTheGamesChecks) {
    const std::pair<const char*, tinygltf::Model> models[] = {
        {"skinned", SkinnedModel()},
        {"node animated", NodeAnimatedModel()},
        {"textured png", TexturedModel(false)},
        {"textured jpeg", TexturedModel(true)},
        {"static", StaticModel()},
    };
    for (const auto& [name, model] : models) {
        SCOPED_TRACE(name);
        const ImportedFolder first = Import(model);
        EXPECT_EQ(first.files, Import(model).files);
        EXPECT_EQ(first.files, Import(model, {}, false).files) << "as .gltf text";
        TempDir dir;
        std::string error;
        ASSERT_TRUE(WriteImportedFolder(first, dir.File("data"), error)) << error;
        for (const FileReport& report : CheckFolder(dir.File("data"))) {
            EXPECT_TRUE(report.Valid()) << report.path << ": " << report.problems.front();
        }
    }
}

// A JPEG damaged so that the decoder leaves pixels unwritten (found by the fuzz target): those
// pixels must not be whatever the heap held, or two imports differ.
TEST(ImportFolder, ADamagedJpegImportsTheSameTwice) {
    std::ifstream in(VORN_TEST_DATA_DIR "/damaged-jpeg.gltf", std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), {});
    ASSERT_FALSE(bytes.empty());
    ImportedFolder first, second;
    std::string error;
    ASSERT_TRUE(ImportModelBytes(bytes, "", {}, first, error)) << error;
    ASSERT_TRUE(ImportModelBytes(bytes, "", {}, second, error)) << error;
    EXPECT_EQ(first.files, second.files);
}

// Images that would make stb's decoders write past their tables or allocate what a chunk claims
// (found by the fuzz target) are refused instead: a JPEG whose Huffman table lists more than 256
// codes, also when the table's header runs past its segment, and a PNG chunk longer than the file.
TEST(ImportFolder, ImagesThatWouldOverrunTheDecoderAreRefused) {
    for (const char* file :
         {"jpeg-overlong-huffman-table.gltf", "jpeg-huffman-table-past-its-segment.gltf",
          "png-chunk-longer-than-the-file.gltf"}) {
        SCOPED_TRACE(file);
        std::ifstream in(std::string(VORN_TEST_DATA_DIR "/") + file, std::ios::binary);
        const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), {});
        ASSERT_FALSE(bytes.empty());
        ImportedFolder out;
        std::string error;
        EXPECT_FALSE(ImportModelBytes(bytes, "", {}, out, error));
        EXPECT_NE(error.find("is not a PNG or JPEG image that can be read"), std::string::npos)
            << error;
    }
}

TEST(ImportFolder, NodeNamesAreUniqueCutTo127AndUnnamedNodesGetTheirIndex) {
    TempDir dir;
    std::string error;
    ASSERT_TRUE(WriteImportedFolder(Import(StaticModel()), dir.File("data"), error)) << error;
    const std::string l127(127, 'L');
    const std::vector<std::string> expected = {
        "Shelf", "Box", "Box_2", "3", l127, l127.substr(0, 125) + "_2", "Gun"};
    EXPECT_EQ(NodeNamesOf(dir.File("data/model.ply")), expected);  // "Hidden" is in no scene
    // A model without animations stands still for one frame.
    const std::vector<std::string> animations = AnimationNames(dir.Path() / "data");
    ASSERT_EQ(animations.size(), 1u);
    Animation still;
    ASSERT_EQ(still.Load(dir.File("data/" + animations[0])), 1);
    EXPECT_EQ(still.frameCount, 1);
}

// The gun's mount point, taken through the captured "Gun" transform, against where glTF puts
// the carrying node's origin.
void ExpectGunFollows(const tinygltf::Model& model, const ImportOptions& options,
                      const std::string& carrier) {
    TempDir dir;
    std::string error;
    ASSERT_TRUE(WriteImportedFolder(Import(model, options), dir.File("data"), error)) << error;
    ActorModel actor;
    LoadActor(dir.Path() / "data", actor);
    const MeshNode* gun = actor.mesh->FindNode(NameHash("Gun"));
    ASSERT_NE(gun, nullptr);
    const Vec3 mount{gun->points[0], gun->points[1], gun->points[2]};
    int carrierIndex = -1;
    for (std::size_t i = 0; i < model.nodes.size(); ++i) {
        if (model.nodes[i].name == carrier)
            carrierIndex = static_cast<int>(i);
    }
    ASSERT_GE(carrierIndex, 0);
    for (int f = 0; f < actor.animations[0]->frameCount; f += 5) {
        Transform transform;
        Posed(actor, 0, f, &transform);
        const Vec3 at = TransformPoint(mount, transform);
        const gltf_models::Vec expected = gltf_models::TransformPoint(
            gltf_models::WorldMatrix(PosedModel(model, 0, f / 30.0), carrierIndex), {0, 0, 0});
        EXPECT_NEAR(at.x, expected[0], 1e-4) << "frame " << f;
        EXPECT_NEAR(at.y, expected[1], 1e-4) << "frame " << f;
        EXPECT_NEAR(at.z, expected[2], 1e-4) << "frame " << f;
    }
}

TEST(ImportFolder, GunRidesOnTheNodeNamedGunOrTheOneGivenAndFollowsItInEveryFrame) {
    ImportOptions options;
    options.scale = 1.0f;
    ExpectGunFollows(NodeAnimatedModel(), options, "Gun");
    options.gunNode = "Head";
    ExpectGunFollows(NodeAnimatedModel(), options, "Head");

    // The added "Gun" under "Head" is the only one: the model's own moves no geometry now.
    TempDir dir;
    std::string error;
    ASSERT_TRUE(WriteImportedFolder(Import(NodeAnimatedModel(), options), dir.File("d"), error));
    const std::vector<std::string> names = NodeNamesOf(dir.File("d/model.ply"));
    EXPECT_EQ(std::count(names.begin(), names.end(), "Gun"), 1);

    options.gunNode = "NoSuchNode";
    ImportedFolder out;
    const std::vector<unsigned char> bytes = SaveModel(NodeAnimatedModel(), true);
    EXPECT_FALSE(ImportModelBytes(bytes, "", options, out, error));
    EXPECT_NE(error.find("NoSuchNode"), std::string::npos) << error;
}

// The figure's right hand, named so: "Gun" hangs under it, at the hand, its barrel along the
// arm (which points to -X at rest) and its top up, and follows it.
TEST(ImportFolder, SkeletonWithHandNamesHoldsTheGunInTheRightHand) {
    tinygltf::Model model = SkinnedModel();
    for (tinygltf::Node& node : model.nodes) {
        if (node.name == "Forearm.R" || node.name == "Forearm.L")
            node.name = node.name == "Forearm.R" ? "RightHand" : "LeftHand";
    }
    ImportOptions options;
    options.scale = 1.0f;
    const ImportedFolder folder = Import(model, options);
    EXPECT_NE(std::find_if(folder.notes.begin(), folder.notes.end(),
                           [](const std::string& note) {
                               return note.find("RightHand") != std::string::npos;
                           }),
              folder.notes.end());
    TempDir dir;
    std::string error;
    ASSERT_TRUE(WriteImportedFolder(folder, dir.File("data"), error)) << error;
    Mesh mesh;
    ASSERT_EQ(mesh.ReadFile(dir.File("data/model.ply")), 1);
    const MeshNode* gun = mesh.FindNode(NameHash("Gun"));
    ASSERT_NE(gun, nullptr);
    ASSERT_NE(gun->parent, nullptr);
    EXPECT_STREQ(gun->parent->name, "RightHand");
    const float expected[9] = {-0.47f, 1.42f, 0, -10.47f, 1.42f, 0, -0.47f, 11.42f, 0};
    for (int i = 0; i < 9; ++i)
        EXPECT_NEAR(gun->points[i], expected[i], 1e-4) << i;
    ExpectGunFollows(model, options, "RightHand");
}

// Found by shape, the figure's right forearm holds the gun; a model with no skeleton keeps it
// at its right side.
TEST(ImportFolder, ModelWithoutGunGetsOneInItsRightHandOrAtItsSideAndIsFittedToTheRobot) {
    TempDir dir;
    std::string error;
    ASSERT_TRUE(WriteImportedFolder(Import(SkinnedModel()), dir.File("data"), error)) << error;
    Mesh mesh;
    ASSERT_EQ(mesh.ReadFile(dir.File("data/model.ply")), 1);
    float low[3] = {HUGE_VALF, HUGE_VALF, HUGE_VALF},
          high[3] = {-HUGE_VALF, -HUGE_VALF, -HUGE_VALF};
    for (const Vec3& v : mesh.vertices) {
        const float c[3] = {v.x, v.y, v.z};
        for (int i = 0; i < 3; ++i) {
            low[i] = std::min(low[i], c[i]);
            high[i] = std::max(high[i], c[i]);
        }
    }
    float robotLow = HUGE_VALF, robotHigh = -HUGE_VALF;
    for (const Vec3& v : BuildRobotMesh(1).vertices) {
        robotLow = std::min(robotLow, v.y);
        robotHigh = std::max(robotHigh, v.y);
    }
    // Feet on the robot's ground; no taller than the robot, as its animations reach higher.
    EXPECT_NEAR(low[1], robotLow, 1e-3);
    EXPECT_LE(high[1], robotHigh + 1e-3);
    EXPECT_GT(high[1], robotLow + 0.5f * (robotHigh - robotLow));
    const MeshNode* gun = mesh.FindNode(NameHash("Gun"));
    ASSERT_NE(gun, nullptr);
    ASSERT_NE(gun->parent, nullptr);
    EXPECT_STREQ(gun->parent->name, "Forearm.R");
    EXPECT_LT(gun->points[0], (low[0] + high[0]) / 2) << "on the right, at negative x";

    ASSERT_TRUE(WriteImportedFolder(Import(StaticModel()), dir.File("static"), error)) << error;
    Mesh still;
    ASSERT_EQ(still.ReadFile(dir.File("static/model.ply")), 1);
    low[0] = HUGE_VALF;
    high[0] = -HUGE_VALF;
    for (const Vec3& v : still.vertices) {
        low[0] = std::min(low[0], v.x);
        high[0] = std::max(high[0], v.x);
    }
    gun = still.FindNode(NameHash("Gun"));
    ASSERT_NE(gun, nullptr);
    EXPECT_EQ(gun->parent, still.root);
    EXPECT_LT(gun->points[0], (low[0] + high[0]) / 2) << "on the right, at negative x";
}

TEST(ImportFolder, FailedWritesLeaveNothingAndExistingFilesAreNeverTouched) {
    TempDir dir;
    ImportedFolder folder;
    folder.files = {{"a.txt", "a"}, {"missing/b.txt", "b"}};
    std::string error;
    // A new folder is not made at all, and no temporary folder stays beside it.
    EXPECT_FALSE(WriteImportedFolder(folder, dir.File("new"), error));
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
    // An empty folder is emptied again.
    std::filesystem::create_directory(dir.File("empty"));
    EXPECT_FALSE(WriteImportedFolder(folder, dir.File("empty"), error));
    EXPECT_TRUE(std::filesystem::is_empty(dir.File("empty")));
    // A folder with something in it is refused before anything is written.
    std::filesystem::create_directory(dir.File("full"));
    dir.Write("full/a.txt", "mine");
    folder.files = {{"a.txt", "a"}};
    EXPECT_FALSE(WriteImportedFolder(folder, dir.File("full"), error));
    EXPECT_NE(error.find("not an empty folder"), std::string::npos) << error;
    EXPECT_EQ(dir.Read("full/a.txt"), "mine");
    EXPECT_TRUE(WriteImportedFolder(folder, dir.File("empty"), error));
    EXPECT_EQ(dir.Read("empty/a.txt"), "a");
}

}  // namespace
