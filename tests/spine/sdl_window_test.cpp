// The real window and OpenGL context through SDL, under an X server (Xvfb with Mesa llvmpipe).
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "input/input_module.h"
#include "platform/key_codes.h"
#include "platform/message_box.h"
#include "platform/platform.h"
#include "tests/spine/test_app.h"

namespace {

// Keeps the video system (and with it the X connection and the graphics driver) up for the whole
// run: otherwise the driver is unloaded when the last window goes, and the leak checker can no
// longer tell the driver's own allocations from ours.
class KeepVideoUp : public ::testing::Environment {
  public:
    void SetUp() override { ThePlatform().RegisterWindowClass(); }
};

const ::testing::Environment* const keepVideoUp =
    ::testing::AddGlobalTestEnvironment(new KeepVideoUp);

struct Box {
    std::string text;
    std::string caption;
    MessageBoxButtons buttons;
    MessageBoxIcon icon;
};

// Records message boxes and answers them, so no test waits for a person.
class RealWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        SetMessageBoxPresenter([this](const std::string& text, const std::string& caption,
                                      MessageBoxButtons buttons, MessageBoxIcon icon) {
            boxes.push_back({text, caption, buttons, icon});
            return buttons == MessageBoxButtons::Ok ? MessageBoxAnswer::Ok : yesNoAnswer;
        });
    }
    void TearDown() override {
        app.Shutdown();
        SetMessageBoxPresenter({});
    }

    std::vector<Box> boxes;
    MessageBoxAnswer yesNoAnswer = MessageBoxAnswer::Yes;
    TestApp app;
};

