#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "assets/mesh.h"
#include "assets/mesh_writer.h"
#include "assets/name_hash.h"
#include "tests/support/sample_mesh.h"
#include "tests/temp_dir.h"

namespace {

int LoadBytes(Mesh& mesh, const std::string& bytes) {
    TempDir dir;
    dir.Write("m.ply", bytes);
    TextureParams params;
    return mesh.Load(dir.File("m.ply"), params);
}

int LoadSource(Mesh& mesh, const MeshSource& source) {
    const auto bytes = MeshFileBytes(source);
    return bytes ? LoadBytes(mesh, *bytes) : -1;
}

TEST(MeshLoad, ReadsEverySectionOfAHandBuiltFile) {
    Mesh mesh;
    ASSERT_EQ(LoadBytes(mesh, SampleMeshBytes()), 1);

    ASSERT_EQ(mesh.materialCount, 2);
    const Material& m = mesh.materials[0];
    EXPECT_EQ(m.diffuse[0], 255 * 0.003921569f);
    EXPECT_EQ(m.diffuse[1], 0.0f);
    EXPECT_EQ(m.diffuse[2], 51 * 0.003921569f);
    EXPECT_EQ(m.extra1, 1.5f);
    EXPECT_EQ(m.specular[0], 10 * 0.003921569f);
    EXPECT_EQ(m.specular[2], 30 * 0.003921569f);
    EXPECT_EQ(m.extra2, -2.0f);
    EXPECT_EQ(m.shininess, 32.0f);
    EXPECT_EQ(m.further[0], 1.0f);
    EXPECT_EQ(m.further[5], 6.0f);
    EXPECT_EQ(mesh.materials[1].shininess, 128.0f);
    EXPECT_EQ(mesh.materials[1].diffuse[1], 128 * 0.003921569f);

    EXPECT_EQ(mesh.textureCount, 0);
    ASSERT_EQ(mesh.vertexCount, 5);
    EXPECT_EQ(mesh.vertices[2], (Vec3{1, 1, 0}));
    EXPECT_EQ(mesh.vertices[4], (Vec3{9, 9, 9}));
    ASSERT_EQ(mesh.normalCount, 3);
    EXPECT_EQ(mesh.normals[2], (Vec3{1, 0, 0}));

    ASSERT_EQ(mesh.faceCount, 2);
    const Face& face = mesh.faces[1];
    EXPECT_EQ(face.material, 0);
    EXPECT_EQ(face.vertex[0], 2);
    EXPECT_EQ(face.vertex[3], 3);
    EXPECT_EQ(face.normal[1], 2);
    EXPECT_EQ(face.layerCount, 1);
    EXPECT_EQ(mesh.faces[0].layerCount, 0);
    ASSERT_EQ(mesh.layers.size(), 1u);
    const TextureLayer& layer = mesh.layers[static_cast<std::size_t>(face.firstLayer)];
    EXPECT_EQ(layer.textureIndex, -1);
    EXPECT_EQ(layer.values[2], -1.0f);
    EXPECT_EQ(layer.flags[0], 7);
    EXPECT_EQ(layer.flags[1], 200);
    // v is held as 1 - v.
    const float uv[4][2] = {{0, 1}, {1, 0.75f}, {1, 0}, {0, 0.25f}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(layer.uv[k][0], uv[k][0]) << k;
        EXPECT_EQ(layer.uv[k][1], uv[k][1]) << k;
    }
}

TEST(MeshLoad, VertexToNormalTableKeepsTheLastCornerAndMinusOneForUnusedVertices) {
    Mesh mesh;
    ASSERT_EQ(LoadBytes(mesh, SampleMeshBytes()), 1);
    // Face 0 gives every corner normal 0; face 1 then overrides with 1, 2, 1, 2.
    EXPECT_EQ(mesh.vertexToNormal, (std::vector<std::int32_t>{1, 2, 1, 2, -1}));
}

TEST(MeshLoad, BuildsTheNodeTreeFromPreOrderRecords) {
    Mesh mesh;
    ASSERT_EQ(LoadBytes(mesh, SampleMeshBytes()), 1);
    ASSERT_EQ(mesh.nodeCount, 6);
    const MeshNode* root = mesh.root;
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->name, "Root");
    EXPECT_EQ(root->hash, NameHash("Root"));
    EXPECT_EQ(root->parent, nullptr);
    EXPECT_EQ(root->nextSibling, nullptr);
    EXPECT_EQ(root->points[8], 9.0f);
    EXPECT_EQ(root->vertices, (std::vector<std::int32_t>{0, 1}));
    const MeshNode* body = root->firstChild;
    ASSERT_NE(body, nullptr);
    EXPECT_STREQ(body->name, "Body");
    EXPECT_EQ(body->parent, root);
    const MeshNode* arm = body->firstChild;
    EXPECT_STREQ(arm->name, "Arm");
    EXPECT_EQ(arm->parent, body);
    EXPECT_EQ(arm->vertexCount, 0);
    const MeshNode* gun = arm->nextSibling;
    EXPECT_STREQ(gun->name, "Gun");
    EXPECT_EQ(gun->parent, body);
    EXPECT_EQ(gun->nextSibling, nullptr);
    EXPECT_EQ(gun->points[3], 1.0f);
    const MeshNode* head = body->nextSibling;
    EXPECT_STREQ(head->name, "Head");
    EXPECT_EQ(head->parent, root);
    EXPECT_EQ(head->vertices, (std::vector<std::int32_t>{4}));
    const MeshNode* headGun = head->firstChild;
    EXPECT_STREQ(headGun->name, "Gun");
    EXPECT_EQ(headGun->parent, head);
    EXPECT_EQ(headGun->firstChild, nullptr);
    EXPECT_EQ(headGun->nextSibling, nullptr);
    const char* const preOrder[] = {"Root", "Body", "Arm", "Gun", "Head", "Gun"};
    for (std::size_t i = 0; i < mesh.nodes.size(); ++i) {
        EXPECT_STREQ(mesh.nodes[i]->name, preOrder[i]);
    }
}

