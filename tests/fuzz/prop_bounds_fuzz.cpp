// Prop bounds files (".kdt", PropModel::LoadBounds) read for the sample gun's mesh. A file that
// is rejected makes the model build the tree again; its write is blocked.
#include "model/prop_model.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/plain_content.h"

namespace {

PropModel& Gun() {
    static PropModel* const model = [] {
        const std::string path = FuzzPath("gun82.ply");
        WriteStandIn(path, PlainGun());
        auto* loaded = new PropModel;
        FUZZ_CHECK(loaded->LoadMesh(path, defaultTextureParams) == 1);
        BlockWrites(FuzzPath("input.kdt"));
        return loaded;
    }();
    return *model;
}

void CheckTree(const Zt18DOP& node, std::int32_t vertexCount) {
    FUZZ_CHECK((node.children == nullptr && node.childCount == 0) ||
               (node.children != nullptr && node.childCount == 2));
    for (const auto& e : node.extremes) {
        FUZZ_CHECK(e.minVertex >= 0 && e.minVertex < vertexCount);
        FUZZ_CHECK(e.maxVertex >= 0 && e.maxVertex < vertexCount);
    }
    for (std::int32_t i = 0; i < node.childCount; ++i) {
        CheckTree(node.children[i], vertexCount);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PropModel& gun = Gun();
    const std::string path = WriteFuzzInput("input.kdt", data, size);
    // 1: the file was read; 0: it was rejected and the tree rebuilt in memory.
    gun.LoadBounds(path, PropModel::kLeafSize);
    CheckTree(gun.bounds, gun.mesh->vertexCount);
    return 0;
}