GLint Integer(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

void ExpectColour(GLenum light, GLenum name, float r, float g, float b, float a) {
    GLfloat colour[4] = {};
    glGetLightfv(light, name, colour);
    EXPECT_FLOAT_EQ(colour[0], r);
    EXPECT_FLOAT_EQ(colour[1], g);
    EXPECT_FLOAT_EQ(colour[2], b);
    EXPECT_FLOAT_EQ(colour[3], a);
}

void ExpectProjection(double fovY, double aspect) {
    GLdouble m[16] = {};
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    const double f = 1.0 / std::tan(fovY * 3.14159265358979323846 / 360.0);
    const double n = 0.1;
    const double far = 10000.0;
    EXPECT_NEAR(m[0], f / aspect, 1e-5);
    EXPECT_NEAR(m[5], f, 1e-5);
    EXPECT_NEAR(m[10], (far + n) / (n - far), 1e-6);
    EXPECT_NEAR(m[11], -1.0, 1e-9);
    EXPECT_NEAR(m[14], 2.0 * far * n / (n - far), 1e-6);
    EXPECT_NEAR(m[15], 0.0, 1e-9);
}

TEST_F(RealWindow, HiddenWindowWithContextAndTheInitialRenderState) {
    ASSERT_EQ(app.Create("The Vorn Project", 640, 480, 32, false), 1);
    EXPECT_TRUE(boxes.empty());

    const WindowState state = ThePlatform().QueryWindow(app.window);
    EXPECT_EQ(state.clientWidth, 640);
    EXPECT_EQ(state.clientHeight, 480);
    EXPECT_EQ(state.x, 0);
    EXPECT_EQ(state.y, 0);
    EXPECT_FALSE(state.visible);
    EXPECT_FALSE(state.fullscreen);

    // The framebuffer: RGBA, double-buffered, at least 16 depth bits, no extra buffers.
    GLboolean doubleBuffer = GL_FALSE;
    glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffer);
    EXPECT_EQ(doubleBuffer, GL_TRUE);
    EXPECT_GE(Integer(GL_DEPTH_BITS), 16);
    EXPECT_GE(Integer(GL_RED_BITS), 8);
    EXPECT_GE(Integer(GL_GREEN_BITS), 8);
    EXPECT_GE(Integer(GL_BLUE_BITS), 8);
    EXPECT_EQ(Integer(GL_STENCIL_BITS), 0);
    EXPECT_EQ(Integer(GL_ACCUM_RED_BITS), 0);
    EXPECT_EQ(Integer(GL_AUX_BUFFERS), 0);

    // Viewport and projection for the client size.
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 480);
    EXPECT_EQ(Integer(GL_MATRIX_MODE), GL_MODELVIEW);
    ExpectProjection(45.0, 640.0 / 480.0);

    EXPECT_EQ(Integer(GL_SHADE_MODEL), GL_SMOOTH);
    GLfloat clear[4] = {-1, -1, -1, -1};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0], 0.0f);
    EXPECT_EQ(clear[1], 0.0f);
    EXPECT_EQ(clear[2], 0.0f);
    EXPECT_EQ(clear[3], 1.0f);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(Integer(GL_DEPTH_FUNC), GL_LEQUAL);
    EXPECT_EQ(Integer(GL_PERSPECTIVE_CORRECTION_HINT), GL_NICEST);

    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    ExpectColour(GL_LIGHT0, GL_DIFFUSE, 0.85f, 0.85f, 0.85f, 1.0f);
    ExpectColour(GL_LIGHT0, GL_SPECULAR, 0.5f, 0.5f, 0.5f, 1.0f);
    ExpectColour(GL_LIGHT0, GL_AMBIENT, 0.0f, 0.0f, 0.0f, 1.0f);   // default kept
    ExpectColour(GL_LIGHT0, GL_POSITION, 0.0f, 0.0f, 1.0f, 0.0f);  // default kept

    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(Integer(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(Integer(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_EQ(Integer(GL_COLOR_MATERIAL_FACE), GL_FRONT);
    EXPECT_EQ(Integer(GL_COLOR_MATERIAL_PARAMETER), GL_DIFFUSE);

    // The default texture: name 1, bound, 64 x 64 alpha, all opaque.
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(App::defaultTextureName, 1u);
    EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), 1);
    EXPECT_EQ(Integer(GL_UNPACK_ALIGNMENT), 1);
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &value);
    EXPECT_EQ(value, 64);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &value);
    EXPECT_EQ(value, 64);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &value);
    EXPECT_EQ(value, GL_ALPHA);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
    EXPECT_EQ(value, GL_CLAMP);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
    EXPECT_EQ(value, GL_CLAMP);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
    EXPECT_EQ(value, GL_NEAREST);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(value, GL_NEAREST);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &value);
    EXPECT_EQ(value, GL_REPLACE);
    std::vector<GLubyte> texels(64 * 64, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, texels.data());
    EXPECT_EQ(std::count(texels.begin(), texels.end(), 255), 64 * 64);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RealWindow, ClearingGivesOpaqueBlackAndTheDefaultTextureKeepsColours) {
    ASSERT_EQ(app.CreateWindowed(), 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    GLubyte pixel[4] = {9, 9, 9, 9};
    glReadPixels(320, 240, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 0);
    EXPECT_EQ(pixel[1], 0);
    EXPECT_EQ(pixel[2], 0);

    // An unlit quad in front of the camera through the bound default texture keeps its colour.
    glDisable(GL_LIGHTING);
    glColor3ub(40, 120, 200);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex3f(-1, -1, -5);
    glTexCoord2f(1, 0);
    glVertex3f(1, -1, -5);
    glTexCoord2f(1, 1);
    glVertex3f(1, 1, -5);
    glTexCoord2f(0, 1);
    glVertex3f(-1, 1, -5);
    glEnd();
    glReadPixels(320, 240, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 40);
    EXPECT_EQ(pixel[1], 120);
    EXPECT_EQ(pixel[2], 200);
    glReadPixels(5, 5, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);  // outside the quad
    EXPECT_EQ(pixel[0], 0);
    EXPECT_EQ(pixel[2], 0);
}

TEST_F(RealWindow, SizeMessageWithHeightZeroSetsAOnePixelViewport) {
    ASSERT_EQ(app.CreateWindowed(), 1);
    app.HandleMessage(app.window, WindowMessage::Size(640, 0));
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 1);
    ExpectProjection(45.0, 640.0);
}

