// Hostile and broken models are refused with one clear line, never followed out of their folder.
#include <stb/stb_image_write.h>

#include <cstring>
#include <filesystem>

#include "tests/convert/import_support.h"

namespace {

// A triangle, then two key times and two translations, as one buffer.
std::string BufferBytes(std::uint16_t lastIndex) {
    const float positions[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    const std::uint16_t indices[4] = {0, 1, lastIndex, 0};
    const float times[2] = {0, 2000};  // 2000 s: 60001 frames at 30 per second
    const float moves[6] = {0, 0, 0, 1, 0, 0};
    std::string bytes(reinterpret_cast<const char*>(positions), sizeof positions);
    bytes.append(reinterpret_cast<const char*>(indices), sizeof indices);
    bytes.append(reinterpret_cast<const char*>(times), sizeof times);
    bytes.append(reinterpret_cast<const char*>(moves), sizeof moves);
    return bytes;
}

std::string Png(int width, int height) {
    std::string png;
    const unsigned char pixel[3] = {255, 0, 0};
    stbi_write_png_to_func(
        [](void* context, void* data, int size) {
            static_cast<std::string*>(context)->append(static_cast<const char*>(data),
                                                       static_cast<std::size_t>(size));
        },
        &png, 1, 1, 3, pixel, 3);
    // The header's size, as a hostile file would claim it (bytes 16 to 23, big-endian).
    for (int i = 0; i < 4; ++i) {
        png[16 + static_cast<std::size_t>(i)] = static_cast<char>((width >> (24 - 8 * i)) & 0xFF);
        png[20 + static_cast<std::size_t>(i)] = static_cast<char>((height >> (24 - 8 * i)) & 0xFF);
    }
    return png;
}

struct Parts {
    std::string bufferUri = "inside.bin";
    std::string nodes = R"([{"mesh": 0}])";
    std::string sceneNodes = "[0]";
    std::string positionCount = "3";
    std::string positionView = R"("bufferView": 0, )";
    std::string top;  // further top-level members, each followed by a comma
};

std::string Gltf(const Parts& p) {
    return R"({"asset": {"version": "2.0"}, )" + p.top + R"("scene": 0, "scenes": [{"nodes": )" +
           p.sceneNodes + R"(}], "nodes": )" + p.nodes + R"(,
  "meshes": [{"primitives": [{"attributes": {"POSITION": 0}, "indices": 1}]}],
  "buffers": [{"byteLength": 76, "uri": ")" +
           p.bufferUri + R"("}],
  "bufferViews": [{"buffer": 0, "byteOffset": 0, "byteLength": 36},
                  {"buffer": 0, "byteOffset": 36, "byteLength": 6},
                  {"buffer": 0, "byteOffset": 44, "byteLength": 8},
                  {"buffer": 0, "byteOffset": 52, "byteLength": 24}],
  "accessors": [{)" +
           p.positionView + R"("componentType": 5126, "count": )" + p.positionCount +
           R"(, "type": "VEC3"},
                {"bufferView": 1, "componentType": 5123, "count": 3, "type": "SCALAR"},
                {"bufferView": 2, "componentType": 5126, "count": 2, "type": "SCALAR"},
                {"bufferView": 3, "componentType": 5126, "count": 2, "type": "VEC3"}]})";
}

std::string Refusal(const std::string& text, const std::string& baseDir) {
    ImportedFolder out;
    std::string error;
    const bool imported =
        ImportModelBytes({reinterpret_cast<const unsigned char*>(text.data()), text.size()},
                         baseDir, {}, out, error);
    EXPECT_TRUE(imported || out.files.empty());
    return imported ? "imported" : error;
}

