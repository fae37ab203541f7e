// Names in the data folder and in messages: node names made unique (by their hash too, which is how
// the game tells nodes apart) and file names that are a short safe stem, a dot and three letters.
#pragma once

#include <cstdint>
#include <set>
#include <string>

inline constexpr std::size_t kMaxNameLength = 127;

// Node names: the glTF name without NUL characters, cut to 127 bytes at a character boundary,
// with "_2", "_3", ... added when it is taken; an empty name becomes `fallback`.
class NodeNames {
  public:
    // Takes `name` as it is (it must be free); for the node that carries the gun.
    void Reserve(const std::string& name);
    std::string Make(const std::string& wanted, const std::string& fallback);

  private:
    bool Free(const std::string& name) const;
    void Take(const std::string& name);

    std::set<std::string> names_;
    std::set<std::uint32_t> hashes_;
};

// File stems of letters, digits, '-' and '_' (anything else becomes '_'), at most 48 long, unique
// among themselves and the sample content's names.
class FileStems {
  public:
    FileStems();
    std::string Make(const std::string& wanted, const std::string& fallback);

  private:
    std::set<std::string> taken_;
};

// `text` with control characters escaped ("\x0A"): messages quote names and strings from the
// file as they are, and one in them must not break the message's single line.
std::string OneLine(const std::string& text);

// `text` cut to at most `length` bytes without splitting a UTF-8 character.
std::string CutUtf8(const std::string& text, std::size_t length);
