// The frustum read from a real OpenGL context against the same matrices given by hand.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "geometry/camera.h"
#include "geometry/frustum.h"
#include "tests/support/shared_gl_context.h"

namespace {

// glFrustum(-1, 1, -1, 1, 1, 10), column-major.
constexpr float kPerspective[16] = {
    1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -11.0f / 9.0f, -1, 0, 0, -20.0f / 9.0f, 0};

void LoadMatrices(const float view[16]) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1, 1, -1, 1, 1, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMultMatrixf(view);
}

void ExpectSamePlanes(const ZtFrustum& a, const ZtFrustum& b, float tolerance) {
    for (int p = 0; p < ZtFrustum::kPlaneCount; ++p) {
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(a.planes[p][i], b.planes[p][i], tolerance) << p;
    }
}

TEST(FrustumDisplay, PlanesFromOpenGLMatchTheGivenMatrices) {
    ASSERT_TRUE(UseSharedGlContext()) << "needs a display with OpenGL";
    const float view[16] = {0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, -5, 1};
    LoadMatrices(view);

    ZtFrustum fromGL;
    fromGL.ExtractPlanes();
    ZtFrustum given;
    given.ExtractPlanes(kPerspective, view);
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(fromGL.projection[i], kPerspective[i], 1e-6f) << i;
        EXPECT_EQ(fromGL.modelview[i], view[i]) << i;
    }
    ExpectSamePlanes(fromGL, given, 1e-5f);
    EXPECT_NEAR(fromGL.planes[ZtFrustum::kNear][3], 4.0f, 1e-5f);

    // Reset through the base re-extracts; unchanged matrices give identical planes.
    ZtFrustum again;
    static_cast<ZtObject&>(again).Reset();
    for (int p = 0; p < ZtFrustum::kPlaneCount; ++p) {
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(again.planes[p][i], fromGL.planes[p][i]);
    }
}

TEST(FrustumDisplay, CameraExtractsFromTheLoadedViewMatrix) {
    ASSERT_TRUE(UseSharedGlContext()) << "needs a display with OpenGL";
    Camera camera;
    camera.SetPosition(Vec3(0, 0, 400));
    camera.SetTarget(Vec3(0, 0, 0));
    camera.Yaw(35, true);
    camera.Pitch(-20, false);
    camera.Roll(10);
    Camera byHand = camera;

    float view[16];
    camera.GetViewMatrix(view);
    LoadMatrices(view);
    camera.UpdateFrustum();
    EXPECT_FALSE(camera.changed);
    byHand.UpdateFrustum(kPerspective);
    ExpectSamePlanes(camera.frustum, byHand.frustum, 1e-3f);
    const Vec3 back = camera.orientation.Row(2);
    EXPECT_TRUE(camera.frustum.IsSphereVisible(camera.position - back * 5.0f, 1));
    EXPECT_FALSE(camera.frustum.IsSphereVisible(camera.position + back * 50.0f, 1));
}

}  // namespace
