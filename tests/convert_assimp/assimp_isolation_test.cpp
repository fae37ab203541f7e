// The library's read runs in a child: a crash there is a refusal here.
#include <gtest/gtest.h>

#include "tests/convert_assimp/assimp_models.h"
#include "tests/temp_dir.h"
#include "tools/convert/assimp_reader.h"
#include "tools/convert/reader_child_test_hook.h"

namespace {

TEST(AssimpIsolation, ACrashingReaderBecomesOneLineOfRefusal) {
    TempDir dir;
    const std::string path = dir.File("tall.dae");
    ASSERT_EQ(ExportWithAssimp(*AssimpZUpCentimetreModel(), "collada", path), "");
    CrashReaderChildForTest(true);
    Scene scene;
    std::string error;
    const bool read = ReadWithAssimp(path, scene, error);
    CrashReaderChildForTest(false);
    EXPECT_FALSE(read);
    EXPECT_EQ(error, path + " could not be read: the reader stopped (signal 11)");
    EXPECT_TRUE(scene.nodes.empty() && scene.meshes.empty());
    // The same file reads once the reader no longer crashes.
    EXPECT_TRUE(ReadWithAssimp(path, scene, error)) << error;
}

}  // namespace
