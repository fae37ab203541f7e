// The reader child's scene bytes as the parent decodes them (DecodeScene): whatever they hold,
// a refusal in one line or a scene that passes the check and encodes back to the same bytes.
#include <span>

#include "tests/fuzz/fuzz_support.h"
#include "tools/convert/scene_check.h"
#include "tools/convert/scene_wire.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Scene scene;
    std::vector<EncodedImage> encoded;
    std::string error;
    if (!DecodeScene(std::span<const std::uint8_t>(data, size), scene, encoded, error)) {
        FUZZ_CHECK(scene.nodes.empty() && scene.meshes.empty() && encoded.empty());
        FUZZ_CHECK(!error.empty() && error.find('\n') == std::string::npos);
        return 0;
    }
    FUZZ_CHECK(CheckScene(scene, encoded.size(), error));
    const std::string again = EncodeScene(scene, encoded);
    FUZZ_CHECK(again.size() == size &&
               again.compare(0, size, reinterpret_cast<const char*>(data), size) == 0);
    return 0;
}
