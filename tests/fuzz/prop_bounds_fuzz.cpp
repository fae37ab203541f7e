// Prop bounds files (".kdt", PropModel::LoadBounds) read for the sample gun's mesh. A file that
// is rejected makes the model build the tree again; its write is blocked.
#include "model/bounds_check.h"
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

void CheckShape(const Zt18DOP& node) {
    FUZZ_CHECK((node.children == nullptr && node.childCount == 0) ||
               (node.children != nullptr && node.childCount == 2));
    for (std::int32_t i = 0; i < node.childCount; ++i) {
        CheckShape(node.children[i]);
    }
}

void CheckTree(const Zt18DOP& root, std::int32_t vertexCount) {
    CheckShape(root);
    FUZZ_CHECK(ExtremesWithin(root, vertexCount));
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
