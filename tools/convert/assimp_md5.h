// MD5 keeps a model's animations in .md5anim files beside its .md5mesh. The library loads the
// one of the mesh's own name by itself and reads the others when asked, but (5.2) takes a
// header value only when a blank line follows it, so the usual header, its lines together,
// leaves every animation at 24 frames per second: the rate is read here instead.
#pragma once

#include <filesystem>
#include <vector>

// The .md5anim files in the folder of `model` when it is a .md5mesh, sorted; else none.
std::vector<std::filesystem::path> Md5AnimsBeside(const std::filesystem::path& model);

// The frame rate that an .md5anim's header gives; 0 when it gives no finite positive one.
double Md5FrameRate(const std::filesystem::path& anim);
