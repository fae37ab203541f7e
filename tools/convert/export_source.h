// What an export reads from a data folder, through the game's own loaders.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "assets/animation.h"
#include "assets/mesh.h"
#include "tools/convert/export_image.h"
#include "tools/convert/skin_record.h"

struct SourceMesh {
    std::string fileName;  // as the descriptor names it
    std::unique_ptr<Mesh> mesh;
    std::vector<PngImage> textures;  // one per texture record
};

struct ExportSource {
    SourceMesh actor;
    std::vector<std::unique_ptr<Animation>> animations;  // in descriptor order
    std::vector<std::string> animationNames;
    std::optional<SkinRecord> skin;  // the actor mesh's skin record, when it has one
    std::optional<SourceMesh> gun;
};

// Reads "kordax.txt" in `folder` with its mesh, textures and animations, and with `withGun`
// "gun82.txt" with its mesh and textures. File names in descriptors and meshes are relative to
// the folder, as the game runs inside it. False with one line naming the file at fault; values
// glTF cannot hold (points or keyframes that are not finite) fail too, and so does a skin record
// beside the actor's mesh that does not fit it (see export_skin.h).
bool LoadExportSource(const std::string& folder, bool withGun, ExportSource& out,
                      std::string& error);
