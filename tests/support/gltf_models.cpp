#include "tests/support/gltf_models.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <numbers>
#include <sstream>

#include <stb/stb_image_write.h>

#include "tests/support/gltf_builder.h"

using namespace gltf_models;

namespace {

constexpr Quat kIdentity{0, 0, 0, 1};
const Vec kAxisX{1, 0, 0};
const Vec kAxisY{0, 1, 0};
const Vec kAxisZ{0, 0, 1};

tinygltf::Model NewModel() {
    tinygltf::Model model;
    model.asset.version = "2.0";
    model.asset.generator = "vorn glTF test models";
    model.scenes.emplace_back();
    model.defaultScene = 0;
    return model;
}

void AddToScene(tinygltf::Model& model, int node, int scene = 0) {
    model.scenes[scene].nodes.push_back(node);
}

void SetTrs(tinygltf::Node& node, const Vec& t, const Quat& r = kIdentity) {
    node.translation.assign(t.begin(), t.end());
    if (r != kIdentity) {
        node.rotation.assign(r.begin(), r.end());
    }
}

int AddMesh(tinygltf::Model& model, const std::string& name,
            std::vector<tinygltf::Primitive> primitives) {
    tinygltf::Mesh mesh;
    mesh.name = name;
    mesh.primitives = std::move(primitives);
    model.meshes.push_back(std::move(mesh));
    return static_cast<int>(model.meshes.size() - 1);
}

std::vector<float> QuatFloats(const std::vector<Quat>& quaternions) {
    std::vector<float> values;
    for (const Quat& q : quaternions) {
        values.insert(values.end(), q.begin(), q.end());
    }
    return values;
}

// Rotation keys about one axis, as glTF's x, y, z, w floats.
std::vector<float> Rotations(const Vec& axis, const std::vector<double>& degrees) {
    std::vector<Quat> quaternions;
    for (const double angle : degrees) {
        quaternions.push_back(AxisAngle(axis, angle));
    }
    return QuatFloats(quaternions);
}

std::vector<float> Floats(const std::vector<Vec>& vectors) {
    std::vector<float> values;
    for (const Vec& v : vectors) {
        values.insert(values.end(), v.begin(), v.end());
    }
    return values;
}

double Clamp01(double x) {
    return std::clamp(x, 0.0, 1.0);
}

// The skinned figure's joints, in skin order, under the Armature (centimetres).
struct JointSpec {
    const char* name;
    int parent;  // skin index, -1 for the Armature
    Vec translation;
    Quat rotation;
};
enum Joint { kHips, kSpine, kHead, kUpperArmL, kForearmL, kUpperArmR, kForearmR, kLegL, kLegR };

}  // namespace

