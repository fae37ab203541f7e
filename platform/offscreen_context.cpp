#include "platform/offscreen_context.h"

#include <SDL.h>

#include "platform/sdl_gl_attributes.h"

OffscreenContext::~OffscreenContext() {
    if (context_ != nullptr)
        SDL_GL_DeleteContext(context_);
    if (window_ != nullptr)
        SDL_DestroyWindow(static_cast<SDL_Window*>(window_));
    if (window_ != nullptr || context_ != nullptr)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool OffscreenContext::Create(int width, int height) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return false;
    PixelFormat format;
    format.colorBits = 24;
    format.depthBits = 16;
    format.doubleBuffer = true;
    ApplyGlAttributes(format);
    SDL_Window* window = SDL_CreateWindow("vorn offscreen", 0, 0, width, height,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (window == nullptr) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    window_ = window;
    context_ = SDL_GL_CreateContext(window);
    return context_ != nullptr && SDL_GL_MakeCurrent(window, context_) == 0;
}

void OffscreenContext::SwapBuffers() {
    if (window_ != nullptr)
        SDL_GL_SwapWindow(static_cast<SDL_Window*>(window_));
}
