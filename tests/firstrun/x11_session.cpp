#include "tests/firstrun/x11_session.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

// A window may close between being found and being used; that is no reason to end the test.
int IgnoreErrors(Display*, XErrorEvent*) {
    return 0;
}

std::string WindowName(Display* display, Window window) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    // Read as raw bytes: SDL stores its names as UTF-8, which the text-list helpers refuse.
    if (XGetWindowProperty(display, window, XA_WM_NAME, 0, 256, False, AnyPropertyType, &type,
                           &format, &count, &after, &data) != Success ||
        data == nullptr) {
        return {};
    }
    std::string name(reinterpret_cast<const char*>(data), format == 8 ? count : 0);
    XFree(data);
    return name;
}

int Shift(unsigned long mask) {
    int shift = 0;
    while (mask != 0 && (mask & 1) == 0) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

}  // namespace

X11Session::X11Session() : display_(XOpenDisplay(nullptr)) {
    XSetErrorHandler(IgnoreErrors);
}

X11Session::~X11Session() {
    if (display_ != nullptr) {
        XCloseDisplay(display_);
    }
}

unsigned long X11Session::FindWindow(const std::string& name) const {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count) == 0) {
        return 0;
    }
    Window found = 0;
    for (unsigned int i = 0; i < count && found == 0; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display_, children[i], &attributes) != 0 &&
            attributes.map_state == IsViewable && WindowName(display_, children[i]) == name) {
            found = children[i];
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

void X11Session::SendKey(unsigned long window, const char* keyName, bool release) const {
    XKeyEvent event = {};
    event.display = display_;
    event.window = window;
    event.root = DefaultRootWindow(display_);
    event.time = CurrentTime;
    event.x = event.y = event.x_root = event.y_root = 1;
    event.same_screen = True;
    event.keycode = XKeysymToKeycode(display_, XStringToKeysym(keyName));
    event.type = KeyPress;
    XSendEvent(display_, window, True, KeyPressMask, reinterpret_cast<XEvent*>(&event));
    if (release) {
        event.type = KeyRelease;
        XSendEvent(display_, window, True, KeyReleaseMask, reinterpret_cast<XEvent*>(&event));
    }
    XSync(display_, False);
}

std::optional<Frame> X11Session::Capture(unsigned long window) const {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display_, window, &attributes) == 0) {
        return std::nullopt;
    }
    XImage* image = XGetImage(display_, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr) {
        return std::nullopt;
    }
    Frame frame;
    frame.width = attributes.width;
    frame.height = attributes.height;
    const int shifts[3] = {Shift(image->red_mask), Shift(image->green_mask),
                           Shift(image->blue_mask)};
    for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            frame.pixels.push_back(
                {static_cast<std::uint8_t>((p & image->red_mask) >> shifts[0]),
                 static_cast<std::uint8_t>((p & image->green_mask) >> shifts[1]),
                 static_cast<std::uint8_t>((p & image->blue_mask) >> shifts[2])});
        }
    }
    XDestroyImage(image);
    return frame;
}