tinygltf::Model SkinnedModel() {
    tinygltf::Model model = NewModel();
    Builder build(model);

    const int armature = AddNode(model, "Armature", -1);
    model.nodes[armature].scale = {0.01, 0.01, 0.01};
    AddToScene(model, armature);
    const JointSpec joints[] = {
        {"Hips", -1, {0, 90, 0}, kIdentity},
        {"Spine", kHips, {0, 30, 0}, kIdentity},
        {"Head", kSpine, {0, 30, 0}, kIdentity},
        {"UpperArm.L", kSpine, {20, 22, 0}, AxisAngle(kAxisZ, -90)},
        {"Forearm.L", kUpperArmL, {0, 27, 0}, kIdentity},
        {"UpperArm.R", kSpine, {-20, 22, 0}, AxisAngle(kAxisZ, 90)},
        {"Forearm.R", kUpperArmR, {0, 27, 0}, kIdentity},
        {"Leg.L", kHips, {12, -2, 0}, AxisAngle(kAxisZ, 180)},
        {"Leg.R", kHips, {-12, -2, 0}, AxisAngle(kAxisZ, 180)},
    };
    tinygltf::Skin skin;
    skin.name = "Rig";
    for (const JointSpec& joint : joints) {
        const int parent = joint.parent < 0 ? armature : skin.joints[joint.parent];
        const int node = AddNode(model, joint.name, parent);
        SetTrs(model.nodes[node], joint.translation, joint.rotation);
        skin.joints.push_back(node);
    }
    std::vector<Mat4> inverseBind;
    for (const int node : skin.joints) {
        inverseBind.push_back(InverseAffine(WorldMatrix(model, node)));
    }
    skin.inverseBindMatrices = build.Matrices(inverseBind);
    skin.skeleton = skin.joints[kHips];
    model.skins.push_back(skin);

    // Mesh in metres. Rings at the joints blend; the ends of each part are rigid.
    Geometry body;
    Geometry head;
    BoxOptions torso{1, 3, 0x3f, [](const Vec& p) -> Influences {
                         if (p[1] > 1.49) {
                             const bool left = p[0] > 0;
                             return {{kSpine, 0.55},
                                     {kHead, 0.15},
                                     {kUpperArmL, left ? 0.2 : 0.1},
                                     {kUpperArmR, left ? 0.1 : 0.2}};
                         }
                         const double t = Clamp01((p[1] - 0.88) / 0.62);
                         return {{kHips, 1 - t}, {kSpine, t}};
                     }};
    AddBox(body, {-0.2, 0.88, -0.1}, {0.2, 1.5, 0.1}, torso);
    for (const int side : {1, -1}) {
        const int upper = side > 0 ? kUpperArmL : kUpperArmR;
        BoxOptions arm{0, 4, 0x3f, [side, upper](const Vec& p) -> Influences {
                           const double t = Clamp01((side * p[0] - 0.37) / 0.2);
                           return {{upper, 1 - t}, {upper + 1, t}};
                       }};
        AddBox(body, {side > 0 ? 0.2 : -0.72, 1.36, -0.06}, {side > 0 ? 0.72 : -0.2, 1.48, 0.06},
               arm);
        const int leg = side > 0 ? kLegL : kLegR;
        BoxOptions legBox{1, 2, 0x3f, [leg](const Vec& p) -> Influences {
                              if (p[1] > 0.87) {
                                  return {{leg, 0.7}, {kHips, 0.3}};
                              }
                              return {{leg, 1}};
                          }};
        AddBox(body, {side > 0 ? 0.04 : -0.2, 0, -0.08}, {side > 0 ? 0.2 : -0.04, 0.88, 0.08},
               legBox);
    }
    BoxOptions headBox{1, 1, 0x3f, [](const Vec&) -> Influences { return {{kHead, 1}}; }};
    AddBox(head, {-0.11, 1.52, -0.1}, {0.11, 1.78, 0.1}, headBox);

    const int cloth = AddMaterial(model, "Cloth", {0.2, 0.35, 0.7, 1}, 0, 0.8);
    const int skinColour = AddMaterial(model, "Skin", {0.9, 0.7, 0.55, 1}, 0, 0.6);
    const int mesh = AddMesh(model, "Figure",
                             {build.Primitive(body, cloth, TINYGLTF_MODE_TRIANGLES),
                              build.Primitive(head, skinColour, TINYGLTF_MODE_TRIANGLES)});
    const int figure = AddNode(model, "Figure", -1, mesh);
    model.nodes[figure].skin = 0;
    AddToScene(model, figure);

    auto jointNode = [&skin](Joint joint) { return skin.joints[joint]; };
    tinygltf::Animation wave;
    wave.name = "Wave";
    const std::vector<float> waveTimes{0, 0.5f, 1, 1.5f, 2};
    build.Channel(wave, jointNode(kUpperArmL), "rotation", "LINEAR", waveTimes,
                  Rotations(kAxisZ, {-90, -30, -50, -30, -90}));
    build.Channel(wave, jointNode(kForearmL), "rotation", "LINEAR", waveTimes,
                  Rotations(kAxisZ, {0, 30, 60, 30, 0}));
    build.Channel(wave, jointNode(kHips), "translation", "LINEAR", waveTimes,
                  Floats({{0, 90, 0}, {0, 92, 0}, {0, 90, 0}, {0, 92, 0}, {0, 90, 0}}));
    model.animations.push_back(wave);

    tinygltf::Animation bend;
    bend.name = "Bend";
    const std::vector<float> bendTimes{0, 0.75f, 1.5f};
    build.Channel(bend, jointNode(kSpine), "rotation", "LINEAR", bendTimes,
                  Rotations(kAxisX, {0, 35, 0}));
    build.Channel(bend, jointNode(kHead), "rotation", "LINEAR", bendTimes,
                  Rotations(kAxisX, {0, -15, 0}));
    build.Channel(bend, jointNode(kUpperArmR), "rotation", "LINEAR", bendTimes,
                  Rotations(kAxisZ, {90, 60, 90}));
    build.Channel(bend, jointNode(kHips), "translation", "LINEAR", bendTimes,
                  Floats({{0, 90, 0}, {0, 84, 0}, {0, 90, 0}}));
    model.animations.push_back(bend);
    return model;
}

