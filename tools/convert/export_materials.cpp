#include "tools/convert/export_materials.h"

#include <algorithm>
#include <cmath>

#include "tools/convert/export_lists.h"

namespace {

constexpr const char* kSpecularExtension = "KHR_materials_specular";

void Use(tinygltf::Model& model, const std::string& extension) {
    if (std::find(model.extensionsUsed.begin(), model.extensionsUsed.end(), extension) ==
        model.extensionsUsed.end())
        model.extensionsUsed.push_back(extension);
}

tinygltf::Value Colour(const float (&rgb)[3]) {
    return tinygltf::Value(tinygltf::Value::Array{tinygltf::Value(static_cast<double>(rgb[0])),
                                                  tinygltf::Value(static_cast<double>(rgb[1])),
                                                  tinygltf::Value(static_cast<double>(rgb[2]))});
}

// The game's texture state: repeat, linear magnification, trilinear minification.
int Sampler(tinygltf::Model& model) {
    if (model.samplers.empty()) {
        tinygltf::Sampler sampler;
        sampler.magFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
        sampler.minFilter = TINYGLTF_TEXTURE_FILTER_LINEAR_MIPMAP_LINEAR;
        sampler.wrapS = TINYGLTF_TEXTURE_WRAP_REPEAT;
        sampler.wrapT = TINYGLTF_TEXTURE_WRAP_REPEAT;
        model.samplers.push_back(sampler);
    }
    return 0;
}

double RoughnessFromShininess(double shininess) {
    if (!(shininess > 0))
        return 1;
    if (!(shininess < 128))
        return 0;
    return 1 - std::sqrt(shininess / 128);
}

}  // namespace

MaterialTable::MaterialTable(tinygltf::Model& model, BufferBuilder& buffer, const Mesh& mesh,
                             std::vector<PngImage> textures, std::string name)
    : model_(model),
      buffer_(buffer),
      mesh_(mesh),
      images_(std::move(textures)),
      name_(std::move(name)) {}

int MaterialTable::TextureFor(int texture) {
    if (const auto found = textures_.find(texture); found != textures_.end())
        return found->second;
    tinygltf::Image image;
    image.name = mesh_.textures[static_cast<std::size_t>(texture)].fileName;
    image.mimeType = "image/png";
    image.bufferView = buffer_.View(images_[static_cast<std::size_t>(texture)].bytes, 0);
    tinygltf::Texture gltfTexture;
    gltfTexture.sampler = Sampler(model_);
    gltfTexture.source = Append(model_.images, std::move(image));
    const int index = Append(model_.textures, std::move(gltfTexture));
    textures_.emplace(texture, index);
    return index;
}

int MaterialTable::For(int material, int texture) {
    if (const auto found = materials_.find({material, texture}); found != materials_.end())
        return found->second;
    const Material& m = mesh_.materials[static_cast<std::size_t>(material)];
    tinygltf::Material out;
    out.name = name_ + " material " + std::to_string(material);
    out.pbrMetallicRoughness.baseColorFactor = {m.diffuse[0], m.diffuse[1], m.diffuse[2], 1.0};
    out.pbrMetallicRoughness.metallicFactor = 0.0;
    out.pbrMetallicRoughness.roughnessFactor = RoughnessFromShininess(m.shininess);
    Use(model_, kSpecularExtension);
    out.extensions[kSpecularExtension] =
        tinygltf::Value(tinygltf::Value::Object{{"specularColorFactor", Colour(m.specular)}});
    if (texture >= 0) {
        out.name += std::string(" ") + mesh_.textures[static_cast<std::size_t>(texture)].fileName;
        out.pbrMetallicRoughness.baseColorTexture.index = TextureFor(texture);
        if (images_[static_cast<std::size_t>(texture)].alpha)
            out.alphaMode = "BLEND";
    }
    const int index = Append(model_.materials, std::move(out));
    materials_.emplace(std::make_pair(material, texture), index);
    return index;
}
