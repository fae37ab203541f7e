// Models in the formats of the Open Asset Import Library (FBX, Collada, DirectX .x, IQM, MS3D,
// MD5, B3D, OBJ, 3DS, MD2, PMX and more). The library's readers are not hardened against
// hostile files, so the read runs in a child process with limits; the parent decodes the
// child's answer as untrusted bytes and decodes the textures itself.
#pragma once

#include <string>

#include "tools/convert/scene.h"

namespace Assimp {
class Importer;
}

// False with one line ("MODEL could not be read: ...", MODEL the path as given) when the
// library cannot read the file, the file has no geometry, or the reader crashes, is killed,
// reaches a limit or does not answer within 60 s.
bool ReadWithAssimp(const std::string& path, Scene& scene, std::string& error);

// The post-processing steps and settings of every read (the benchmark's floor reads with them).
unsigned AssimpImportSteps();
void ConfigureAssimpImporter(Assimp::Importer& importer);
