// Drawing instances into a real context: faces that turn away from the eye are never sent.
#include <GL/gl.h>

#include "game/prop_clone.h"
#include "tests/game/game_fixture.h"

namespace {

class Render : public GameTest {};

// A quad over x in [x0, x0 + 1], y in [-0.5, 0.5] on the plane z = 0, wound counter-clockwise
// seen from +z when `front`, else from -z.
void AddFacingQuad(MeshSource& s, float x0, bool front, std::int32_t node) {
    const auto base = static_cast<std::int32_t>(s.vertices.size());
    Vec3 corners[4] = {{x0, -0.5f, 0}, {x0 + 1, -0.5f, 0}, {x0 + 1, 0.5f, 0}, {x0, 0.5f, 0}};
    if (!front) std::swap(corners[1], corners[3]);
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
    SharedContext();
    MeshSource s = OneMaterial();
    s.materials[0].diffuse[0] = 255;
    s.materials[0].diffuse[1] = 0;
    s.materials[0].diffuse[2] = 0;
    const auto node = s.AddNode("Body", -1);
    AddFacingQuad(s, -1.0f, true, node);   // left half, facing the eye
    AddFacingQuad(s, 0.0f, false, node);   // right half, facing away
    ASSERT_TRUE(WriteMeshFile(dir.File("p.ply"), s));
    PropModel model;
    ASSERT_EQ(model.LoadMesh(dir.File("p.ply"), defaultTextureParams), 1);
    ASSERT_EQ(model.LoadGroups(dir.File("p.prs")), 1);
    PropClone prop(&model, Vec3::Zero);

    glViewport(0, 0, 64, 64);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    Camera camera;
    camera.position = {0, 0, 10};
    prop.Draw(camera);
    glFinish();

    unsigned char left[4] = {}, right[4] = {};
    glReadPixels(16, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, left);
    glReadPixels(48, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, right);
    EXPECT_EQ(left[0], 255);
    EXPECT_EQ(left[1], 0);
    EXPECT_EQ(right[0], 0);

    // Seen from behind, the other quad is the one sent.
    camera.position = {0, 0, -10};
    glClear(GL_COLOR_BUFFER_BIT);
    prop.Draw(camera);
    glFinish();
    glReadPixels(16, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, left);
    glReadPixels(48, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, right);
    EXPECT_EQ(left[0], 0);
    EXPECT_EQ(right[0], 255);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
