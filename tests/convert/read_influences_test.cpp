// A vertex with more than four positive weights over its JOINTS_n/WEIGHTS_n sets keeps the four
// heaviest, the earlier of equal weights, in the order the file lists them.
#include <gtest/gtest.h>

#include "tests/support/gltf_builder.h"
#include "tests/support/gltf_models.h"
#include "tools/convert/gltf_read.h"

namespace {

using namespace gltf_models;

TEST(ReadInfluences, MoreThanFourWeightsKeepTheHeaviestEarlierFirstInFileOrder) {
    tinygltf::Model model;
    model.asset.version = "2.0";
    Builder build(model);
    tinygltf::Skin skin;
    for (int j = 0; j < 8; ++j)
        skin.joints.push_back(AddNode(model, "J" + std::to_string(j), -1));
    model.skins.push_back(skin);

    Geometry g;
    g.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    g.indices = {0, 1, 2};
    // Vertex 0 has seven positive weights; the others one each.
    g.joints = {0, 1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0};
    g.weights = {0.1f, 0.3f, 0.2f, 0.1f, 1, 0, 0, 0, 1, 0, 0, 0};
    tinygltf::Primitive primitive =
        build.Primitive(g, -1, TINYGLTF_MODE_TRIANGLES, TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE);
    primitive.attributes["JOINTS_1"] =
        build.Joints({4, 5, 6, 7, 0, 0, 0, 0, 0, 0, 0, 0}, TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE);
    primitive.attributes["WEIGHTS_1"] =
        build.Floats({0.3f, 0, 0.1f, 0.05f, 0, 0, 0, 0, 0, 0, 0, 0}, TINYGLTF_TYPE_VEC4, 0, false);
    tinygltf::Mesh mesh;
    mesh.primitives.push_back(primitive);
    model.meshes.push_back(mesh);
    const int sheet = AddNode(model, "Sheet", -1, 0);
    model.nodes[static_cast<std::size_t>(sheet)].skin = 0;
    tinygltf::Scene root;
    for (int n = 0; n <= sheet; ++n)
        root.nodes.push_back(n);
    model.scenes.push_back(root);
    model.defaultScene = 0;

    Scene scene;
    std::string error;
    ASSERT_TRUE(ReadGltf(SaveModel(model, true), "", scene, error)) << error;
    ASSERT_EQ(scene.meshes.size(), 1u);
    const auto& kept = scene.meshes[0].influences.at(0);
    const int joints[4] = {0, 1, 2, 4};
    const float weights[4] = {0.1f, 0.3f, 0.2f, 0.3f};
    for (std::size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(kept[k].joint, joints[k]) << k;
        EXPECT_EQ(kept[k].weight, static_cast<double>(weights[k])) << k;
    }
}

}  // namespace
