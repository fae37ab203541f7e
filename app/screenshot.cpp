#include "app/screenshot.h"

#include <GL/gl.h>

#include <algorithm>
#include <ctime>

#include "app/pictures_folder.h"

Picture ReadWindowPicture(int width, int height) {
    Picture picture;
    if (width <= 0 || height <= 0)
        return picture;
    picture.width = width;
    picture.height = height;
    const auto row = static_cast<std::size_t>(width) * 3;
    picture.rgb.resize(row * static_cast<std::size_t>(height));
    GLint alignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, picture.rgb.data());
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    // OpenGL gives the bottom row first.
    for (std::size_t top = 0, bottom = static_cast<std::size_t>(height) - 1; top < bottom;
         ++top, --bottom) {
        std::swap_ranges(picture.rgb.begin() + static_cast<std::ptrdiff_t>(top * row),
                         picture.rgb.begin() + static_cast<std::ptrdiff_t>((top + 1) * row),
                         picture.rgb.begin() + static_cast<std::ptrdiff_t>(bottom * row));
    }
    return picture;
}

std::string SaveScreenshot(int width, int height) {
    const Picture picture = ReadWindowPicture(width, height);
    std::string error;
    const std::filesystem::path folder = PicturesFolder(error);
    if (folder.empty())
        return "Picture not saved: " + error;
    const std::filesystem::path file = WritePngFile(folder, std::time(nullptr), picture, error);
    if (file.empty())
        return "Picture not saved: " + error;
    return "Picture saved as " + file.string();
}
