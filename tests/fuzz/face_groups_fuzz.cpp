// Face-group files (".prs", Mesh::ReadGroupFile) read for the sample robot's mesh.
#include "assets/mesh.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/plain_content.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Mesh& mesh = KeptForTheRun([] {
        auto* loaded = LoadStandIn<Mesh>("kordax.ply", PlainRobot());
        // The reader only checks indices against the count; with the sample robot's own count
        // the caches that the game writes for it fit as they are.
        loaded->textureCount = RobotTextureCount();
        return loaded;
    });
    const std::string path = WriteFuzzInput("input.prs", data, size);
    if (mesh.ReadGroupFile(path) != 1) {
        return 0;
    }
    FUZZ_CHECK(mesh.groupCount >= 1 &&
               mesh.groups.size() == static_cast<std::size_t>(mesh.groupCount));
    for (const FaceGroup& group : mesh.groups) {
        FUZZ_CHECK(group.faces.size() == static_cast<std::size_t>(group.faceCount));
        FUZZ_CHECK(group.textureIndex >= -1 && group.textureIndex < mesh.textureCount);
        for (const std::int32_t face : group.faces) {
            FUZZ_CHECK(face >= 0 && face < mesh.faceCount);
        }
    }
    return 0;
}
