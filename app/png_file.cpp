#include "app/png_file.h"

#include <fcntl.h>
#include <stb/stb_image_write.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// Enough for any folder a user fills by hand; beyond it the folder is treated as unwritable.
constexpr int kMaxSuffix = 10000;

struct FileSink {
    int fd = -1;
    int error = 0;  // errno of the first failed write
};

void WriteToFile(void* context, void* data, int size) {
    auto& sink = *static_cast<FileSink*>(context);
    const auto* bytes = static_cast<const char*>(data);
    auto left = static_cast<std::size_t>(size);
    while (left > 0 && sink.error == 0) {
        const ssize_t written = ::write(sink.fd, bytes, left);
        if (written < 0) {
            if (errno != EINTR)
                sink.error = errno;
            continue;
        }
        bytes += written;
        left -= static_cast<std::size_t>(written);
    }
}

std::string Stem(std::time_t when) {
    std::tm local{};
    ::localtime_r(&when, &local);
    char stem[64];
    std::strftime(stem, sizeof stem, "vorn-%Y%m%d-%H%M%S", &local);
    return stem;
}

}  // namespace

std::filesystem::path WritePngFile(const std::filesystem::path& folder, std::time_t when,
                                   const Picture& picture, std::string& error) {
    const auto pixels =
        static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height);
    if (picture.width <= 0 || picture.height <= 0 || picture.rgb.size() != pixels * 3) {
        error = "no picture to write";
        return {};
    }
    const std::string stem = Stem(when);
    std::filesystem::path path;
    int fd = -1;
    // Created exclusively: a name taken by anyone, even between two tries, is never written.
    for (int suffix = 1; fd < 0 && suffix <= kMaxSuffix; ++suffix) {
        const std::string name =
            suffix == 1 ? stem + ".png" : stem + "-" + std::to_string(suffix) + ".png";
        path = folder / name;
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            error = folder.string() + ": " + std::strerror(errno);
            return {};
        }
    }
    if (fd < 0) {
        error = folder.string() + ": every name for this second is taken";
        return {};
    }
    FileSink sink{fd, 0};
    const int encoded = stbi_write_png_to_func(WriteToFile, &sink, picture.width, picture.height, 3,
                                               picture.rgb.data(), picture.width * 3);
    const int closeError = ::close(fd) != 0 ? errno : 0;
    if (encoded == 0 || sink.error != 0 || closeError != 0) {
        const int cause = sink.error != 0 ? sink.error : (closeError != 0 ? closeError : ENOMEM);
        error = path.string() + ": " + std::strerror(cause);
        ::unlink(path.c_str());
        return {};
    }
    return path;
}
