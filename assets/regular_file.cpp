#include "assets/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int OpenRegularFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    // Checked on the opened descriptor: a name checked before the open could be swapped after.
    struct stat info {};
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::FILE* OpenRegularStream(const std::string& path) {
    const int fd = OpenRegularFile(path);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* stream = ::fdopen(fd, "rb");
    if (stream == nullptr) {
        ::close(fd);
    }
    return stream;
}

bool IsReadableRegularFile(const std::string& path) {
    const int fd = OpenRegularFile(path);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}
