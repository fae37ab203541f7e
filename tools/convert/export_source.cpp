#include "tools/convert/export_source.h"

#include <cmath>
#include <filesystem>

#include "game/descriptor.h"
#include "tools/convert/export_skin.h"

namespace {

constexpr const char* kActorDescriptor = "kordax.txt";
constexpr const char* kGunDescriptor = "gun82.txt";

std::string InFolder(const std::string& folder, const std::string& name) {
    return (std::filesystem::path(folder) / name).string();
}

bool Finite(const Vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool Finite(const Transform& m) {
    for (const float x : m.r.m) {
        if (!std::isfinite(x))
            return false;
    }
    return Finite(m.t);
}

std::optional<Descriptor> ReadKind(const std::string& folder, const char* name, const char* kind,
                                   std::string& error) {
    const std::string path = InFolder(folder, name);
    LoadError loadError;
    std::optional<Descriptor> descriptor = ReadDescriptorFile(path, &loadError);
    if (!descriptor) {
        error = path + ": " + loadError.what;
        return std::nullopt;
    }
    if (descriptor->kind != kind) {
        error = path + ": line 1 is \"" + descriptor->kind + "\", not \"" + kind + "\"";
        return std::nullopt;
    }
    return descriptor;
}

std::string FirstNonFinite(const Mesh& mesh) {
    for (std::size_t i = 0; i < mesh.vertices.size(); ++i) {
        if (!Finite(mesh.vertices[i]))
            return "vertex " + std::to_string(i) + " is not a finite point";
    }
    for (std::size_t i = 0; i < mesh.normals.size(); ++i) {
        if (!Finite(mesh.normals[i]))
            return "normal " + std::to_string(i) + " is not a finite direction";
    }
    for (std::size_t i = 0; i < mesh.layers.size(); ++i) {
        for (const auto& uv : mesh.layers[i].uv) {
            if (!std::isfinite(uv[0]) || !std::isfinite(uv[1]))
                return "texture layer " + std::to_string(i) +
                       " has a coordinate that is not finite";
        }
    }
    for (const auto& node : mesh.nodes) {
        for (const float x : node->points) {
            if (!std::isfinite(x))
                return std::string("node \"") + node->name + "\" has a point that is not finite";
        }
    }
    return {};
}

bool ReadMesh(const std::string& folder, const std::string& fileName, SourceMesh& out,
              std::string& error) {
    const std::string path = InFolder(folder, fileName);
    out.fileName = fileName;
    out.mesh = std::make_unique<Mesh>();
    LoadError loadError;
    if (out.mesh->ReadFile(path, &loadError) != 1) {
        error = path + ": " + loadError.what;
        return false;
    }
    if (const std::string fault = FirstNonFinite(*out.mesh); !fault.empty()) {
        error = path + ": " + fault;
        return false;
    }
    // The game fails the whole mesh when one of its textures does not load.
    out.textures.resize(static_cast<std::size_t>(out.mesh->textureCount));
    for (std::int32_t i = 0; i < out.mesh->textureCount; ++i) {
        const std::string image = InFolder(folder, out.mesh->textures[i].fileName);
        if (!LoadTextureAsPng(image, out.textures[static_cast<std::size_t>(i)], error))
            return false;
    }
    return true;
}

bool ReadAnimation(const std::string& folder, const std::string& fileName, ExportSource& out,
                   std::string& error) {
    const std::string path = InFolder(folder, fileName);
    auto animation = std::make_unique<Animation>();
    LoadError loadError;
    if (animation->Load(path, &loadError) != 1) {
        error = path + ": " + loadError.what;
        return false;
    }
    for (std::size_t i = 0; i < animation->keys.size(); ++i) {
        if (!Finite(animation->keys[i])) {
            const auto frames = static_cast<std::size_t>(animation->frameCount);
            error = path + ": the keyframe of track " + std::to_string(i / frames) + " at frame " +
                    std::to_string(i % frames) + " is not finite";
            return false;
        }
    }
    out.animationNames.push_back(animation->name[0] != '\0'
                                     ? std::string(animation->name)
                                     : std::filesystem::path(fileName).stem().string());
    out.animations.push_back(std::move(animation));
    return true;
}

}  // namespace

bool LoadExportSource(const std::string& folder, bool withGun, ExportSource& out,
                      std::string& error) {
    std::error_code ignored;
    if (!std::filesystem::is_directory(folder, ignored)) {
        error = folder + ": no such folder";
        return false;
    }
    const std::optional<Descriptor> actor = ReadKind(folder, kActorDescriptor, "actor", error);
    if (!actor || !ReadMesh(folder, actor->mesh, out.actor, error) ||
        !ReadSkinRecord(folder, actor->mesh, *out.actor.mesh, out.skin, error))
        return false;
    for (const std::string& name : actor->animations) {
        if (!ReadAnimation(folder, name, out, error))
            return false;
    }
    if (!withGun)
        return true;
    const std::optional<Descriptor> gun = ReadKind(folder, kGunDescriptor, "prop", error);
    if (!gun)
        return false;
    out.gun.emplace();
    return ReadMesh(folder, gun->mesh, *out.gun, error);
}
