#include "tests/gl_call_log.h"

#include <dlfcn.h>

#include <cstdlib>

namespace {

// The next definition after ours, libGL's.
template <typename F>
F Real(const char* name) {
    void* f = dlsym(RTLD_NEXT, name);
    if (f == nullptr)
        std::abort();
    return reinterpret_cast<F>(f);
}

}  // namespace

GlCallLog& TheGlCallLog() {
    static GlCallLog log;
    return log;
}

extern "C" {

GLAPI void GLAPIENTRY glBindTexture(GLenum target, GLuint texture) {
    static const auto real = Real<void (*)(GLenum, GLuint)>("glBindTexture");
    TheGlCallLog().binds.push_back(texture);
    real(target, texture);
}

GLAPI void GLAPIENTRY glBegin(GLenum mode) {
    static const auto real = Real<void (*)(GLenum)>("glBegin");
    if (mode == GL_QUADS)
        ++TheGlCallLog().quads;
    real(mode);
}

GLAPI void GLAPIENTRY glTexCoord2fv(const GLfloat* v) {
    static const auto real = Real<void (*)(const GLfloat*)>("glTexCoord2fv");
    ++TheGlCallLog().texCoords;
    real(v);
}

GLAPI void GLAPIENTRY glVertex3fv(const GLfloat* v) {
    static const auto real = Real<void (*)(const GLfloat*)>("glVertex3fv");
    ++TheGlCallLog().vertices;
    real(v);
}

}  // extern "C"
