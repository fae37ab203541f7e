#include "app/con_stream.h"

#include <cstring>

#include "platform/platform.h"

ConStream::ConStream() : std::ostream(nullptr) {
    Restart(&nullBuffer);
}

ConStream::~ConStream() {
    if (consoleOpen) {
        Restart(&nullBuffer);
        ThePlatform().CloseConsole(consoleFile);
    }
}

void ConStream::Restart(std::streambuf* buffer) {
    rdbuf(buffer);  // also clears the state, or sets badbit for a null buffer
    exceptions(goodbit);
    flags(skipws | dec);
    precision(6);
    width(0);
    fill(widen(' '));
    tie(nullptr);
}

void ConStream::Open() {
    if (consoleOpen)
        return;
    consoleOpen = true;
    consoleFile = ThePlatform().OpenConsole();
    consoleBuffer.Attach(consoleFile);
    Restart(consoleFile != nullptr ? &consoleBuffer : nullptr);
    setf(unitbuf);
}

void ConStream::Close() {
    if (!consoleOpen)
        return;
    Restart(&nullBuffer);
    consoleBuffer.Attach(nullptr);
    ThePlatform().CloseConsole(consoleFile);
    consoleFile = nullptr;
    consoleOpen = false;
}

ConStream::ConsoleBuffer::int_type ConStream::ConsoleBuffer::overflow(int_type ch) {
    if (traits_type::eq_int_type(ch, traits_type::eof()))
        return traits_type::not_eof(ch);
    if (file_ == nullptr)
        return traits_type::eof();
    const char c = traits_type::to_char_type(ch);
    if (c == '\n' && std::fputc('\r', file_) == EOF)
        return traits_type::eof();
    return std::fputc(c, file_) == EOF ? traits_type::eof() : ch;
}

std::streamsize ConStream::ConsoleBuffer::xsputn(const char* text, std::streamsize count) {
    if (file_ == nullptr)
        return 0;
    std::streamsize written = 0;
    while (written < count) {
        const char* start = text + written;
        const auto left = static_cast<std::size_t>(count - written);
        const void* newline = std::memchr(start, '\n', left);
        const std::size_t run =
            newline != nullptr ? static_cast<std::size_t>(static_cast<const char*>(newline) - start)
                               : left;
        if (std::fwrite(start, 1, run, file_) != run)
            return written;
        written += static_cast<std::streamsize>(run);
        if (newline == nullptr)
            break;
        if (std::fputs("\r\n", file_) == EOF)
            return written;
        ++written;
    }
    return written;
}

int ConStream::ConsoleBuffer::sync() {
    if (file_ == nullptr)
        return -1;
    return std::fflush(file_) == 0 ? 0 : -1;
}
