// Descriptor files (AssetRegistry::Load). The working directory is the fuzzing folder, so the
// files a descriptor names are, apart from the input itself, missing: this is the descriptor's
// own reader; every format it leads to has its own target.
#include "game/asset_registry.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PrepareFuzzing();
    // Texture images are decoded, but never built: there is no OpenGL context.
    defaultTextureParams.buildMode = 2;
    const std::string path = WriteFuzzInput("input.txt", data, size);
    AssetRegistry registry(1000.0f);
    const AssetKey key = registry.Load(path);
    FUZZ_CHECK(key == 0 || registry.actorModels.size() + registry.propModels.size() == 1);
    return 0;
}
