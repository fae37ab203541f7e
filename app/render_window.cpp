// The window, optional full-screen display mode, pixel format and OpenGL context of App, the
// projection for the client size, and OpenGL's initial state.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cstring>

#include "app/app.h"
#include "platform/message_box.h"

namespace {

constexpr char kErrorCaption[] = "ERROR";
constexpr char kShutdownCaption[] = "SHUTDOWN ERROR";
constexpr int kDefaultTextureSize = 64;

PixelFormat WindowPixelFormat(int bits) {
    PixelFormat format;
    format.colorBits = bits;
    format.depthBits = 16;
    format.doubleBuffer = true;
    return format;
}

void ReportShutdownError(const char* text) {
    ShowMessageBox(text, kShutdownCaption, MessageBoxButtons::Ok, MessageBoxIcon::Information);
}

}  // namespace

int App::FailCreation(const char* text) {
    DestroyRenderWindow();
    ShowMessageBox(text, kErrorCaption, MessageBoxButtons::Ok, MessageBoxIcon::Warning);
    return 0;
}

int App::CreateRenderWindow() {
    Platform& platform = ThePlatform();

    instance = platform.RegisterWindowClass();
    if (instance == nullptr) {
        ShowMessageBox("Failed To Register The Window Class.", kErrorCaption, MessageBoxButtons::Ok,
                       MessageBoxIcon::Warning);
        return 0;
    }

    if (fullscreen && !platform.ChangeDisplayMode(width, height, bits)) {
        const MessageBoxAnswer answer = ShowMessageBox(
            "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed "
            "Mode Instead?",
            "App", MessageBoxButtons::YesNo, MessageBoxIcon::Warning);
        if (answer != MessageBoxAnswer::Yes) {
            ShowMessageBox("Program Will Now Close.", kErrorCaption, MessageBoxButtons::Ok,
                           MessageBoxIcon::Error);
            return 0;
        }
        fullscreen = false;
    }

    // Built from this creation's colour depth, so that a later window gets its own.
    const PixelFormat format = WindowPixelFormat(bits);

    window = platform.CreateWindow(instance, title, width, height, fullscreen, format);
    if (window == nullptr)
        return FailCreation("Window Creation Error.");

    dc = platform.GetDeviceContext(window);
    if (dc == nullptr)
        return FailCreation("Can't Create A GL Device Context.");

    const int chosen = platform.ChoosePixelFormat(dc, format);
    if (chosen == 0)
        return FailCreation("Can't Find A Suitable PixelFormat.");
    if (!platform.SetPixelFormat(dc, chosen, format)) {
        return FailCreation("Can't Set The PixelFormat.");
    }

    renderContext = platform.CreateRenderContext(dc);
    if (renderContext == nullptr)
        return FailCreation("Can't Create A GL Rendering Context.");
    if (!platform.MakeCurrent(dc, renderContext)) {
        return FailCreation("Can't Activate The GL Rendering Context.");
    }

    ResizeView(width, height, kFieldOfView);
    InitRenderState();
    return 1;
}

// Each handle is cleared once its release has been tried, so a second call releases nothing.
void App::DestroyRenderWindow() {
    Platform& platform = ThePlatform();
    if (fullscreen)
        platform.RestoreDisplayMode();
    if (renderContext != nullptr) {
        if (!platform.MakeCurrent(nullptr, nullptr))
            ReportShutdownError("Release Of DC And RC Failed.");
        if (!platform.DeleteRenderContext(renderContext)) {
            ReportShutdownError("Release Rendering Context Failed.");
        }
        renderContext = nullptr;
    }
    if (dc != nullptr) {
        if (!platform.ReleaseDeviceContext(window, dc)) {
            ReportShutdownError("Release Device Context Failed.");
        }
        dc = nullptr;
    }
    if (window != nullptr) {
        if (!platform.DestroyWindow(window))
            ReportShutdownError("Could Not Release hWnd.");
        window = nullptr;
    }
    if (instance != nullptr) {
        if (!platform.UnregisterWindowClass(instance)) {
            ReportShutdownError("Could Not Unregister Class.");
        }
        instance = nullptr;
    }
}

void App::ResizeView(int newWidth, int newHeight, double fovY) {
    width = newWidth;
    height = newHeight != 0 ? newHeight : 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fovY, static_cast<double>(width) / height, 0.1, 10000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void App::InitRenderState() {
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);

    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const GLfloat diffuse[4] = {0.85f, 0.85f, 0.85f, 1.0f};
    const GLfloat specular[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular);

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);

    // Opaque alpha-only texture: with GL_REPLACE it keeps the fragment colour and sets alpha 1.
    static GLubyte opaque[kDefaultTextureSize * kDefaultTextureSize];
    std::memset(opaque, 255, sizeof opaque);
    GLuint name = 0;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glGenTextures(1, &name);
    defaultTextureName = name;
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLfloat>(GL_REPLACE));
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, kDefaultTextureSize, kDefaultTextureSize, 0, GL_ALPHA,
                 GL_UNSIGNED_BYTE, opaque);

    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_DIFFUSE);
}