TEST_F(RealWindow, DestroyTwiceReleasesNothingTwice) {
    ASSERT_EQ(app.CreateWindowed(), 1);
    app.DestroyRenderWindow();
    EXPECT_EQ(app.renderContext, nullptr);
    EXPECT_EQ(app.dc, nullptr);
    EXPECT_EQ(app.window, nullptr);
    EXPECT_EQ(app.instance, nullptr);
    app.DestroyRenderWindow();
    EXPECT_TRUE(boxes.empty());

    // Everything was given back: a second application starts afresh.
    TestApp again;
    EXPECT_EQ(again.CreateWindowed(), 1);
    again.Shutdown();
    EXPECT_TRUE(boxes.empty());
}

// A size no display offers.
constexpr int kOddWidth = 637;
constexpr int kOddHeight = 411;

// A display without the exact mode is covered at its own mode instead, so the question whether
// to run windowed is not asked (answering it No would end the program).
TEST_F(RealWindow, AFullScreenModeTheDisplayLacksCoversTheDisplayWithoutAQuestion) {
    yesNoAnswer = MessageBoxAnswer::No;
    ASSERT_EQ(app.Create("Odd", kOddWidth, kOddHeight, 32, true), 1);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(app.fullscreen);
    EXPECT_TRUE(ThePlatform().QueryWindow(app.window).fullscreen);
    app.Shutdown();
    EXPECT_EQ(app.instance, nullptr);
    EXPECT_TRUE(boxes.empty());
}

