// The sample robot and gun as the game loads them: textures built, materials distinct, the
// node hierarchy with its "Gun" mount, faces that own their corners and face outwards, and
// the benchmark robot with the same nodes.
#include <cmath>
#include <functional>
#include <set>

#include "tests/content/loaded_content.h"

namespace {

using NodeVisitor = std::function<void(const MeshNode&, int depth)>;

void Walk(const MeshNode* node, int depth, const NodeVisitor& visit) {
    for (; node != nullptr; node = node->nextSibling) {
        visit(*node, depth);
        Walk(node->firstChild, depth + 1, visit);
    }
}

std::vector<std::string> NodeNames(const Mesh& mesh) {
    std::vector<std::string> names;
    Walk(mesh.root, 1, [&](const MeshNode& node, int) { names.emplace_back(node.name); });
    return names;
}

Vec3 Newell(const Mesh& mesh, const Face& face) {
    Vec3 n;
    for (int k = 0; k < 4; ++k) {
        const Vec3& a = mesh.vertices[static_cast<std::size_t>(face.vertex[k])];
        const Vec3& b = mesh.vertices[static_cast<std::size_t>(face.vertex[(k + 1) % 4])];
        n.x += (a.y - b.y) * (a.z + b.z);
        n.y += (a.z - b.z) * (a.x + b.x);
        n.z += (a.x - b.x) * (a.y + b.y);
    }
    return n;
}

// Every face of every node faces away from the node's centre (each node is one convex part),
// and its corners' normals agree with its Newell normal.
void ExpectOutwardFaces(const Mesh& mesh) {
    std::vector<const MeshNode*> owner(static_cast<std::size_t>(mesh.vertexCount), nullptr);
    Walk(mesh.root, 1, [&](const MeshNode& node, int) {
        for (std::int32_t v : node.vertices) {
            owner[static_cast<std::size_t>(v)] = &node;
        }
    });
    for (std::int32_t f = 0; f < mesh.faceCount; ++f) {
        const Face& face = mesh.faces[static_cast<std::size_t>(f)];
        const MeshNode* node = owner[static_cast<std::size_t>(face.vertex[0])];
        ASSERT_NE(node, nullptr);
        Vec3 centre;
        for (std::int32_t v : face.vertex) {
            centre += mesh.vertices[static_cast<std::size_t>(v)] * 0.25f;
        }
        const Vec3 n = Newell(mesh, face);
        EXPECT_GT(Dot(n, centre - NodeCentre(*node, mesh.vertices)), 0.0f)
            << node->name << " face " << f;
        for (std::int32_t k : face.normal) {
            EXPECT_GT(Dot(mesh.normals[static_cast<std::size_t>(k)], n.Normalized()), 0.9999f)
                << node->name << " face " << f;
        }
    }
}

// Every face corner its own vertex and normal, every vertex in exactly one node.
void ExpectCornersOwnedOnce(const Mesh& mesh) {
    EXPECT_EQ(mesh.vertexCount, 4 * mesh.faceCount);
    EXPECT_EQ(mesh.normalCount, 4 * mesh.faceCount);
    std::set<std::int32_t> vertices;
    std::set<std::int32_t> normals;
    for (const Face& face : mesh.faces) {
        vertices.insert(face.vertex, face.vertex + 4);
        normals.insert(face.normal, face.normal + 4);
    }
    EXPECT_EQ(vertices.size(), static_cast<std::size_t>(mesh.vertexCount));
    EXPECT_EQ(normals.size(), static_cast<std::size_t>(mesh.normalCount));
    std::vector<int> owners(static_cast<std::size_t>(mesh.vertexCount), 0);
    Walk(mesh.root, 1, [&](const MeshNode& node, int) {
        for (std::int32_t v : node.vertices) {
            ++owners[static_cast<std::size_t>(v)];
        }
    });
    EXPECT_TRUE(std::all_of(owners.begin(), owners.end(), [](int n) { return n == 1; }));
}

bool SameColour(const float (&a)[3], const float (&b)[3]) {
    return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

TEST_F(ContentTest, TexturesAreBuiltAtTheSizesOfTheirRecords) {
    for (const Mesh* mesh : {&RobotMesh(), &GunMesh()}) {
        for (std::int32_t t = 0; t < mesh->textureCount; ++t) {
            const Texture& texture = mesh->textures[static_cast<std::size_t>(t)];
            EXPECT_NE(texture.name, 0u) << texture.fileName;
            EXPECT_EQ(texture.width, texture.recordWidth) << texture.fileName;
            EXPECT_EQ(texture.height, texture.recordHeight) << texture.fileName;
        }
    }
    EXPECT_EQ(RobotMesh().textureCount, 3);
    EXPECT_EQ(GunMesh().textureCount, 1);
    EXPECT_STREQ(GunMesh().textures[0].fileName, "gunskin.tga");
}

TEST_F(ContentTest, MaterialsDifferInDiffuseSpecularAndShininess) {
    std::vector<Material> all = RobotMesh().materials;
    ASSERT_GE(all.size(), 4u);
    all.insert(all.end(), GunMesh().materials.begin(), GunMesh().materials.end());
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_GE(all[i].shininess, 0.0f);
        EXPECT_LE(all[i].shininess, 128.0f);
        for (std::size_t j = i + 1; j < all.size(); ++j) {
            EXPECT_FALSE(SameColour(all[i].diffuse, all[j].diffuse)) << i << " " << j;
            EXPECT_FALSE(SameColour(all[i].specular, all[j].specular)) << i << " " << j;
            EXPECT_NE(all[i].shininess, all[j].shininess) << i << " " << j;
        }
    }
}

TEST_F(ContentTest, FaceGroupsUseEveryTextureAndSomeNone) {
    for (const Mesh* mesh : {&RobotMesh(), &GunMesh()}) {
        std::set<std::int32_t> textures;
        for (const FaceGroup& group : mesh->groups) {
            textures.insert(group.textureIndex);
        }
        EXPECT_EQ(textures.count(-1), 1u) << "plain faces drawn with the default texture";
        EXPECT_EQ(static_cast<std::int32_t>(textures.size()), mesh->textureCount + 1);
    }
    EXPECT_GE(RobotMesh().groupCount, 5);
}

TEST_F(ContentTest, RobotHierarchyIsAHumanoidWithAnEmptyGunNodeInTheRightHand) {
    const std::vector<std::string> expected = {
        "Pelvis",    "Torso",    "Chest", "Neck",   "Head",      "Visor",    "Antenna",
        "UpperArmR", "ForearmR", "HandR", "Gun",    "UpperArmL", "ForearmL", "HandL",
        "ThighR",    "ShinR",    "FootR", "ThighL", "ShinL",     "FootL"};
    EXPECT_EQ(NodeNames(RobotMesh()), expected);
    EXPECT_EQ(RobotMesh().nodeCount, static_cast<std::int32_t>(expected.size()));

    int depth = 0;
    std::set<std::uint32_t> hashes;
    Walk(RobotMesh().root, 1, [&](const MeshNode& node, int d) {
        depth = std::max(depth, d);
        hashes.insert(node.hash);
        EXPECT_EQ(node.vertexCount == 0, std::string(node.name) == "Gun") << node.name;
    });
    EXPECT_EQ(depth, 6) << "Pelvis, Torso, UpperArmR, ForearmR, HandR, Gun";
    EXPECT_EQ(hashes.size(), expected.size()) << "names tell nodes apart by hash";

    const MeshNode& gun = Node(RobotMesh(), "Gun");
    ASSERT_NE(gun.parent, nullptr);
    EXPECT_STREQ(gun.parent->name, "HandR");
    EXPECT_EQ(gun.firstChild, nullptr);
}

TEST_F(ContentTest, GunMountSitsInTheRightHandAndPointsForwardWithItsTopUp) {
    const Transform mount = GunMount(Node(RobotMesh(), "Gun"));
    EXPECT_EQ(mount.r, Matrix3::Identity) << "gun x, y, z along world x, y, z";

    // The grip point lies inside the right hand (negative x), within its box.
    const MeshNode& hand = Node(RobotMesh(), "HandR");
    Vec3 low{1e9f, 1e9f, 1e9f};
    Vec3 high{-1e9f, -1e9f, -1e9f};
    for (std::int32_t v : hand.vertices) {
        const Vec3& p = RobotMesh().vertices[static_cast<std::size_t>(v)];
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    EXPECT_LT(high.x, 0.0f);
    EXPECT_GT(mount.t.x, low.x);
    EXPECT_LT(mount.t.x, high.x);
    EXPECT_GT(mount.t.y, low.y);
    EXPECT_LT(mount.t.y, high.y);
    EXPECT_GT(mount.t.z, low.z);
    EXPECT_LT(mount.t.z, high.z);

    // Gun space: the grip hangs below the origin, the barrel reaches far along +z.
    float gunLowY = 0;
    float gunHighZ = 0;
    for (const Vec3& p : GunMesh().vertices) {
        gunLowY = std::min(gunLowY, p.y);
        gunHighZ = std::max(gunHighZ, p.z);
    }
    EXPECT_LT(gunLowY, -5.0f);
    EXPECT_GT(gunHighZ, 40.0f);
}

TEST_F(ContentTest, RobotStandsAtTheOriginAbout200TallFacingPlusZ) {
    Vec3 low{1e9f, 1e9f, 1e9f};
    Vec3 high{-1e9f, -1e9f, -1e9f};
    for (const Vec3& p : RobotMesh().vertices) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    EXPECT_FLOAT_EQ(low.y, -100.0f);
    EXPECT_GE(high.y, 95.0f);
    EXPECT_LE(high.y, 100.0f);
    EXPECT_FLOAT_EQ(low.x, -high.x) << "left and right mirror each other";
    // The face and the toes point at the camera.
    const Vec3 head = NodeCentre(Node(RobotMesh(), "Head"), RobotMesh().vertices);
    const Vec3 visor = NodeCentre(Node(RobotMesh(), "Visor"), RobotMesh().vertices);
    const Vec3 shin = NodeCentre(Node(RobotMesh(), "ShinL"), RobotMesh().vertices);
    const Vec3 foot = NodeCentre(Node(RobotMesh(), "FootL"), RobotMesh().vertices);
    EXPECT_GT(visor.z, head.z + 10);
    EXPECT_GT(foot.z, shin.z + 3);
    EXPECT_GT(NodeCentre(Node(RobotMesh(), "HandL"), RobotMesh().vertices).x, 0.0f);
}

TEST_F(ContentTest, FacesOwnTheirCornersAndFaceOutwards) {
    for (const Mesh* mesh : {&RobotMesh(), &GunMesh()}) {
        ExpectCornersOwnedOnce(*mesh);
        ExpectOutwardFaces(*mesh);
    }
}

TEST_F(ContentTest, GunIsAPropWithEnoughQuadsForAnInnerBoundsTree) {
    EXPECT_GE(GunMesh().faceCount, 40);
    const Zt18DOP& root = content->gun.bounds;
    ASSERT_EQ(root.childCount, 2);
    EXPECT_TRUE(root.children[0].childCount == 2 || root.children[1].childCount == 2)
        << "the tree goes below the root's children";
}

TEST_F(ContentTest, BenchmarkRobotHasTheSameNodesWithEveryQuadCutNByN) {
    TempDir scaled;
    std::string failed;
    ASSERT_TRUE(WriteContent(scaled.Path().string(), 4, failed)) << failed;
    ActorModel big;
    ASSERT_EQ(LoadRobotMesh(big, scaled.Path()), 1);
    const Mesh& mesh = *big.mesh;
    EXPECT_EQ(NodeNames(mesh), NodeNames(RobotMesh()));
    EXPECT_EQ(mesh.faceCount, 16 * RobotMesh().faceCount);
    ExpectCornersOwnedOnce(mesh);
    // Every node covers the same surface: the same number of corners per quad, the same centre.
    Walk(mesh.root, 1, [&](const MeshNode& node, int) {
        const MeshNode& plain = Node(RobotMesh(), node.name);
        EXPECT_EQ(node.vertexCount, 16 * plain.vertexCount) << node.name;
        const Vec3 a = NodeCentre(node, mesh.vertices);
        const Vec3 b = NodeCentre(plain, RobotMesh().vertices);
        EXPECT_NEAR(a.x, b.x, 1e-3f) << node.name;
        EXPECT_NEAR(a.y, b.y, 1e-3f) << node.name;
        EXPECT_NEAR(a.z, b.z, 1e-3f) << node.name;
    });
}

}  // namespace