tinygltf::Model NodeAnimatedModel() {
    tinygltf::Model model = NewModel();
    Builder build(model);
    const int paint = AddMaterial(model, "Paint", {0.9, 0.6, 0.1, 1}, 0.2, 0.5);
    const int steel = AddMaterial(model, "Steel", {0.6, 0.62, 0.65, 1}, 1, 0.35);

    Geometry base;
    AddBox(base, {-0.3, 0, -0.3}, {0.3, 0.3, 0.3}, {});
    Geometry outline;  // a square on the ground around the base, as lines
    outline.positions = {-0.4f, 0, -0.4f, 0.4f, 0, -0.4f, 0.4f, 0, 0.4f, -0.4f, 0, 0.4f};
    outline.indices = {0, 1, 1, 2, 2, 3, 3, 0};
    const int baseMesh = AddMesh(model, "BaseMesh",
                                 {build.Primitive(base, paint, TINYGLTF_MODE_TRIANGLES),
                                  build.Primitive(outline, steel, TINYGLTF_MODE_LINE)});

    Geometry boom;
    AddBox(boom, {-0.06, 0, -0.06}, {0.06, 1, 0.06}, {});
    boom.normals.clear();
    const int boomMesh =
        AddMesh(model, "BoomMesh", {build.Primitive(boom, steel, TINYGLTF_MODE_TRIANGLES)});

    Geometry disc;  // a fan facing +Z: the centre, then the rim counter-clockwise, closed
    disc.positions = {0, 0, 0.07f};
    for (int i = 0; i < 6; ++i) {
        const double angle = i * std::numbers::pi / 3;
        disc.positions.insert(disc.positions.end(),
                              {static_cast<float>(0.15 * std::cos(angle)),
                               static_cast<float>(0.15 * std::sin(angle)), 0.07f});
    }
    for (std::uint32_t i = 0; i < 7; ++i) {
        disc.normals.insert(disc.normals.end(), {0, 0, 1});
        disc.indices.push_back(i);
    }
    disc.indices.push_back(1);
    const int headMesh =
        AddMesh(model, "HeadMesh", {build.Primitive(disc, paint, TINYGLTF_MODE_TRIANGLE_FAN)});

    Geometry finger;  // a strip down -Y facing +Z, without indices
    for (int k = 0; k < 4; ++k) {
        for (const float x : {0.02f, -0.02f}) {
            finger.positions.insert(finger.positions.end(), {x, -0.05f * k, 0});
            finger.normals.insert(finger.normals.end(), {0, 0, 1});
        }
    }
    const int fingerMesh = AddMesh(model, "FingerMesh",
                                   {build.Primitive(finger, steel, TINYGLTF_MODE_TRIANGLE_STRIP)});

    const int baseNode = AddNode(model, "Base", -1, baseMesh);
    AddToScene(model, baseNode);
    const int pivot = AddNode(model, "Pivot", baseNode);
    SetTrs(model.nodes[pivot], {0, 0.3, 0});
    const int boomNode = AddNode(model, "Boom", pivot, boomMesh);
    SetTrs(model.nodes[boomNode], {0, 0.05, 0}, AxisAngle(kAxisZ, -20));
    const int headNode = AddNode(model, "Head", boomNode, headMesh);
    SetTrs(model.nodes[headNode], {0, 1, 0});
    const int fingerL = AddNode(model, "Finger.L", headNode, fingerMesh);
    SetTrs(model.nodes[fingerL], {0.08, -0.12, 0.07});
    const int fingerR = AddNode(model, "Finger.R", headNode, fingerMesh);
    SetTrs(model.nodes[fingerR], {-0.08, -0.12, 0.07}, AxisAngle(kAxisY, 180));
    const int gun = AddNode(model, "Gun", headNode);
    SetTrs(model.nodes[gun], {0, -0.1, 0.15});

    tinygltf::Animation work;
    work.name = "Work";
    build.Channel(work, pivot, "rotation", "LINEAR", {0, 0.5f, 1, 1.5f, 2},
                  Rotations(kAxisY, {0, 90, 180, 270, 360}));
    build.Channel(work, boomNode, "translation", "STEP", {0, 0.7f, 1.4f},
                  Floats({{0, 0.05, 0}, {0, 0.15, 0}, {0, 0.05, 0}}));
    // CUBICSPLINE keys are in-tangent, value, out-tangent.
    const Quat tilt = AxisAngle(kAxisX, 30);
    build.Channel(work, headNode, "rotation", "CUBICSPLINE", {0, 1, 2},
                  QuatFloats({{0, 0, 0, 0},
                              kIdentity,
                              {0.3, 0, 0, 0},
                              {0.1, 0, 0, -0.05},
                              tilt,
                              {-0.1, 0, 0, 0.05},
                              {-0.3, 0, 0, 0},
                              kIdentity,
                              {0, 0, 0, 0}}));
    build.Channel(work, headNode, "scale", "CUBICSPLINE", {0, 1, 2},
                  Floats({{0, 0, 0},
                          {1, 1, 1},
                          {0.5, 0.2, 0.5},
                          {0, 0, 0},
                          {1.25, 1.1, 1.25},
                          {0, 0, 0},
                          {-0.5, -0.2, -0.5},
                          {1, 1, 1},
                          {0, 0, 0}}));
    build.Channel(work, fingerL, "rotation", "STEP", {0, 1}, Rotations(kAxisZ, {0, 25}));
    build.Channel(work, baseNode, "translation", "LINEAR", {0, 1, 2},
                  Floats({{0, 0, 0}, {0.2, 0, 0}, {0, 0, 0}}));
    model.animations.push_back(work);
    return model;
}

