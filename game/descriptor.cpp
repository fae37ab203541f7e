#include "game/descriptor.h"

#include "assets/binary_file.h"
#include "assets/text_file.h"

namespace {

// Reads one line of at most 127 characters into `line`; false for a longer line.
bool ReadLine(std::istream& in, std::string& line, int number, LoadError* error) {
    char buffer[BinaryFile::kStringSize];
    in.getline(buffer, sizeof buffer);
    if (in.fail() && !in.eof()) {  // the line did not fit the buffer
        return Fail(error, "line " + std::to_string(number) + " is longer than 127 characters");
    }
    line = in.fail() ? std::string() : std::string(buffer);
    return true;
}

}  // namespace

std::optional<Descriptor> ReadDescriptor(std::istream& in, LoadError* error) {
    Descriptor d;
    if (!ReadLine(in, d.kind, 1, error))
        return std::nullopt;
    if (d.kind != "actor" && d.kind != "prop") {
        Fail(error, "line 1 \"" + d.kind + "\" is neither \"actor\" nor \"prop\"");
        return std::nullopt;
    }
    if (!ReadLine(in, d.mesh, 2, error))
        return std::nullopt;
    if (d.kind == "prop")
        return d;
    in >> d.declaredCount;
    d.countIsNumber = !in.fail();
    in.get();
    for (long long i = 0; i < d.declaredCount && in.good(); ++i) {
        std::string name;
        if (!ReadLine(in, name, static_cast<int>(4 + i), error))
            return std::nullopt;
        d.animations.push_back(std::move(name));
    }
    return d;
}

std::optional<Descriptor> ReadDescriptorFile(const std::string& fileName, LoadError* error) {
    auto opened = OpenTextFile(fileName);
    if (!opened) {
        Fail(error, "cannot be opened as a file");
        return std::nullopt;
    }
    return ReadDescriptor(*opened, error);
}
