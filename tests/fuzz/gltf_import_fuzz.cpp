// glTF import from bytes (ImportModelBytes): .glb and .gltf alike, told apart by content; no
// external files may be read.
#include <algorithm>
#include <span>

#include "tests/fuzz/fuzz_support.h"
#include "tools/convert/model_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ImportedFolder folder;
    std::string error;
    const std::span<const unsigned char> bytes(data, size);
    if (!ImportModelBytes(bytes, "", ImportOptions{}, folder, error)) {
        FUZZ_CHECK(folder.files.empty());
        FUZZ_CHECK(!error.empty() && error.find('\n') == std::string::npos);
        return 0;
    }
    FUZZ_CHECK(std::any_of(folder.files.begin(), folder.files.end(),
                           [](const auto& file) { return file.first == "kordax.txt"; }));
    // Importing the same bytes again gives the same folder.
    ImportedFolder again;
    FUZZ_CHECK(ImportModelBytes(bytes, "", ImportOptions{}, again, error));
    FUZZ_CHECK(again.files == folder.files);
    return 0;
}
