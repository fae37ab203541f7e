// Statistics files (LoadRobotStats, LoadWeaponStats).
#include "assets/stats.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = WriteFuzzInput("input.txt", data, size);
    RobotStats robot;
    WeaponStats weapon;
    FUZZ_CHECK(LoadRobotStats(path, robot) == 1);
    FUZZ_CHECK(LoadWeaponStats(path, weapon) == 1);
    return 0;
}
