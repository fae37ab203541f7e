#include "tests/convert_assimp/assimp_models.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include <assimp/Exporter.hpp>

namespace {

aiNode* Child(aiNode* parent, const char* name, const aiMatrix4x4& transform) {
    auto* node = new aiNode(name);
    node->mTransformation = transform;
    parent->addChildren(1, &node);
    return node;
}

aiMatrix4x4 Translation(float x, float y, float z) {
    aiMatrix4x4 m;
    return aiMatrix4x4::Translation(aiVector3D(x, y, z), m);
}

void AttachMesh(aiNode* node, unsigned index) {
    node->mNumMeshes = 1;
    node->mMeshes = new unsigned[1]{index};
}

aiMesh* Mesh(std::initializer_list<aiVector3D> positions,
             std::initializer_list<std::array<unsigned, 3>> triangles) {
    auto* mesh = new aiMesh;
    mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    mesh->mNumVertices = static_cast<unsigned>(positions.size());
    mesh->mVertices = new aiVector3D[positions.size()];
    mesh->mNormals = new aiVector3D[positions.size()];
    unsigned v = 0;
    for (const aiVector3D& p : positions) {
        mesh->mNormals[v] = aiVector3D(0, 0, 1);
        mesh->mVertices[v++] = p;
    }
    mesh->mNumFaces = static_cast<unsigned>(triangles.size());
    mesh->mFaces = new aiFace[triangles.size()];
    unsigned f = 0;
    for (const auto& t : triangles) {
        mesh->mFaces[f].mNumIndices = 3;
        mesh->mFaces[f++].mIndices = new unsigned[3]{t[0], t[1], t[2]};
    }
    return mesh;
}

std::unique_ptr<aiScene> Scene(aiNode* root, std::initializer_list<aiMesh*> meshes) {
    auto scene = std::make_unique<aiScene>();
    scene->mRootNode = root;
    scene->mNumMeshes = static_cast<unsigned>(meshes.size());
    scene->mMeshes = new aiMesh*[meshes.size()];
    unsigned m = 0;
    for (aiMesh* mesh : meshes)
        scene->mMeshes[m++] = mesh;
    scene->mNumMaterials = 1;
    scene->mMaterials = new aiMaterial* [1] { new aiMaterial };
    aiString name("Paint");
    scene->mMaterials[0]->AddProperty(&name, AI_MATKEY_NAME);
    const aiColor3D diffuse(0.5f, 0.25f, 1.0f);
    scene->mMaterials[0]->AddProperty(&diffuse, 1, AI_MATKEY_COLOR_DIFFUSE);
    return scene;
}

aiBone* Bone(const char* name, const aiMatrix4x4& offset,
             std::initializer_list<std::pair<unsigned, float>> weights) {
    auto* bone = new aiBone;
    bone->mName = name;
    bone->mOffsetMatrix = offset;
    bone->mNumWeights = static_cast<unsigned>(weights.size());
    bone->mWeights = new aiVertexWeight[weights.size()];
    unsigned w = 0;
    for (const auto& [vertex, weight] : weights)
        bone->mWeights[w++] = aiVertexWeight(vertex, weight);
    return bone;
}

// One channel with position, rotation and scale keys at the given ticks.
aiNodeAnim* Channel(const char* node, std::initializer_list<std::pair<double, aiVector3D>> moves,
                    std::initializer_list<std::pair<double, aiQuaternion>> turns) {
    auto* channel = new aiNodeAnim;
    channel->mNodeName = node;
    channel->mNumPositionKeys = static_cast<unsigned>(moves.size());
    channel->mPositionKeys = new aiVectorKey[moves.size()];
    unsigned k = 0;
    for (const auto& [time, value] : moves)
        channel->mPositionKeys[k++] = aiVectorKey(time, value);
    channel->mNumRotationKeys = static_cast<unsigned>(turns.size());
    channel->mRotationKeys = new aiQuatKey[turns.size()];
    k = 0;
    for (const auto& [time, value] : turns)
        channel->mRotationKeys[k++] = aiQuatKey(time, value);
    channel->mNumScalingKeys = 1;
    channel->mScalingKeys = new aiVectorKey[1]{aiVectorKey(0, aiVector3D(1, 1, 1))};
    return channel;
}

aiAnimation* Animation(const char* name, double ticksPerSecond, double duration,
                       std::initializer_list<aiNodeAnim*> channels) {
    auto* animation = new aiAnimation;
    animation->mName = name;
    animation->mTicksPerSecond = ticksPerSecond;
    animation->mDuration = duration;
    animation->mNumChannels = static_cast<unsigned>(channels.size());
    animation->mChannels = new aiNodeAnim*[channels.size()];
    unsigned c = 0;
    for (aiNodeAnim* channel : channels)
        animation->mChannels[c++] = channel;
    return animation;
}

void SetAnimations(aiScene& scene, std::initializer_list<aiAnimation*> animations) {
    scene.mNumAnimations = static_cast<unsigned>(animations.size());
    scene.mAnimations = new aiAnimation*[animations.size()];
    unsigned a = 0;
    for (aiAnimation* animation : animations)
        scene.mAnimations[a++] = animation;
}

const aiQuaternion kQuarterTurnZ(aiVector3D(0, 0, 1), static_cast<float>(AI_MATH_HALF_PI));
const aiQuaternion kQuarterTurnY(aiVector3D(0, 1, 0), static_cast<float>(AI_MATH_HALF_PI));

}  // namespace

