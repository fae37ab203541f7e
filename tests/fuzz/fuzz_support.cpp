#include "tests/fuzz/fuzz_support.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "assets/animation_writer.h"
#include "assets/atomic_file.h"
#include "assets/mesh_writer.h"
#include "geometry/zt18dop.h"
#include "model/bounds_check.h"
#include "platform/message_box.h"

namespace {

std::string& Folder() {
    static std::string folder;
    return folder;
}

void RemoveFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(Folder(), ignored);
}

}  // namespace

void PrepareFuzzing() {
    if (!Folder().empty()) {
        return;
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "vorn-fuzz-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) {
        std::perror("vorn fuzz: mkdtemp");
        std::abort();
    }
    Folder() = buffer.data();
    std::atexit(RemoveFolder);
    std::filesystem::current_path(Folder());
    SetMessageBoxPresenter([](const std::string&, const std::string&, MessageBoxButtons buttons,
                              MessageBoxIcon) { return EscapeAnswer(buttons); });
}

std::string FuzzPath(const std::string& name) {
    PrepareFuzzing();
    return Folder() + "/" + name;
}

std::string WriteFuzzInput(const std::string& name, const std::uint8_t* data, std::size_t size) {
    const std::string path = FuzzPath(name);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool ok = fd >= 0;
    for (std::size_t done = 0; ok && done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        ok = n > 0;
        done += ok ? static_cast<std::size_t>(n) : 0;
    }
    if (fd >= 0) {
        ok = ::close(fd) == 0 && ok;
    }
    if (!ok) {
        std::perror("vorn fuzz: writing the input");
        std::abort();  // no input could be tested
    }
    return path;
}

void BlockWrites(const std::string& path) {
    std::filesystem::create_directories(AtomicFile::TemporaryName(path));
}

void WriteStandIn(const std::string& path, const MeshSource& source) {
    if (!WriteMeshFile(path, source)) {
        std::fprintf(stderr, "vorn fuzz: cannot write %s\n", path.c_str());
        std::abort();
    }
}

void WriteStandIn(const std::string& path, const AnimationSource& source) {
    if (!WriteAnimationFile(path, source)) {
        std::fprintf(stderr, "vorn fuzz: cannot write %s\n", path.c_str());
        std::abort();
    }
}

namespace {

void CheckShape(const Zt18DOP& node, bool binary) {
    if (binary) {
        FUZZ_CHECK((node.children == nullptr && node.childCount == 0) ||
                   (node.children != nullptr && node.childCount == 2));
    } else {
        FUZZ_CHECK(node.childCount >= 0 && (node.childCount == 0) == (node.children == nullptr));
    }
    for (std::int32_t i = 0; i < node.childCount; ++i) {
        CheckShape(node.children[i], binary);
    }
}

}  // namespace

void CheckBoundsTree(const Zt18DOP& root, std::int32_t vertexCount, bool binary) {
    CheckShape(root, binary);
    FUZZ_CHECK(ExtremesWithin(root, vertexCount));
}
