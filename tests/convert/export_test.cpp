// Exporting data folders to glTF, read back with tinygltf: the actor's nodes, face groups,
// skin and keyframes; textures upright; clear failures; keyframes that TRS cannot hold.
#include <gtest/gtest.h>
#include <tiny_gltf.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include "assets/animation.h"
#include "assets/animation_writer.h"
#include "assets/image_writer.h"
#include "assets/mesh.h"
#include "assets/mesh_writer.h"
#include "tests/temp_dir.h"
#include "tools/content/content_writer.h"
#include "tools/convert/export_folder.h"
#include "tools/convert/export_trs.h"

namespace {

// An accessor's elements as doubles, whatever their component type.
std::vector<double> Values(const tinygltf::Model& model, int index) {
    const tinygltf::Accessor& a = model.accessors.at(static_cast<std::size_t>(index));
    const tinygltf::BufferView& view = model.bufferViews.at(static_cast<std::size_t>(a.bufferView));
    const unsigned char* p = model.buffers.at(static_cast<std::size_t>(view.buffer)).data.data() +
                             view.byteOffset + a.byteOffset;
    const std::size_t count = a.count * static_cast<std::size_t>(tinygltf::GetNumComponentsInType(
                                            static_cast<std::uint32_t>(a.type)));
    std::vector<double> out(count);
    for (std::size_t i = 0; i < count; ++i) {
        switch (a.componentType) {
            case TINYGLTF_COMPONENT_TYPE_FLOAT: {
                float f;
                std::memcpy(&f, p + 4 * i, 4);
                out[i] = f;
                break;
            }
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: {
                std::uint32_t u;
                std::memcpy(&u, p + 4 * i, 4);
                out[i] = u;
                break;
            }
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
                std::uint16_t u;
                std::memcpy(&u, p + 2 * i, 2);
                out[i] = u;
                break;
            }
            default:
                out[i] = p[i];
        }
    }
    return out;
}

int NodeNamed(const tinygltf::Model& model, const std::string& name) {
    for (std::size_t i = 0; i < model.nodes.size(); ++i) {
        if (model.nodes[i].name == name)
            return static_cast<int>(i);
    }
    return -1;
}

bool Contains(const std::vector<int>& list, int value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

tinygltf::Model Load(const std::string& path) {
    tinygltf::Model model;
    tinygltf::TinyGLTF loader;
    std::string error, warning;
    const bool binary = path.ends_with(".glb");
    const bool loaded = binary ? loader.LoadBinaryFromFile(&model, &error, &warning, path)
                               : loader.LoadASCIIFromFile(&model, &error, &warning, path);
    EXPECT_TRUE(loaded) << error;
    return model;
}

// glTF's translation * rotation * scale as the game's rows and translation: row i is the image
// of axis i, scaled, then turned by q (q v q*), worked out apart from the exporter's own math.
Transform FromTrs(const double* t, const double* q, const double* s) {
    const double x = q[0], y = q[1], z = q[2], w = q[3];
    Transform out;
    for (int i = 0; i < 3; ++i) {
        double v[3] = {0, 0, 0};
        v[i] = s[i];
        // t = 2 (q.xyz x v); v' = v + w t + q.xyz x t
        const double c[3] = {2 * (y * v[2] - z * v[1]), 2 * (z * v[0] - x * v[2]),
                             2 * (x * v[1] - y * v[0])};
        const double turned[3] = {v[0] + w * c[0] + (y * c[2] - z * c[1]),
                                  v[1] + w * c[1] + (z * c[0] - x * c[2]),
                                  v[2] + w * c[2] + (x * c[1] - y * c[0])};
        for (int k = 0; k < 3; ++k)
            out.r.m[3 * i + k] = static_cast<float>(turned[k]);
    }
    out.t = {static_cast<float>(t[0]), static_cast<float>(t[1]), static_cast<float>(t[2])};
    return out;
}

float Difference(const Transform& a, const Transform& b) {
    float d =
        std::max({std::fabs(a.t.x - b.t.x), std::fabs(a.t.y - b.t.y), std::fabs(a.t.z - b.t.z)});
    for (int i = 0; i < 9; ++i)
        d = std::max(d, std::fabs(a.r.m[i] - b.r.m[i]));
    return d;
}

class SampleExport : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir = new TempDir;
        std::string failed;
        ASSERT_TRUE(WriteContent(dir->File("data"), 1, failed)) << failed;
    }
    static void TearDownTestSuite() {
        delete dir;
        dir = nullptr;
    }
    static std::string Data(const std::string& name) { return dir->File("data/" + name); }

    static TempDir* dir;
};

