// Imported folders on the game's loaders with OpenGL: the sample robot through export and back,
// and a textured model drawn the way the game draws it.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "game/prop_clone.h"
#include "model/prop_model.h"
#include "tests/convert/import_support.h"
#include "tests/support/frame_pixels.h"
#include "tests/support/in_folder.h"
#include "tests/support/shared_gl_context.h"
#include "tools/content/content_writer.h"
#include "tools/convert/export_folder.h"

namespace {

void LoadActorHere(ActorModel& actor) {
    InFolder here(std::filesystem::current_path());
    std::ifstream in("kordax.txt");
    std::string line, mesh;
    std::getline(in, line);
    std::getline(in, mesh);
    ASSERT_EQ(actor.LoadMesh(mesh, defaultTextureParams), 1);
    for (const std::string& name : AnimationNames("."))
        ASSERT_EQ(actor.LoadAnimation(name), 1) << name;
}

std::vector<std::string> Names(const Mesh& mesh) {
    std::vector<std::string> names;
    for (const auto& node : mesh.nodes)
        names.emplace_back(node->name);
    return names;
}

TEST(ImportDisplay, SampleRobotThroughExportAndBackPosesAsBeforeInEveryFrame) {
    ASSERT_TRUE(UseSharedGlContext()) << "needs a display with OpenGL";
    TempDir dir;
    std::string failed, error;
    ASSERT_TRUE(WriteContent(dir.File("sample"), 1, failed)) << failed;
    ASSERT_TRUE(ExportFolder(dir.File("sample"), dir.File("robot.glb"), false, error)) << error;
    ImportOptions options;
    options.scale = 1.0f;
    ImportedFolder imported;
    ASSERT_TRUE(ImportModelFile(dir.File("robot.glb"), options, imported, error)) << error;
    ASSERT_TRUE(WriteImportedFolder(imported, dir.File("back"), error)) << error;

    ActorModel original, back;
    {
        InFolder in(dir.File("sample"));
        LoadActorHere(original);
    }
    {
        InFolder in(dir.File("back"));
        LoadActorHere(back);
    }
    ASSERT_EQ(Names(*back.mesh), Names(*original.mesh));
    ASSERT_EQ(back.animations.size(), original.animations.size());

    const std::vector<Vec3>& bind = original.mesh->vertices;
    float size = 0;
    for (const Vec3& v : bind)
        size = std::max({size, std::abs(v.x), std::abs(v.y), std::abs(v.z)});
    const float tolerance = 1e-4f * size;
    // Highlights come back as they were: each material's specular colour is an original one.
    for (const Material& m : back.mesh->materials) {
        EXPECT_TRUE(std::any_of(
            original.mesh->materials.begin(), original.mesh->materials.end(),
            [&](const Material& o) { return std::equal(o.specular, o.specular + 3, m.specular); }))
            << m.specular[0] << " " << m.specular[1] << " " << m.specular[2];
    }
    // Every node keeps its attachment points, so the gun mounts on "Gun" as before.
    for (std::size_t n = 0; n < original.mesh->nodes.size(); ++n) {
        for (int i = 0; i < 9; ++i) {
            ASSERT_NEAR(back.mesh->nodes[n]->points[i], original.mesh->nodes[n]->points[i],
                        tolerance)
                << original.mesh->nodes[n]->name;
        }
    }
    // Each vertex read back stands for the original vertex of its node at its bind position.
    std::vector<std::size_t> match(back.mesh->vertices.size(), SIZE_MAX);
    for (std::size_t n = 0; n < back.mesh->nodes.size(); ++n) {
        for (const std::int32_t v : back.mesh->nodes[n]->vertices) {
            for (const std::int32_t o : original.mesh->nodes[n]->vertices) {
                const Vec3 d = back.mesh->vertices[static_cast<std::size_t>(v)] -
                               bind[static_cast<std::size_t>(o)];
                if (d.Length() < tolerance)
                    match[static_cast<std::size_t>(v)] = static_cast<std::size_t>(o);
            }
            ASSERT_NE(match[static_cast<std::size_t>(v)], SIZE_MAX) << "vertex " << v;
        }
    }
    for (std::size_t a = 0; a < original.animations.size(); ++a) {
        ASSERT_EQ(back.animations[a]->frameCount, original.animations[a]->frameCount);
        for (int f = 0; f < original.animations[a]->frameCount; ++f) {
            const std::vector<Vec3> want = Posed(original, static_cast<int>(a), f);
            const std::vector<Vec3> got = Posed(back, static_cast<int>(a), f);
            for (std::size_t v = 0; v < got.size(); ++v) {
                ASSERT_LT((got[v] - want[match[v]]).Length(), tolerance)
                    << "animation " << a << " frame " << f << " vertex " << v;
            }
        }
    }
}

TEST(ImportDisplay, BaseColourTextureShowsUprightAsGltfDefinesIt) {
    ASSERT_TRUE(UseSharedGlContext()) << "needs a display with OpenGL";
    TempDir dir;
    std::string error;
    ImportOptions options;
    options.scale = 1.0f;
    ASSERT_TRUE(WriteImportedFolder(Import(TexturedModel(false), options), dir.File("data"), error))
        << error;
    PropModel model;
    {
        InFolder in(dir.File("data"));
        ASSERT_EQ(model.LoadMesh("model.ply", defaultTextureParams), 1);
        ASSERT_EQ(model.LoadGroups("model.prs"), 1);
    }
    PropClone prop(&model, Vec3::Zero);
    // The panel, x from -0.5 to 0.5 and y from 1.25 to 1.75, fills the frame.
    BeginFlatFrame();
    glMatrixMode(GL_PROJECTION);
    glOrtho(-0.5, 0.5, 1.25, 1.75, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    Camera camera;
    camera.position = {0, 1.5f, 10};
    prop.Draw(camera);
    glFinish();
    // Quadrants red, green (top) over blue, white (bottom), times the factor (1, 0.95, 0.9).
    EXPECT_EQ(PixelRgb(16, 48), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(PixelRgb(48, 48), (std::array<int, 3>{0, 242, 0}));
    EXPECT_EQ(PixelRgb(16, 16), (std::array<int, 3>{0, 0, 230}));
    EXPECT_EQ(PixelRgb(48, 16), (std::array<int, 3>{255, 242, 230}));
}

}  // namespace
