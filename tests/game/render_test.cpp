// Drawing instances into a real context: faces that turn away from the eye are never sent.
#include <GL/gl.h>

#include "assets/image_writer.h"
#include "game/prop_clone.h"
#include "tests/game/game_fixture.h"
#include "tests/gl_call_log.h"
#include "tests/support/frame_pixels.h"
#include "tests/support/in_folder.h"

namespace {

class Render : public GameTest {};

// A quad over x in [x0, x0 + 1], y in [-0.5, 0.5] on the plane z = 0, wound counter-clockwise
// seen from +z when `front`, else from -z.
void AddFacingQuad(MeshSource& s, float x0, bool front, std::int32_t node) {
    const auto base = static_cast<std::int32_t>(s.vertices.size());
    Vec3 corners[4] = {{x0, -0.5f, 0}, {x0 + 1, -0.5f, 0}, {x0 + 1, 0.5f, 0}, {x0, 0.5f, 0}};
    if (!front)
        std::swap(corners[1], corners[3]);
    FaceSource face;
    for (int k = 0; k < 4; ++k) {
        s.vertices.push_back(corners[k]);
        s.normals.push_back({0, 0, front ? 1.0f : -1.0f});
        face.vertex[k] = face.normal[k] = base + k;
        s.nodes[static_cast<std::size_t>(node)].vertices.push_back(base + k);
    }
    s.faces.push_back(face);
}

TEST_F(Render, OnlyQuadsWhoseNewellNormalFacesTheEyeReachTheFrame) {
    MeshSource s = OneMaterial();
    s.materials[0].diffuse[0] = 255;
    s.materials[0].diffuse[1] = 0;
    s.materials[0].diffuse[2] = 0;
    const auto node = s.AddNode("Body", -1);
    AddFacingQuad(s, -1.0f, true, node);  // left half, facing the eye
    AddFacingQuad(s, 0.0f, false, node);  // right half, facing away
    ASSERT_TRUE(WriteMeshFile(dir.File("p.ply"), s));
    PropModel model;
    ASSERT_EQ(model.LoadMesh(dir.File("p.ply"), defaultTextureParams), 1);
    ASSERT_EQ(model.LoadGroups(dir.File("p.prs")), 1);
    PropClone prop(&model, Vec3::Zero);

    BeginFlatFrame();
    Camera camera;
    camera.position = {0, 0, 10};
    prop.Draw(camera);
    glFinish();

    std::array<int, 3> left = PixelRgb(16, 32), right = PixelRgb(48, 32);
    EXPECT_EQ(left[0], 255);
    EXPECT_EQ(left[1], 0);
    EXPECT_EQ(right[0], 0);

    // Seen from behind, the other quad is the one sent.
    camera.position = {0, 0, -10};
    glClear(GL_COLOR_BUFFER_BIT);
    prop.Draw(camera);
    glFinish();
    left = PixelRgb(16, 32);
    right = PixelRgb(48, 32);
    EXPECT_EQ(left[0], 0);
    EXPECT_EQ(right[0], 255);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Five faces facing +z side by side; groups come out as (A, none), (B, none), (A, 0),
// (B, 0), (A, 1) in drawing order.
MeshSource TexturedRow(const std::string& tex0, const std::string& tex1) {
    MeshSource s;
    s.materials.push_back({{255, 0, 0}, 0, {}, 0, 0, {}});
    s.materials.push_back({{0, 255, 0}, 0, {}, 0, 0, {}});
    s.textures = {{tex0, 2, 2}, {tex1, 2, 2}};
    const auto node = s.AddNode("Body", -1);
    const std::int32_t materials[5] = {0, 1, 0, 1, 0};
    const std::int32_t textures[5] = {-1, -1, 0, 0, 1};
    for (int f = 0; f < 5; ++f) {
        AddFacingQuad(s, static_cast<float>(2 * f - 5), true, node);
        FaceSource& face = s.faces.back();
        face.material = materials[f];
        if (textures[f] >= 0) {
            LayerSource layer;
            layer.textureIndex = textures[f];
            face.layers.push_back(layer);
        }
    }
    return s;
}

TEST_F(Render, TexturesAreBoundOncePerRunAndFreshForEveryDrawing) {
    // The window's render state creates the default texture first; so does this context.
    if (glIsTexture(1) == GL_FALSE) {
        GLuint first = 0;
        glGenTextures(1, &first);
        glBindTexture(GL_TEXTURE_2D, first);
        ASSERT_EQ(first, 1u);
    }
    const std::vector<std::uint8_t> pixels(2 * 2 * 3, 0x80);
    ASSERT_TRUE(WriteTga(dir.File("a.tga"), 2, 2, 24, pixels, false));
    ASSERT_TRUE(WriteTga(dir.File("b.tga"), 2, 2, 24, pixels, false));
    ASSERT_TRUE(WriteMeshFile(dir.File("t.ply"), TexturedRow("a.tga", "b.tga")));
    const InFolder here(dir.Path());
    PropModel model;
    ASSERT_EQ(model.LoadMesh(dir.File("t.ply"), defaultTextureParams), 1);
    ASSERT_EQ(model.LoadGroups(dir.File("t.prs")), 1);
    PropClone prop(&model, Vec3::Zero);
    ASSERT_EQ(prop.groupCount, 5);
    const GLuint name0 = model.mesh->textures[0].name;
    const GLuint name1 = model.mesh->textures[1].name;
    ASSERT_GT(name0, 1u);
    ASSERT_GT(name1, 1u);
    ASSERT_NE(name1, name0);

    Camera camera;
    camera.position = {0, 0, 10};
    GlCallLog& log = TheGlCallLog();
    log.Clear();
    prop.Draw(camera);
    // Name 1 for the untextured groups, then each texture once for its run of groups.
    EXPECT_EQ(log.binds, (std::vector<GLuint>{1, name0, name1}));
    EXPECT_EQ(log.quads, 5);
    // Only the three faces with a layer carry texture coordinates.
    EXPECT_EQ(log.texCoords, 3 * 4);
    EXPECT_EQ(log.vertices, 5 * 4);

    // A drawing never trusts what an earlier one left bound.
    log.Clear();
    prop.Draw(camera);
    EXPECT_EQ(log.binds, (std::vector<GLuint>{1, name0, name1}));

    // A texture index the mesh does not have binds the default texture.
    for (FaceGroup& group : prop.groups)
        group.textureIndex = 7;
    log.Clear();
    prop.Draw(camera);
    EXPECT_EQ(log.binds, (std::vector<GLuint>{1}));
    log.Clear();
    prop.Draw(camera);
    EXPECT_EQ(log.binds, (std::vector<GLuint>{1}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