TEST(ImportRefusal, HostileModelsGetOneClearLine) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("model"));
    const std::string base = dir.File("model");
    dir.Write("outside.bin", BufferBytes(2));
    dir.Write("model/inside.bin", BufferBytes(2));
    std::filesystem::create_symlink(dir.File("outside.bin"), dir.File("model/link.bin"));

    const auto with = [](auto change) {
        Parts p;
        change(p);
        return Gltf(p);
    };
    std::vector<unsigned char> glb = SaveModel(SkinnedModel(), true);
    glb.resize(glb.size() / 2);
    std::string deepNodes = "[";
    for (int i = 0; i < 70; ++i)
        deepNodes += R"({"children": [)" + std::to_string(i + 1) + "]},";
    deepNodes += R"({"mesh": 0}])";
    dir.Write("model/big.png", Png(10000, 10000));
    dir.Write("model/bad.bin", BufferBytes(7));

    const std::pair<std::string, std::string> cases[] = {
        {with([](Parts& p) { p.bufferUri = "../outside.bin"; }), "\"..\" step"},
        {with([&](Parts& p) { p.bufferUri = dir.File("outside.bin"); }), "absolute path"},
        {with([](Parts& p) { p.bufferUri = "http://example.com/model.bin"; }), "scheme"},
        {with([](Parts& p) { p.bufferUri = "file:///etc/passwd"; }), "scheme"},
        {with([](Parts& p) { p.bufferUri = "link.bin"; }), "out of the model's folder"},
        {with([](Parts& p) { p.top = R"("images": [{"uri": "../outside.png"}], )"; }),
         "\"..\" step"},
        {with([](Parts& p) { p.nodes = R"([{"children": [1]}, {"children": [0], "mesh": 0}])"; }),
         "loops"},
        {with([](Parts& p) { p.nodes = R"([{"children": [1]}, {"mesh": 0}, {"children": [1]}])"; }),
         "more than one parent"},
        {with([&](Parts& p) { p.nodes = deepNodes; }), "deeper than 64"},
        {with([](Parts& p) { p.bufferUri = "bad.bin"; }), "index (7) is out of range"},
        {with([](Parts& p) { p.positionCount = "30"; }), "reaches outside"},
        // 16 million zeros from a few bytes, were they allocated.
        {with([](Parts& p) {
             p.positionView = "";
             p.positionCount = "16000000";
         }),
         "no buffer view and no sparse part"},
        {with([](Parts& p) {
             p.top = R"("extensionsUsed": ["KHR_draco_mesh_compression"],
                        "extensionsRequired": ["KHR_draco_mesh_compression"], )";
         }),
         "requires the extension KHR_draco_mesh_compression"},
        {with([](Parts& p) { p.top = R"("extensionsRequired": ["EXT_meshopt_compression"], )"; }),
         "requires the extension EXT_meshopt_compression"},
        {with([](Parts& p) { p.top = R"("images": [{"uri": "big.png"}], )"; }),
         "10000 x 10000 pixels"},
        {with([](Parts& p) {
             p.top = R"("animations": [{"channels": [{"sampler": 0, "target": {"node": 0,
                "path": "translation"}}], "samplers": [{"input": 2, "output": 3}]}], )";
         }),
         "longer than 32767 frames"},
        {with([](Parts& p) {
             p.top = R"("extras": )" + std::string(80, '[') + std::string(80, ']') + ", ";
         }),
         "nests deeper than 64"},
        {with([](Parts& p) {
             p.top = R"("animations": [{"name": "B\nd", "channels": [{"sampler": 0, "target":
                {"node": 0, "path": "translation"}}], "samplers": [{"input": 2, "output": 3,
                "interpolation": "STEPAR"}]}], )";
         }),
         "B\\x0Ad"},
        {std::string(glb.begin(), glb.end()), "damaged or truncated"},
        // A skin nothing uses still may not name a node the model does not have.
        {with([](Parts& p) { p.top = R"("skins": [{"joints": [0, 42]}], )"; }),
         "skin 0 has a joint index that is out of range"},
    };
    // The plain model imports from inside its folder.
    EXPECT_EQ(Refusal(with([](Parts&) {}), base), "imported");
    for (const auto& [text, reason] : cases) {
        const std::string error = Refusal(text, base);
        EXPECT_NE(error.find(reason), std::string::npos)
            << "wanted \"" << reason << "\", got \"" << error << "\"";
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
    // Bytes with no folder may not name any file at all.
    EXPECT_NE(Refusal(with([](Parts&) {}), "").find("external"), std::string::npos);
}

}  // namespace
