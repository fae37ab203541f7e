#include "tools/convert/assimp_scene.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>

#include <assimp/material.h>

#include "tools/convert/assimp_animation.h"
#include "tools/convert/assimp_textures.h"
#include "tools/convert/assimp_transform.h"
#include "tools/convert/scene_check.h"

namespace {

struct Walk {
    const aiNode* node;
    int parent;
};

// Nodes in pre-order, without recursion (a hostile file may nest deeply).
bool ConvertNodes(const aiScene& ai, const std::set<std::string>& animated,
                  std::vector<const aiNode*>& order, Scene& scene, std::string& error) {
    std::vector<Walk> stack = {{ai.mRootNode, scene.nodes.empty() ? -1 : 0}};  // under "axes"
    bool inexact = false;
    while (!stack.empty()) {
        const Walk at = stack.back();
        stack.pop_back();
        if (scene.nodes.size() >= kMaxSceneNodes) {
            error = "it has more than " + std::to_string(kMaxSceneNodes) + " nodes";
            return false;
        }
        SceneNode node;
        node.name = at.node->mName.C_Str();
        node.parent = at.parent;
        bool exact = true;
        node.rest = PartsOf(at.node->mTransformation, animated.count(node.name) > 0, exact);
        inexact = inexact || !exact;
        scene.nodes.push_back(std::move(node));
        order.push_back(at.node);
        const int index = static_cast<int>(scene.nodes.size()) - 1;
        for (unsigned c = at.node->mNumChildren; c-- > 0;)
            stack.push_back({at.node->mChildren[c], index});
    }
    if (inexact)
        scene.notes.push_back(
            "an animated node's rest matrix is not translation, rotation and "
            "scale; its nearest such parts are used");
    return true;
}

Vec3d Colour(const aiMaterial& material, const char* key, unsigned type, unsigned index,
             const Vec3d& otherwise) {
    aiColor3D colour;
    if (material.Get(key, type, index, colour) != AI_SUCCESS)
        return otherwise;
    const auto clamp = [](float v) { return std::isfinite(v) ? std::clamp(v, 0.0f, 1.0f) : 0.0f; };
    return {clamp(colour.r), clamp(colour.g), clamp(colour.b)};
}

void ConvertMaterials(const aiScene& ai, const std::string& modelPath, Scene& scene,
                      std::vector<EncodedImage>& encoded) {
    AssimpTextures textures(ai, std::filesystem::path(modelPath).parent_path());
    for (unsigned m = 0; m < ai.mNumMaterials; ++m) {
        const aiMaterial& material = *ai.mMaterials[m];
        SceneMaterial out;
        aiString name;
        if (material.Get(AI_MATKEY_NAME, name) == AI_SUCCESS)
            out.name = name.C_Str();
        out.diffuse = Colour(material, AI_MATKEY_COLOR_DIFFUSE,
                             Colour(material, AI_MATKEY_BASE_COLOR, {1, 1, 1}));
        float strength = 1, shininess = 0;
        material.Get(AI_MATKEY_SHININESS_STRENGTH, strength);
        material.Get(AI_MATKEY_SHININESS, shininess);
        const Vec3d specular = Colour(material, AI_MATKEY_COLOR_SPECULAR, {0, 0, 0});
        const double factor = std::isfinite(strength) ? std::clamp(strength, 0.0f, 1.0f) : 1;
        out.specular = {specular[0] * factor, specular[1] * factor, specular[2] * factor};
        // The game's shininess times 128 is the Phong exponent files give.
        out.shininess = std::isfinite(shininess) ? std::clamp(shininess / 128.0, 0.0, 1.0) : 0;
        aiString texture;
        if (material.GetTexture(aiTextureType_DIFFUSE, 0, &texture) == AI_SUCCESS ||
            material.GetTexture(aiTextureType_BASE_COLOR, 0, &texture) == AI_SUCCESS) {
            out.image = textures.Find(texture.C_Str(), scene, encoded);
        }
        scene.materials.push_back(std::move(out));
    }
}

// Per vertex the strongest kMaxInfluences weights (the library has limited them already),
// scaled to sum to 1. A vertex no bone holds moves with the mesh's node: `rigidJoint`.
bool Influences(const aiMesh& mesh, int rigidJoint, SceneMesh& out) {
    std::vector<std::vector<std::pair<double, int>>> weights(mesh.mNumVertices);
    for (unsigned b = 0; b < mesh.mNumBones; ++b) {
        const aiBone& bone = *mesh.mBones[b];
        for (unsigned w = 0; w < bone.mNumWeights; ++w) {
            const aiVertexWeight& weight = bone.mWeights[w];
            if (weight.mVertexId < mesh.mNumVertices && std::isfinite(weight.mWeight) &&
                weight.mWeight > 0) {
                weights[weight.mVertexId].push_back({weight.mWeight, static_cast<int>(b)});
            }
        }
    }
    bool anyRigid = false;
    out.influences.resize(mesh.mNumVertices);
    for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
        auto& list = weights[v];
        std::sort(list.begin(), list.end(), [](const auto& a, const auto& b) {
            return a.first != b.first ? a.first > b.first : a.second < b.second;
        });
        list.resize(std::min(list.size(), kMaxInfluences));
        double sum = 0;
        for (const auto& [weight, joint] : list)
            sum += weight;
        auto& set = out.influences[v];
        if (list.empty()) {
            set[0] = {rigidJoint, 1.0};
            anyRigid = true;
            continue;
        }
        for (std::size_t i = 0; i < list.size(); ++i)
            set[i] = {list[i].second, list[i].first / sum};
    }
    return anyRigid;
}

