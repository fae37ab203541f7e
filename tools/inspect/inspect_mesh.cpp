// Meshes: counts, materials, texture records with their images, and the node tree.
#include <filesystem>
#include <vector>

#include "assets/binary_file.h"
#include "assets/bitmap_image.h"
#include "assets/texture.h"
#include "assets/tga_image.h"
#include "tools/inspect/inspectors.h"
#include "tools/inspect/paths.h"

namespace {

Value Materials(const Mesh& mesh) {
    Value list = Value::List();
    for (const Material& m : mesh.materials) {
        Value& item = list.Append(Value::Object());
        item.Set("diffuse", Value::Reals(m.diffuse));
        item.Set("specular", Value::Reals(m.specular));
        item.Set("shininess", Value::Real(m.shininess));
    }
    return list;
}

// Decodes each texture as the mesh load does (the build needs OpenGL and is left out).
Value Textures(const std::string& path, const Mesh& mesh, FileReport& report) {
    Value list = Value::List();
    for (std::int32_t i = 0; i < mesh.textureCount; ++i) {
        const Texture& record = mesh.textures[static_cast<std::size_t>(i)];
        Value& item = list.Append(Value::Object());
        item.Set("index", i);
        item.Set("file", record.fileName);
        item.Set("record width", record.recordWidth);
        item.Set("record height", record.recordHeight);
        Texture texture;
        LoadError error;
        const std::string prefix =
            "texture " + std::to_string(i) + " \"" + record.fileName + "\": ";
        // As the game: a name that leads out of the mesh's folder is not followed.
        if (!StaysInFolder(record.fileName)) {
            report.Problem(prefix + "cannot be opened as a file (it leads out of the folder)");
            continue;
        }
        if (!texture.LoadImage(Beside(path, record.fileName), &error)) {
            report.Problem(prefix + Describe(error));
            continue;
        }
        const int width = texture.tga ? texture.tga->width : texture.bitmap->width;
        const int height = texture.tga ? texture.tga->height : texture.bitmap->height;
        item.Set("image", texture.tga ? "tga" : "bmp");
        item.Set("image width", width);
        item.Set("image height", height);
        if (width != record.recordWidth || height != record.recordHeight) {
            report.Note(prefix + "the record says " + std::to_string(record.recordWidth) + " x " +
                        std::to_string(record.recordHeight) + ", the image is " +
                        std::to_string(width) + " x " + std::to_string(height) +
                        " (it is uploaded at its own size)");
        }
    }
    return list;
}

// Levels of the node tree that a report shows: the writers recurse once per level, and a file
// can nest its nodes as deep as its size allows.
constexpr std::size_t kShownLevels = 64;

// The node tree, built without recursion: each node's item is reached through its parent's.
Value NodeTree(const Mesh& mesh, FileReport& report) {
    Value roots = Value::List();
    // The ancestors of the next node, with their items; null for a node not shown.
    std::vector<std::pair<const MeshNode*, Value*>> open;
    std::int64_t hidden = 0;
    for (const auto& owned : mesh.nodes) {
        const MeshNode* node = owned.get();
        while (!open.empty() && open.back().first != node->parent)
            open.pop_back();
        Value* parent = open.empty() ? nullptr : open.back().second;
        if (open.size() >= kShownLevels || (!open.empty() && parent == nullptr)) {
            ++hidden;
            open.emplace_back(node, nullptr);
            continue;
        }
        Value item = Value::Object();
        item.Set("name", node->name);
        item.Set("hash", Value::Hash(node->hash));
        item.Set("vertices", node->vertexCount);
        Value* siblings = &roots;
        if (parent != nullptr) {
            siblings = parent->Find("children");
            if (siblings == nullptr)
                siblings = &parent->Set("children", Value::List());
        }
        open.emplace_back(node, &siblings->Append(std::move(item)));
    }
    if (hidden > 0) {
        report.Note("the node tree nests deeper than " + std::to_string(kShownLevels) +
                    " levels; " + std::to_string(hidden) + " nodes below them are not shown");
    }
    return roots;
}

void NoteVertexUse(const Mesh& mesh, FileReport& report) {
    std::int64_t unused = 0;
    for (std::int32_t n : mesh.vertexToNormal)
        unused += n < 0 ? 1 : 0;
    if (unused > 0)
        report.Note(std::to_string(unused) + " vertices are used by no face");
    std::vector<int> owners(mesh.vertices.size(), 0);
    for (const auto& node : mesh.nodes) {
        for (std::int32_t v : node->vertices)
            ++owners[static_cast<std::size_t>(v)];
    }
    std::int64_t none = 0, several = 0;
    for (int o : owners) {
        none += o == 0 ? 1 : 0;
        several += o > 1 ? 1 : 0;
    }
    if (none > 0)
        report.Note(std::to_string(none) + " vertices belong to no node (never posed)");
    if (several > 0) {
        report.Note(std::to_string(several) + " vertices belong to several nodes (posed twice)");
    }
}

}  // namespace

FileReport InspectMesh(const std::string& path, Mesh* loaded) {
    FileReport report(path, "mesh");
    Mesh mesh;
    if (!report.Loaded([&](LoadError* error) { return mesh.ReadFile(path, error); }))
        return report;
    Value& s = report.summary;
    s.Set("materials", mesh.materialCount);
    s.Set("textures", mesh.textureCount);
    s.Set("vertices", mesh.vertexCount);
    s.Set("normals", mesh.normalCount);
    s.Set("faces", mesh.faceCount);
    s.Set("layers", static_cast<std::int64_t>(mesh.layers.size()));
    s.Set("nodes", mesh.nodeCount);
    s.Set("material list", Materials(mesh));
    s.Set("texture list", Textures(path, mesh, report));
    s.Set("node tree", NodeTree(mesh, report));
    if (mesh.trailingBytes > 0) {
        report.Note(std::to_string(mesh.trailingBytes) + " bytes after the last node are ignored");
    }
    NoteVertexUse(mesh, report);
    if (loaded != nullptr)
        *loaded = std::move(mesh);
    return report;
}
