// The program's diagnostic output. Until Open, and again after Close, everything written is
// discarded. While open it goes to the platform's console (standard output on Linux), each
// insertion at once (unit buffering), with every line ending in carriage return and line feed.
#pragma once

#include <cstdio>
#include <ostream>
#include <streambuf>

class ConStream : public std::ostream {
  public:
    ConStream();
    ~ConStream() override;
    ConStream(const ConStream&) = delete;
    ConStream& operator=(const ConStream&) = delete;

    // Does nothing while a console is open. If the platform has no console, the stream is bad
    // (insertions do nothing) until Close.
    void Open();
    // Does nothing while no console is open.
    void Close();
    bool IsOpen() const { return consoleOpen; }

  private:
    // Writes to a C stream without buffering of its own, turning "\n" into "\r\n".
    class ConsoleBuffer : public std::streambuf {
      public:
        void Attach(std::FILE* file) { file_ = file; }

      protected:
        int_type overflow(int_type ch) override;
        std::streamsize xsputn(const char* text, std::streamsize count) override;
        int sync() override;

      private:
        std::FILE* file_ = nullptr;
    };

    class NullBuffer : public std::streambuf {
      protected:
        int_type overflow(int_type ch) override { return traits_type::not_eof(ch); }
        std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
    };

    // Points the stream at buffer with the standard initial state: state cleared (bad for a
    // null buffer), default flags (so no unit buffering), precision 6, width 0, blank fill,
    // not tied.
    void Restart(std::streambuf* buffer);

    bool consoleOpen = false;
    ConsoleBuffer consoleBuffer;
    NullBuffer nullBuffer;
    std::FILE* consoleFile = nullptr;
};