bool ConvertMesh(const aiScene& ai, const aiMesh& mesh, int node,
                 const std::map<std::string, int>& nodes, Scene& scene, std::string& error) {
    SceneMesh out;
    out.node = node;
    out.material =
        mesh.mMaterialIndex < ai.mNumMaterials ? static_cast<int>(mesh.mMaterialIndex) : -1;
    out.positions.reserve(mesh.mNumVertices);
    for (unsigned v = 0; v < mesh.mNumVertices; ++v)
        out.positions.push_back({mesh.mVertices[v].x, mesh.mVertices[v].y, mesh.mVertices[v].z});
    if (mesh.mNormals != nullptr) {
        for (unsigned v = 0; v < mesh.mNumVertices; ++v)
            out.normals.push_back({mesh.mNormals[v].x, mesh.mNormals[v].y, mesh.mNormals[v].z});
    }
    if (mesh.mTextureCoords[0] != nullptr && mesh.mNumUVComponents[0] >= 2) {
        // The library's v runs up from the image's bottom row; ours down from its top.
        for (unsigned v = 0; v < mesh.mNumVertices; ++v)
            out.uvs.push_back({mesh.mTextureCoords[0][v].x, 1.0 - mesh.mTextureCoords[0][v].y});
    }
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        if (face.mNumIndices == 3)
            out.triangles.push_back({face.mIndices[0], face.mIndices[1], face.mIndices[2]});
    }
    if (mesh.mNumBones > 0) {
        SceneSkin skin;
        for (unsigned b = 0; b < mesh.mNumBones; ++b) {
            const aiBone& bone = *mesh.mBones[b];
            const auto found = nodes.find(bone.mName.C_Str());
            if (found == nodes.end()) {
                error = "the bone \"" + std::string(bone.mName.C_Str()) + "\" has no node";
                return false;
            }
            skin.joints.push_back(found->second);
            skin.inverseBinds.push_back(ToAffine(bone.mOffsetMatrix));
        }
        if (Influences(mesh, static_cast<int>(skin.joints.size()), out)) {
            skin.joints.push_back(node);  // an identity inverse bind: rigid with the node
            skin.inverseBinds.push_back(Affine{});
        }
        out.skin = static_cast<int>(scene.skins.size());
        scene.skins.push_back(std::move(skin));
    }
    scene.meshes.push_back(std::move(out));
    return true;
}

