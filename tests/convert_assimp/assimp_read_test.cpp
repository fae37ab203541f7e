// Models written by the asset import library's own exporters, read back through the child.
#include <cmath>
#include <fstream>
#include <regex>

#include <gtest/gtest.h>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include "tests/convert_assimp/assimp_models.h"
#include "tests/temp_dir.h"
#include "tools/convert/assimp_animation.h"
#include "tools/convert/assimp_reader.h"

namespace {

int NodeNamed(const Scene& scene, const std::string& name) {
    for (std::size_t n = 0; n < scene.nodes.size(); ++n)
        if (scene.nodes[n].name == name)
            return static_cast<int>(n);
    return -1;
}

Affine World(const Scene& scene, int node) {
    Affine world;
    for (int n = node; n != -1; n = scene.nodes[static_cast<std::size_t>(n)].parent)
        world = scene.nodes[static_cast<std::size_t>(n)].rest.Local() * world;
    return world;
}

// Where a vertex of a mesh stands at rest, by glTF's rule.
Vec3d RestPosition(const Scene& scene, const SceneMesh& mesh, std::size_t v) {
    if (mesh.skin < 0)
        return World(scene, mesh.node).Point(mesh.positions[v]);
    const SceneSkin& skin = scene.skins[static_cast<std::size_t>(mesh.skin)];
    Vec3d sum = {0, 0, 0};
    for (const SceneInfluence& influence : mesh.influences[v]) {
        const auto j = static_cast<std::size_t>(influence.joint);
        const Vec3d p =
            (World(scene, skin.joints[j]) * skin.inverseBinds[j]).Point(mesh.positions[v]);
        for (int i = 0; i < 3; ++i)
            sum[i] += influence.weight * p[i];
    }
    return sum;
}

// The index of the mesh's vertex that stands at `where` at rest.
std::size_t VertexAt(const Scene& scene, const SceneMesh& mesh, const Vec3d& where) {
    for (std::size_t v = 0; v < mesh.positions.size(); ++v) {
        const Vec3d p = RestPosition(scene, mesh, v);
        if (std::abs(p[0] - where[0]) + std::abs(p[1] - where[1]) + std::abs(p[2] - where[2]) <
            1e-4)
            return v;
    }
    ADD_FAILURE() << "no vertex at " << where[0] << " " << where[1] << " " << where[2];
    return 0;
}

const SceneChannel* FindChannel(const SceneAnimation& animation, int node, ScenePath path) {
    for (const SceneChannel& channel : animation.channels)
        if (channel.node == node && channel.path == path)
            return &channel;
    return nullptr;
}

std::vector<double> LastValue(const SceneChannel& channel) {
    const std::size_t width = channel.values.size() / channel.times.size();
    return {channel.values.end() - static_cast<std::ptrdiff_t>(width), channel.values.end()};
}

void ExpectNear(const std::vector<double>& actual, const std::vector<double>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-4) << "component " << i;
}

Scene Read(const std::string& path) {
    Scene scene;
    std::string error;
    EXPECT_TRUE(ReadWithAssimp(path, scene, error)) << error;
    return scene;
}

constexpr double kHalfRoot2 = 0.70710678;

