// A current OpenGL context for instances (they compile display lists) and small models.
#pragma once

#include <gtest/gtest.h>

#include "tests/support/model_meshes.h"
#include "tests/support/shared_gl_context.h"
#include "tests/temp_dir.h"

class GameTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(UseSharedGlContext()) << "needs a display with OpenGL"; }
    TempDir dir;
};
