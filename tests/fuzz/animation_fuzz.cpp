// Animation files (Animation::Load), and key lookups in an animation that loads.
#include "assets/animation.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = WriteFuzzInput("input.anm", data, size);
    Animation animation;
    if (animation.Load(path) != 1) {
        return 0;
    }
    FUZZ_CHECK(animation.frameCount >= 1 && animation.trackCount >= 1);
    FUZZ_CHECK(animation.keys.size() == static_cast<std::size_t>(animation.frameCount) *
                                            static_cast<std::size_t>(animation.trackCount));
    FUZZ_CHECK(animation.trackHashes.size() == static_cast<std::size_t>(animation.trackCount));
    MeshNode node;
    node.hash = animation.trackHashes.back();
    for (const int frame : {-1, 0, animation.frameCount - 1, int{animation.frameCount}}) {
        animation.FindKey(node, frame);
    }
    return 0;
}
