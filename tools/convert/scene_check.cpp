#include "tools/convert/scene_check.h"

#include <cmath>

namespace {

bool Finite(const Vec3d& v) {
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

bool Finite(const Affine& m) {
    for (const auto& row : m.a)
        for (double v : row)
            if (!std::isfinite(v))
                return false;
    return Finite(m.t);
}

bool InRange(int index, std::size_t size) {
    return index >= 0 && static_cast<std::size_t>(index) < size;
}

std::string At(const char* what, std::size_t index) {
    return std::string(what) + " " + std::to_string(index) + ": ";
}

bool Fails(std::string& error, std::string text) {
    error = std::move(text);
    return false;
}

bool CheckNodes(const Scene& scene, std::string& error) {
    if (scene.nodes.size() > kMaxSceneNodes)
        return Fails(error, "more than " + std::to_string(kMaxSceneNodes) + " nodes");
    // Pre-order: a node's parent is the node before it or one of that node's ancestors.
    for (std::size_t i = 0; i < scene.nodes.size(); ++i) {
        const SceneNode& node = scene.nodes[i];
        if (node.name.size() > kMaxSceneNameBytes)
            return Fails(error, At("node", i) + "its name is too long");
        if (node.parent != -1) {
            if (!InRange(node.parent, i))
                return Fails(error, At("node", i) + "its parent does not come before it");
            int up = static_cast<int>(i) - 1;
            while (up != -1 && up != node.parent)
                up = scene.nodes[static_cast<std::size_t>(up)].parent;
            if (up != node.parent)
                return Fails(error, At("node", i) + "the nodes are not in pre-order");
        }
        const NodeParts& rest = node.rest;
        const bool finite =
            rest.matrix ? Finite(rest.fixed)
                        : Finite(rest.translation) && Finite(rest.scale) &&
                              std::isfinite(rest.rotation[0]) && std::isfinite(rest.rotation[1]) &&
                              std::isfinite(rest.rotation[2]) && std::isfinite(rest.rotation[3]);
        if (!finite)
            return Fails(error, At("node", i) + "its transform is not finite");
        if (node.attachmentPoints) {
            for (double v : *node.attachmentPoints)
                if (!std::isfinite(v))
                    return Fails(error, At("node", i) + "an attachment point is not finite");
        }
    }
    return true;
}

bool CheckMesh(const Scene& scene, std::size_t m, std::string& error) {
    const SceneMesh& mesh = scene.meshes[m];
    const std::size_t count = mesh.positions.size();
    if (mesh.skin != -1 && !InRange(mesh.skin, scene.skins.size()))
        return Fails(error, At("mesh", m) + "its skin does not exist");
    if (mesh.skin == -1 && !InRange(mesh.node, scene.nodes.size()))
        return Fails(error, At("mesh", m) + "its node does not exist");
    if (mesh.skin != -1 && mesh.node != -1 && !InRange(mesh.node, scene.nodes.size()))
        return Fails(error, At("mesh", m) + "its node does not exist");
    if (mesh.material != -1 && !InRange(mesh.material, scene.materials.size()))
        return Fails(error, At("mesh", m) + "its material does not exist");
    if (!mesh.normals.empty() && mesh.normals.size() != count)
        return Fails(error, At("mesh", m) + "it has not one normal per position");
    if (!mesh.uvs.empty() && mesh.uvs.size() != count)
        return Fails(error, At("mesh", m) + "it has not one texture coordinate per position");
    const std::size_t influences = mesh.skin == -1 ? 0 : count;
    if (mesh.influences.size() != influences)
        return Fails(error, At("mesh", m) + "it has not one influence set per skinned position");
    for (std::size_t v = 0; v < count; ++v) {
        if (!Finite(mesh.positions[v]) || (!mesh.normals.empty() && !Finite(mesh.normals[v])))
            return Fails(error, At("mesh", m) + "a position or normal is not finite");
        if (!mesh.uvs.empty() && !(std::isfinite(mesh.uvs[v][0]) && std::isfinite(mesh.uvs[v][1])))
            return Fails(error, At("mesh", m) + "a texture coordinate is not finite");
    }
    if (mesh.skin != -1) {
        const std::size_t joints = scene.skins[static_cast<std::size_t>(mesh.skin)].joints.size();
        for (const auto& set : mesh.influences) {
            for (const SceneInfluence& influence : set) {
                if (!InRange(influence.joint, joints) || !std::isfinite(influence.weight) ||
                    influence.weight < 0 || influence.weight > 1) {
                    return Fails(error, At("mesh", m) + "an influence names no joint of its " +
                                            "skin or has a weight outside 0..1");
                }
            }
        }
    }
    for (const auto& triangle : mesh.triangles) {
        for (std::uint32_t index : triangle)
            if (index >= count)
                return Fails(error, At("mesh", m) + "a triangle names a missing position");
    }
    return true;
}

bool CheckMeshes(const Scene& scene, std::string& error) {
    if (scene.meshes.size() > kMaxSceneMeshes)
        return Fails(error, "more than " + std::to_string(kMaxSceneMeshes) + " meshes");
    std::size_t vertices = 0, triangles = 0;
    for (std::size_t m = 0; m < scene.meshes.size(); ++m) {
        vertices += scene.meshes[m].positions.size();
        triangles += scene.meshes[m].triangles.size();
        if (vertices > kMaxSceneVertices)
            return Fails(error, "more than " + std::to_string(kMaxSceneVertices) + " vertices");
        if (triangles > kMaxSceneTriangles)
            return Fails(error, "more than " + std::to_string(kMaxSceneTriangles) + " triangles");
        if (!CheckMesh(scene, m, error))
            return false;
    }
    return true;
}

bool CheckSkins(const Scene& scene, std::string& error) {
    if (scene.skins.size() > kMaxSceneSkins)
        return Fails(error, "more than " + std::to_string(kMaxSceneSkins) + " skins");
    std::size_t joints = 0;
    for (std::size_t s = 0; s < scene.skins.size(); ++s) {
        const SceneSkin& skin = scene.skins[s];
        joints += skin.joints.size();
        if (joints > kMaxSceneJoints)
            return Fails(error, "more than " + std::to_string(kMaxSceneJoints) + " skin joints");
        if (skin.joints.empty() || skin.inverseBinds.size() != skin.joints.size())
            return Fails(error, At("skin", s) + "it needs one inverse bind matrix per joint");
        for (std::size_t j = 0; j < skin.joints.size(); ++j) {
            if (!InRange(skin.joints[j], scene.nodes.size()))
                return Fails(error, At("skin", s) + "a joint names a missing node");
            if (!Finite(skin.inverseBinds[j]))
                return Fails(error, At("skin", s) + "an inverse bind matrix is not finite");
        }
    }
    return true;
}

bool CheckMaterials(const Scene& scene, std::size_t pendingImages, std::string& error) {
    if (scene.materials.size() > kMaxSceneMaterials)
        return Fails(error, "more than " + std::to_string(kMaxSceneMaterials) + " materials");
    for (std::size_t m = 0; m < scene.materials.size(); ++m) {
        const SceneMaterial& material = scene.materials[m];
        if (material.name.size() > kMaxSceneNameBytes)
            return Fails(error, At("material", m) + "its name is too long");
        if (!Finite(material.diffuse) || !Finite(material.specular) ||
            !Finite(material.textureFactor) || !std::isfinite(material.shininess)) {
            return Fails(error, At("material", m) + "a colour is not finite");
        }
        if (material.image != -1 && !InRange(material.image, scene.images.size() + pendingImages))
            return Fails(error, At("material", m) + "its image does not exist");
    }
    return true;
}

bool CheckImages(const Scene& scene, std::string& error) {
    if (scene.images.size() > kMaxSceneImages)
        return Fails(error, "more than " + std::to_string(kMaxSceneImages) + " images");
    for (std::size_t i = 0; i < scene.images.size(); ++i) {
        const SceneImage& image = scene.images[i];
        if (image.name.size() > kMaxSceneNameBytes)
            return Fails(error, At("image", i) + "its name is too long");
        if (image.width < 1 || image.height < 1 || image.width > kMaxImageSide ||
            image.height > kMaxImageSide ||
            static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) >
                kMaxImagePixels) {
            return Fails(error, At("image", i) + "its size is empty or too large");
        }
        if (image.rgb.size() !=
            static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3) {
            return Fails(error, At("image", i) + "its pixels do not match its size");
        }
    }
    return true;
}

std::size_t ValuesPerKey(const SceneChannel& channel) {
    const std::size_t width = channel.path == ScenePath::kRotation ? 4 : 3;
    return channel.mode == SceneInterpolation::kCubic ? 3 * width : width;
}

bool CheckAnimations(const Scene& scene, std::string& error) {
    if (scene.animations.size() > kMaxSceneAnimations)
        return Fails(error, "more than " + std::to_string(kMaxSceneAnimations) + " animations");
    std::size_t keys = 0;
    for (std::size_t a = 0; a < scene.animations.size(); ++a) {
        const SceneAnimation& animation = scene.animations[a];
        if (animation.name.size() > kMaxSceneNameBytes)
            return Fails(error, At("animation", a) + "its name is too long");
        for (const SceneChannel& channel : animation.channels) {
            keys += channel.times.size();
            if (keys > kMaxSceneKeys)
                return Fails(error, "more than " + std::to_string(kMaxSceneKeys) + " keys");
            if (!InRange(channel.node, scene.nodes.size()))
                return Fails(error, At("animation", a) + "a channel names a missing node");
            if (channel.times.empty() ||
                channel.values.size() != channel.times.size() * ValuesPerKey(channel)) {
                return Fails(error, At("animation", a) + "a channel's keys and values disagree");
            }
            for (std::size_t k = 0; k < channel.times.size(); ++k) {
                if (!std::isfinite(channel.times[k]) ||
                    (k > 0 && !(channel.times[k] > channel.times[k - 1]))) {
                    return Fails(error, At("animation", a) + "key times do not ascend");
                }
            }
            for (double v : channel.values)
                if (!std::isfinite(v))
                    return Fails(error, At("animation", a) + "a key value is not finite");
        }
    }
    return true;
}

bool CheckLines(const std::vector<std::string>& lines, std::size_t most, const char* what,
                std::string& error) {
    if (lines.size() > most)
        return Fails(error, std::string("too many ") + what);
    for (const std::string& line : lines)
        if (line.size() > kMaxSceneNameBytes || line.find('\n') != std::string::npos)
            return Fails(error, std::string("one of the ") + what + " is not one short line");
    return true;
}

}  // namespace

bool CheckScene(const Scene& scene, std::string& error) {
    return CheckScene(scene, 0, error);
}

bool CheckScene(const Scene& scene, std::size_t pendingImages, std::string& error) {
    return CheckNodes(scene, error) && CheckSkins(scene, error) &&
           CheckMaterials(scene, pendingImages, error) && CheckMeshes(scene, error) &&
           CheckImages(scene, error) && CheckAnimations(scene, error) &&
           CheckLines(scene.notes, kMaxSceneNotes, "notes", error) &&
           CheckLines(scene.sources, kMaxSceneSources, "source paths", error);
}