TempDir* SampleExport::dir = nullptr;

TEST_F(SampleExport, ReadsBackAsTheActorsNodesFaceGroupsSkinAndKeyframes) {
    const std::string out = dir->File("robot.glb");
    std::string error;
    std::vector<std::string> notes;
    ASSERT_TRUE(ExportFolder(dir->File("data"), out, true, error, notes)) << error;
    EXPECT_TRUE(notes.empty()) << notes.front();
    const tinygltf::Model model = Load(out);

    Mesh robot;
    ASSERT_EQ(robot.ReadFile(Data("kordax.ply")), 1);
    // The game's own face groups, to compare the primitives with.
    ASSERT_EQ(robot.BuildGroupFile(dir->File("kordax.prs")), 1);

    // Node i is mesh node i, with its name and its children; the gun hangs on "Gun".
    ASSERT_GE(model.nodes.size(), robot.nodes.size() + 2);
    for (std::size_t i = 0; i < robot.nodes.size(); ++i) {
        EXPECT_EQ(model.nodes[i].name, robot.nodes[i]->name);
        for (const MeshNode* c = robot.nodes[i]->firstChild; c != nullptr; c = c->nextSibling)
            EXPECT_TRUE(Contains(model.nodes[i].children, NodeNamed(model, c->name))) << c->name;
    }
    const int gun = NodeNamed(model, "gun82");
    ASSERT_GE(gun, 0);
    EXPECT_TRUE(
        Contains(model.nodes[static_cast<std::size_t>(NodeNamed(model, "Gun"))].children, gun));
    EXPECT_GE(model.nodes[static_cast<std::size_t>(gun)].mesh, 0);

    // Every quad as two triangles, one primitive per face group in the game's order.
    const int holder = NodeNamed(model, "kordax");
    ASSERT_GE(holder, 0);
    const tinygltf::Node& node = model.nodes[static_cast<std::size_t>(holder)];
    ASSERT_EQ(node.skin, 0);
    const tinygltf::Mesh& mesh = model.meshes.at(static_cast<std::size_t>(node.mesh));
    ASSERT_EQ(mesh.primitives.size(), robot.groups.size());
    std::size_t triangles = 0;
    for (std::size_t g = 0; g < robot.groups.size(); ++g) {
        const tinygltf::Primitive& p = mesh.primitives[g];
        const tinygltf::Material& m = model.materials.at(static_cast<std::size_t>(p.material));
        EXPECT_EQ(model.accessors[static_cast<std::size_t>(p.indices)].count,
                  6u * static_cast<std::size_t>(robot.groups[g].faceCount));
        EXPECT_NEAR(m.pbrMetallicRoughness.baseColorFactor[0], robot.groups[g].diffuse[0], 1e-6);
        EXPECT_EQ(m.pbrMetallicRoughness.baseColorTexture.index >= 0,
                  robot.groups[g].textureIndex >= 0);
        triangles += model.accessors[static_cast<std::size_t>(p.indices)].count / 3;
    }
    EXPECT_EQ(triangles, 2u * static_cast<std::size_t>(robot.faceCount));

    // Each vertex is bound, with weight 1, to a joint whose mesh node owns a vertex there.
    const tinygltf::Primitive& first = mesh.primitives.front();
    const std::vector<double> positions = Values(model, first.attributes.at("POSITION"));
    const std::vector<double> joints = Values(model, first.attributes.at("JOINTS_0"));
    const std::vector<double> weights = Values(model, first.attributes.at("WEIGHTS_0"));
    for (std::size_t v = 0; v < positions.size() / 3; ++v) {
        const MeshNode& owner = *robot.nodes.at(static_cast<std::size_t>(joints[4 * v]));
        EXPECT_EQ(weights[4 * v], 1.0);
        EXPECT_TRUE(std::any_of(owner.vertices.begin(), owner.vertices.end(),
                                [&](int i) {
                                    const Vec3& p = robot.vertices[static_cast<std::size_t>(i)];
                                    return p.x == positions[3 * v] && p.y == positions[3 * v + 1] &&
                                           p.z == positions[3 * v + 2];
                                }))
            << "vertex " << v << " bound to " << owner.name;
    }

    // One animation per actor animation, frame f at f / 30 s, each frame's TRS the keyframe.
    const char* names[] = {"idle", "walk", "aim"};
    ASSERT_EQ(model.animations.size(), 3u);
    for (std::size_t a = 0; a < 3; ++a) {
        Animation source;
        ASSERT_EQ(source.Load(Data(std::string(names[a]) + ".anm")), 1);
        const tinygltf::Animation& animation = model.animations[a];
        EXPECT_EQ(animation.name, names[a]);
        const std::vector<double> times = Values(model, animation.samplers.at(0).input);
        ASSERT_EQ(times.size(), static_cast<std::size_t>(source.frameCount));
        for (std::size_t f = 0; f < times.size(); ++f) {
            EXPECT_LE(times[f], f / 30.0);
            EXPECT_NEAR(times[f], f / 30.0, 1e-6);
        }
        std::vector<std::vector<double>> trs(3);  // translation, rotation, scale of one node
        for (const tinygltf::AnimationChannel& channel : animation.channels) {
            const tinygltf::AnimationSampler& s =
                animation.samplers.at(static_cast<std::size_t>(channel.sampler));
            EXPECT_EQ(s.interpolation, "STEP");
            const int path = channel.target_path == "translation" ? 0
                             : channel.target_path == "rotation"  ? 1
                                                                  : 2;
            trs[static_cast<std::size_t>(path)] = Values(model, s.output);
            if (path != 2)
                continue;
            const MeshNode& n = *robot.nodes.at(static_cast<std::size_t>(channel.target_node));
            for (int f = 0; f < source.frameCount; ++f) {
                const auto i = static_cast<std::size_t>(f);
                EXPECT_LT(Difference(FromTrs(&trs[0][3 * i], &trs[1][4 * i], &trs[2][3 * i]),
                                     source.FindKey(n, f)),
                          2e-5f)
                    << names[a] << " " << n.name << " frame " << f;
            }
        }
    }
}

