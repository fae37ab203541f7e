#include "tools/convert/assimp_reader.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <system_error>

#include <assimp/DefaultIOSystem.h>
#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/Importer.hpp>

#include "tools/convert/assimp_md5.h"
#include "tools/convert/assimp_scene.h"
#include "tools/convert/encoded_image.h"
#include "tools/convert/reader_child.h"
#include "tools/convert/scene_check.h"
#include "tools/convert/scene_wire.h"

namespace {

namespace fs = std::filesystem;

constexpr char kSceneAnswer = 'S';
constexpr char kRefusalAnswer = 'E';
constexpr std::size_t kMaxReasonBytes = 300;

constexpr unsigned kImportSteps = aiProcess_Triangulate | aiProcess_JoinIdenticalVertices |
                                  aiProcess_LimitBoneWeights | aiProcess_ValidateDataStructure |
                                  aiProcess_SortByPType;

// A reason as one short printable line, whoever wrote it.
std::string OneLine(const std::string& text) {
    std::string line = text.substr(0, kMaxReasonBytes);
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
        line.pop_back();
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    }
    return line.empty() ? "unknown reason" : line;
}

// The library's file access, kept inside the model's folder and recorded: every file it opens
// (an .mtl, an autoloaded .md5anim) is a source of the conversion.
class FolderIO : public Assimp::DefaultIOSystem {
  public:
    FolderIO(fs::path folder, std::vector<std::string>& opened)
        : folder_(std::move(folder)), opened_(opened) {}

    bool Exists(const char* file) const override {
        return !Inside(file).empty() && DefaultIOSystem::Exists(file);
    }
    Assimp::IOStream* Open(const char* file, const char* mode) override {
        const std::string path = Inside(file);
        if (path.empty())
            return nullptr;
        Assimp::IOStream* stream = DefaultIOSystem::Open(file, mode);
        if (stream != nullptr && std::find(opened_.begin(), opened_.end(), path) == opened_.end())
            opened_.push_back(path);
        return stream;
    }

  private:
    // The file's canonical path when it lies inside the folder, else empty.
    std::string Inside(const char* file) const {
        std::error_code ec;
        const fs::path path = fs::weakly_canonical(fs::absolute(file, ec), ec);
        const std::string inside = folder_.string() + "/";
        return !ec && path.string().compare(0, inside.size(), inside) == 0 ? path.string() : "";
    }

    fs::path folder_;
    std::vector<std::string>& opened_;
};

// The frame rate of an .md5anim, where the file gives one, on the animations read from it (the
// importer's scene is const to us, but its animations are not).
void SetMd5FrameRate(const fs::path& anim, const aiScene& ai) {
    if (const double rate = Md5FrameRate(anim); rate > 0) {
        for (unsigned a = 0; a < ai.mNumAnimations; ++a)
            ai.mAnimations[a]->mTicksPerSecond = rate;
    }
}

