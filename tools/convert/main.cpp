// vorn-convert: converts models into data folders the game starts on, and back to glTF.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "tools/convert/export_folder.h"
#include "tools/convert/model_import.h"

namespace {

constexpr int kDone = 0;
constexpr int kRefused = 1;
constexpr int kBadUsage = 2;

constexpr const char* kUsage =
    "usage: vorn-convert import MODEL FOLDER [--scale S] [--gun-node NAME]\n"
    "       vorn-convert export FOLDER OUT [--with-gun]\n"
    "       vorn-convert --help\n";

constexpr const char* kHelp =
    "\n"
    "Converts between glTF 2.0 models and the data folders of The Vorn Project.\n"
    "\n"
    "import MODEL FOLDER\n"
    "  Makes FOLDER (new, or an empty folder) a complete data folder whose robot is the model\n"
    "  in MODEL (.gltf with embedded or external data, or .glb): \"kordax.txt\" naming the\n"
    "  model's mesh and one animation per glTF animation (sampled at 30 frames per second; a\n"
    "  model without animations gets one still frame), its base colour textures as TGA, and\n"
    "  the sample content's gun and statistics files. Every triangle primitive of the default\n"
    "  scene joins the mesh; points and lines are skipped. Blended skins are kept: a vertex\n"
    "  over several joints moves with a node of its own set of joints and weights (sets that\n"
    "  differ by less than 0.1% of the model's height share one), as linear blend skinning\n"
    "  moves it. Morph targets are ignored, with a note: the game's files hold no per-vertex\n"
    "  animation. External files are read only from inside MODEL's folder. Nothing is left in\n"
    "  FOLDER when the import fails.\n"
    "  --scale S       scale the model by S (1 keeps the file's units); by default it is\n"
    "                  scaled and placed to be wholly in view as the sample robot is, while\n"
    "                  its first animation plays, on the robot's ground\n"
    "  --gun-node NAME carry the gun on the node NAME; by default on a node named \"Gun\" (its\n"
    "                  +Z is the barrel, +Y the top), else in the skeleton's right hand\n"
    "                  (found by its name or the arm's shape), else on a \"Gun\" node added\n"
    "                  at the model's right side\n"
    "\n"
    "export FOLDER OUT\n"
    "  Writes the robot of the data folder FOLDER (\"kordax.txt\", read with the game's\n"
    "  loaders) as OUT: a .glb, or a .gltf with its data embedded. The node tree, the mesh\n"
    "  (quads as triangles), materials, textures as PNG, and one glTF animation per animation\n"
    "  at 30 frames per second.\n"
    "  --with-gun      also the gun of \"gun82.txt\", mounted on the \"Gun\" node\n"
    "\n"
    "Exit status: 0 when done, 1 when the model was refused (one line says why), 2 for bad\n"
    "usage.\n";

int Usage(const std::string& complaint) {
    std::fprintf(stderr, "vorn-convert: %s\n%s", complaint.c_str(), kUsage);
    return kBadUsage;
}

bool ParseScale(const char* text, float& scale) {
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, scale);
    return error == std::errc() && stop == end && std::isfinite(scale) && scale > 0;
}

int Import(const std::vector<std::string>& args) {
    std::vector<std::string> positional;
    ImportOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--scale" || arg == "--gun-node") {
            if (i + 1 == args.size())
                return Usage(arg + " needs a value");
            const std::string& value = args[++i];
            if (arg == "--scale") {
                float scale = 0;
                if (!ParseScale(value.c_str(), scale))
                    return Usage("--scale needs a positive number, not \"" + value + "\"");
                options.scale = scale;
            } else {
                if (value.empty())
                    return Usage("--gun-node needs a node name");
                options.gunNode = value;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Usage("unknown option " + arg);
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 2)
        return Usage("import needs a MODEL and a FOLDER");
    ImportedFolder folder;
    std::string error;
    if (!ImportModelFile(positional[0], options, folder, error) ||
        !WriteImportedFolder(folder, positional[1], error)) {
        std::fprintf(stderr, "vorn-convert: %s\n", error.c_str());
        return kRefused;
    }
    for (const std::string& note : folder.notes)
        std::printf("note: %s\n", note.c_str());
    return kDone;
}

int Export(const std::vector<std::string>& args) {
    std::vector<std::string> positional;
    bool withGun = false;
    for (const std::string& arg : args) {
        if (arg == "--with-gun")
            withGun = true;
        else if (arg.size() > 1 && arg[0] == '-')
            return Usage("unknown option " + arg);
        else
            positional.push_back(arg);
    }
    if (positional.size() != 2)
        return Usage("export needs a FOLDER and an OUT file");
    std::string error;
    std::vector<std::string> notes;
    if (!ExportFolder(positional[0], positional[1], withGun, error, notes)) {
        std::fprintf(stderr, "vorn-convert: %s\n", error.c_str());
        return kRefused;
    }
    for (const std::string& note : notes)
        std::printf("note: %s\n", note.c_str());
    return kDone;
}

}  // namespace

int main(int argc, char** argv) {
    // The bitmap decoder reports in message boxes; here its reason is in the one error line.
    SetMessageBoxPresenter([](const std::string&, const std::string&, MessageBoxButtons buttons,
                              MessageBoxIcon) { return EscapeAnswer(buttons); });
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return Usage("no command");
    if (args[0] == "--help" || args[0] == "-h") {
        std::fputs(kUsage, stdout);
        std::fputs(kHelp, stdout);
        return kDone;
    }
    if (args[0] == "import")
        return Import({args.begin() + 1, args.end()});
    if (args[0] == "export")
        return Export({args.begin() + 1, args.end()});
    return Usage("unknown command " + args[0]);
}
