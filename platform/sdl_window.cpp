// Video subsystem, display mode, window and OpenGL context of the SDL backend.
#include <SDL.h>

#include "platform/sdl_gl_attributes.h"
#include "platform/sdl_platform.h"

namespace {

SDL_Window* AsWindow(WindowHandle window) {
    return reinterpret_cast<SDL_Window*>(window);
}
SDL_Window* AsWindow(DeviceContextHandle dc) {
    return reinterpret_cast<SDL_Window*>(dc);
}

// A mode's colour depth as a Windows-style bit count (a padded 24-bit mode counts as 32), or
// its plain bit count.
bool HasDepth(Uint32 format, int bits) {
    return static_cast<int>(SDL_BITSPERPIXEL(format)) == bits ||
           static_cast<int>(SDL_BYTESPERPIXEL(format)) * 8 == bits;
}

}  // namespace

InstanceHandle SdlPlatform::RegisterWindowClass() {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return nullptr;
    // The screen saver and display power-down stay off while the program runs.
    SDL_DisableScreenSaver();
    return reinterpret_cast<InstanceHandle>(&instanceToken_);
}

bool SdlPlatform::UnregisterWindowClass(InstanceHandle instance) {
    if (instance != reinterpret_cast<InstanceHandle>(&instanceToken_))
        return false;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return true;
}

bool SdlPlatform::ChangeDisplayMode(int width, int height, int bits) {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0)
        return false;
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) != 0)
            continue;
        if (mode.w == width && mode.h == height && HasDepth(mode.format, bits)) {
            // SDL switches the display when the full-screen window is shown.
            mode_ = {mode.w, mode.h, mode.format, mode.refresh_rate};
            modeChosen_ = true;
            return true;
        }
    }
    // Many displays list no such mode (Xvfb, most flat panels, Wayland sessions): the window
    // then covers the display at the mode it already has.
    modeChosen_ = false;
    SDL_DisplayMode desktop;
    return SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w > 0 && desktop.h > 0;
}

void SdlPlatform::RestoreDisplayMode() {
    if (fullscreenWindow_ != nullptr)
        SDL_SetWindowFullscreen(fullscreenWindow_, 0);
    modeChosen_ = false;
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0)
        SDL_ShowCursor(SDL_ENABLE);
}

WindowHandle SdlPlatform::CreateWindow(InstanceHandle instance, const char* title, int width,
                                       int height, bool fullscreen, const PixelFormat& format) {
    if (instance != reinterpret_cast<InstanceHandle>(&instanceToken_))
        return nullptr;
    ApplyGlAttributes(format);
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (!fullscreen)
        flags |= SDL_WINDOW_RESIZABLE;
    else if (modeChosen_)
        flags |= SDL_WINDOW_FULLSCREEN;
    else
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    SDL_Window* window =
        SDL_CreateWindow(title != nullptr ? title : "", 0, 0, width, height, flags);
    if (window == nullptr)
        return nullptr;
    if (fullscreen) {
        fullscreenWindow_ = window;
        if (modeChosen_) {
            const SDL_DisplayMode mode{mode_.format, mode_.width, mode_.height, mode_.refreshRate,
                                       nullptr};
            SDL_SetWindowDisplayMode(window, &mode);
        }
    }
    return reinterpret_cast<WindowHandle>(window);
}

bool SdlPlatform::DestroyWindow(WindowHandle window) {
    if (window == nullptr)
        return false;
    if (AsWindow(window) == fullscreenWindow_)
        fullscreenWindow_ = nullptr;
    SDL_DestroyWindow(AsWindow(window));
    return true;
}

void SdlPlatform::ShowWindow(WindowHandle window) {
    if (window == nullptr)
        return;
    SDL_ShowWindow(AsWindow(window));
    SDL_RaiseWindow(AsWindow(window));
    SDL_SetWindowInputFocus(AsWindow(window));
}

WindowState SdlPlatform::QueryWindow(WindowHandle window) {
    WindowState state;
    if (window == nullptr)
        return state;
    SDL_GetWindowPosition(AsWindow(window), &state.x, &state.y);
    SDL_GetWindowSize(AsWindow(window), &state.clientWidth, &state.clientHeight);
    const Uint32 flags = SDL_GetWindowFlags(AsWindow(window));
    state.visible = (flags & SDL_WINDOW_SHOWN) != 0 && (flags & SDL_WINDOW_HIDDEN) == 0;
    state.fullscreen = (flags & SDL_WINDOW_FULLSCREEN) != 0;
    return state;
}

// An SDL OpenGL window is its own drawable.
DeviceContextHandle SdlPlatform::GetDeviceContext(WindowHandle window) {
    if (window == nullptr || (SDL_GetWindowFlags(AsWindow(window)) & SDL_WINDOW_OPENGL) == 0) {
        return nullptr;
    }
    return reinterpret_cast<DeviceContextHandle>(window);
}

bool SdlPlatform::ReleaseDeviceContext(WindowHandle window, DeviceContextHandle dc) {
    return dc != nullptr && AsWindow(dc) == AsWindow(window);
}

// The window's pixel format was fixed from the same description when SDL created it; these
// report it and confirm it.
int SdlPlatform::ChoosePixelFormat(DeviceContextHandle dc, const PixelFormat&) {
    if (dc == nullptr)
        return 0;
    return static_cast<int>(SDL_GetWindowPixelFormat(AsWindow(dc)));
}

bool SdlPlatform::SetPixelFormat(DeviceContextHandle dc, int chosen, const PixelFormat&) {
    return dc != nullptr && chosen != 0 &&
           static_cast<Uint32>(chosen) == SDL_GetWindowPixelFormat(AsWindow(dc));
}

RenderContextHandle SdlPlatform::CreateRenderContext(DeviceContextHandle dc) {
    if (dc == nullptr)
        return nullptr;
    return reinterpret_cast<RenderContextHandle>(SDL_GL_CreateContext(AsWindow(dc)));
}

bool SdlPlatform::MakeCurrent(DeviceContextHandle dc, RenderContextHandle context) {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0)
        return false;
    return SDL_GL_MakeCurrent(AsWindow(dc), reinterpret_cast<SDL_GLContext>(context)) == 0;
}

bool SdlPlatform::DeleteRenderContext(RenderContextHandle context) {
    if (context == nullptr)
        return false;
    SDL_GL_DeleteContext(reinterpret_cast<SDL_GLContext>(context));
    return true;
}

void SdlPlatform::SwapBuffers(DeviceContextHandle dc) {
    if (dc != nullptr)
        SDL_GL_SwapWindow(AsWindow(dc));
}