bool ReadAndConvert(const std::string& path, Scene& scene, std::vector<EncodedImage>& encoded,
                    std::string& error) {
    std::error_code ec;
    const fs::path model = fs::canonical(path, ec);
    if (ec) {
        error = "no such file";
        return false;
    }
    std::vector<std::string> opened = {model.string()};
    Assimp::Importer importer;
    importer.SetIOHandler(new FolderIO(model.parent_path(), opened));
    ConfigureAssimpImporter(importer);
    const aiScene* ai = importer.ReadFile(model.string(), kImportSteps);
    if (ai == nullptr) {
        error = OneLine(importer.GetErrorString());
        return false;
    }
    std::vector<AssimpAnimation> animations;
    for (unsigned a = 0; a < ai->mNumAnimations; ++a)
        animations.push_back({ai->mAnimations[a], model.stem().string()});

    // An .md5mesh brings the .md5anim files beside it: the one the library opened by itself
    // gave the scene's animation, each other one is read on its own.
    const std::vector<std::string> openedByModel = opened;
    std::vector<std::unique_ptr<Assimp::Importer>> others;
    for (const fs::path& anim : Md5AnimsBeside(model)) {
        if (std::find(openedByModel.begin(), openedByModel.end(),
                      fs::weakly_canonical(anim, ec).string()) != openedByModel.end()) {
            SetMd5FrameRate(anim, *ai);
            continue;
        }
        others.push_back(std::make_unique<Assimp::Importer>());
        others.back()->SetIOHandler(new FolderIO(model.parent_path(), opened));
        const aiScene* extra = others.back()->ReadFile(anim.string(), 0);
        if (extra == nullptr) {
            scene.notes.push_back("skipped " + anim.filename().string() + ": " +
                                  OneLine(others.back()->GetErrorString()));
            continue;
        }
        SetMd5FrameRate(anim, *extra);
        for (unsigned a = 0; a < extra->mNumAnimations; ++a)
            animations.push_back({extra->mAnimations[a], anim.stem().string()});
    }
    if (!ConvertAssimpScene(*ai, model.string(), animations, scene, encoded, error))
        return false;
    scene.sources.insert(scene.sources.begin(), opened.begin(), opened.end());
    return true;
}

std::string ReadInChild(const std::string& path) {
    Scene scene;
    std::vector<EncodedImage> encoded;
    std::string error;
    if (!ReadAndConvert(path, scene, encoded, error))
        return kRefusalAnswer + error;
    return kSceneAnswer + EncodeScene(scene, encoded);
}

// Decodes the textures the child sent and points the materials at the decoded images; a
// texture that does not decode leaves its materials untextured, with a note.
void DecodeImages(const std::vector<EncodedImage>& encoded, Scene& scene) {
    const int first = static_cast<int>(scene.images.size());
    std::vector<int> decoded(encoded.size(), -1);
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        SceneImage image;
        std::string why;
        if (DecodeEncodedImage(encoded[i], image, why)) {
            decoded[i] = static_cast<int>(scene.images.size());
            scene.images.push_back(std::move(image));
        } else {
            scene.notes.push_back("skipped the texture " + OneLine(encoded[i].file) + ": " + why);
        }
    }
    for (SceneMaterial& material : scene.materials) {
        if (material.image >= first)
            material.image = decoded[static_cast<std::size_t>(material.image - first)];
    }
}

}  // namespace

unsigned AssimpImportSteps() {
    return kImportSteps;
}

void ConfigureAssimpImporter(Assimp::Importer& importer) {
    importer.SetPropertyInteger(AI_CONFIG_PP_LBW_MAX_WEIGHTS, static_cast<int>(kMaxInfluences));
    // Pivots fold into the joints' own transforms instead of becoming helper nodes.
    importer.SetPropertyBool(AI_CONFIG_IMPORT_FBX_PRESERVE_PIVOTS, false);
}

bool ReadWithAssimp(const std::string& path, Scene& scene, std::string& error) {
    scene = Scene{};
    const std::string prefix = path + " could not be read: ";
    std::string answer, why;
    if (!RunInChild([&path] { return ReadInChild(path); }, ChildLimits{}, answer, why)) {
        error = prefix + why;
        return false;
    }
    if (!answer.empty() && answer[0] == kRefusalAnswer) {
        error = prefix + OneLine(answer.substr(1));
        return false;
    }
    std::vector<EncodedImage> encoded;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(answer.data());
    if (answer.empty() || answer[0] != kSceneAnswer ||
        !DecodeScene({bytes + 1, answer.size() - 1}, scene, encoded, why)) {
        error =
            prefix + "the reader's answer is damaged (" + (answer.empty() ? "empty" : why) + ")";
        scene = Scene{};
        return false;
    }
    DecodeImages(encoded, scene);
    if (!CheckScene(scene, why)) {
        error = prefix + why;
        scene = Scene{};
        return false;
    }
    return true;
}
