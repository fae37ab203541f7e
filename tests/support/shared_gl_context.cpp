#include "tests/support/shared_gl_context.h"

#include "platform/offscreen_context.h"

bool UseSharedGlContext() {
    static const bool created = [] {
        auto* context = new OffscreenContext;  // never deleted, see the header
        return context->Create(64, 64);
    }();
    return created;
}
