// A current OpenGL context for instances (they compile display lists) and small models.
#pragma once

#include <gtest/gtest.h>

#include "platform/offscreen_context.h"
#include "tests/model/model_meshes.h"
#include "tests/temp_dir.h"

inline OffscreenContext& SharedContext() {
    // One context for the whole run: the driver's own allocations outlive a destroyed one.
    static OffscreenContext* context = [] {
        auto* c = new OffscreenContext;
        c->Create(64, 64);
        return c;
    }();
    return *context;
}

class GameTest : public ::testing::Test {
  protected:
    void SetUp() override { SharedContext(); }
    TempDir dir;
};
