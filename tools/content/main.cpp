// vorn-content OUTPUT_DIR [--scale N]: writes the sample content into OUTPUT_DIR. With
// --scale N every quad of the robot is cut into N x N, for benchmarks.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/content/content_writer.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: vorn-content OUTPUT_DIR [--scale N]   (N from 1 to %d)\n",
                 kMaxSubdivisions);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4) {
        return Usage();
    }
    int scale = 1;
    if (argc == 4) {
        const char* text = argv[3];
        const char* end = text + std::strlen(text);
        const auto [stop, error] = std::from_chars(text, end, scale);
        if (std::strcmp(argv[2], "--scale") != 0 || error != std::errc() || stop != end ||
            scale < 1 || scale > kMaxSubdivisions) {
            return Usage();
        }
    }
    std::string failed;
    if (!WriteContent(argv[1], scale, failed)) {
        std::fprintf(stderr, "vorn-content: cannot write %s\n", failed.c_str());
        return 1;
    }
    return 0;
}