namespace {

// 32x16 RGB, top row first: red, green / blue, white quadrants of 16x8, so that JPEG's 8x8
// blocks never straddle two colours.
std::vector<unsigned char> QuadrantImage() {
    std::vector<unsigned char> rgb;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 32; ++x) {
            const bool right = x >= 16;
            const bool bottom = y >= 8;
            const unsigned char r = (!bottom && !right) || (bottom && right) ? 255 : 0;
            const unsigned char g = (!bottom && right) || (bottom && right) ? 255 : 0;
            const unsigned char b = bottom ? 255 : 0;
            rgb.insert(rgb.end(), {r, g, b});
        }
    }
    return rgb;
}

}  // namespace

tinygltf::Model TexturedModel(bool jpeg) {
    tinygltf::Model model = NewModel();
    Builder build(model);
    const int texture =
        AddTexture(model, "Quadrants", 32, 16, QuadrantImage(), jpeg ? "image/jpeg" : "image/png");
    const int picture = AddMaterial(model, "Picture", {1, 0.95, 0.9, 1}, 0, 0.6);
    model.materials[picture].pbrMetallicRoughness.baseColorTexture.index = texture;
    const int frame = AddMaterial(model, "Frame", {0.35, 0.35, 0.4, 1}, 0.8, 0.3);
    const int wood = AddMaterial(model, "Wood", {0.5, 0.32, 0.16, 1}, 0, 0.9);

    Geometry panel;  // bottom left, bottom right, top right, top left; glTF's v is 0 at the top
    panel.positions = {-0.5f, 1.25f, 0.03f, 0.5f,  1.25f, 0.03f,
                       0.5f,  1.75f, 0.03f, -0.5f, 1.75f, 0.03f};
    panel.normals = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
    panel.uvs = {0, 1, 1, 1, 1, 0, 0, 0};
    panel.indices = {0, 1, 2, 0, 2, 3};
    Geometry board;
    AddBox(board, {-0.55, 1.2, -0.04}, {0.55, 1.8, 0.02}, {});
    Geometry post;
    AddBox(post, {-0.05, 0, -0.1}, {0.05, 1.2, 0}, {});

    const int mesh = AddMesh(model, "Signpost",
                             {build.Primitive(panel, picture, TINYGLTF_MODE_TRIANGLES),
                              build.Primitive(board, frame, TINYGLTF_MODE_TRIANGLES),
                              build.Primitive(post, wood, TINYGLTF_MODE_TRIANGLES)});
    AddToScene(model, AddNode(model, "Signpost", -1, mesh));
    return model;
}

