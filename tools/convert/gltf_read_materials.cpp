#include "tools/convert/gltf_read_materials.h"

#include <algorithm>

#include "tools/convert/gltf_read_geometry.h"

namespace {

// A specular colour the model gives itself (KHR_materials_specular, which our export writes)
// wins over the one derived from roughness.
void TakeSpecularColour(const tinygltf::Material& m, SceneMaterial& out) {
    const auto found = m.extensions.find("KHR_materials_specular");
    if (found == m.extensions.end() || !found->second.Has("specularColorFactor"))
        return;
    const tinygltf::Value& factor = found->second.Get("specularColorFactor");
    if (!factor.IsArray() || factor.ArrayLen() != 3)
        return;
    for (int i = 0; i < 3; ++i) {
        if (factor.Get(i).IsNumber())
            out.specular[static_cast<std::size_t>(i)] = factor.Get(i).GetNumberAsDouble();
    }
}

// glTF's colours are metallic-roughness; the game's are fixed-function Phong. Untextured faces
// take the base colour factor as diffuse. Highlights follow smoothness: the specular grey is
// (1 - roughness) * (0.2 + 0.8 * metallic), so rough surfaces have none and metals the most, and
// the shininess is (1 - roughness)^2.
SceneMaterial PhongMaterial(const tinygltf::Model& model, int index) {
    const tinygltf::Material& m = model.materials[static_cast<std::size_t>(index)];
    const auto& pbr = m.pbrMetallicRoughness;
    SceneMaterial out;
    out.name = m.name;
    for (std::size_t i = 0; i < 3 && i < pbr.baseColorFactor.size(); ++i)
        out.diffuse[i] = out.textureFactor[i] = pbr.baseColorFactor[i];
    const double metallic = std::clamp(pbr.metallicFactor, 0.0, 1.0);
    const double roughness = std::clamp(pbr.roughnessFactor, 0.0, 1.0);
    const double specular = (1 - roughness) * (0.2 + 0.8 * metallic);
    out.specular = {specular, specular, specular};
    out.shininess = (1 - roughness) * (1 - roughness);
    TakeSpecularColour(m, out);
    int texCoord = -1;
    std::string unused;
    if (BaseColorTexCoord(model, index, texCoord, unused) && texCoord >= 0) {
        out.image = model.textures[static_cast<std::size_t>(pbr.baseColorTexture.index)].source;
    }
    return out;
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

void ReadMaterials(tinygltf::Model& model, Scene& scene) {
    for (std::size_t i = 0; i < model.materials.size(); ++i)
        scene.materials.push_back(PhongMaterial(model, static_cast<int>(i)));
    for (tinygltf::Image& image : model.images)
        scene.images.push_back(
            {ImageStem(image), image.width, image.height, std::move(image.image)});
}
