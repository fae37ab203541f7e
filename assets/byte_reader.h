// Reads a little-endian binary file that sits whole in memory: the counterpart of ByteWriter,
// for the big formats (meshes), where value-by-value reads through BinaryFile's 1024-byte
// window cost several times the reading itself, and copying the file into a buffer first
// costs as much again as parsing it (the file is mapped instead). Same conventions as BinaryFile:
// reads past the end deliver zeros and set Failed(); strings are at most 127 characters.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

class ByteReader {
  public:
    static constexpr std::size_t kStringSize = 128;

    ByteReader(const std::uint8_t* data, std::size_t size)
        : begin_(data), at_(data), end_(data + size) {}

    // Bytes consumed so far: the file offset of the next value.
    std::int64_t Offset() const { return at_ - begin_; }

    std::size_t BytesLeft() const { return static_cast<std::size_t>(end_ - at_); }
    bool Failed() const { return failed_; }
    // True when n more bytes are there; otherwise marks the read as failed.
    bool Has(std::size_t n) {
        if (BytesLeft() < n) {
            failed_ = true;
            return false;
        }
        return true;
    }

    std::uint8_t U8() { return Has(1) ? *at_++ : 0; }
    std::uint16_t U16() {
        if (!Has(2)) {
            return 0;
        }
        const auto v = static_cast<std::uint16_t>(at_[0] | (at_[1] << 8));
        at_ += 2;
        return v;
    }
    std::int32_t I32() { return Has(4) ? UncheckedI32() : 0; }
    float F32() { return Has(4) ? UncheckedF32() : 0.0f; }
    // For records whose whole size was checked with Has().
    std::int32_t UncheckedI32() {
        const std::uint32_t v = std::uint32_t{at_[0]} | (std::uint32_t{at_[1]} << 8) |
                                (std::uint32_t{at_[2]} << 16) | (std::uint32_t{at_[3]} << 24);
        at_ += 4;
        return static_cast<std::int32_t>(v);
    }
    float UncheckedF32() {
        const std::int32_t bits = UncheckedI32();
        float v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    // Steps over n bytes that the caller reads itself; null (and the read failed) when fewer
    // are left.
    const std::uint8_t* Skip(std::size_t n) {
        if (!Has(n)) {
            return nullptr;
        }
        const std::uint8_t* start = at_;
        at_ += n;
        return start;
    }
    // n consecutive 32-bit values (int32 or float) into the objects at dest, in native order.
    bool Words(void* dest, std::size_t n) {
        if (!Has(4 * n)) {
            return false;
        }
        if (n == 0) {
            return true;  // dest may be the null data() of an empty vector
        }
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(dest, at_, 4 * n);
            at_ += 4 * n;
        } else {
            auto* out = static_cast<unsigned char*>(dest);
            for (std::size_t i = 0; i < n; ++i) {
                const std::int32_t bits = UncheckedI32();
                std::memcpy(out + 4 * i, &bits, 4);
            }
        }
        return true;
    }
    // A NUL-terminated string into dest (kStringSize bytes); false, with the read marked failed,
    // when it is longer than 127 characters or runs past the end.
    bool String(char* dest) {
        const std::size_t room = std::min(BytesLeft(), kStringSize);
        const void* nul = std::memchr(at_, 0, room);
        if (nul == nullptr) {
            dest[0] = '\0';
            failed_ = true;
            at_ += room;
            return false;
        }
        const auto length = static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - at_);
        std::memcpy(dest, at_, length + 1);
        at_ += length + 1;
        return true;
    }

  private:
    const std::uint8_t* begin_;
    const std::uint8_t* at_;
    const std::uint8_t* end_;
    bool failed_ = false;
};

// A regular file mapped read-only into memory for as long as the object lives.
class MappedFile {
  public:
    MappedFile() = default;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();

    // False when the file cannot be opened, is not a regular file, or cannot be mapped.
    bool Open(const std::string& path);
    // The same for a file already open for reading; the descriptor stays the caller's.
    bool Open(int descriptor);
    // Unmaps the file; the object is then as new.
    void Close();
    const std::uint8_t* Data() const { return data_; }
    std::size_t Size() const { return size_; }

  private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    void* mapping_ = nullptr;
};
