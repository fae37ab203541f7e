// Just enough of the X server for driving the real game from a test: finding its windows by
// name, sending them keys and reading back what they show. Keys go to a window directly, so the
// test needs neither a window manager nor the keyboard focus.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct Pixel {
    std::uint8_t r, g, b;
};

struct Frame {
    int width = 0;
    int height = 0;
    std::vector<Pixel> pixels;  // top row first

    const Pixel& At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

class X11Session {
  public:
    // Connects to $DISPLAY; Connected() tells whether that worked.
    X11Session();
    ~X11Session();
    X11Session(const X11Session&) = delete;
    X11Session& operator=(const X11Session&) = delete;

    bool Connected() const { return display_ != nullptr; }

    // The first mapped top-level window whose name is exactly `name`, or 0.
    unsigned long FindWindow(const std::string& name) const;
    // A key press, and its release when `release` is set, of the key with this X keysym name
    // ("Escape"). A window that is gone by then is ignored.
    void SendKey(unsigned long window, const char* keyName, bool release) const;
    // What the window shows now, or nullopt when it cannot be read.
    std::optional<Frame> Capture(unsigned long window) const;

  private:
    struct _XDisplay* display_ = nullptr;
};
