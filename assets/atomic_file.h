// Writes a file so that its real name only ever holds a complete copy: the bytes go to a
// temporary file in the same folder, which replaces the real name once everything was written
// and flushed. A crash, a kill or a full disk leaves at most the temporary file behind.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

class AtomicFile {
  public:
    AtomicFile() = default;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile() { Discard(); }

    // Creates the temporary file next to `path`; false when the folder cannot be written.
    bool Open(const std::string& path);
    // Appends bytes; a failure is remembered and makes Commit fail.
    void Write(const void* data, std::size_t size);
    // Flushes, syncs and renames over the real name. False (and nothing renamed) when any
    // step, or any earlier write, failed.
    bool Commit();
    // Drops the temporary file without touching the real name.
    void Discard();

    bool IsOpen() const { return file_ != nullptr; }
    static std::string TemporaryName(const std::string& path) { return path + ".tmp"; }

  private:
    std::FILE* file_ = nullptr;
    std::string path_;
    bool failed_ = false;
};

// Whole-buffer convenience for writers that assemble their bytes in memory.
bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size);
