// The sample content exported with and without the gun, as .glb and as .gltf, and folders with a
// blended skin and its skin record (made by hand, and imported), pass the Khronos glTF Validator
// with no errors.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/convert/blended_folder.h"
#include "tests/support/gltf_models.h"
#include "tests/temp_dir.h"
#include "tools/content/content_writer.h"
#include "tools/convert/export_folder.h"
#include "tools/convert/model_import.h"

namespace {

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (const char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

TEST(GltfExport, SampleContentAndABlendedSkinPassTheKhronosValidator) {
    TempDir dir;
    const std::string data = dir.File("data");
    std::string failed;
    ASSERT_TRUE(WriteContent(data, 1, failed)) << failed;

    std::string command = std::string("node ") + Quoted(VORN_GLTF_VALIDATE_SCRIPT) + " " +
                          Quoted(VORN_GLTF_VALIDATOR_DIR);
    for (const bool withGun : {false, true}) {
        for (const char* extension : {".glb", ".gltf"}) {
            const std::string out = dir.File(std::string(withGun ? "gun" : "robot") + extension);
            std::string error;
            ASSERT_TRUE(ExportFolder(data, out, withGun, error)) << error;
            command += " " + Quoted(out);
        }
    }
    const std::string blended = dir.File("blended.glb");
    WriteBlendedFolder(dir.File("blended"));
    std::string error;
    ASSERT_TRUE(ExportFolder(dir.File("blended"), blended, false, error)) << error;
    command += " " + Quoted(blended);
    // An imported blended skin, exported with its own joints again.
    const std::string imported = dir.File("imported.glb");
    ImportedFolder folder;
    ASSERT_TRUE(ImportModelBytes(SaveModel(SkinnedModel(), true), "", {}, folder, error)) << error;
    ASSERT_TRUE(WriteImportedFolder(folder, dir.File("imported"), error)) << error;
    ASSERT_TRUE(ExportFolder(dir.File("imported"), imported, false, error)) << error;
    command += " " + Quoted(imported);
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

}  // namespace
