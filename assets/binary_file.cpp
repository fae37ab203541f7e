#include "assets/binary_file.h"

#include <sys/stat.h>

#include <algorithm>

#include "assets/regular_file.h"

BinaryFile::~BinaryFile() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
    // writer_ discards its temporary file when it was never committed.
}

int BinaryFile::Open(const std::string& name, int read) {
    Close();
    mode_ = read & 0xFF;
    position_ = 0;
    valid_ = 0;
    bufferStart_ = 0;
    fileSize_ = 0;
    readFailed_ = false;
    if (mode_ == 0) {
        return writer_.Open(name) ? 1 : 0;
    }
    file_ = OpenRegularStream(name);
    if (file_ == nullptr) {
        return 0;
    }
    // Refills take about a kilobyte at a time; a larger stdio buffer turns them into a few large
    // reads instead of one system call every 4 KiB.
    std::setvbuf(file_, nullptr, _IOFBF, std::size_t{64} << 10);
    struct stat info {};
    if (::fstat(::fileno(file_), &info) != 0) {
        std::fclose(file_);
        file_ = nullptr;
        return 0;
    }
    fileSize_ = info.st_size;
    valid_ = static_cast<int>(std::fread(buffer_, 1, kBufferSize, file_));
    std::fill(buffer_ + valid_, buffer_ + kBufferSize, std::uint8_t{0});
    return 1;
}

int BinaryFile::Close() {
    contents_.Close();
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
        return 1;
    }
    if (!writer_.IsOpen()) {
        return 1;
    }
    writer_.Write(buffer_, static_cast<std::size_t>(position_));
    position_ = 0;
    return writer_.Commit() ? 1 : 0;
}

void BinaryFile::Refill() {
    const int tail = kBufferSize - position_;
    std::memmove(buffer_, buffer_ + position_, static_cast<std::size_t>(tail));
    const int validTail = std::max(0, valid_ - position_);
    int got = 0;
    // Once the file has ended (valid_ < kBufferSize) there is nothing more to fetch.
    if (file_ != nullptr && valid_ == kBufferSize) {
        got = static_cast<int>(
            std::fread(buffer_ + tail, 1, static_cast<std::size_t>(position_), file_));
    }
    const int newValid = (valid_ == kBufferSize) ? tail + got : validTail;
    std::fill(buffer_ + newValid, buffer_ + kBufferSize, std::uint8_t{0});
    bufferStart_ += position_;
    valid_ = newValid;
    position_ = 0;
}

std::span<const std::uint8_t> BinaryFile::Contents() {
    if (file_ == nullptr) {
        return {};
    }
    if (contents_.Data() == nullptr && !contents_.Open(::fileno(file_))) {
        return {};
    }
    // No further than the size the reads go by, should the file have grown since it was opened.
    const auto size = std::min(contents_.Size(), static_cast<std::size_t>(fileSize_));
    return {contents_.Data(), size};
}

void BinaryFile::Seek(std::int64_t offset) {
    if (file_ == nullptr) {
        return;
    }
    offset = std::clamp<std::int64_t>(offset, 0, fileSize_);
    if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) {
        readFailed_ = true;
        return;
    }
    // As at Open: a buffer that comes back short means the file has ended.
    bufferStart_ = offset;
    position_ = 0;
    valid_ = static_cast<int>(std::fread(buffer_, 1, kBufferSize, file_));
    std::fill(buffer_ + valid_, buffer_ + kBufferSize, std::uint8_t{0});
}

int BinaryFile::ReadString(char* dest, int reserve) {
    Ensure(reserve);
    const auto* start = buffer_ + position_;
    const int room = std::min(kBufferSize - position_, kStringSize);
    const void* nul = std::memchr(start, 0, static_cast<std::size_t>(room));
    if (nul != nullptr) {
        const int length = static_cast<int>(static_cast<const std::uint8_t*>(nul) - start);
        std::memcpy(dest, start, static_cast<std::size_t>(length) + 1);
        Consume(length + 1);
    } else {
        std::memcpy(dest, start, kStringSize - 1);
        dest[kStringSize - 1] = '\0';
        Consume(room);
        readFailed_ = true;
    }
    return position_;
}

void BinaryFile::FlushWrite() {
    writer_.Write(buffer_, static_cast<std::size_t>(position_));
    position_ = 0;
}

std::int64_t BinaryFile::BytesLeft() const {
    if (file_ == nullptr) {
        return 0;
    }
    return std::max<std::int64_t>(0, fileSize_ - (bufferStart_ + position_));
}

namespace {

std::size_t LastDotOfFinalComponent(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        return dot;
    }
    const std::size_t slash = name.rfind('/');
    if (slash != std::string_view::npos && slash > dot) {
        return std::string_view::npos;
    }
    return dot;
}

}  // namespace

std::string StripExtension(std::string_view name) {
    const std::size_t dot = LastDotOfFinalComponent(name);
    std::string_view stem = (dot == std::string_view::npos) ? name : name.substr(0, dot);
    return std::string(stem.substr(0, BinaryFile::kStringSize - 1));
}

std::optional<std::string> GetExtension(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) {
        return std::nullopt;
    }
    std::string extension(path.substr(dot + 1));
    for (std::size_t i = 0; i < extension.size() && i < 3; ++i) {
        if (extension[i] >= 'A' && extension[i] <= 'Z') {
            extension[i] = static_cast<char>(extension[i] - 'A' + 'a');
        }
    }
    return extension;
}

bool StaysInFolder(std::string_view name) {
    if (name.starts_with('/')) {
        return false;
    }
    while (!name.empty()) {
        const std::size_t slash = name.find('/');
        if (name.substr(0, slash) == "..") {
            return false;
        }
        name = slash == std::string_view::npos ? std::string_view() : name.substr(slash + 1);
    }
    return true;
}