TEST(MeshLoad, FindNodeSearchesInPreOrder) {
    Mesh mesh;
    ASSERT_EQ(LoadBytes(mesh, SampleMeshBytes()), 1);
    // "Gun" is under Body and under Head: Body's whole subtree comes first.
    const MeshNode* gun = mesh.FindNode(NameHash("Gun"));
    ASSERT_NE(gun, nullptr);
    EXPECT_STREQ(gun->parent->name, "Body");
    EXPECT_EQ(mesh.FindNode(NameHash("Head")), mesh.root->firstChild->nextSibling);
    EXPECT_EQ(mesh.FindNode(NameHash("Root")), mesh.root);
    EXPECT_EQ(mesh.FindNode(NameHash("Leg")), nullptr);
    const Mesh& constMesh = mesh;
    EXPECT_EQ(constMesh.FindNode(NameHash("Arm")), mesh.root->firstChild->firstChild);
    EXPECT_EQ(Mesh{}.FindNode(NameHash("Root")), nullptr);
}

TEST(MeshLoad, FindNodeReachesTheRootsSiblingsAndTheirChildren) {
    MeshSource s = SampleMeshSource();
    const auto second = s.AddNode("Second", -1);
    s.AddNode("Deep", second);
    Mesh mesh;
    ASSERT_EQ(LoadSource(mesh, s), 1);
    const MeshNode* deep = mesh.FindNode(NameHash("Deep"));
    ASSERT_NE(deep, nullptr);
    EXPECT_EQ(deep->parent, mesh.root->nextSibling);
    EXPECT_EQ(mesh.root->nextSibling->parent, nullptr);
}