// A quad textured with a 2 x 2 TGA whose top left is blue, and one with the same picture as a
// BMP: the pixel at glTF (0, 0), the image's top left, is blue in both, and the mesh file's
// (0, 0) corner, which the game shows at that texel, has glTF coordinates (0, 0).
std::string WriteTexturedFolder(const TempDir& dir, const AnimationSource* animation) {
    const std::string folder = dir.File("textured");
    std::filesystem::create_directories(folder);
    // Bottom row first: red, green; then the top row: blue, white.
    const std::uint8_t bgr[] = {0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255};
    const std::uint8_t rgb[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    EXPECT_TRUE(WriteTga(folder + "/t.tga", 2, 2, 24, bgr, false));
    EXPECT_TRUE(WriteBmp24(folder + "/t.bmp", 2, 2, rgb));
    MeshSource mesh;
    mesh.materials.resize(1);
    mesh.textures = {{"t.tga", 2, 2}, {"t.bmp", 2, 2}};
    mesh.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    mesh.normals = {{0, 0, 1}};
    for (int texture = 0; texture < 2; ++texture) {
        FaceSource face;
        face.vertex[0] = 0, face.vertex[1] = 1, face.vertex[2] = 2, face.vertex[3] = 3;
        LayerSource layer;
        layer.textureIndex = texture;
        const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        std::memcpy(layer.uv, uv, sizeof uv);
        face.layers = {layer};
        mesh.faces.push_back(face);
    }
    mesh.AddNode("Root", -1);
    mesh.nodes[0].vertices = {0, 1, 2, 3};
    EXPECT_TRUE(WriteMeshFile(folder + "/m.ply", mesh));
    std::string descriptor = "actor\nm.ply\n0\n";
    if (animation != nullptr) {
        EXPECT_TRUE(WriteAnimationFile(folder + "/a.anm", *animation));
        descriptor = "actor\nm.ply\n1\na.anm\n";
    }
    dir.Write("textured/kordax.txt", descriptor);
    return folder;
}

TEST(GltfExport, TexturesComeOutUprightAsPng) {
    TempDir dir;
    const std::string folder = WriteTexturedFolder(dir, nullptr);
    std::string error;
    ASSERT_TRUE(ExportFolder(folder, dir.File("t.gltf"), false, error)) << error;
    const tinygltf::Model model = Load(dir.File("t.gltf"));
    EXPECT_TRUE(model.animations.empty());
    ASSERT_EQ(model.images.size(), 2u);
    for (const tinygltf::Image& image : model.images) {
        ASSERT_EQ(image.width, 2);
        ASSERT_GE(image.component, 3);
        EXPECT_EQ(image.image[0], 0) << image.name;
        EXPECT_EQ(image.image[1], 0) << image.name;
        EXPECT_EQ(image.image[2], 255) << image.name;
    }
    const tinygltf::Primitive& p = model.meshes.at(0).primitives.at(0);
    const std::vector<double> positions = Values(model, p.attributes.at("POSITION"));
    const std::vector<double> uvs = Values(model, p.attributes.at("TEXCOORD_0"));
    for (std::size_t v = 0; v < positions.size() / 3; ++v) {
        if (positions[3 * v] == 0 && positions[3 * v + 1] == 0) {
            EXPECT_EQ(uvs[2 * v], 0.0);
            EXPECT_EQ(uvs[2 * v + 1], 0.0);
        }
    }
}

TEST(GltfExport, KeyframesWithShearAreApproximatedWithANote) {
    // Rotation, unequal scales and a mirror are exact; shear is not.
    const float c = std::cos(0.5f), s = std::sin(0.5f);
    const Transform turned{Matrix3{{2 * c, 2 * s, 0, 3 * s, -3 * c, 0, 0, 0, 0.5f}}, {1, 2, 3}};
    const Trs exact = DecomposeTransform(turned);
    EXPECT_TRUE(exact.exact);
    EXPECT_LT(
        Difference(FromTrs(exact.translation.data(), exact.rotation.data(), exact.scale.data()),
                   turned),
        1e-6f);
    const Transform sheared{Matrix3{{1, 0, 0, 0.5f, 1, 0, 0, 0, 1}}, {}};
    EXPECT_FALSE(DecomposeTransform(sheared).exact);

    AnimationSource animation;
    animation.name = "lean";
    animation.tracks = {{"Root", {Transform::Identity, sheared}}};
    TempDir dir;
    const std::string folder = WriteTexturedFolder(dir, &animation);
    std::string error;
    std::vector<std::string> notes;
    ASSERT_TRUE(ExportFolder(folder, dir.File("t.glb"), false, error, notes)) << error;
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("\"Root\""), std::string::npos) << notes[0];
    EXPECT_NE(notes[0].find("shear"), std::string::npos) << notes[0];
}

