// A hidden window with a current OpenGL compatibility context, for tests, tools and benchmarks
// that need to build textures or draw without the game's window.
#pragma once

class OffscreenContext {
  public:
    OffscreenContext() = default;
    OffscreenContext(const OffscreenContext&) = delete;
    OffscreenContext& operator=(const OffscreenContext&) = delete;
    ~OffscreenContext();

    // false when no display or no OpenGL context is available.
    bool Create(int width, int height);
    void SwapBuffers();

  private:
    void* window_ = nullptr;   // SDL_Window*, kept opaque so callers need no SDL headers
    void* context_ = nullptr;  // SDL_GLContext
};