// Of the library's exporters only FBX writes animations that its readers take back.
TEST(AssimpSkinned, KeepsBlendedWeightsInverseBindsAndBothAnimations) {
    TempDir dir;
    const std::string path = dir.File("character.fbx");
    ASSERT_EQ(ExportWithAssimp(*AssimpSkinnedCharacter(), "fbxa", path), "");
    const Scene scene = Read(path);
    // FBX counts in centimetres unless it says otherwise, and the exporter says nothing.
    const double unit = 0.01;

    ASSERT_EQ(scene.meshes.size(), 1u);
    const SceneMesh& mesh = scene.meshes[0];
    ASSERT_GE(mesh.skin, 0);
    const SceneSkin& skin = scene.skins[static_cast<std::size_t>(mesh.skin)];
    const int hips = NodeNamed(scene, "Hips"), arm = NodeNamed(scene, "Arm");
    ASSERT_GE(hips, 0);
    ASSERT_GE(arm, 0);
    const std::size_t blended = VertexAt(scene, mesh, {0, 1.5 * unit, 0});
    std::map<int, double> weights;
    for (const SceneInfluence& influence : mesh.influences[blended])
        if (influence.weight > 0)
            weights[skin.joints[static_cast<std::size_t>(influence.joint)]] = influence.weight;
    ASSERT_EQ(weights.size(), 2u);
    EXPECT_NEAR(weights[hips], 0.25, 1e-6);
    EXPECT_NEAR(weights[arm], 0.75, 1e-6);
    VertexAt(scene, mesh, {0, 2 * unit, 0});
    VertexAt(scene, mesh, {-0.2 * unit, 1 * unit, 0});

    ASSERT_EQ(scene.animations.size(), 2u);
    const SceneAnimation& walk = scene.animations[0];
    const SceneAnimation& wave = scene.animations[1];
    EXPECT_NE(walk.name.find("Walk"), std::string::npos) << walk.name;
    EXPECT_NE(wave.name.find("Wave"), std::string::npos) << wave.name;
    const SceneChannel* move = FindChannel(walk, hips, ScenePath::kTranslation);
    ASSERT_NE(move, nullptr);
    EXPECT_NEAR(move->times.front(), 0, 1e-6);
    EXPECT_NEAR(move->times.back(), 1, 1e-3);
    ExpectNear(LastValue(*move), {0, 1.2, 0});
    const SceneChannel* turn = FindChannel(wave, arm, ScenePath::kRotation);
    ASSERT_NE(turn, nullptr);
    EXPECT_NEAR(turn->times.back(), 1, 1e-3);
    std::vector<double> q = LastValue(*turn);
    if (q[3] < 0)
        for (double& v : q)
            v = -v;
    ExpectNear(q, {0, 0, kHalfRoot2, kHalfRoot2});
    // Every animated node has all three parts, and translation, rotation and scale at rest.
    for (const SceneAnimation* animation : {&walk, &wave}) {
        for (const SceneChannel& channel : animation->channels) {
            EXPECT_FALSE(scene.nodes[static_cast<std::size_t>(channel.node)].rest.matrix);
            for (ScenePath path :
                 {ScenePath::kTranslation, ScenePath::kRotation, ScenePath::kScale})
                EXPECT_NE(FindChannel(*animation, channel.node, path), nullptr);
        }
    }
}

TEST(AssimpNodeAnimation, TicksBecomeSecondsAndKeysKeepTheirValues) {
    TempDir dir;
    const std::string path = dir.File("spinner.fbx");
    ASSERT_EQ(ExportWithAssimp(*AssimpNodeAnimatedModel(), "fbxa", path), "");
    const Scene scene = Read(path);
    const int spinner = NodeNamed(scene, "Spinner");
    ASSERT_GE(spinner, 0);
    ASSERT_EQ(scene.animations.size(), 1u);
    const SceneAnimation& spin = scene.animations[0];
    const SceneChannel* move = FindChannel(spin, spinner, ScenePath::kTranslation);
    const SceneChannel* turn = FindChannel(spin, spinner, ScenePath::kRotation);
    ASSERT_NE(move, nullptr);
    ASSERT_NE(turn, nullptr);
    EXPECT_NEAR(move->times.back(), 1, 1e-3);
    EXPECT_NEAR(turn->times.back(), 1, 1e-3);
    ExpectNear(LastValue(*move), {1, 0, 0});
    std::vector<double> q = LastValue(*turn);
    if (q[3] < 0)
        for (double& v : q)
            v = -v;
    ExpectNear(q, {0, kHalfRoot2, 0, kHalfRoot2});
}

