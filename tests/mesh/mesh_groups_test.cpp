#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "assets/atomic_file.h"
#include "assets/mesh.h"
#include "tests/support/byte_builder.h"
#include "tests/support/sample_mesh.h"
#include "tests/temp_dir.h"

namespace {

// Material colours chosen so every group's colours tell which material it took.
constexpr float kShininess[2] = {32.0f, 4.0f};
constexpr float kSpecular[2][3] = {{0.1f, 0.2f, 0.3f}, {0.4f, 0.5f, 0.6f}};
constexpr float kDiffuse[2][3] = {{0.7f, 0.8f, 0.9f}, {1.0f, 0.0f, 0.5f}};

// An in-memory mesh whose vertices are the corners of a cube of side 2 around `centre`, with
// one face per (material, texture) entry; texture -1 means a face without layers.
Mesh GroupMesh(const std::vector<std::pair<int, int>>& faces, int textureCount,
               Vec3 centre = {100, -50, 7}) {
    Mesh mesh;
    mesh.materialCount = 2;
    mesh.materials.resize(2);
    for (int m = 0; m < 2; ++m) {
        mesh.materials[m].shininess = kShininess[m];
        for (int c = 0; c < 3; ++c) {
            mesh.materials[m].specular[c] = kSpecular[m][c];
            mesh.materials[m].diffuse[c] = kDiffuse[m][c];
        }
    }
    mesh.textureCount = textureCount;
    mesh.textures = std::make_unique<Texture[]>(static_cast<std::size_t>(textureCount));
    for (const float dx : {-1.0f, 1.0f}) {
        for (const float dy : {-1.0f, 1.0f}) {
            for (const float dz : {-1.0f, 1.0f}) {
                mesh.vertices.push_back({centre.x + dx, centre.y + dy, centre.z + dz});
            }
        }
    }
    mesh.vertexCount = 8;
    mesh.normals = {{0, 0, 1}};
    mesh.normalCount = 1;
    mesh.vertexToNormal.assign(8, 0);
    for (const auto& [material, texture] : faces) {
        Face face{
            material, {0, 1, 3, 2}, {0, 0, 0, 0}, 0, static_cast<std::int32_t>(mesh.layers.size())};
        if (texture != -1) {
            face.layerCount = 2;  // only the first layer decides
            mesh.layers.push_back({texture, {}, {}, {}});
            mesh.layers.push_back({-1, {}, {}, {}});
        }
        mesh.faces.push_back(face);
    }
    mesh.faceCount = static_cast<std::int32_t>(faces.size());
    return mesh;
}

void AppendGroup(ByteBuilder& b, int material, int texture,
                 std::initializer_list<std::int64_t> faces) {
    b.Float(kShininess[material]);
    for (float c : kSpecular[material]) {
        b.Float(c);
    }
    for (float c : kDiffuse[material]) {
        b.Float(c);
    }
    b.Int(texture).Int(static_cast<std::int64_t>(faces.size())).Ints(faces);
}

struct GroupView {
    int texture;
    float shininess;
    std::vector<std::int32_t> faces;
    friend bool operator==(const GroupView&, const GroupView&) = default;
};

std::vector<GroupView> Groups(const Mesh& mesh) {
    std::vector<GroupView> out;
    for (const FaceGroup& g : mesh.groups) {
        EXPECT_EQ(g.faceCount, static_cast<std::int32_t>(g.faces.size()));
        out.push_back({g.textureIndex, g.shininess, g.faces});
    }
    EXPECT_EQ(mesh.groupCount, static_cast<std::int32_t>(out.size()));
    return out;
}

ino_t Inode(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_ino;
}

TEST(MeshGroups, GroupsByMaterialAndTextureWithTexturesAscendingFromMinusOne) {
    // Materials 0, 1, 0 without layers, then material 0 with texture 0, then material 1 again.
    Mesh mesh = GroupMesh({{0, -1}, {1, -1}, {0, -1}, {0, 0}, {0, 0}, {1, -1}}, 1);
    TempDir dir;
    ASSERT_EQ(mesh.BuildGroupFile(dir.File("m.prs")), 1);

    ByteBuilder expected;
    expected.Float(std::sqrt(3.0f)).Int(3);
    AppendGroup(expected, 0, -1, {0, 2});
    AppendGroup(expected, 1, -1, {1, 5});
    AppendGroup(expected, 0, 0, {3, 4});
    EXPECT_EQ(dir.Read("m.prs"), expected.str());
    EXPECT_FALSE(std::filesystem::exists(AtomicFile::TemporaryName(dir.File("m.prs"))));

    Mesh fresh = GroupMesh({{0, -1}, {1, -1}, {0, -1}, {0, 0}, {0, 0}, {1, -1}}, 1);
    ASSERT_EQ(fresh.ReadGroupFile(dir.File("m.prs")), 1);
    const std::vector<GroupView> want = {{-1, 32, {0, 2}}, {-1, 4, {1, 5}}, {0, 32, {3, 4}}};
    EXPECT_EQ(Groups(fresh), want);
    EXPECT_EQ(Groups(mesh), want);  // the builder keeps what it wrote
    EXPECT_EQ(fresh.groups[1].specular[2], 0.6f);
    EXPECT_EQ(fresh.groups[1].diffuse[0], 1.0f);
}

TEST(MeshGroups, PairsOfOneTextureKeepTheirOrderOfFirstAppearance) {
    Mesh mesh = GroupMesh({{1, 2}, {0, 1}, {0, 2}, {1, -1}, {1, 1}, {0, -1}, {1, 2}}, 3);
    TempDir dir;
    ASSERT_EQ(mesh.BuildGroupFile(dir.File("m.prs")), 1);
    const std::vector<GroupView> want = {{-1, 4, {3}}, {-1, 32, {5}},  {1, 32, {1}},
                                         {1, 4, {4}},  {2, 4, {0, 6}}, {2, 32, {2}}};
    EXPECT_EQ(Groups(mesh), want);
}

// 10000 x (material + 1) + texture would make (material 0, texture 9999) the same pair as
// (material 1, no texture).
TEST(MeshGroups, PairsStayApartWhateverTheirIndices) {
    Mesh mesh = GroupMesh({{0, 9999}, {1, -1}}, 10000);
    TempDir dir;
    ASSERT_EQ(mesh.BuildGroupFile(dir.File("m.prs")), 1);
    const std::vector<GroupView> want = {{-1, 4, {1}}, {9999, 32, {0}}};
    EXPECT_EQ(Groups(mesh), want);
}

TEST(MeshGroups, MeshWithoutTexturesHasOnlyMinusOneGroups) {
    TempDir dir;
    dir.Write("s.ply", SampleMeshBytes());
    Mesh mesh;
    TextureParams params;
    ASSERT_EQ(mesh.Load(dir.File("s.ply"), params), 1);
    ASSERT_EQ(mesh.BuildGroupFile(dir.File("s.prs")), 1);
    ASSERT_EQ(mesh.ReadGroupFile(dir.File("s.prs")), 1);
    // Face 1's only layer has texture -1, so it joins the faces without layers.
    const std::vector<GroupView> want = {{-1, 128, {0}}, {-1, 32, {1}}};
    EXPECT_EQ(Groups(mesh), want);
}

TEST(MeshGroups, RadiusOfACubeOfSideTwoIsTheSquareRootOfThree) {
    for (const Vec3 centre : {Vec3{0, 0, 0}, Vec3{100, -50, 7}, Vec3{-3.5f, 1024, 0.25f}}) {
        Mesh mesh = GroupMesh({{0, -1}}, 0, centre);
        TempDir dir;
        ASSERT_EQ(mesh.BuildGroupFile(dir.File("c.prs")), 1);
        EXPECT_FLOAT_EQ(mesh.radius, std::sqrt(3.0f));
    }
    // The mean is over all vertices, so an outlying vertex moves the centre too.
    Mesh mesh = GroupMesh({{0, -1}}, 0, {0, 0, 0});
    mesh.vertices.push_back({9, 0, 0});
    mesh.vertexCount = 9;
    TempDir dir;
    ASSERT_EQ(mesh.BuildGroupFile(dir.File("c.prs")), 1);
    EXPECT_FLOAT_EQ(mesh.radius, 8.0f);  // mean (1, 0, 0)
}

TEST(MeshGroups, ValidExistingFileIsNeverRewrittenEvenWhenTheMeshChanged) {
    TempDir dir;
    const std::string path = dir.File("m.prs");
    Mesh first = GroupMesh({{0, -1}, {1, 0}}, 1);
    ASSERT_EQ(first.BuildGroupFile(path), 1);
    const std::string bytes = dir.Read("m.prs");
    const ino_t inode = Inode(path);

    Mesh changed = GroupMesh({{1, -1}, {1, -1}, {0, -1}}, 1, {500, 0, 0});
    changed.vertices[0] = {0, 0, 0};
    ASSERT_EQ(changed.BuildGroupFile(path), 1);
    EXPECT_EQ(dir.Read("m.prs"), bytes);
    EXPECT_EQ(Inode(path), inode);
    EXPECT_EQ(changed.groupCount, 0);  // nothing computed: the file is what counts
    ASSERT_EQ(changed.ReadGroupFile(path), 1);
    EXPECT_EQ(changed.radius, first.radius);
    EXPECT_EQ(Groups(changed), Groups(first));
}

TEST(MeshGroups, ReadReplacesGroupsAndRadiusWithTheFilesValues) {
    ByteBuilder b;
    b.Float(12.5f).Int(1).Floats({1, 2, 3, 4, 5, 6, 7}).Int(-1).Int(3).Ints({2, 0, 1});
    TempDir dir;
    dir.Write("h.prs", b.str());
    Mesh mesh = GroupMesh({{0, -1}, {1, -1}, {0, -1}}, 0);
    ASSERT_EQ(mesh.BuildGroupFile(dir.File("other.prs")), 1);
    ASSERT_EQ(mesh.ReadGroupFile(dir.File("h.prs")), 1);
    EXPECT_EQ(mesh.radius, 12.5f);
    ASSERT_EQ(mesh.groupCount, 1);
    const FaceGroup& g = mesh.groups[0];
    EXPECT_EQ(g.shininess, 1.0f);
    EXPECT_EQ(g.specular[2], 4.0f);
    EXPECT_EQ(g.diffuse[0], 5.0f);
    EXPECT_EQ(g.diffuse[2], 7.0f);
    EXPECT_EQ(g.faces, (std::vector<std::int32_t>{2, 0, 1}));
}

// Files that do not fit the mesh: ReadGroupFile refuses them and keeps the groups it had;
// BuildGroupFile replaces them with the groups of the mesh.
TEST(MeshGroups, UnfitFilesAreRefusedAndRebuilt) {
    const auto meshOf = [] { return GroupMesh({{0, -1}, {1, 0}, {0, 1}}, 2); };
    TempDir dir;
    Mesh reference = meshOf();
    ASSERT_EQ(reference.BuildGroupFile(dir.File("ref.prs")), 1);
    const std::string good = dir.Read("ref.prs");
    // Layout: radius, count, then groups (-1: face 0), (0: face 1), (1: face 2), 40 bytes each.
    const auto withInt = [&](std::size_t at, std::int64_t v) {
        ByteBuilder b;
        b.Int(v);
        std::string s = good;
        s.replace(at, 4, b.str());
        return s;
    };
    const std::size_t group1 = 8 + 40;
    std::vector<std::pair<std::string, std::string>> cases = {
        {"face index = count", withInt(group1 + 36, 3)},
        {"face index < 0", withInt(group1 + 36, -1)},
        {"texture = count", withInt(group1 + 28, 2)},
        {"texture < -1", withInt(group1 + 28, -2)},
        {"no groups", withInt(4, 0)},
        {"negative group count", withInt(4, -1)},
        {"group count beyond the file", withInt(4, 0x7FFFFFFF)},
        {"face count beyond the file", withInt(group1 + 32, 0x40000000)},
        {"negative face count", withInt(group1 + 32, -1)},
        {"face count short of the file", withInt(group1 + 32, 0)},
        {"NaN radius", withInt(0, 0x7FC00000)},
        {"negative radius", withInt(0, static_cast<std::int64_t>(0xBF800000))},
        {"trailing byte", good + '\0'},
        {"empty", ""},
    };
    for (std::size_t size = 1; size < good.size(); ++size) {
        cases.push_back({"cut at " + std::to_string(size), good.substr(0, size)});
    }
    for (const auto& [what, bytes] : cases) {
        dir.Write("m.prs", bytes);
        Mesh mesh = meshOf();
        mesh.radius = 77.0f;
        ASSERT_EQ(mesh.ReadGroupFile(dir.File("m.prs")), 0) << what;
        EXPECT_EQ(mesh.radius, 77.0f) << what;
        EXPECT_EQ(mesh.groupCount, 0) << what;
        ASSERT_EQ(mesh.BuildGroupFile(dir.File("m.prs")), 1) << what;
        EXPECT_EQ(dir.Read("m.prs"), good) << what;
        EXPECT_EQ(mesh.ReadGroupFile(dir.File("m.prs")), 1) << what;
    }
    EXPECT_FALSE(std::filesystem::exists(AtomicFile::TemporaryName(dir.File("m.prs"))));
}

TEST(MeshGroups, FolderThatCannotBeWrittenStillLeavesTheGroupsInTheMesh) {
    TempDir dir;
    const std::string path = (dir.Path() / "missing-folder" / "m.prs").string();
    Mesh mesh = GroupMesh({{0, -1}, {1, 0}}, 1);
    EXPECT_EQ(mesh.BuildGroupFile(path), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
    const std::vector<GroupView> want = {{-1, 32, {0}}, {0, 4, {1}}};
    EXPECT_EQ(Groups(mesh), want);
    EXPECT_FLOAT_EQ(mesh.radius, std::sqrt(3.0f));
    EXPECT_EQ(mesh.ReadGroupFile(path), 0);
    EXPECT_EQ(Groups(mesh), want);
}

TEST(MeshGroups, MeshThatNeverLoadedWritesAndReadsNothing) {
    TempDir dir;
    Mesh reference = GroupMesh({{0, -1}}, 0);
    ASSERT_EQ(reference.BuildGroupFile(dir.File("ok.prs")), 1);
    Mesh empty;
    EXPECT_EQ(empty.BuildGroupFile(dir.File("m.prs")), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.File("m.prs")));
    EXPECT_EQ(empty.ReadGroupFile(dir.File("ok.prs")), 0);
    EXPECT_EQ(empty.groupCount, 0);
    EXPECT_EQ(empty.ReadGroupFile(dir.File("none.prs")), 0);
}

}  // namespace
