// The reader child's scene bytes: a full round trip, and bytes the parent must refuse.
#include <cstring>

#include <gtest/gtest.h>

#include "tests/support/sample_scene.h"
#include "tools/convert/scene_check.h"
#include "tools/convert/scene_wire.h"

namespace {

const std::vector<EncodedImage> kEncoded = SampleEncodedImages();

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

bool Decodes(const std::vector<std::uint8_t>& bytes, std::string& error) {
    Scene scene;
    std::vector<EncodedImage> encoded;
    return DecodeScene(bytes, scene, encoded, error);
}

TEST(SceneWire, RoundTripKeepsEveryField) {
    const Scene scene = SampleScene();
    std::string error;
    ASSERT_TRUE(CheckScene(scene, error)) << error;
    const std::string bytes = EncodeScene(scene, kEncoded);
    Scene decoded;
    std::vector<EncodedImage> encoded;
    ASSERT_TRUE(DecodeScene(Bytes(bytes), decoded, encoded, error)) << error;
    EXPECT_EQ(EncodeScene(decoded, encoded), bytes);
    EXPECT_EQ(decoded.nodes[1].rest.rotation, (std::array<double, 4>{0, 0, 0.6, 0.8}));
    EXPECT_EQ(decoded.meshes[0].influences[1][1].weight, 0.75);
    EXPECT_EQ(encoded[0].bytes, kEncoded[0].bytes);
    EXPECT_EQ(decoded.sources, scene.sources);
}

TEST(SceneWire, RefusesTruncatedOrExtendedBytes) {
    const std::vector<std::uint8_t> bytes = Bytes(EncodeScene(SampleScene(), kEncoded));
    std::string error;
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        EXPECT_FALSE(
            Decodes({bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length)}, error))
            << length;
    }
    std::vector<std::uint8_t> longer = bytes;
    longer.push_back(0);
    EXPECT_FALSE(Decodes(longer, error));
    EXPECT_EQ(error, "the scene's bytes go on past its end");
}

TEST(SceneWire, RefusesFalseCountsAndNumbersThatAreNotFinite) {
    std::string error;
    // A node count of 2^32 - 1 after the magic: refused before anything is allocated.
    std::vector<std::uint8_t> huge = Bytes(EncodeScene(Scene{}, {}));
    std::memset(huge.data() + 8, 0xFF, 4);
    EXPECT_FALSE(Decodes(huge, error));
    EXPECT_EQ(error, "the scene claims too many nodes");
    // 30000 nodes claimed with no bytes for them.
    std::vector<std::uint8_t> early = Bytes(EncodeScene(Scene{}, {}));
    early[8] = 0x30, early[9] = 0x75;
    EXPECT_FALSE(Decodes(early, error));
    EXPECT_EQ(error, "the scene's bytes end early");

    Scene nan = SampleScene();
    nan.meshes[0].positions[2][1] = std::nan("");
    EXPECT_FALSE(Decodes(Bytes(EncodeScene(nan, {})), error));
    EXPECT_EQ(error, "the scene holds a number that is not finite");
}

TEST(SceneWire, RefusesScenesThatFailTheCheck) {
    std::string error;
    Scene joint = SampleScene();
    joint.skins[0].joints[1] = 42;
    EXPECT_FALSE(Decodes(Bytes(EncodeScene(joint, kEncoded)), error));
    EXPECT_EQ(error, "skin 0: a joint names a missing node");

    Scene image = SampleScene();
    image.materials[0].image = 2;  // one decoded image and one to decode: 0 and 1 exist
    EXPECT_FALSE(Decodes(Bytes(EncodeScene(image, kEncoded)), error));
    EXPECT_EQ(error, "material 0: its image does not exist");

    // Root, Arm under it, then a node under Root after Arm's child: pre-order broken.
    Scene order = SampleScene();
    order.nodes.push_back(order.nodes[1]);
    order.nodes.push_back(order.nodes[1]);
    order.nodes[2].parent = 1;
    order.nodes[3].parent = 0;
    order.nodes.push_back(order.nodes[1]);
    order.nodes[4].parent = 2;
    EXPECT_FALSE(CheckScene(order, error));
    EXPECT_EQ(error, "node 4: the nodes are not in pre-order");

    Scene weights = SampleScene();
    weights.meshes[0].influences[0][0].weight = 1.5;
    EXPECT_FALSE(CheckScene(weights, error));
    EXPECT_EQ(error.rfind("mesh 0: an influence", 0), 0u) << error;

    Scene times = SampleScene();
    times.animations[0].channels[0].times = {0.5, 0.5};
    EXPECT_FALSE(CheckScene(times, error));
    EXPECT_EQ(error, "animation 0: key times do not ascend");
}

}  // namespace