// Readers of motion files (BVH, a lone .md5anim) give the skeleton a stand-in mesh of their
// own making, with a material of this name: it is no geometry of the file's.
bool IsSkeletonStandIn(const aiScene& ai, const aiMesh& mesh) {
    aiString name;
    return mesh.mMaterialIndex < ai.mNumMaterials &&
           ai.mMaterials[mesh.mMaterialIndex]->Get(AI_MATKEY_NAME, name) == AI_SUCCESS &&
           std::string(name.C_Str()) == "SkeletonMaterial";
}

bool ConvertMeshes(const aiScene& ai, const std::vector<const aiNode*>& order, int firstNode,
                   const std::map<std::string, int>& nodes, Scene& scene, std::string& error) {
    std::size_t skipped = 0;
    for (std::size_t n = 0; n < order.size(); ++n) {
        for (unsigned i = 0; i < order[n]->mNumMeshes; ++i) {
            const unsigned index = order[n]->mMeshes[i];
            if (index >= ai.mNumMeshes)
                continue;
            const aiMesh& mesh = *ai.mMeshes[index];
            if (IsSkeletonStandIn(ai, mesh))
                continue;
            if ((mesh.mPrimitiveTypes & aiPrimitiveType_TRIANGLE) == 0) {
                ++skipped;
                continue;
            }
            if (scene.meshes.size() >= kMaxSceneMeshes) {
                error = "it has more than " + std::to_string(kMaxSceneMeshes) + " meshes";
                return false;
            }
            if (!ConvertMesh(ai, mesh, firstNode + static_cast<int>(n), nodes, scene, error))
                return false;
        }
    }
    if (skipped > 0)
        scene.notes.push_back("skipped " + std::to_string(skipped) + " meshes of points or lines");
    return true;
}

}  // namespace

bool ConvertAssimpScene(const aiScene& ai, const std::string& modelPath,
                        const std::vector<AssimpAnimation>& animations, Scene& scene,
                        std::vector<EncodedImage>& encoded, std::string& error) {
    if (ai.mRootNode == nullptr || ai.mNumMeshes == 0) {
        error = "it has no geometry (no meshes of triangles)";
        return false;
    }
    std::set<std::string> animated;
    for (const AssimpAnimation& animation : animations)
        for (unsigned c = 0; c < animation.animation->mNumChannels; ++c)
            animated.insert(animation.animation->mChannels[c]->mNodeName.C_Str());

    // The file's axes and unit fold into its root's transform, or, when channels replace that,
    // into a new root above it.
    std::string note;
    const std::optional<Affine> correction = FileAxesCorrection(ai, note);
    if (!note.empty())
        scene.notes.push_back(note);
    const bool rootAnimated = animated.count(ai.mRootNode->mName.C_Str()) > 0;
    if (correction && rootAnimated) {
        SceneNode axes;
        axes.name = "axes";
        axes.rest = PartsOf(*correction);
        scene.nodes.push_back(std::move(axes));
    }
    const int firstNode = static_cast<int>(scene.nodes.size());
    std::vector<const aiNode*> order;
    if (!ConvertNodes(ai, animated, order, scene, error))
        return false;
    if (correction && !rootAnimated) {
        NodeParts& root = scene.nodes[static_cast<std::size_t>(firstNode)].rest;
        root = PartsOf(*correction * root.Local());
    }
    std::map<std::string, int> nodes;
    for (std::size_t n = 0; n < order.size(); ++n)
        nodes.emplace(order[n]->mName.C_Str(), firstNode + static_cast<int>(n));

    ConvertMaterials(ai, modelPath, scene, encoded);
    if (!ConvertMeshes(ai, order, firstNode, nodes, scene, error))
        return false;
    if (scene.meshes.empty()) {
        error = "it has no geometry (no meshes of triangles)";
        return false;
    }
    for (const AssimpAnimation& animation : animations) {
        SceneAnimation out =
            ConvertAnimation(*animation.animation, animation.fallbackName, nodes, scene);
        if (!out.channels.empty())
            scene.animations.push_back(std::move(out));
    }
    return true;
}