std::unique_ptr<aiScene> AssimpSkinnedCharacter() {
    auto* root = new aiNode("Root");
    AttachMesh(Child(root, "Body", aiMatrix4x4()), 0);
    aiNode* hips = Child(root, "Hips", Translation(0, 1, 0));
    Child(hips, "Arm", Translation(0, 0.5f, 0));
    aiMesh* mesh =
        Mesh({{-0.2f, 1, 0}, {0.2f, 1, 0}, {0, 1.5f, 0}, {0, 2, 0}}, {{0, 1, 2}, {1, 3, 2}});
    mesh->mNumBones = 2;
    mesh->mBones = new aiBone* [2] {
        Bone("Hips", Translation(0, -1, 0), {{0, 1.0f}, {1, 1.0f}, {2, 0.25f}}),
            Bone("Arm", Translation(0, -1.5f, 0), {{2, 0.75f}, {3, 1.0f}})
    };
    auto scene = Scene(root, {mesh});
    SetAnimations(
        *scene,
        {Animation("Walk", 1, 1,
                   {Channel("Hips", {{0, {0, 1, 0}}, {1, {0, 1.2f, 0}}}, {{0, aiQuaternion()}})}),
         Animation(
             "Wave", 1, 1,
             {Channel("Arm", {{0, {0, 0.5f, 0}}}, {{0, aiQuaternion()}, {1, kQuarterTurnZ}})})});
    return scene;
}

std::unique_ptr<aiScene> AssimpNodeAnimatedModel() {
    auto* root = new aiNode("Root");
    AttachMesh(Child(root, "Spinner", aiMatrix4x4()), 0);
    auto scene = Scene(root, {Mesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}})});
    SetAnimations(*scene, {Animation("Spin", 1, 1,
                                     {Channel("Spinner", {{0, {0, 0, 0}}, {1, {1, 0, 0}}},
                                              {{0, aiQuaternion()}, {1, kQuarterTurnY}})})});
    return scene;
}

std::unique_ptr<aiScene> AssimpTexturedModel(const std::string& texture) {
    auto* root = new aiNode("Root");
    AttachMesh(Child(root, "Body", aiMatrix4x4()), 0);
    aiMesh* mesh = Mesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}});
    mesh->mNumUVComponents[0] = 2;
    mesh->mTextureCoords[0] = new aiVector3D[3]{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    auto scene = Scene(root, {mesh});
    aiString name(texture);
    scene->mMaterials[0]->AddProperty(&name, AI_MATKEY_TEXTURE_DIFFUSE(0));
    return scene;
}

std::unique_ptr<aiScene> AssimpZUpCentimetreModel() {
    // Z up to Y up (Y' = Z, Z' = -Y), centimetres to metres.
    const aiMatrix4x4 toYUpMetres(0.01f, 0, 0, 0, 0, 0, 0.01f, 0, 0, -0.01f, 0, 0, 0, 0, 0, 1);
    auto* root = new aiNode("Root");
    root->mTransformation = toYUpMetres;
    AttachMesh(Child(root, "Body", aiMatrix4x4()), 0);
    return Scene(root, {Mesh({{0, 0, 0}, {50, 0, 0}, {0, 0, 180}}, {{0, 1, 2}})});
}

