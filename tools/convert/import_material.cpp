#include "tools/convert/import_material.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "assets/image_writer.h"

namespace {

std::uint8_t Byte(double unit) {
    if (!std::isfinite(unit))
        unit = 0;
    return static_cast<std::uint8_t>(std::lround(255.0 * std::clamp(unit, 0.0, 1.0)));
}

// A specular colour the model gives itself (KHR_materials_specular, which our export writes)
// wins over the one derived from roughness.
void TakeSpecularColour(const tinygltf::Material& m, MaterialSource& out) {
    const auto found = m.extensions.find("KHR_materials_specular");
    if (found == m.extensions.end() || !found->second.Has("specularColorFactor"))
        return;
    const tinygltf::Value& factor = found->second.Get("specularColorFactor");
    if (!factor.IsArray() || factor.ArrayLen() != 3)
        return;
    for (int i = 0; i < 3; ++i) {
        if (factor.Get(i).IsNumber())
            out.specular[i] = Byte(factor.Get(i).GetNumberAsDouble());
    }
}

// glTF's colours are metallic-roughness; the game's are fixed-function Phong. Untextured faces
// take the base colour factor as diffuse. Highlights follow smoothness: the specular grey is
// (1 - roughness) * (0.2 + 0.8 * metallic), so rough surfaces have none and metals the most, and
// the shininess (which the loader multiplies by 128) is (1 - roughness)^2.
MaterialSource GameMaterial(const tinygltf::Material* m) {
    double colour[3] = {1, 1, 1};
    double metallic = 1, roughness = 1;  // glTF's default material
    if (m != nullptr) {
        const auto& pbr = m->pbrMetallicRoughness;
        for (std::size_t i = 0; i < 3 && i < pbr.baseColorFactor.size(); ++i)
            colour[i] = pbr.baseColorFactor[i];
        metallic = std::clamp(pbr.metallicFactor, 0.0, 1.0);
        roughness = std::clamp(pbr.roughnessFactor, 0.0, 1.0);
    }
    MaterialSource out;
    const std::uint8_t specular = Byte((1 - roughness) * (0.2 + 0.8 * metallic));
    for (int i = 0; i < 3; ++i) {
        out.diffuse[i] = Byte(colour[i]);
        out.specular[i] = specular;
    }
    out.shininess = static_cast<float>((1 - roughness) * (1 - roughness));
    if (m != nullptr)
        TakeSpecularColour(*m, out);
    return out;
}

// The game draws textured faces with their texels as they are (the texture replaces the
// colour), so the base colour factor that glTF multiplies in is baked into the pixels.
// glTF images come top row first; TGA files are written bottom row first, blue, green, red.
std::string TgaOf(const tinygltf::Image& image, const double factor[3]) {
    const auto w = static_cast<std::size_t>(image.width);
    const auto h = static_cast<std::size_t>(image.height);
    std::vector<std::uint8_t> bgr(w * h * 3);
    for (std::size_t y = 0; y < h; ++y) {
        const std::uint8_t* from = image.image.data() + (h - 1 - y) * w * 3;
        std::uint8_t* to = bgr.data() + y * w * 3;
        for (std::size_t x = 0; x < w; ++x) {
            for (int c = 0; c < 3; ++c)
                to[3 * x + static_cast<std::size_t>(2 - c)] =
                    Byte(from[3 * x + static_cast<std::size_t>(c)] / 255.0 * factor[c]);
        }
    }
    const std::vector<std::uint8_t> file = EncodeTga(image.width, image.height, 24, bgr, false);
    return {file.begin(), file.end()};
}

std::string ImageStem(const tinygltf::Image& image) {
    // A name or file name without its extension ("plate.png" gives "plate").
    const std::string uri = image.uri.substr(image.uri.find_last_of('/') + 1);
    const std::string name = !image.name.empty()               ? image.name
                             : uri.compare(0, 5, "data:") == 0 ? ""
                                                               : uri;
    return name.substr(0, name.find_last_of('.'));
}

}  // namespace

MaterialSet BuildMaterials(const tinygltf::Model& model, const RestGeometry& geometry,
                           FileStems& stems) {
    MaterialSet set;
    set.material.assign(model.materials.size() + 1, -1);
    set.texture.assign(model.materials.size() + 1, -1);
    // The same image with the same factor makes one texture.
    std::map<std::tuple<int, double, double, double>, int> textures;
    for (const RestTriangle& t : geometry.triangles) {
        const auto slot = static_cast<std::size_t>(t.material + 1);
        if (set.material[slot] >= 0)
            continue;
        const tinygltf::Material* m =
            t.material < 0 ? nullptr : &model.materials[static_cast<std::size_t>(t.material)];
        set.material[slot] = static_cast<int>(set.materials.size());
        set.materials.push_back(GameMaterial(m));
        int texCoord = -1;
        std::string unused;
        if (m == nullptr || !BaseColorTexCoord(model, t.material, texCoord, unused) || texCoord < 0)
            continue;
        const int textureIndex = m->pbrMetallicRoughness.baseColorTexture.index;
        const int source = model.textures[static_cast<std::size_t>(textureIndex)].source;
        double factor[3] = {1, 1, 1};
        const auto& f = m->pbrMetallicRoughness.baseColorFactor;
        for (std::size_t i = 0; i < 3 && i < f.size(); ++i)
            factor[i] = std::clamp(f[i], 0.0, 1.0);
        const auto key = std::make_tuple(source, factor[0], factor[1], factor[2]);
        if (const auto found = textures.find(key); found != textures.end()) {
            set.texture[slot] = found->second;
            continue;
        }
        const tinygltf::Image& image = model.images[static_cast<std::size_t>(source)];
        const std::string name =
            stems.Make(ImageStem(image), "texture" + std::to_string(source)) + ".tga";
        set.texture[slot] = textures[key] = static_cast<int>(set.textures.size());
        set.textures.push_back({name, static_cast<std::int16_t>(image.width),
                                static_cast<std::int16_t>(image.height)});
        set.files.emplace_back(name, TgaOf(image, factor));
    }
    return set;
}
