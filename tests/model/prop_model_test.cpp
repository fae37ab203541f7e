// Prop models: the binary bounds tree over the mesh's faces and its ".kdt" cache file.
#include <gtest/gtest.h>

#include <filesystem>

#include "model/prop_model.h"
#include "tests/model/expected_records.h"
#include "tests/support/model_meshes.h"
#include "tests/temp_dir.h"

namespace {

// `faces` unit quads side by side along x, plus one vertex that no face uses.
MeshSource Strip(int faces) {
    MeshSource s = OneMaterial();
    const auto root = s.AddNode("Gun", -1);
    for (int i = 0; i < faces; ++i)
        AddQuad(s, {2.0f * static_cast<float>(i), 0, 0}, root);
    s.vertices.push_back({-50, 70, 3});
    return s;
}

struct Prop {
    TempDir dir;
    PropModel model;

    int Load(const MeshSource& mesh) {
        EXPECT_TRUE(WriteMeshFile(dir.File("gun.ply"), mesh));
        model.LoadMesh(dir.File("gun.ply"), defaultTextureParams);
        return model.LoadBounds(dir.File("gun.kdt"), PropModel::kLeafSize);
    }
};

std::vector<int> AllIndices(const MeshSource& s) {
    std::vector<int> all(s.vertices.size());
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<int>(i);
    return all;
}

TEST(PropModel, TenFacesGiveA148ByteFileHoldingTheRootRecordOfEveryVertex) {
    Prop p;
    const MeshSource mesh = Strip(10);
    EXPECT_EQ(p.Load(mesh), 1);
    ByteWriter w;
    ExpectedBox::Of(mesh.vertices, AllIndices(mesh)).Put(w);
    w.I32(0);
    EXPECT_EQ(p.dir.Read("gun.kdt"), w.Bytes());
    EXPECT_EQ(w.Bytes().size(), 148u);
    // The root encloses the vertex that no face uses.
    EXPECT_EQ(p.model.bounds.slabs[1].max, 70.0f);
    EXPECT_EQ(p.model.bounds.children, nullptr);
}

TEST(PropModel, ElevenFacesSplitAndTheChildrenEncloseOnlyTheirFacesCorners) {
    Prop p;
    EXPECT_EQ(p.Load(Strip(11)), 1);
    ASSERT_NE(p.model.bounds.children, nullptr);
    EXPECT_EQ(p.model.bounds.childCount, 2);
    EXPECT_EQ(p.model.bounds.children[0].slabs[1].max, 1.0f);
    EXPECT_EQ(p.model.bounds.children[1].slabs[1].max, 1.0f);
    EXPECT_EQ(p.model.bounds.slabs[1].max, 70.0f);
    EXPECT_EQ(p.dir.Read("gun.kdt").size(), 3u * 148u);
}

TEST(PropModel, ASecondStartOnlyReadsDeletingTheFileBuildsItAgain) {
    Prop p;
    p.Load(Strip(30));
    const std::string first = p.dir.Read("gun.kdt");
    std::string changed = first;
    changed[0] = static_cast<char>(changed[0] ^ 0x01);  // a valid file that is not ours
    p.dir.Write("gun.kdt", changed);

    PropModel second;
    second.LoadMesh(p.dir.File("gun.ply"), defaultTextureParams);
    EXPECT_EQ(second.LoadBounds(p.dir.File("gun.kdt"), PropModel::kLeafSize), 1);
    EXPECT_EQ(p.dir.Read("gun.kdt"), changed);

    std::filesystem::remove(p.dir.File("gun.kdt"));
    PropModel third;
    third.LoadMesh(p.dir.File("gun.ply"), defaultTextureParams);
    EXPECT_EQ(third.LoadBounds(p.dir.File("gun.kdt"), PropModel::kLeafSize), 1);
    EXPECT_EQ(p.dir.Read("gun.kdt"), first);
}

TEST(PropModel, AnInvalidFileIsRebuiltAtEveryTruncationAndWithTrailingBytes) {
    Prop p;
    p.Load(Strip(25));
    const std::string good = p.dir.Read("gun.kdt");
    std::string badIndex = good;
    badIndex[11] = 0x40;  // slab 0's min-vertex index, now far past the vertices
    std::vector<std::string> broken = {good + "z", badIndex};
    for (std::size_t cut = 0; cut < good.size(); cut += 37)
        broken.push_back(good.substr(0, cut));
    for (const std::string& bytes : broken) {
        p.dir.Write("gun.kdt", bytes);
        PropModel m;
        m.LoadMesh(p.dir.File("gun.ply"), defaultTextureParams);
        EXPECT_EQ(m.LoadBounds(p.dir.File("gun.kdt"), PropModel::kLeafSize), 1);
        EXPECT_EQ(p.dir.Read("gun.kdt"), good) << "from " << bytes.size() << " bytes";
        EXPECT_EQ(m.bounds.childCount, 2);
    }
}

TEST(PropModel, AnUnwritableFolderKeepsTheTreeAFailedMeshWritesNothing) {
    Prop p;
    ASSERT_TRUE(WriteMeshFile(p.dir.File("gun.ply"), Strip(20)));
    p.model.LoadMesh(p.dir.File("gun.ply"), defaultTextureParams);
    EXPECT_EQ(p.model.LoadBounds(p.dir.File("none/gun.kdt"), PropModel::kLeafSize), 0);
    EXPECT_EQ(p.model.bounds.childCount, 2);

    PropModel failed;
    p.dir.Write("bad.ply", "PLX");
    EXPECT_EQ(failed.LoadMesh(p.dir.File("bad.ply"), defaultTextureParams), 0);
    EXPECT_EQ(failed.LoadBounds(p.dir.File("bad.kdt"), PropModel::kLeafSize), 0);
    EXPECT_EQ(failed.BuildBoundsFile(p.dir.File("bad.kdt"), PropModel::kLeafSize), 0);
    EXPECT_EQ(failed.LoadGroups(p.dir.File("bad.prs")), 0);
    EXPECT_FALSE(std::filesystem::exists(p.dir.File("bad.kdt")));
    EXPECT_FALSE(std::filesystem::exists(p.dir.File("bad.prs")));
}

}  // namespace
