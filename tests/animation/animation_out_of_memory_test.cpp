// Animation::Load when memory runs out. Every allocation of this test program goes through the
// operator new below, which can be told to fail one of them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "assets/animation.h"
#include "assets/animation_writer.h"
#include "tests/temp_dir.h"

namespace {

long allocationsBeforeFailure = -1;  // -1: none fails
bool failed = false;

}  // namespace

void* operator new(std::size_t size) {
    if (allocationsBeforeFailure == 0) {
        allocationsBeforeFailure = -1;
        failed = true;
        throw std::bad_alloc();
    }
    if (allocationsBeforeFailure > 0)
        --allocationsBeforeFailure;
    if (void* p = std::malloc(size != 0 ? size : 1))
        return p;
    throw std::bad_alloc();
}
// Not inlined, so that the compiler does not take the free of what operator new returned for a
// mismatch: here both are malloc's.
[[gnu::noinline]] void operator delete(void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

TEST(AnimationOutOfMemory, EachFailedAllocationGivesZeroAndLeavesTheAnimationAsItWas) {
    TempDir dir;
    const std::string path = dir.File("a.anm");
    const Transform key{Matrix3::Identity, {1, 2, 3}};
    ASSERT_TRUE(WriteAnimationFile(path, {"walk", {{"Hip", {key, key}}, {"Arm", {key, key}}}}));
    long failures = 0;
    for (long n = 0; n < 1000; ++n) {
        Animation animation;
        LoadError error;
        failed = false;
        allocationsBeforeFailure = n;
        const int result = animation.Load(path, &error);
        allocationsBeforeFailure = -1;
        if (!failed) {
            EXPECT_EQ(result, 1);
            EXPECT_EQ(animation.trackCount, 2);
            break;
        }
        ++failures;
        EXPECT_EQ(result, 0) << "allocation " << n;
        EXPECT_EQ(animation.trackCount, 0) << "allocation " << n;
        EXPECT_EQ(error.what, "out of memory") << "allocation " << n;
    }
    EXPECT_GE(failures, 3) << "keys, hashes and names are allocated at least";
}

}  // namespace