tinygltf::Model StaticModel() {
    tinygltf::Model model = NewModel();
    Builder build(model);
    const int wood = AddMaterial(model, "Shelf", {0.6, 0.5, 0.4, 1}, 0, 0.8);
    Geometry board;
    AddBox(board, {-0.6, 0.75, -0.25}, {0.6, 0.8, 0.25}, {});
    const int shelfMesh =
        AddMesh(model, "ShelfMesh", {build.Primitive(board, wood, TINYGLTF_MODE_TRIANGLES)});
    Geometry cube;
    AddBox(cube, {-0.1, 0, -0.1}, {0.1, 0.2, 0.1}, {});
    const int cubeMesh =
        AddMesh(model, "Cube", {build.Primitive(cube, -1, TINYGLTF_MODE_TRIANGLES)});

    const int shelf = AddNode(model, "Shelf", -1, shelfMesh);
    AddToScene(model, shelf);
    SetTrs(model.nodes[AddNode(model, "Box", shelf, cubeMesh)], {-0.45, 0.8, 0});
    SetTrs(model.nodes[AddNode(model, "Box", shelf, cubeMesh)], {-0.15, 0.8, 0});
    const Mat4 turned = Trs({0.15, 0.8, 0}, AxisAngle(kAxisY, 45), {1, 1, 1});
    model.nodes[AddNode(model, "", shelf, cubeMesh)].matrix.assign(turned.begin(), turned.end());
    // Two 200-character names that differ only after their first 127 characters.
    const int one = AddNode(model, std::string(197, 'L') + "One", shelf, cubeMesh);
    SetTrs(model.nodes[one], {0.45, 0.8, 0});
    model.nodes[one].scale = {0.5, 0.5, 0.5};
    const int two = AddNode(model, std::string(197, 'L') + "Two", shelf, cubeMesh);
    SetTrs(model.nodes[two], {0.45, 0.9, 0});
    model.nodes[two].scale = {0.5, 0.5, 0.5};

    tinygltf::Scene other;
    other.name = "Other";
    model.scenes.push_back(other);
    AddToScene(model, AddNode(model, "Hidden", -1, cubeMesh), 1);
    return model;
}

namespace {

constexpr int kChainJoints = 8;
constexpr double kChainStep = 0.25;  // metres between the chain's joints; the sheet is 2 m tall

// A 512x512 picture: gradients, a checker and a little deterministic noise, so that PNG's
// filters and inflate have real work.
std::vector<unsigned char> LargeImage() {
    std::vector<unsigned char> rgb;
    rgb.reserve(512 * 512 * 3);
    std::uint32_t noise = 12345;
    for (int y = 0; y < 512; ++y) {
        for (int x = 0; x < 512; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const unsigned char n = static_cast<unsigned char>(noise >> 28);
            const bool dark = ((x / 32) + (y / 32)) % 2 == 0;
            rgb.push_back(static_cast<unsigned char>((x / 2) ^ n));
            rgb.push_back(static_cast<unsigned char>((y / 2) ^ n));
            rgb.push_back(static_cast<unsigned char>((dark ? 60 : 200) + n));
        }
    }
    return rgb;
}

Influences ChainWeights(const Vec& p) {
    const double s = p[1] / kChainStep;
    const int below = std::min(static_cast<int>(s), kChainJoints - 1);
    if (below == kChainJoints - 1) {
        return {{below, 1}};
    }
    return {{below, 1 - (s - below)}, {below + 1, s - below}};
}

}  // namespace

