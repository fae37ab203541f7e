// The demo scene on the sample content for a long run of random keys, mouse movement and wheel,
// frame by frame through the scripted platform into a real OpenGL context.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <malloc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>

#include "app/my_app.h"
#include "platform/key_codes.h"
#include "platform/scripted_platform.h"
#include "tests/support/shared_gl_context.h"
#include "tests/temp_dir.h"
#include "tools/content/content_writer.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's allocator statistics (its header does not ship with GCC).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

constexpr int kFrames = 100'000;

std::size_t AllocatedBytes() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

bool Finite(const Vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// How far three axes are from an orthonormal frame: the largest |dot| of two of them and the
// largest | |axis| - 1 |.
float Skew(const Vec3& x, const Vec3& y, const Vec3& z) {
    const float dots = std::max({std::fabs(Dot(x, y)), std::fabs(Dot(y, z)), std::fabs(Dot(x, z))});
    const float lengths =
        std::max({std::fabs(x.Length() - 1), std::fabs(y.Length() - 1), std::fabs(z.Length() - 1)});
    return std::max(dots, lengths);
}

// Every key the scene reads, apart from Escape.
constexpr std::uint8_t kKeys[] = {DIK_W,    DIK_S,   DIK_A,     DIK_D,    DIK_Q,      DIK_E,
                                  DIK_Z,    DIK_X,   DIK_UP,    DIK_DOWN, DIK_LEFT,   DIK_RIGHT,
                                  DIK_HOME, DIK_END, DIK_PRIOR, DIK_NEXT, DIK_INSERT, DIK_DELETE,
                                  DIK_H,    DIK_J,   DIK_K,     DIK_U,    DIK_I,      DIK_Y,
                                  DIK_N,    DIK_L,   DIK_O,     DIK_R};

TEST(Soak, ARandomRunStaysFiniteOrthonormalAndInTheSameMemory) {
    ASSERT_TRUE(UseSharedGlContext()) << "needs a display with OpenGL";
    TempDir dir;
    std::string failed;
    ASSERT_TRUE(WriteContent(dir.Path(), 1, failed)) << failed;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    orbitMode = false;

    {
        ScriptedPlatform platform;
        platform.SetCounterFrequency(1000);
        platform.SetCounterStep(4);
        platform.AnswerNextBox(MessageBoxAnswer::No);
        MyApp app;
        ASSERT_EQ(app.Init(), 1);
        app.BeginFrames();

        std::mt19937 random(20261208);
        std::uniform_real_distribution<float> chance(0.0f, 1.0f);
        std::uniform_int_distribution<int> step(-20, 20);
        bool held[sizeof kKeys] = {};
        float worstCamera = 0;
        float worstRobot = 0;
        // The driver's heap swings by a megabyte or more from frame to frame, so the peaks
        // of the two halves after start-up are compared: a leak raises the second.
        std::size_t firstPeak = 0;
        std::size_t secondPeak = 0;
        int visibleFrames = 0;
        WindowMessage message;
        for (int frame = 0; frame < kFrames; ++frame) {
            if (frame == kFrames / 2)
                orbitMode = true;
            for (std::size_t k = 0; k < sizeof kKeys; ++k) {
                if (chance(random) < 0.05f) {
                    held[k] = !held[k];
                    held[k] ? platform.QueueKeyDown(kKeys[k]) : platform.QueueKeyUp(kKeys[k]);
                }
            }
            if (chance(random) < 0.5f)
                platform.QueueMouseMove(step(random), step(random));
            if (chance(random) < 0.05f)
                platform.QueueWheel(step(random) / 5);
            platform.QueueIdle();
            if (frame % 300 == 0) {
                // Thrust soon takes the robot out of sight; it is brought back before the camera
                // now and then, so that it keeps being posed and drawn.
                app.robot->position = app.camera.position - app.camera.orientation.Row(2) * 300.0f;
                app.robot->velocity = Vec3::Zero;
            }
            while (platform.PeekMessage(message))
                app.HandleMessage(app.window, message);
            app.StepFrame();
            glFinish();  // the scripted swap presents nothing; finishing stands in for it

            const Camera& camera = app.camera;
            const Kordax& robot = *app.robot;
            if (robot.IsVisible(camera) != 0)
                ++visibleFrames;
            ASSERT_TRUE(Finite(camera.position) && Finite(camera.target)) << "frame " << frame;
            ASSERT_TRUE(Finite(robot.position) && Finite(robot.velocity)) << "frame " << frame;
            const float cameraSkew = Skew(camera.orientation.Row(0), camera.orientation.Row(1),
                                          camera.orientation.Row(2));
            ASSERT_LT(cameraSkew, 1e-5f) << "frame " << frame;
            worstCamera = std::max(worstCamera, cameraSkew);
            worstRobot = std::max(worstRobot, Skew(robot.xAxis, robot.yAxis, robot.zAxis));
            if (frame % 1000 == 0) {
                ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "frame " << frame;
            }
            if (frame >= 1000 && frame % 1000 == 0) {
                std::size_t& peak = frame < kFrames / 2 ? firstPeak : secondPeak;
                peak = std::max(peak, AllocatedBytes());
            }
        }
        std::printf(
            "soak: %d frames, %d with the robot drawn, camera skew %.3g, robot axes "
            "skew %.3g, heap peaks %zu and %zu bytes\n",
            kFrames, visibleFrames, static_cast<double>(worstCamera),
            static_cast<double>(worstRobot), firstPeak, secondPeak);
        EXPECT_GT(visibleFrames, kFrames / 10);
        EXPECT_LT(worstRobot, 1e-3f);
        EXPECT_LE(secondPeak, firstPeak + 256 * 1024);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    orbitMode = false;
    std::filesystem::current_path(previous);
}

}  // namespace