std::unique_ptr<aiScene> AssimpLargeSkinnedCharacter(int triangles, int animations) {
    constexpr unsigned kJoints = 8;
    constexpr float kStep = 0.25f;
    const unsigned faces = static_cast<unsigned>(std::max(triangles, 1));
    const unsigned quads = (faces + 1) / 2;
    const auto columns = static_cast<unsigned>(std::ceil(std::sqrt(quads / 2.0)));
    const unsigned rows = (quads + columns - 1) / columns;

    auto* mesh = new aiMesh;
    mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    mesh->mNumVertices = (rows + 1) * (columns + 1);
    mesh->mVertices = new aiVector3D[mesh->mNumVertices];
    mesh->mNormals = new aiVector3D[mesh->mNumVertices];
    mesh->mNumUVComponents[0] = 2;
    mesh->mTextureCoords[0] = new aiVector3D[mesh->mNumVertices];
    std::vector<std::vector<aiVertexWeight>> weights(kJoints);
    for (unsigned j = 0, v = 0; j <= rows; ++j) {
        for (unsigned i = 0; i <= columns; ++i, ++v) {
            const float u = static_cast<float>(i) / static_cast<float>(columns);
            const float h = 2.0f * static_cast<float>(j) / static_cast<float>(rows);
            mesh->mVertices[v] = aiVector3D(u - 0.5f, h, 0);
            mesh->mNormals[v] = aiVector3D(0, 0, 1);
            mesh->mTextureCoords[0][v] = aiVector3D(u, 1 - h / 2, 0);
            const float s = h / kStep;
            const unsigned below = std::min(static_cast<unsigned>(s), kJoints - 1);
            if (below == kJoints - 1) {
                weights[below].emplace_back(v, 1.0f);
            } else {
                weights[below].emplace_back(v, 1 - (s - static_cast<float>(below)));
                weights[below + 1].emplace_back(v, s - static_cast<float>(below));
            }
        }
    }
    mesh->mNumFaces = faces;
    mesh->mFaces = new aiFace[faces];
    for (unsigned made = 0; made < faces; ++made) {
        const unsigned quad = made / 2;
        const unsigned a = (quad / columns) * (columns + 1) + quad % columns;
        const unsigned b = a + 1, c = b + columns + 1, d = a + columns + 1;
        mesh->mFaces[made].mNumIndices = 3;
        mesh->mFaces[made].mIndices =
            made % 2 == 0 ? new unsigned[3]{a, b, c} : new unsigned[3]{a, c, d};
    }

    auto* root = new aiNode("Root");
    AttachMesh(Child(root, "Sheet", aiMatrix4x4()), 0);
    mesh->mNumBones = kJoints;
    mesh->mBones = new aiBone*[kJoints];
    aiNode* parent = root;
    for (unsigned k = 0; k < kJoints; ++k) {
        const std::string name = "Bone" + std::to_string(k);
        parent = Child(parent, name.c_str(), Translation(0, k == 0 ? 0 : kStep, 0));
        auto* bone = new aiBone;
        bone->mName = name;
        bone->mOffsetMatrix = Translation(0, -kStep * static_cast<float>(k), 0);
        bone->mNumWeights = static_cast<unsigned>(weights[k].size());
        bone->mWeights = new aiVertexWeight[weights[k].size()];
        std::copy(weights[k].begin(), weights[k].end(), bone->mWeights);
        mesh->mBones[k] = bone;
    }
    auto scene = Scene(root, {mesh});

    constexpr unsigned kKeys = 9;  // every quarter second over two seconds
    scene->mNumAnimations = static_cast<unsigned>(std::max(animations, 0));
    scene->mAnimations = new aiAnimation*[scene->mNumAnimations];
    for (unsigned a = 0; a < scene->mNumAnimations; ++a) {
        auto* animation = new aiAnimation;
        animation->mName = "Sway" + std::to_string(a + 1);
        animation->mTicksPerSecond = 1;
        animation->mDuration = 2;
        animation->mNumChannels = kJoints;
        animation->mChannels = new aiNodeAnim*[kJoints];
        const aiVector3D axis = a % 2 == 0 ? aiVector3D(0, 0, 1) : aiVector3D(1, 0, 0);
        for (unsigned k = 0; k < kJoints; ++k) {
            auto* channel = new aiNodeAnim;
            channel->mNodeName = "Bone" + std::to_string(k);
            channel->mNumPositionKeys = kKeys;
            channel->mPositionKeys = new aiVectorKey[kKeys];
            channel->mNumRotationKeys = kKeys;
            channel->mRotationKeys = new aiQuatKey[kKeys];
            for (unsigned key = 0; key < kKeys; ++key) {
                const double t = 0.25 * key;
                const float sway =
                    k == 0 ? static_cast<float>(0.05 * std::sin(std::numbers::pi * t)) : 0;
                channel->mPositionKeys[key] =
                    aiVectorKey(t, aiVector3D(sway, k == 0 ? 0 : kStep, 0));
                const double degrees =
                    k == 0 ? 0 : (5 + 3 * a) * std::sin(std::numbers::pi * t + 0.5 * k + a);
                channel->mRotationKeys[key] = aiQuatKey(
                    t, aiQuaternion(axis, static_cast<float>(degrees * std::numbers::pi / 180)));
            }
            channel->mNumScalingKeys = 1;
            channel->mScalingKeys = new aiVectorKey[1]{aiVectorKey(0, aiVector3D(1, 1, 1))};
            animation->mChannels[k] = channel;
        }
        scene->mAnimations[a] = animation;
    }
    return scene;
}

