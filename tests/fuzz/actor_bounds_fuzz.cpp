// Actor animation bounds files (".kdt", ActorModel::LoadBounds) read for the sample robot and a
// short cut of its walk. A file that is rejected makes the model build the bounds again; its
// write is blocked.
#include "model/actor_model.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/plain_content.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ActorModel& robot = KeptForTheRun([] {
        auto* loaded = LoadStandIn<ActorModel>("kordax.ply", PlainRobot());
        const std::string walk = FuzzPath("walk.anm");
        WriteStandIn(walk, ShortWalk());
        FUZZ_CHECK(loaded->LoadAnimation(walk) == 1);
        BlockWrites(FuzzPath("input.kdt"));
        return loaded;
    });
    const std::string path = WriteFuzzInput("input.kdt", data, size);
    // 1: the file was read; 0: it was rejected and the bounds rebuilt in memory.
    robot.LoadBounds(path, 0);
    FUZZ_CHECK(robot.animationBounds.size() == 1);
    FUZZ_CHECK(robot.animationBounds[0].size() == kShortWalkFrames);
    for (const Zt18DOP& root : robot.animationBounds[0]) {
        CheckBoundsTree(root, robot.mesh->vertexCount, false);
    }
    robot.animationBounds.clear();
    return 0;
}