// Depth costs neither the loader nor FindNode any stack.
TEST(MeshLoad, ArbitrarilyDeepAndLongTreesLoadAndAreSearched) {
    constexpr int kNodes = 100000;
    for (const bool chainOfChildren : {true, false}) {
        MeshSource s = SampleMeshSource();
        s.nodes.clear();
        for (int i = 0; i < kNodes; ++i) {
            s.AddNode("N" + std::to_string(i), chainOfChildren ? i - 1 : -1);
        }
        Mesh mesh;
        ASSERT_EQ(LoadSource(mesh, s), 1);
        EXPECT_EQ(mesh.nodeCount, kNodes);
        const MeshNode* last = mesh.FindNode(NameHash("N99999"));
        ASSERT_NE(last, nullptr);
        EXPECT_EQ(last, mesh.nodes.back().get());
        EXPECT_EQ(mesh.FindNode(NameHash("missing")), nullptr);
        if (chainOfChildren) {
            EXPECT_STREQ(last->parent->name, "N99998");
        } else {
            EXPECT_EQ(last->parent, nullptr);
        }
    }
}

TEST(MeshLoad, RejectsAForeignHeader) {
    std::string bytes = SampleMeshBytes();
    Mesh mesh;
    for (const auto& [at, value] :
         std::vector<std::pair<int, char>>{{0, 'X'}, {2, 'X'}, {3, 1}, {3, 3}}) {
        std::string bad = bytes;
        bad[static_cast<std::size_t>(at)] = value;
        EXPECT_EQ(LoadBytes(mesh, bad), 0) << at;
    }
    EXPECT_EQ(LoadBytes(mesh, bytes), 1);
}

TEST(MeshLoad, RejectsCountsBelowTheirMinimum) {
    const std::vector<std::pair<const char*, std::function<void(MeshSource&)>>> cases = {
        {"no materials", [](MeshSource& s) { s.materials.clear(); }},
        {"no vertices", [](MeshSource& s) { s.vertices.clear(); }},
        {"no normals", [](MeshSource& s) { s.normals.clear(); }},
        {"no faces", [](MeshSource& s) { s.faces.clear(); }},
        {"no nodes", [](MeshSource& s) { s.nodes.clear(); }},
    };
    for (const auto& [what, change] : cases) {
        MeshSource s = SampleMeshSource();
        change(s);
        Mesh mesh;
        EXPECT_EQ(LoadSource(mesh, s), 0) << what;
    }
}

// Offsets in the sample file of the counts that the format says may be negative or zero.
constexpr std::size_t kTextureCountAt = 3 + 4 + 4 + 2 * 42;
constexpr std::size_t kLayerCountAt = kTextureCountAt + 4 + 4 + 60 + 4 + 36 + 4 + 40 + 36;
constexpr std::size_t kNodeVertexCountAt = kLayerCountAt + 4 + 50 + 2 + 5 + 36;

std::string WithInt(std::string bytes, std::size_t at, std::int32_t value) {
    ByteBuilder b;
    b.Int(value);
    bytes.replace(at, 4, b.str());
    return bytes;
}

TEST(MeshLoad, RejectsNegativeCountsAndCountsTheFileCannotHold) {
    const std::string good = SampleMeshBytes();
    // The offsets are right: these are the values the sample holds there.
    ASSERT_EQ(WithInt(good, kTextureCountAt, 0), good);
    ASSERT_EQ(WithInt(good, kLayerCountAt, 1), good);
    ASSERT_EQ(WithInt(good, kNodeVertexCountAt, 2), good);
    const std::size_t sectionCounts[] = {7, kTextureCountAt, kTextureCountAt + 4,
                                         kTextureCountAt + 4 + 64, kTextureCountAt + 4 + 64 + 40};
    for (const std::size_t at : sectionCounts) {
        for (const std::int32_t count :
             {-1, 1 << 20, 0x7FFFFFFF, static_cast<std::int32_t>(0x80000000)}) {
            Mesh mesh;
            EXPECT_EQ(LoadBytes(mesh, WithInt(good, at, count)), 0) << at << " " << count;
            EXPECT_EQ(mesh.materials.capacity(), 0u);
        }
    }
    for (const std::size_t at : {kLayerCountAt, kNodeVertexCountAt}) {
        for (const std::int32_t count : {-1, 1 << 20, 0x7FFFFFFF}) {
            Mesh mesh;
            EXPECT_EQ(LoadBytes(mesh, WithInt(good, at, count)), 0) << at << " " << count;
        }
    }
}

