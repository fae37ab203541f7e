// Counts the drawing calls the code under test makes, by standing in front of libGL's own
// entry points in the test executable; every call is passed on, so pixels stay real.
#pragma once

#include <GL/gl.h>

#include <vector>

struct GlCallLog {
    std::vector<GLuint> binds;  // texture names given to glBindTexture, in order
    int quads = 0;              // glBegin(GL_QUADS)
    int texCoords = 0;          // glTexCoord2fv
    int vertices = 0;           // glVertex3fv

    void Clear() { *this = GlCallLog{}; }
};

GlCallLog& TheGlCallLog();
