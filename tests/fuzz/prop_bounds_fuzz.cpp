// Prop bounds files (".kdt", PropModel::LoadBounds) read for the sample gun's mesh. A file that
// is rejected makes the model build the tree again; its write is blocked.
#include "model/prop_model.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/plain_content.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PropModel& gun = KeptForTheRun([] {
        auto* loaded = LoadStandIn<PropModel>("gun82.ply", PlainGun());
        BlockWrites(FuzzPath("input.kdt"));
        return loaded;
    });
    const std::string path = WriteFuzzInput("input.kdt", data, size);
    // 1: the file was read; 0: it was rejected and the tree rebuilt in memory.
    gun.LoadBounds(path, PropModel::kLeafSize);
    CheckBoundsTree(gun.bounds, gun.mesh->vertexCount, true);
    return 0;
}