TEST(MeshLoad, RejectsEveryIndexOutOfRange) {
    const std::vector<std::pair<const char*, std::function<void(MeshSource&)>>> cases = {
        {"material = count", [](MeshSource& s) { s.faces[1].material = 2; }},
        {"material < 0", [](MeshSource& s) { s.faces[0].material = -1; }},
        {"vertex = count", [](MeshSource& s) { s.faces[1].vertex[3] = 5; }},
        {"vertex < 0", [](MeshSource& s) { s.faces[0].vertex[0] = -1; }},
        {"normal = count", [](MeshSource& s) { s.faces[1].normal[2] = 3; }},
        {"normal < 0", [](MeshSource& s) { s.faces[0].normal[1] = -7; }},
        {"texture of none loaded", [](MeshSource& s) { s.faces[1].layers[0].textureIndex = 0; }},
        {"texture below -1", [](MeshSource& s) { s.faces[1].layers[0].textureIndex = -2; }},
        {"second layer's texture",
         [](MeshSource& s) {
             s.faces[1].layers.push_back({});
             s.faces[1].layers[1].textureIndex = 3;
         }},
        {"node vertex = count",
         [](MeshSource& s) {
             s.nodes[5].vertices = {0, 5};
         }},
        {"node vertex < 0", [](MeshSource& s) { s.nodes[0].vertices = {-1}; }},
    };
    for (const auto& [what, change] : cases) {
        MeshSource s = SampleMeshSource();
        change(s);
        Mesh mesh;
        EXPECT_EQ(LoadSource(mesh, s), 0) << what;
    }
    MeshSource s = SampleMeshSource();
    s.faces[1].layers.push_back({});  // a second layer with texture -1 is fine
    Mesh mesh;
    EXPECT_EQ(LoadSource(mesh, s), 1);
}

TEST(MeshLoad, RejectsOverlongNames) {
    MeshSource s = SampleMeshSource();
    s.nodes[3].name = std::string(128, 'a');
    Mesh mesh;
    EXPECT_EQ(LoadSource(mesh, s), 0);
    s.nodes[3].name = std::string(127, 'a');
    EXPECT_EQ(LoadSource(mesh, s), 1);
    EXPECT_EQ(mesh.FindNode(NameHash(std::string(127, 'a'))),
              mesh.nodes[2].get());  // "Arm" in pre-order
}

TEST(MeshLoad, MissingFileFails) {
    TempDir dir;
    Mesh mesh;
    TextureParams params;
    EXPECT_EQ(mesh.Load(dir.File("none.ply"), params), 0);
}

TEST(MeshLoad, FailedLoadLeavesTheMeshAsItWas) {
    Mesh mesh;
    ASSERT_EQ(LoadBytes(mesh, SampleMeshBytes()), 1);
    MeshSource other = SampleMeshSource();
    other.vertices.push_back({7, 7, 7});
    other.faces[1].normal[0] = 99;
    ASSERT_EQ(LoadSource(mesh, other), 0);
    std::string truncated = SampleMeshBytes();
    truncated.pop_back();
    ASSERT_EQ(LoadBytes(mesh, truncated), 0);
    EXPECT_EQ(mesh.vertexCount, 5);
    EXPECT_EQ(mesh.vertices.size(), 5u);
    EXPECT_EQ(mesh.nodeCount, 6);
    EXPECT_EQ(mesh.FindNode(NameHash("Head"))->vertices[0], 4);
}