std::string ExportWithAssimp(const aiScene& scene, const std::string& format,
                             const std::string& path) {
    Assimp::Exporter exporter;
    if (exporter.Export(&scene, format, path) == AI_SUCCESS)
        return {};
    return exporter.GetErrorString();
}

namespace {

// FBX 7500 node records as the exporter writes them: end offset, property count and property
// bytes as 64-bit words, then the name's length and the name.
constexpr std::size_t kWideHeader = 3 * 8 + 1;
constexpr std::size_t kNarrowNullRecord = 3 * 4 + 1;

std::uint64_t Word(const std::string& bytes, std::size_t at) {
    std::uint64_t value = 0;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

void PutWord(std::string& out, std::size_t at, std::uint64_t value) {
    const auto narrow = static_cast<std::uint32_t>(value);
    std::memcpy(out.data() + at, &narrow, sizeof narrow);
}

// Copies the node at `at` (and its children) to `out`; returns where the next node starts.
std::size_t CopyNode(const std::string& in, std::size_t at, std::string& out) {
    const std::uint64_t end = Word(in, at);
    const std::size_t nameLength = static_cast<unsigned char>(in[at + 24]);
    const std::size_t children = at + kWideHeader + nameLength + Word(in, at + 16);
    const std::size_t start = out.size();
    out.append(12, '\0');
    PutWord(out, start + 4, Word(in, at + 8));
    PutWord(out, start + 8, Word(in, at + 16));
    out.append(in, at + 24, children - (at + 24));
    for (std::size_t child = children; child < end;)
        child = CopyNode(in, child, out);
    // FBX writers end an animation layer with one even when it is empty: readers take the
    // block for the layer.
    if (children < end || in.compare(at + kWideHeader, nameLength, "AnimationLayer") == 0)
        out.append(kNarrowNullRecord, '\0');
    PutWord(out, start, out.size());
    return end;
}

}  // namespace

std::string BinaryFbxWithNullRecords(const std::string& exported) {
    constexpr std::size_t kMagicBytes = 23;  // "Kaydara FBX Binary  \0\x1a\0"
    std::string out = exported.substr(0, kMagicBytes);
    const std::uint32_t version = 7400;
    out.append(reinterpret_cast<const char*>(&version), sizeof version);
    std::size_t at = kMagicBytes + sizeof version;
    while (Word(exported, at) != 0)
        at = CopyNode(exported, at, out);
    out.append(kNarrowNullRecord, '\0');
    return out + exported.substr(at + kWideHeader);
}
