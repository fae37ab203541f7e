// vorn-inspect: summarises and validates the game's data files on the game's own loaders.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "tools/inspect/check_folder.h"
#include "tools/inspect/file_kind.h"
#include "tools/inspect/json_writer.h"
#include "tools/inspect/text_writer.h"

namespace {

constexpr int kAllValid = 0;
constexpr int kSomeInvalid = 1;
constexpr int kBadUsage = 2;

constexpr const char* kUsage =
    "usage: vorn-inspect [--json] FILE...\n"
    "       vorn-inspect [--json] --check FOLDER\n"
    "       vorn-inspect --help\n";

constexpr const char* kHelp =
    "\n"
    "Summarises the data files of The Vorn Project and says whether the game loads them, and if\n"
    "not, exactly what is wrong (which count, index or offset). It reads every file with the\n"
    "game's own loaders.\n"
    "\n"
    "Files are recognised by extension and contents:\n"
    "  .ply  mesh: counts, materials, textures (decoded from beside the mesh), node tree with\n"
    "        name hashes and vertex counts\n"
    "  .anm  animation: name, frame and track counts, the node of each track\n"
    "  .prs  face groups: radius, each group's colours, texture index and faces\n"
    "  .kdt  bounds: a prop's tree (its mesh has the same stem or a prop descriptor beside it\n"
    "        names it) or an actor animation's per-frame trees (an .anm of the same stem or an\n"
    "        actor descriptor beside it); without such neighbours, by structure. Depth, node\n"
    "        count and the root's slabs\n"
    "  .tga, .bmp  image: size, type or compression, depth\n"
    "  .txt  descriptor (first line \"actor\" or \"prop\") or statistics file (robot or weapon\n"
    "        keys), told apart by content\n"
    "Caches (.prs, .kdt) and animations are checked against the mesh and animation they belong\n"
    "to when a descriptor or a file of the same stem beside them names it.\n"
    "\n"
    "Options:\n"
    "  --json          one JSON document per file, each on its own line (JSON Lines):\n"
    "                  {\"file\", \"kind\", \"valid\", \"problems\": [...], \"notes\": [...],\n"
    "                  \"summary\": {...}}; infinite slab values are the strings \"inf\", "
    "\"-inf\"\n"
    "  --check FOLDER  validates FOLDER the way the demo loads it: \"gun82stats.txt\",\n"
    "                  \"gun83stats.txt\", \"kordaxstats.txt\", then \"kordax.txt\" (the robot,\n"
    "                  an actor) and \"gun82.txt\" (the gun, a prop) and every file they name,\n"
    "                  caches included (a missing cache is fine: the game writes it). Prints\n"
    "                  one line \"FILE: problem\" per problem, or one line saying all is valid;\n"
    "                  with --json the documents of every file looked at instead\n"
    "  --help          this text\n"
    "  --              ends the options: every later argument is a file\n"
    "\n"
    "Exit status: 0 when every file is valid, 1 when one is not (or cannot be read),\n"
    "2 for bad usage (unknown option, no file, --check without a folder or with files).\n";

int Usage(const std::string& complaint) {
    std::fprintf(stderr, "vorn-inspect: %s\n%s", complaint.c_str(), kUsage);
    return kBadUsage;
}

void Print(const FileReport& report, bool json) {
    const std::string text = json ? JsonReport(report) + "\n" : TextReport(report);
    std::fputs(text.c_str(), stdout);
}

int Check(const std::string& folder, bool json) {
    const std::vector<FileReport> reports = CheckFolder(folder);
    std::size_t problems = 0;
    for (const FileReport& report : reports) {
        if (json) {
            Print(report, true);
        } else {
            for (const std::string& problem : report.problems) {
                std::printf("%s: %s\n", report.path.c_str(), problem.c_str());
            }
        }
        problems += report.problems.size();
    }
    if (!json && problems == 0) {
        std::printf("%s: %zu files, all valid\n", folder.c_str(), reports.size());
    }
    return problems == 0 ? kAllValid : kSomeInvalid;
}

}  // namespace

int main(int argc, char** argv) {
    // The bitmap decoder reports in message boxes; here its reasons go into the reports.
    SetMessageBoxPresenter([](const std::string&, const std::string&, MessageBoxButtons buttons,
                              MessageBoxIcon) { return EscapeAnswer(buttons); });
    bool json = false;
    bool options = true;
    std::string folder;
    bool check = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (options && arg == "--") {
            options = false;
        } else if (options && (arg == "--help" || arg == "-h")) {
            std::printf("%s%s", kUsage, kHelp);
            return kAllValid;
        } else if (options && arg == "--json") {
            json = true;
        } else if (options && arg == "--check") {
            if (check)
                return Usage("--check is given twice");
            if (i + 1 >= argc)
                return Usage("--check needs a folder");
            check = true;
            folder = argv[++i];
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            return Usage("unknown option " + arg);
        } else {
            files.push_back(arg);
        }
    }
    if (check) {
        if (!files.empty())
            return Usage("--check takes a folder and no files");
        std::error_code ignored;
        if (!std::filesystem::is_directory(folder, ignored)) {
            return Usage(folder + " is not a folder");
        }
        return Check(folder, json);
    }
    if (files.empty())
        return Usage("no file given");
    int status = kAllValid;
    for (const std::string& file : files) {
        const FileReport report = InspectFile(file);
        Print(report, json);
        if (!report.Valid())
            status = kSomeInvalid;
    }
    return status;
}
