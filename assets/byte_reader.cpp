#include "assets/byte_reader.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "assets/regular_file.h"

MappedFile::~MappedFile() {
    Close();
}

void MappedFile::Close() {
    if (mapping_ != nullptr) {
        ::munmap(mapping_, size_);
    }
    mapping_ = nullptr;
    data_ = nullptr;
    size_ = 0;
}

bool MappedFile::Open(const std::string& path) {
    const int fd = OpenRegularFile(path);
    if (fd < 0) {
        Close();
        return false;
    }
    const bool ok = Open(fd);
    ::close(fd);  // the mapping stays valid without the descriptor
    return ok;
}

bool MappedFile::Open(int descriptor) {
    Close();
    struct stat info {};
    bool ok = ::fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode);
    if (ok && info.st_size > 0) {
        const auto size = static_cast<std::size_t>(info.st_size);
        void* mapping = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, descriptor, 0);
        ok = mapping != MAP_FAILED;
        if (ok) {
            mapping_ = mapping;
            data_ = static_cast<const std::uint8_t*>(mapping);
            size_ = size;
        }
    }
    static constexpr std::uint8_t kEmpty[1] = {};
    if (ok && data_ == nullptr) {
        data_ = kEmpty;  // an empty file: nothing to map, nothing to read
    }
    return ok;
}