TEST(MeshLoad, EveryTruncationIsRejectedAndNoByteFlipCrashes) {
    const std::string good = SampleMeshBytes();
    TempDir dir;
    TextureParams params;
    for (std::size_t size = 0; size < good.size(); ++size) {
        dir.Write("t.ply", good.substr(0, size));
        Mesh mesh;
        ASSERT_EQ(mesh.Load(dir.File("t.ply"), params), 0) << size;
    }
    for (std::size_t at = 0; at < good.size(); ++at) {
        for (const int flip : {0x01, 0x80, 0xFF}) {
            std::string bytes = good;
            bytes[at] = static_cast<char>(bytes[at] ^ flip);
            dir.Write("f.ply", bytes);
            Mesh mesh;
            if (mesh.Load(dir.File("f.ply"), params) == 1) {
                // Whatever loaded is consistent enough to use.
                for (const Face& face : mesh.faces) {
                    for (int k = 0; k < 4; ++k) {
                        ASSERT_LT(face.vertex[k], mesh.vertexCount);
                    }
                }
                mesh.FindNode(NameHash("Gun"));
                // Groups computed in memory only: the folder does not exist.
                mesh.BuildGroupFile(dir.File("missing/f.prs"));
                ASSERT_GE(mesh.groupCount, 1);
            }
        }
    }
}

TEST(MeshLoad, RoundTripsTheWritersInputExactly) {
    MeshSource s = SampleMeshSource();
    for (int i = 0; i < 40; ++i) {
        const float f = static_cast<float>(i);
        s.vertices.push_back({f * 0.1f, -f * 1e-3f, f * 1e6f});
        s.normals.push_back({0.6f, 0.0f, -0.8f});
        FaceSource face{i % 2, {i, i + 1, i + 2, i + 3}, {i, i + 1, i + 2, 0}, {}};
        for (int l = 0; l < i % 3; ++l) {
            face.layers.push_back({-1,
                                   {f, -f, 0.5f},
                                   {static_cast<std::uint8_t>(i), 255},
                                   {{f, 0.125f}, {1, f}, {-f, 2}, {0.5f, 0.5f}}});
        }
        s.faces.push_back(face);
    }
    s.nodes[5].vertices = {44, 43, 42};
    Mesh mesh;
    ASSERT_EQ(LoadSource(mesh, s), 1);
    ASSERT_EQ(mesh.vertices, s.vertices);
    ASSERT_EQ(mesh.normals, s.normals);
    ASSERT_EQ(mesh.faceCount, static_cast<std::int32_t>(s.faces.size()));
    for (std::size_t f = 0; f < s.faces.size(); ++f) {
        const Face& face = mesh.faces[f];
        const FaceSource& source = s.faces[f];
        EXPECT_EQ(face.material, source.material);
        ASSERT_EQ(face.layerCount, static_cast<std::int32_t>(source.layers.size()));
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(face.vertex[k], source.vertex[k]);
            EXPECT_EQ(face.normal[k], source.normal[k]);
        }
        for (std::size_t l = 0; l < source.layers.size(); ++l) {
            const TextureLayer& layer = mesh.layers[static_cast<std::size_t>(face.firstLayer) + l];
            const LayerSource& sl = source.layers[l];
            EXPECT_EQ(layer.textureIndex, sl.textureIndex);
            EXPECT_EQ(layer.flags[0], sl.flags[0]);
            for (int v = 0; v < 3; ++v) {
                EXPECT_EQ(layer.values[v], sl.values[v]);
            }
            for (int k = 0; k < 4; ++k) {
                EXPECT_EQ(layer.uv[k][0], sl.uv[k][0]);
                EXPECT_EQ(layer.uv[k][1], 1.0f - sl.uv[k][1]);
            }
        }
    }
    EXPECT_EQ(mesh.layers.size(), 39u + 1u);
    EXPECT_EQ(mesh.nodes[5]->vertices, (std::vector<std::int32_t>{44, 43, 42}));
}

}  // namespace
