// The quads one frame of the demo scene sends, kept as plain data and sent again with nothing
// but glBegin and glEnd: the floor a frame of the scene is measured against.
#pragma once

#include <GL/gl.h>

#include <vector>

#include "app/my_app.h"

struct BareCorner {
    float uv[2];
    bool textured;
    Vec3 normal;
    Vec3 vertex;
};

struct BareGroup {
    GLuint texture;
    float diffuse[3];
    std::vector<BareCorner> corners;  // four per quad
};

struct BareDrawing {
    float matrix[16];
    std::vector<BareGroup> groups;
};

// The robot's and its gun's quads that face the camera, as the last drawn frame posed them.
std::vector<BareDrawing> CaptureVisibleQuads(const MyApp& app);

// Clears, sets the view, sends every drawing's quads and swaps.
void SendBareFrame(const MyApp& app, const std::vector<BareDrawing>& drawings);

// The number of quads in the drawings.
std::size_t QuadCount(const std::vector<BareDrawing>& drawings);
