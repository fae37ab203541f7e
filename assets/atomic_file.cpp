#include "assets/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace {

// The temporary name is created or truncated as a regular file. Whatever else sits there (a
// named pipe would make the open wait for a reader) makes the write fail instead.
std::FILE* CreateTemporary(const std::string& name) {
    const int fd =
        ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info {};
    const int flags = ::fcntl(fd, F_GETFL);
    std::FILE* file = nullptr;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && flags >= 0 &&
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0) {
        file = ::fdopen(fd, "wb");
    }
    if (file == nullptr) {
        ::close(fd);
    }
    return file;
}

}  // namespace

bool AtomicFile::Open(const std::string& path) {
    Discard();
    path_ = path;
    failed_ = false;
    file_ = CreateTemporary(TemporaryName(path));
    return file_ != nullptr;
}

void AtomicFile::Write(const void* data, std::size_t size) {
    if (file_ == nullptr) {
        failed_ = true;
        return;
    }
    if (size != 0 && std::fwrite(data, 1, size, file_) != size) {
        failed_ = true;
    }
}

bool AtomicFile::Commit() {
    if (file_ == nullptr) {
        return false;
    }
    bool ok = !failed_ && std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
    ok = (std::fclose(file_) == 0) && ok;
    file_ = nullptr;
    const std::string temporary = TemporaryName(path_);
    if (ok) {
        ok = std::rename(temporary.c_str(), path_.c_str()) == 0;
    }
    if (!ok) {
        std::remove(temporary.c_str());
    }
    return ok;
}

void AtomicFile::Discard() {
    if (file_ == nullptr) {
        return;
    }
    std::fclose(file_);
    file_ = nullptr;
    std::remove(TemporaryName(path_).c_str());
}

bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size) {
    AtomicFile file;
    if (!file.Open(path)) {
        return false;
    }
    file.Write(data, size);
    return file.Commit();
}
