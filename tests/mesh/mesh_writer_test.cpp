#include "assets/mesh_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/sample_mesh.h"
#include "tests/temp_dir.h"

namespace {

TEST(MeshWriter, WritesExactlyTheHandBuiltLayoutWithNodesInPreOrder) {
    const auto bytes = MeshFileBytes(SampleMeshSource());
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, SampleMeshBytes());
}

TEST(MeshWriter, RecordSizesAreThoseOfTheFormat) {
    MeshSource s = SampleMeshSource();
    const std::size_t base = MeshFileBytes(s)->size();
    s.materials.push_back({});
    EXPECT_EQ(MeshFileBytes(s)->size(), base + 42);
    s.faces[0].layers.push_back({});
    EXPECT_EQ(MeshFileBytes(s)->size(), base + 42 + 50);
    s.textures.push_back({"abc.tga", 64, -2});
    EXPECT_EQ(MeshFileBytes(s)->size(), base + 42 + 50 + 12);
}

TEST(MeshWriter, RefusesAParentThatIsNotAnEarlierNode) {
    MeshSource s = SampleMeshSource();
    s.nodes[1].parent = 1;
    EXPECT_FALSE(MeshFileBytes(s));
    s.nodes[1].parent = 5;
    EXPECT_FALSE(MeshFileBytes(s));
    s.nodes[1].parent = -2;
    TempDir dir;
    EXPECT_FALSE(WriteMeshFile(dir.File("bad.ply"), s));
    EXPECT_FALSE(std::filesystem::exists(dir.File("bad.ply")));
}

TEST(MeshWriter, TopLevelNodesBecomeTheRootsSiblingChain) {
    MeshSource s;
    s.AddNode("A", -1);
    s.AddNode("B", -1);
    s.AddNode("A1", 0);
    ByteBuilder expected;
    expected.Byte(1).Byte(1).Str("A").Floats({0, 0, 0, 0, 0, 0, 0, 0, 0}).Int(0);
    expected.Byte(0).Byte(0).Str("A1").Floats({0, 0, 0, 0, 0, 0, 0, 0, 0}).Int(0);
    expected.Byte(0).Byte(0).Str("B").Floats({0, 0, 0, 0, 0, 0, 0, 0, 0}).Int(0);
    const std::string bytes = *MeshFileBytes(s);
    // Header and five empty sections come first: 3 + 4 + 5 * 4 bytes.
    EXPECT_EQ(bytes.substr(27), expected.str());
}

}  // namespace
