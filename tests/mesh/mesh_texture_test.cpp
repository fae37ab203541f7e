// Meshes with textures: each record's image is loaded, built into an OpenGL texture with the
// record's size in the parameters, and released; a texture that fails fails the whole load.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <vector>

#include "assets/image_writer.h"
#include "assets/mesh.h"
#include "assets/mesh_writer.h"
#include "tests/support/in_folder.h"
#include "tests/support/sample_mesh.h"
#include "tests/support/shared_gl_context.h"
#include "tests/temp_dir.h"

namespace {

class MeshTextureTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(UseSharedGlContext()) << "needs a display with OpenGL";
    }

    void SetUp() override {
        const std::vector<std::uint8_t> tga(4 * 2 * 3, 0x40);
        ASSERT_TRUE(WriteTga(dir.File("skin.tga"), 4, 2, 24, tga, false));
        const std::vector<std::uint8_t> bmp(2 * 2 * 3, 0x80);
        ASSERT_TRUE(WriteBmp24(dir.File("metal.bmp"), 2, 2, bmp));
    }

    // The sample mesh with two textures; face 1's layer uses texture 1, a new face texture 0.
    MeshSource TexturedSource() const {
        MeshSource s = SampleMeshSource();
        s.textures = {{"skin.tga", 4, 2}, {"metal.bmp", -2, 2}};
        s.faces[1].layers[0].textureIndex = 1;
        FaceSource face = s.faces[0];
        face.layers.push_back(s.faces[1].layers[0]);
        face.layers[0].textureIndex = 0;
        s.faces.push_back(face);
        return s;
    }

    int Load(Mesh& mesh, const MeshSource& source, TextureParams& params) {
        EXPECT_TRUE(WriteMeshFile(dir.File("m.ply"), source));
        return mesh.Load(dir.File("m.ply"), params);
    }

    // Every texture name that exists in the context; names are small in a fresh context.
    static std::set<GLuint> LiveTextures() {
        std::set<GLuint> names;
        for (GLuint name = 1; name < 2000; ++name) {
            if (glIsTexture(name))
                names.insert(name);
        }
        return names;
    }

    TempDir dir;
    const InFolder here{dir.Path()};  // texture names are relative to the data folder
};

TEST_F(MeshTextureTest, BuildsEveryTextureAndReleasesItsImage) {
    Mesh mesh;
    TextureParams params;
    ASSERT_EQ(Load(mesh, TexturedSource(), params), 1);
    ASSERT_EQ(mesh.textureCount, 2);
    const Texture& skin = mesh.textures[0];
    const Texture& metal = mesh.textures[1];
    EXPECT_EQ(std::string(skin.fileName), "skin.tga");
    EXPECT_EQ(skin.recordWidth, 4);
    EXPECT_EQ(metal.recordWidth, -2);
    EXPECT_NE(skin.name, 0u);
    EXPECT_NE(metal.name, 0u);
    EXPECT_NE(skin.name, metal.name);
    EXPECT_TRUE(glIsTexture(skin.name));
    EXPECT_TRUE(glIsTexture(metal.name));
    for (const Texture* t : {&skin, &metal}) {
        EXPECT_EQ(t->tga, nullptr);
        EXPECT_EQ(t->bitmap, nullptr);
        EXPECT_EQ(t->pixels, nullptr);
    }
    // The parameters carry the last record's size, sign-extended from 16 bits.
    EXPECT_EQ(params.width, -2);
    EXPECT_EQ(params.height, 2);
}

TEST_F(MeshTextureTest, GroupsFollowTheFirstLayersTexture) {
    Mesh mesh;
    TextureParams params;
    ASSERT_EQ(Load(mesh, TexturedSource(), params), 1);
    ASSERT_EQ(mesh.BuildGroupFile(dir.File("m.prs")), 1);
    ASSERT_EQ(mesh.ReadGroupFile(dir.File("m.prs")), 1);
    ASSERT_EQ(mesh.groupCount, 3);
    EXPECT_EQ(mesh.groups[0].textureIndex, -1);
    EXPECT_EQ(mesh.groups[0].faces, (std::vector<std::int32_t>{0}));
    EXPECT_EQ(mesh.groups[1].textureIndex, 0);
    EXPECT_EQ(mesh.groups[1].faces, (std::vector<std::int32_t>{2}));
    EXPECT_EQ(mesh.groups[2].textureIndex, 1);
    EXPECT_EQ(mesh.groups[2].faces, (std::vector<std::int32_t>{1}));
}

TEST_F(MeshTextureTest, FailingTextureFailsTheLoadAndLeavesNoTextureBehind) {
    Mesh loaded;
    TextureParams params;
    ASSERT_EQ(Load(loaded, SampleMeshSource(), params), 1);
    const std::set<GLuint> before = LiveTextures();

    MeshSource missingImage = TexturedSource();
    missingImage.textures[1].fileName = "missing.bmp";
    MeshSource unknownKind = TexturedSource();
    unknownKind.textures[1].fileName = "m.ply";
    for (const MeshSource* source : {&missingImage, &unknownKind}) {
        params.width = 123;
        EXPECT_EQ(Load(loaded, *source, params), 0);
        EXPECT_EQ(params.width, 123);  // the parameters are as they were
        EXPECT_EQ(loaded.textureCount, 0);
        EXPECT_EQ(LiveTextures(), before);  // texture 0 was built, then deleted again
    }
    TextureParams badBuild;
    badBuild.buildMode = 2;
    EXPECT_EQ(Load(loaded, TexturedSource(), badBuild), 0);
    EXPECT_EQ(LiveTextures(), before);
}

TEST_F(MeshTextureTest, TextureNamesThatLeaveTheFolderAreFilesThatCannotBeOpened) {
    // Each names skin.tga, which is there, by a way that leaves the folder.
    const std::string upAndBack = "../" + dir.Path().filename().string() + "/skin.tga";
    for (const std::string& name :
         {upAndBack, dir.File("skin.tga"), std::string("./../skin.tga")}) {
        SCOPED_TRACE(name);
        MeshSource source = TexturedSource();
        source.textures[0].fileName = name;
        Mesh mesh;
        TextureParams params;
        LoadError error;
        ASSERT_TRUE(WriteMeshFile(dir.File("m.ply"), source));
        EXPECT_EQ(mesh.Load("m.ply", params, &error), 0);
        EXPECT_EQ(error.what, "texture 0 \"" + name + "\": cannot be opened as a file");
    }
    // A subfolder is inside.
    std::filesystem::create_directory(dir.File("skins"));
    std::filesystem::copy_file(dir.File("skin.tga"), dir.File("skins/skin.tga"));
    MeshSource source = TexturedSource();
    source.textures[0].fileName = "skins/skin.tga";
    Mesh mesh;
    TextureParams params;
    EXPECT_EQ(Load(mesh, source, params), 1);
}

TEST_F(MeshTextureTest, BadFileBuildsNoTextureAtAll) {
    const std::set<GLuint> before = LiveTextures();
    MeshSource badIndex = TexturedSource();
    badIndex.faces[2].layers[0].textureIndex = 2;
    MeshSource truncatedNodes = TexturedSource();
    truncatedNodes.nodes.clear();
    for (const MeshSource* source : {&badIndex, &truncatedNodes}) {
        Mesh mesh;
        TextureParams params;
        EXPECT_EQ(Load(mesh, *source, params), 0);
        EXPECT_EQ(params.width, 0);
        EXPECT_EQ(LiveTextures(), before);
    }
}

}  // namespace
