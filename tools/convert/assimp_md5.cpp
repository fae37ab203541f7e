#include "tools/convert/assimp_md5.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

namespace {

namespace fs = std::filesystem;

// The header (version, command line, counts, rate) comes before the first block, well within
// this.
constexpr std::size_t kMaxHeaderBytes = 64 * 1024;

bool HasExtension(const fs::path& file, const std::string& extension) {
    std::string text = file.extension().string();
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text == extension;
}

}  // namespace

std::vector<fs::path> Md5AnimsBeside(const fs::path& model) {
    std::vector<fs::path> found;
    if (!HasExtension(model, ".md5mesh"))
        return found;
    std::error_code ec;
    for (fs::directory_iterator it(model.parent_path(), ec), end; !ec && it != end;
         it.increment(ec)) {
        if (HasExtension(it->path(), ".md5anim"))
            found.push_back(it->path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

double Md5FrameRate(const fs::path& anim) {
    std::ifstream in(anim, std::ios::binary);
    std::string header(kMaxHeaderBytes, '\0');
    in.read(header.data(), static_cast<std::streamsize>(header.size()));
    header.resize(static_cast<std::size_t>(in.gcount()));
    std::istringstream tokens(header.substr(0, header.find('{')));
    for (std::string token; tokens >> token;) {
        double rate = 0;
        if (token == "frameRate")
            return tokens >> rate && std::isfinite(rate) && rate > 0 ? rate : 0;
    }
    return 0;
}
