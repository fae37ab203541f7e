#include "tests/support/gltf_models.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

tinygltf::Model Load(const std::vector<unsigned char>& bytes, bool binary, std::string& problems) {
    tinygltf::TinyGLTF loader;
    tinygltf::Model model;
    std::string error;
    std::string warning;
    const bool loaded =
        binary ? loader.LoadBinaryFromMemory(&model, &error, &warning, bytes.data(),
                                             static_cast<unsigned>(bytes.size()))
               : loader.LoadASCIIFromString(&model, &error, &warning,
                                            reinterpret_cast<const char*>(bytes.data()),
                                            static_cast<unsigned>(bytes.size()), "");
    problems = (loaded ? "" : "not loaded. ") + error + warning;
    return model;
}

// Every model loads back through tinygltf from both file forms with its nodes, animations and
// primitives intact and its images decoding to the pixels it was made with (JPEG within a
// small error).
TEST(GltfModelsTest, LoadBackThroughTinygltfAsGlbAndGltf) {
    const std::vector<std::pair<std::string, tinygltf::Model>> models = {
        {"skinned", SkinnedModel()},   {"node animated", NodeAnimatedModel()},
        {"PNG", TexturedModel(false)}, {"JPEG", TexturedModel(true)},
        {"static", StaticModel()},     {"large", LargeModel(1001, 2)},
    };
    for (const auto& [name, model] : models) {
        for (const bool binary : {true, false}) {
            SCOPED_TRACE(name + (binary ? " .glb" : " .gltf"));
            std::string problems;
            const tinygltf::Model loaded = Load(SaveModel(model, binary), binary, problems);
            EXPECT_EQ(problems, "");
            ASSERT_EQ(loaded.nodes.size(), model.nodes.size());
            for (std::size_t i = 0; i < model.nodes.size(); ++i) {
                EXPECT_EQ(loaded.nodes[i].name, model.nodes[i].name);
                EXPECT_EQ(loaded.nodes[i].children, model.nodes[i].children);
            }
            EXPECT_EQ(loaded.animations, model.animations);
            EXPECT_EQ(loaded.meshes, model.meshes);
            EXPECT_EQ(loaded.skins, model.skins);
            ASSERT_EQ(loaded.images.size(), model.images.size());
            for (std::size_t i = 0; i < model.images.size(); ++i) {
                const std::vector<unsigned char>& made = model.images[i].image;
                const std::vector<unsigned char>& decoded = loaded.images[i].image;
                ASSERT_EQ(decoded.size(), made.size() / 3 * 4);  // tinygltf decodes to RGBA
                int worst = 0;
                for (std::size_t p = 0; p < made.size(); ++p) {
                    worst = std::max(worst, std::abs(decoded[p / 3 * 4 + p % 3] - made[p]));
                }
                EXPECT_LE(worst, model.images[i].mimeType == "image/jpeg" ? 8 : 0);
            }
        }
    }
    const tinygltf::Model large = LargeModel(1001, 2);
    EXPECT_EQ(large.accessors[large.meshes[0].primitives[0].indices].count, 3u * 1001);
    EXPECT_EQ(large.animations.size(), 2u);
}

}  // namespace
