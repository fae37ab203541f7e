#include "tools/convert/scene_materials.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "assets/image_writer.h"

namespace {

std::uint8_t Byte(double unit) {
    if (!std::isfinite(unit))
        unit = 0;
    return static_cast<std::uint8_t>(std::lround(255.0 * std::clamp(unit, 0.0, 1.0)));
}

MaterialSource GameMaterial(const SceneMaterial& m) {
    MaterialSource out;
    for (std::size_t i = 0; i < 3; ++i) {
        out.diffuse[i] = Byte(m.diffuse[i]);
        out.specular[i] = Byte(m.specular[i]);
    }
    out.shininess = static_cast<float>(m.shininess);
    return out;
}

// The game draws textured faces with their texels as they are (the texture replaces the
// colour), so the factor the material multiplies in is baked into the pixels. Images come top
// row first; TGA files are written bottom row first, blue, green, red.
std::string TgaOf(const SceneImage& image, const double factor[3]) {
    const auto w = static_cast<std::size_t>(image.width);
    const auto h = static_cast<std::size_t>(image.height);
    // Every texel value of a channel maps to one byte: computed once per value, not per texel.
    std::uint8_t scaled[3][256];
    for (std::size_t c = 0; c < 3; ++c) {
        for (int v = 0; v < 256; ++v)
            scaled[c][v] = Byte(v / 255.0 * factor[c]);
    }
    std::vector<std::uint8_t> bgr(w * h * 3);
    for (std::size_t y = 0; y < h; ++y) {
        const std::uint8_t* from = image.rgb.data() + (h - 1 - y) * w * 3;
        std::uint8_t* to = bgr.data() + y * w * 3;
        for (std::size_t x = 0; x < w; ++x) {
            to[3 * x] = scaled[2][from[3 * x + 2]];
            to[3 * x + 1] = scaled[1][from[3 * x + 1]];
            to[3 * x + 2] = scaled[0][from[3 * x]];
        }
    }
    const std::vector<std::uint8_t> file = EncodeTga(image.width, image.height, 24, bgr, false);
    return {file.begin(), file.end()};
}

}  // namespace

MaterialSet BuildMaterials(const Scene& scene, const RestMesh& mesh, FileStems& stems) {
    MaterialSet set;
    set.material.assign(scene.materials.size() + 1, -1);
    set.texture.assign(scene.materials.size() + 1, -1);
    // The same image with the same factor makes one texture.
    std::map<std::tuple<int, double, double, double>, int> textures;
    for (const int material : mesh.materials) {
        const auto slot = static_cast<std::size_t>(material + 1);
        set.material[slot] = static_cast<int>(set.materials.size());
        if (material < 0) {
            set.materials.push_back(GameMaterial(SceneMaterial{}));
            continue;
        }
        const SceneMaterial& m = scene.materials[static_cast<std::size_t>(material)];
        set.materials.push_back(GameMaterial(m));
        if (m.image < 0)
            continue;
        double factor[3];
        for (std::size_t i = 0; i < 3; ++i)
            factor[i] = std::clamp(m.textureFactor[i], 0.0, 1.0);
        const auto key = std::make_tuple(m.image, factor[0], factor[1], factor[2]);
        if (const auto found = textures.find(key); found != textures.end()) {
            set.texture[slot] = found->second;
            continue;
        }
        const SceneImage& image = scene.images[static_cast<std::size_t>(m.image)];
        const std::string name =
            stems.Make(image.name, "texture" + std::to_string(m.image)) + ".tga";
        set.texture[slot] = textures[key] = static_cast<int>(set.textures.size());
        set.textures.push_back({name, static_cast<std::int16_t>(image.width),
                                static_cast<std::int16_t>(image.height)});
        set.files.emplace_back(name, TgaOf(image, factor));
    }
    return set;
}
