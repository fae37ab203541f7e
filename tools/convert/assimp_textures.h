// A material's texture as the asset import library names it: embedded in the file ("*N", or an
// embedded texture's own file name) or a file in the model's folder. Names are resolved as
// Windows tools write them (back slashes, any letter case) but never out of that folder. The
// bytes go to the parent undecoded; raw embedded texels travel as an uncompressed TGA.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <assimp/scene.h>

#include "tools/convert/scene.h"
#include "tools/convert/scene_wire.h"

// Why a texture name may not be followed ("it is absolute", ...), or empty when it may.
std::string TextureNameRefusal(const std::string& name);

// The file in `folder` that a relative texture name stands for, matching each part of the name
// without regard to letter case when there is no exact match; empty when there is none.
std::filesystem::path FindInFolder(const std::filesystem::path& folder, const std::string& name);

class AssimpTextures {
  public:
    AssimpTextures(const aiScene& scene, const std::filesystem::path& folder);

    // The index into `encoded` of the named texture, loading it once; -1 (with a note in
    // `scene`) when it is refused, missing or unreadable. Files read go into scene.sources.
    int Find(const std::string& name, Scene& scene, std::vector<EncodedImage>& encoded);

  private:
    int Embedded(const aiTexture& texture, int index, std::vector<EncodedImage>& encoded);
    int External(const std::string& name, Scene& scene, std::vector<EncodedImage>& encoded);

    const aiScene& scene_;
    std::filesystem::path folder_;      // canonical
    std::map<std::string, int> found_;  // by "*N" or canonical path
};