void Xdotool(const std::string& arguments) {
    const std::string command = "xdotool " + arguments;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

int KeysDown(const std::uint8_t* keys) {
    int count = 0;
    for (int i = 0; i < 256; ++i)
        count += keys[i] != 0 ? 1 : 0;
    return count;
}

// Shows the window and drives it with real X input, one step at a time, each step waiting for
// SDL to report the previous one. Every window that is shown is shown in this one test, so that
// no two tests compete for the focus.
TEST_F(RealWindow, RunShowsTheWindowAndSamplesTheRealKeyboardAndMouse) {
    ASSERT_EQ(app.CreateWindowed(), 1);
    app.recordFrames = false;
    Platform& platform = ThePlatform();
    const std::int64_t start = platform.Counter();
    const double frequency = static_cast<double>(platform.CounterFrequency());

    enum class Step { Start, Keys, KeysUp, Settle, Tap, TapUp, Move, Wheel, Button, Escape, Done };
    Step step = Step::Start;
    bool visibleInRun = false;
    bool keysSeen = false;
    bool edgeSeen = false;
    bool wDown = false;
    int settleFrames = 0;
    int tapFrames = 0;
    bool tapSeen = false;
    bool tapOver = false;
    float moved[2] = {0, 0};
    float wheel = 0;
    bool rightButton = false;
    bool timedOut = false;

    app.onUpdate = [&] {
        if (static_cast<double>(platform.Counter() - start) > 20.0 * frequency) {
            timedOut = true;
            platform.PostQuitMessage();
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        switch (step) {
            case Step::Start:
                visibleInRun = platform.QueryWindow(app.window).visible;
                Xdotool("keydown w Left Next Delete Control_L F5");
                step = Step::Keys;
                break;
            case Step::Keys:
                if (!wDown && app.keys[DIK_W] == kKeyDown) {
                    wDown = true;
                    edgeSeen = app.prevKeys[DIK_W] == 0;  // the press shows as an edge
                }
                if (KeysDown(app.keys) == 6) {
                    keysSeen = app.keys[DIK_W] == kKeyDown && app.keys[DIK_LEFT] == kKeyDown &&
                               app.keys[DIK_NEXT] == kKeyDown && app.keys[DIK_DELETE] == kKeyDown &&
                               app.keys[DIK_F5] == kKeyDown && app.keys[DIK_LCONTROL] == kKeyDown;
                    Xdotool("keyup w Left Next Delete Control_L F5");
                    step = Step::KeysUp;
                }
                break;
            case Step::KeysUp:
                if (KeysDown(app.keys) == 0)
                    step = Step::Settle;
                break;
            case Step::Settle:
                if (++settleFrames == 20) {
                    // Pressed and released within this frame, long before the next reading.
                    Xdotool("key n");
                    step = Step::Tap;
                }
                break;
            case Step::Tap:
                std::this_thread::sleep_for(std::chrono::milliseconds(50));  // a slow frame
                tapSeen = app.keys[DIK_N] == kKeyDown && app.prevKeys[DIK_N] == 0;
                if (tapSeen || ++tapFrames == 10)
                    step = Step::TapUp;
                break;
            case Step::TapUp:
                tapOver = app.keys[DIK_N] == 0;
                Xdotool("mousemove_relative -- 7 5");
                step = Step::Move;
                break;
            case Step::Move:
                moved[0] += app.mouse[0];
                moved[1] += app.mouse[1];
                if (moved[0] >= 7 && moved[1] >= 5) {
                    Xdotool("click 4");  // one notch away from the user
                    step = Step::Wheel;
                }
                break;
            case Step::Wheel:
                if (app.mouse[2] != 0) {
                    wheel = app.mouse[2];
                    Xdotool("mousedown 3");
                    step = Step::Button;
                }
                break;
            case Step::Button:
                if (app.mouseButtons[1] != 0) {
                    rightButton = app.mouseButtons[1] == 128.0f && app.mouseButtons[0] == 0 &&
                                  app.mouseButtons[2] == 0;
                    Xdotool("mouseup 3 keydown Escape");
                    step = Step::Escape;
                }
                break;
            case Step::Escape:
            case Step::Done:
                break;
        }
    };

    EXPECT_NE(app.Run(), 0);
    Xdotool("keyup Escape");

    EXPECT_FALSE(timedOut);
    EXPECT_TRUE(visibleInRun);
    EXPECT_TRUE(keysSeen);
    EXPECT_TRUE(edgeSeen);
    EXPECT_TRUE(tapSeen);
    EXPECT_TRUE(tapOver);
    EXPECT_EQ(moved[0], 7.0f);
    EXPECT_EQ(moved[1], 5.0f);
    EXPECT_EQ(wheel, 120.0f);
    EXPECT_TRUE(rightButton);
    EXPECT_EQ(app.keys[DIK_ESCAPE], kKeyDown);
    EXPECT_TRUE(boxes.empty());
    app.Shutdown();

    // Full screen at the display's own mode, when the display has the one the test command
    // starts (1024 x 768 at 24 bits, which SDL reports as 32 with padding). Shown directly:
    // whether it keeps the focus depends on the X server, and the frame loop waits without it.
    TestApp full;
    ASSERT_EQ(full.Create("Full", 1024, 768, 32, true), 1);
    if (!boxes.empty())
        GTEST_SKIP() << "this display has no 1024 x 768 mode";
    EXPECT_TRUE(full.fullscreen);
    EXPECT_TRUE(platform.QueryWindow(full.window).fullscreen);
    EXPECT_FALSE(platform.QueryWindow(full.window).visible);

    platform.ShowWindow(full.window);
    const WindowState shown = platform.QueryWindow(full.window);
    EXPECT_TRUE(shown.visible);
    EXPECT_TRUE(shown.fullscreen);
    EXPECT_EQ(shown.clientWidth, 1024);
    EXPECT_EQ(shown.clientHeight, 768);

    full.Shutdown();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(full.window, nullptr);
}

}  // namespace
