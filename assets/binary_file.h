// The one reader and writer of the program's binary files: little-endian values moved through
// a fixed 1024-byte buffer.
//
// Reading: before each value the buffer is refilled when fewer bytes remain after the position
// than the value needs *plus one* (a value ending exactly at the buffer's end also refills).
// The unread tail is moved to the front, so a value never straddles a refill.
// Reads past the end of the file deliver zeros and set ReadFailed(), so that loaders can reject
// a truncated file.
//
// Writing: the buffer is written out before it would reach 1024 bytes (it never holds more than
// 1020), and everything goes to a temporary file that replaces the real name only when Close
// succeeds. Close reports a failed write with 0.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "assets/atomic_file.h"
#include "assets/byte_reader.h"

class BinaryFile {
  public:
    static constexpr int kBufferSize = 1024;
    static constexpr int kStringSize = 128;  // every string in every format: 127 chars + NUL

    BinaryFile() = default;
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;
    ~BinaryFile();  // an unclosed write is discarded, never renamed into place

    // read != 0 opens `name` for reading, 0 creates it for writing. 1 on success, 0 on failure.
    int Open(const std::string& name, int read);
    // Write mode: writes out the buffer and moves the file into place; 0 when any write failed.
    // Read mode, or an object that is not open: 1.
    int Close();

    std::uint8_t ReadByte() {
        Ensure(1);
        const std::uint8_t v = buffer_[position_];
        Consume(1);
        return v;
    }
    std::uint16_t ReadUInt16() {
        Ensure(2);
        const std::uint8_t* p = buffer_ + position_;
        const auto v = static_cast<std::uint16_t>(p[0] | (p[1] << 8));
        Consume(2);
        return v;
    }
    std::int32_t ReadInt32() {
        Ensure(4);
        const std::uint8_t* p = buffer_ + position_;
        const std::uint32_t v = std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) |
                                (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
        Consume(4);
        return static_cast<std::int32_t>(v);
    }
    float ReadFloat() {
        const std::int32_t bits = ReadInt32();
        float v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    // `count` 32-bit words at once (count * 4 below kBufferSize): the same values, and the same
    // failure past the end, as that many ReadInt32 calls.
    void ReadWords(std::int32_t* out, int count) {
        const int bytes = 4 * count;
        Ensure(bytes);
        const std::uint8_t* p = buffer_ + position_;
        for (int i = 0; i < count; ++i, p += 4) {
            out[i] = static_cast<std::int32_t>(std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) |
                                               (std::uint32_t{p[2]} << 16) |
                                               (std::uint32_t{p[3]} << 24));
        }
        Consume(bytes);
    }
    // Copies a NUL-terminated string of at most 127 characters into dest (kStringSize bytes).
    // A longer string is cut at 127 characters, terminated, skipped past its 128th byte, and
    // marks the read as failed. Returns the new position.
    int ReadString(char* dest, int reserve = kStringSize);

    void WriteInt32(std::int32_t v) {
        if (position_ + 4 >= kBufferSize) {
            FlushWrite();
        }
        std::uint8_t* p = buffer_ + position_;
        const auto u = static_cast<std::uint32_t>(v);
        p[0] = static_cast<std::uint8_t>(u);
        p[1] = static_cast<std::uint8_t>(u >> 8);
        p[2] = static_cast<std::uint8_t>(u >> 16);
        p[3] = static_cast<std::uint8_t>(u >> 24);
        position_ += 4;
    }
    void WriteFloat(float v) {
        std::int32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        WriteInt32(bits);
    }

    // Read mode: the whole file in memory (mapped on the first call, until Close), for parsers
    // that want more than the buffer's window; empty when it cannot be mapped or in write mode.
    // Reading through it moves nothing: Seek then says where reading goes on.
    std::span<const std::uint8_t> Contents();
    // Read mode: the next read starts at file offset `offset` (at most FileSize()).
    void Seek(std::int64_t offset);

    // True once a read ran past the end of the file or met an over-long string.
    bool ReadFailed() const { return readFailed_; }
    // Read mode: bytes of the file not yet consumed (0 when past the end).
    std::int64_t BytesLeft() const;
    std::int64_t FileSize() const { return fileSize_; }
    // Read mode: the file offset of the next byte to be read.
    std::int64_t Offset() const { return bufferStart_ + position_; }
    bool IsOpen() const { return file_ != nullptr || writer_.IsOpen(); }

  private:
    void Ensure(int n) {
        if (position_ + n >= kBufferSize) {
            Refill();
        }
    }
    void Consume(int n) {
        position_ += n;
        if (position_ > valid_) {
            readFailed_ = true;
        }
    }
    void Refill();
    void FlushWrite();

    std::FILE* file_ = nullptr;  // read mode
    AtomicFile writer_;          // write mode
    MappedFile contents_;        // read mode, once Contents() was asked for
    std::uint8_t buffer_[kBufferSize] = {};
    int position_ = 0;
    int mode_ = 0;                  // 1 = read, 0 = write
    int valid_ = 0;                 // bytes of the buffer that came from the file
    std::int64_t bufferStart_ = 0;  // file offset of buffer_[0]
    std::int64_t fileSize_ = 0;
    bool readFailed_ = false;
};

// "robot.ply" -> "robot". Strips from the last dot of the final path component, which for the
// three-letter extensions that every data file has is exactly the last four characters; a name
// without an extension is returned whole. At most 127 characters are kept.
std::string StripExtension(std::string_view name);

// Everything after the last dot, with its first three characters lower-cased (A-Z only);
// nullopt when the name has no dot.
std::optional<std::string> GetExtension(std::string_view path);

// True for a relative name with no ".." step ("robot.ply", "skins/arm.tga"): a name that a data
// file gives for another file must not lead out of the data folder.
bool StaysInFolder(std::string_view name);