// A file that gives no tick rate counts 25 ticks a second; parts without keys hold their rest.
TEST(AssimpNodeAnimation, UnsetTickRateIs25AndMissingPartsHoldTheRest) {
    Scene scene;
    scene.nodes.resize(1);
    scene.nodes[0].rest.translation = {1, 2, 3};
    scene.nodes[0].rest.scale = {2, 2, 2};
    aiAnimation animation;
    animation.mTicksPerSecond = 0;
    animation.mNumChannels = 1;
    animation.mChannels = new aiNodeAnim* [1] { new aiNodeAnim };
    aiNodeAnim& track = *animation.mChannels[0];
    track.mNodeName = "Lid";
    track.mNumRotationKeys = 2;
    track.mRotationKeys = new aiQuatKey[2]{{25, aiQuaternion()}, {50, aiQuaternion(0, 1, 0, 0)}};
    const SceneAnimation out = ConvertAnimation(animation, "box", {{"Lid", 0}}, scene);
    EXPECT_EQ(out.name, "box");
    ASSERT_EQ(out.channels.size(), 3u);
    EXPECT_EQ(out.channels[1].times, (std::vector<double>{1, 2}));
    EXPECT_EQ(out.channels[1].values, (std::vector<double>{0, 0, 0, 1, 1, 0, 0, 0}));
    EXPECT_EQ(out.channels[0].times, (std::vector<double>{1}));
    EXPECT_EQ(out.channels[0].values, (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(out.channels[2].values, (std::vector<double>{2, 2, 2}));
}

// A 2 x 2 uncompressed TGA, rows bottom first: bottom red, green; top blue, white.
std::string SmallTga() {
    std::string tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0};
    const char pixels[] = {0, 0, '\xff', 0, '\xff', 0, '\xff', 0, 0, '\xff', '\xff', '\xff'};
    return tga + std::string(pixels, sizeof pixels);
}

const std::vector<std::uint8_t> kTopBlueWhiteBottomRedGreen = {0,   0, 255, 255, 255, 255,
                                                               255, 0, 0,   0,   255, 0};

TEST(AssimpTextures, ExternalNameWithBackSlashesAndOtherCaseIsFoundInTheModelsFolder) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "maps");
    dir.Write("maps/skin.tga", SmallTga());
    ASSERT_EQ(
        ExportWithAssimp(*AssimpTexturedModel(".\\Maps\\Skin.TGA"), "obj", dir.File("panel.obj")),
        "");
    const Scene scene = Read(dir.File("panel.obj"));
    ASSERT_EQ(scene.meshes.size(), 1u);
    const int material = scene.meshes[0].material;
    ASSERT_GE(material, 0);
    const int image = scene.materials[static_cast<std::size_t>(material)].image;
    ASSERT_EQ(image, 0);
    EXPECT_EQ(scene.images[0].width, 2);
    EXPECT_EQ(scene.images[0].rgb, kTopBlueWhiteBottomRedGreen);
    EXPECT_EQ(scene.images[0].name, "Skin");
    const std::vector<std::string> sources = {
        std::filesystem::canonical(dir.File("panel.obj")).string(),
        std::filesystem::canonical(dir.File("panel.mtl")).string(),
        std::filesystem::canonical(dir.File("maps/skin.tga")).string()};
    EXPECT_EQ(scene.sources, sources);
    // The image's top row is v = 0: the vertex at the file's v = 1 maps there.
    const auto& uvs = scene.meshes[0].uvs;
    ASSERT_EQ(uvs.size(), 3u);
    std::vector<std::array<double, 2>> sorted(uvs.begin(), uvs.end());
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<std::array<double, 2>>{{0, 0}, {0, 1}, {1, 1}}));
}

TEST(AssimpTextures, NamesLeadingOutOfTheFolderAreSkippedWithANote) {
    for (const std::string name :
         {"../skin.tga", "/tmp/skin.tga", "file:///tmp/skin.tga", "C:\\Art\\skin.tga"}) {
        TempDir dir;
        std::filesystem::create_directory(dir.Path() / "model");
        dir.Write("skin.tga", SmallTga());
        ASSERT_EQ(ExportWithAssimp(*AssimpTexturedModel(name), "obj", dir.File("model/panel.obj")),
                  "");
        const Scene scene = Read(dir.File("model/panel.obj"));
        ASSERT_EQ(scene.meshes.size(), 1u) << name;
        EXPECT_TRUE(scene.images.empty()) << name;
        EXPECT_EQ(scene.materials[static_cast<std::size_t>(scene.meshes[0].material)].image, -1);
        ASSERT_EQ(scene.notes.size(), 1u) << name;
        EXPECT_EQ(scene.notes[0].rfind("skipped the texture \"" + name + "\": ", 0), 0u)
            << scene.notes[0];
    }
}