tinygltf::Model LargeModel(int triangles, int animations) {
    tinygltf::Model model = NewModel();
    Builder build(model);

    const int quads = (triangles + 1) / 2;
    const int columns = std::max(1, static_cast<int>(std::ceil(std::sqrt(quads / 2.0))));
    const int rows = (quads + columns - 1) / columns;
    Geometry sheet;
    for (int j = 0; j <= rows; ++j) {
        for (int i = 0; i <= columns; ++i) {
            const Vec p{-0.5 + 1.0 * i / columns, 2.0 * j / rows, 0};
            sheet.positions.insert(sheet.positions.end(),
                                   {static_cast<float>(p[0]), static_cast<float>(p[1]), 0});
            sheet.normals.insert(sheet.normals.end(), {0, 0, 1});
            sheet.uvs.insert(sheet.uvs.end(), {static_cast<float>(1.0 * i / columns),
                                               static_cast<float>(1 - 1.0 * j / rows)});
            AddInfluences(sheet, ChainWeights(p));
        }
    }
    for (int made = 0; made < triangles; ++made) {
        const int quad = made / 2;
        const std::uint32_t a = (quad / columns) * (columns + 1) + quad % columns;
        const std::uint32_t b = a + 1;
        const std::uint32_t c = b + columns + 1;
        const std::uint32_t d = a + columns + 1;
        if (made % 2 == 0) {
            sheet.indices.insert(sheet.indices.end(), {a, b, c});
        } else {
            sheet.indices.insert(sheet.indices.end(), {a, c, d});
        }
    }

    tinygltf::Skin skin;
    skin.name = "Chain";
    std::vector<Mat4> inverseBind;
    for (int k = 0; k < kChainJoints; ++k) {
        const int node =
            AddNode(model, "Bone" + std::to_string(k), k == 0 ? -1 : skin.joints.back());
        SetTrs(model.nodes[node], {0, k == 0 ? 0 : kChainStep, 0});
        skin.joints.push_back(node);
        inverseBind.push_back(InverseAffine(WorldMatrix(model, node)));
    }
    AddToScene(model, skin.joints[0]);
    skin.inverseBindMatrices = build.Matrices(inverseBind);
    model.skins.push_back(skin);

    const int texture = AddTexture(model, "Pattern", 512, 512, LargeImage(), "image/png");
    const int material = AddMaterial(model, "Sheet", {1, 1, 1, 1}, 0, 0.7);
    model.materials[material].pbrMetallicRoughness.baseColorTexture.index = texture;
    const int mesh = AddMesh(model, "Sheet",
                             {build.Primitive(sheet, material, TINYGLTF_MODE_TRIANGLES,
                                              TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT)});
    const int sheetNode = AddNode(model, "Sheet", -1, mesh);
    model.nodes[sheetNode].skin = 0;
    AddToScene(model, sheetNode);

    for (int a = 0; a < animations; ++a) {
        tinygltf::Animation animation;
        animation.name = "Sway" + std::to_string(a + 1);
        std::vector<float> times;
        for (int key = 0; key <= 8; ++key) {
            times.push_back(0.25f * key);
        }
        const Vec& axis = a % 2 == 0 ? kAxisZ : kAxisX;
        for (int k = 1; k < kChainJoints; ++k) {
            std::vector<double> degrees;
            for (const float t : times) {
                degrees.push_back((5 + 3 * a) * std::sin(std::numbers::pi * t + 0.5 * k + a));
            }
            build.Channel(animation, skin.joints[k], "rotation", "LINEAR", times,
                          Rotations(axis, degrees));
        }
        std::vector<Vec> offsets;
        for (const float t : times) {
            offsets.push_back({0.05 * std::sin(std::numbers::pi * t), 0, 0});
        }
        build.Channel(animation, skin.joints[0], "translation", "LINEAR", times, Floats(offsets));
        model.animations.push_back(animation);
    }
    return model;
}

namespace {

void AppendBytes(void* context, void* data, int size) {
    auto* bytes = static_cast<std::vector<unsigned char>*>(context);
    const auto* begin = static_cast<const unsigned char*>(data);
    bytes->insert(bytes->end(), begin, begin + size);
}

// Encodes each image held as pixels into a buffer view of buffer 0, as .glb files carry them.
// Quality 95 keeps stb's JPEG encoder from subsampling colour.
void MoveImagesIntoBuffer(tinygltf::Model& model) {
    Builder build(model);
    for (tinygltf::Image& image : model.images) {
        if (image.image.empty()) {
            continue;
        }
        std::vector<unsigned char> encoded;
        if (image.mimeType == "image/jpeg") {
            stbi_write_jpg_to_func(AppendBytes, &encoded, image.width, image.height,
                                   image.component, image.image.data(), 95);
        } else {
            stbi_write_png_to_func(AppendBytes, &encoded, image.width, image.height,
                                   image.component, image.image.data(), 0);
        }
        image.bufferView = build.View(encoded.data(), encoded.size(), 0);
        image.image.clear();
    }
}

}  // namespace

std::vector<unsigned char> SaveModel(const tinygltf::Model& model, bool binary) {
    tinygltf::Model copy = model;
    if (binary) {
        MoveImagesIntoBuffer(copy);
    }
    // Text: tinygltf writes images held as pixels as PNG or JPEG data URIs, by mime type.
    std::ostringstream out;
    tinygltf::TinyGLTF writer;
    if (!writer.WriteGltfSceneToStream(&copy, out, false, binary)) {
        return {};
    }
    const std::string bytes = out.str();
    return {bytes.begin(), bytes.end()};
}

bool WriteModelFile(const tinygltf::Model& model, const std::string& path) {
    const bool binary = path.size() >= 4 && path.compare(path.size() - 4, 4, ".glb") == 0;
    const std::vector<unsigned char> bytes = SaveModel(model, binary);
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return !bytes.empty() && file.good();
}
