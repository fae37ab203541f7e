// Every imported model starts wholly in view, centred across the window and standing on the
// sample robot's ground, through the game's first camera and projection, in every frame of its
// first animation.
#include <cmath>

#include "app/my_app.h"
#include "geometry/camera.h"
#include "tests/convert/import_support.h"
#include "tests/support/gltf_builder.h"

namespace {

using gltf_models::Vec;

struct Shape {
    const char* name;
    Vec size;     // the body's box
    double rise;  // how far an inner box rises above the body while the animation plays
};

// A box standing on the origin; with `rise`, an inner box a tenth its size that an animation
// lifts from the body's middle to `rise` above it.
tinygltf::Model BoxModel(const Shape& shape) {
    tinygltf::Model model;
    model.asset.version = "2.0";
    gltf_models::Builder builder(model);
    const Vec& s = shape.size;
    const auto addMesh = [&](const Vec& low, const Vec& high) {
        gltf_models::Geometry geometry;
        gltf_models::AddBox(geometry, low, high, {});
        tinygltf::Mesh mesh;
        mesh.primitives.push_back(builder.Primitive(geometry, -1, TINYGLTF_MODE_TRIANGLES));
        model.meshes.push_back(mesh);
        return static_cast<int>(model.meshes.size() - 1);
    };
    tinygltf::Node body;
    body.name = "Body";
    body.mesh = addMesh({-s[0] / 2, 0, -s[2] / 2}, {s[0] / 2, s[1], s[2] / 2});
    model.nodes.push_back(body);
    if (shape.rise > 0) {
        tinygltf::Node inner;
        inner.name = "Inner";
        inner.mesh = addMesh({-s[0] / 20, 0, -s[2] / 20}, {s[0] / 20, s[1] / 10, s[2] / 20});
        inner.translation = {0, s[1] / 2, 0};
        model.nodes[0].children.push_back(1);
        model.nodes.push_back(inner);
        tinygltf::Animation animation;
        animation.name = "Rise";
        const auto up = static_cast<float>(s[1] / 2 + shape.rise);
        builder.Channel(
            animation, 1, "translation", "LINEAR", {0, 1, 2},
            {0, static_cast<float>(s[1] / 2), 0, 0, up, 0, 0, static_cast<float>(s[1] / 2), 0});
        model.animations.push_back(animation);
    }
    tinygltf::Scene scene;
    scene.nodes = {0};
    model.scenes.push_back(scene);
    model.defaultScene = 0;
    return model;
}

// Window pixels of a point seen through the game's first view (y up from the bottom row).
std::array<double, 2> Project(const float view[16], const Vec3& p) {
    double eye[3];
    for (int r = 0; r < 3; ++r)
        eye[r] = view[r] * p.x + view[4 + r] * p.y + view[8 + r] * p.z + view[12 + r];
    const double focal = 1 / std::tan(MyApp::kFieldOfView / 2 * M_PI / 180);
    const double aspect = static_cast<double>(MyApp::kWindowWidth) / MyApp::kWindowHeight;
    const double x = focal / aspect * eye[0] / -eye[2], y = focal * eye[1] / -eye[2];
    return {(x + 1) / 2 * MyApp::kWindowWidth, (y + 1) / 2 * MyApp::kWindowHeight};
}

class ImportPlacement : public testing::TestWithParam<Shape> {};

TEST_P(ImportPlacement, WhollyInViewNearTheCentreInEveryFrameOfItsFirstAnimation) {
    TempDir dir;
    std::string error;
    ASSERT_TRUE(WriteImportedFolder(Import(BoxModel(GetParam())), dir.File("data"), error))
        << error;
    ActorModel actor;
    LoadActor(dir.Path() / "data", actor);
    Camera camera;
    camera.SetPosition(MyApp::kCameraStart);
    camera.SetTarget({0, 0, 0});
    float view[16];
    camera.GetViewMatrix(view);
    double low[2] = {HUGE_VAL, HUGE_VAL}, high[2] = {-HUGE_VAL, -HUGE_VAL};
    for (int f = 0; f < actor.animations[0]->frameCount; ++f) {
        for (const Vec3& v : Posed(actor, 0, f)) {
            const std::array<double, 2> pixel = Project(view, v);
            for (int i = 0; i < 2; ++i) {
                low[i] = std::min(low[i], pixel[i]);
                high[i] = std::max(high[i], pixel[i]);
            }
        }
    }
    EXPECT_GT(low[0], 0);
    EXPECT_GT(low[1], 0);
    EXPECT_LT(high[0], MyApp::kWindowWidth);
    EXPECT_LT(high[1], MyApp::kWindowHeight);
    // Centred across; up and down a flat model rests on the robot's ground, below the centre.
    EXPECT_NEAR((low[0] + high[0]) / 2, MyApp::kWindowWidth / 2.0, MyApp::kWindowWidth / 8.0);
    EXPECT_NEAR((low[1] + high[1]) / 2, MyApp::kWindowHeight / 2.0, MyApp::kWindowHeight * 3 / 8.0);
}

INSTANTIATE_TEST_SUITE_P(Shapes, ImportPlacement,
                         testing::Values(Shape{"Tall", {1, 4, 1}, 0}, Shape{"Wide", {6, 1, 1}, 0},
                                         Shape{"Long", {1, 1, 6}, 0},
                                         Shape{"Rising", {1, 1, 1}, 2.5}),
                         [](const testing::TestParamInfo<Shape>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