TEST(AssimpTextures, EmbeddedImageIsDecodedByTheParent) {
    TempDir dir;
    auto model = AssimpTexturedModel("*0");
    const std::uint8_t rgb[12] = {0, 0, 255, 255, 255, 255, 255, 0, 0, 0, 255, 0};
    int size = 0;
    unsigned char* png = stbi_write_png_to_mem(rgb, 6, 2, 2, 3, &size);
    ASSERT_NE(png, nullptr);
    // The library's FBX reader (5.2) crashes on embedded bytes of a length divisible by 3 (its
    // base64 decoder): a zero byte after the PNG's end keeps this test on the path it tests.
    const unsigned length = static_cast<unsigned>(size) + (size % 3 == 0 ? 1 : 0);
    auto* texture = new aiTexture;
    texture->mWidth = length;
    texture->mHeight = 0;
    std::strcpy(texture->achFormatHint, "png");
    texture->pcData = reinterpret_cast<aiTexel*>(new std::uint8_t[length]{});
    std::memcpy(texture->pcData, png, static_cast<std::size_t>(size));
    STBIW_FREE(png);
    model->mNumTextures = 1;
    model->mTextures = new aiTexture* [1] { texture };
    ASSERT_EQ(ExportWithAssimp(*model, "fbxa", dir.File("panel.fbx")), "");
    const Scene scene = Read(dir.File("panel.fbx"));
    ASSERT_EQ(scene.images.size(), 1u);
    EXPECT_EQ(scene.materials[static_cast<std::size_t>(scene.meshes[0].material)].image, 0);
    EXPECT_EQ(scene.images[0].rgb, kTopBlueWhiteBottomRedGreen);
    EXPECT_EQ(scene.sources.size(), 1u);
}

// The file's up axis and unit: the 1.8 m figure stands along +Y in metres.
TEST(AssimpAxes, ZUpCentimetreFilesStandUpInMetres) {
    TempDir dir;
    ASSERT_EQ(ExportWithAssimp(*AssimpZUpCentimetreModel(), "collada", dir.File("tall.dae")), "");
    // The FBX exporter leaves the root's axes out of its header: say them as a Z-up tool does.
    ASSERT_EQ(ExportWithAssimp(*AssimpZUpCentimetreModel(), "fbxa", dir.File("plain.fbx")), "");
    std::string fbx = dir.Read("plain.fbx");
    for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
             {"\"UpAxis\", \"int\", \"Integer\", \"\", 1",
              "\"UpAxis\", \"int\", \"Integer\", \"\", 2"},
             {"\"FrontAxis\", \"int\", \"Integer\", \"\", 2",
              "\"FrontAxis\", \"int\", \"Integer\", \"\", 1"},
             {"\"FrontAxisSign\", \"int\", \"Integer\", \"\", 1",
              "\"FrontAxisSign\", \"int\", \"Integer\", \"\", -1"}}) {
        const std::size_t at = fbx.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        fbx.replace(at, from.size(), to);
    }
    dir.Write("tall.fbx", fbx);
    for (const std::string name : {"tall.dae", "tall.fbx"}) {
        const Scene scene = Read(dir.File(name));
        ASSERT_EQ(scene.meshes.size(), 1u) << name;
        const SceneMesh& mesh = scene.meshes[0];
        VertexAt(scene, mesh, {0, 0, 0});
        VertexAt(scene, mesh, {0.5, 0, 0});
        VertexAt(scene, mesh, {0, 1.8, 0});
    }
}

TEST(AssimpRefusal, AFileWithoutGeometryIsRefusedInOneLine) {
    TempDir dir;
    dir.Write("motion.bvh",
              "HIERARCHY\nROOT Hips\n{\n  OFFSET 0 0 0\n  CHANNELS 3 Xposition Yposition "
              "Zposition\n  End Site\n  {\n    OFFSET 0 1 0\n  }\n}\nMOTION\nFrames: 2\nFrame "
              "Time: 0.5\n0 0 0\n0 1 0\n");
    Scene scene;
    std::string error;
    EXPECT_FALSE(ReadWithAssimp(dir.File("motion.bvh"), scene, error));
    EXPECT_EQ(error, dir.File("motion.bvh") +
                         " could not be read: it has no geometry (no meshes of triangles)");
    EXPECT_TRUE(scene.nodes.empty());
}

}  // namespace