TEST_F(SampleExport, FailuresGiveFalseAndOneLineNamingTheFile) {
    TempDir dir;
    std::filesystem::copy(SampleExport::dir->File("data"), dir.File("data"));
    std::filesystem::create_directories(dir.File("prop"));
    dir.Write("prop/kordax.txt", "prop\ngun82.ply\n");
    std::filesystem::create_directories(dir.File("nomesh"));
    dir.Write("nomesh/kordax.txt", "actor\nmissing.ply\n0\n");
    std::filesystem::create_directories(dir.File("empty"));
    struct Case {
        std::string folder;
        std::string out;
        bool withGun;
        std::string named;  // what the line must mention
    };
    const Case cases[] = {
        {dir.File("nowhere"), dir.File("a.glb"), false, "nowhere"},
        {dir.File("empty"), dir.File("a.glb"), false, "kordax.txt"},
        {dir.File("prop"), dir.File("a.glb"), false, "kordax.txt"},
        {dir.File("nomesh"), dir.File("a.glb"), false, "missing.ply"},
        {dir.File("data"), dir.File("a.obj"), false, "a.obj"},
        {dir.File("data"), dir.File("no/such/folder/a.glb"), false, "a.glb"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(ExportFolder(c.folder, c.out, c.withGun, error)) << c.folder;
        EXPECT_NE(error.find(c.named), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
    // The sample folder without its gun descriptor.
    std::filesystem::remove(dir.File("data/gun82.txt"));
    std::string error;
    EXPECT_FALSE(ExportFolder(dir.File("data"), dir.File("b.glb"), true, error));
    EXPECT_NE(error.find("gun82.txt"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(dir.File("a.glb")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("b.glb")));
}

}  // namespace
