#include "assets/mesh.h"

#include <cstring>
#include <utility>

#include "assets/binary_file.h"
#include "assets/name_hash.h"

// Mesh files come from users, so every count is checked against the bytes the file has left
// before anything is allocated, and every index against the array it indexes. The file is read
// into a separate mesh that replaces this one only when all of it was good.

namespace {

constexpr std::int64_t kMaterialBytes = 42;
constexpr std::int64_t kMinTextureBytes = 1 + 2 + 2;  // empty name, width, height
constexpr std::int64_t kVectorBytes = 12;
constexpr std::int64_t kMinFaceBytes = 4 + 16 + 16 + 4;
constexpr std::int64_t kLayerBytes = 50;
constexpr std::int64_t kMinNodeBytes = 2 + 1 + 36 + 4;
constexpr float kByteToUnit = 0.003921569f;

// A count of at least `minimum` whose records, each at least `recordBytes` long, fit in the
// rest of the file.
bool ReadCount(BinaryFile& file, std::int32_t minimum, std::int64_t recordBytes,
               std::int32_t& count) {
    count = file.ReadInt32();
    return !file.ReadFailed() && count >= minimum &&
           std::int64_t{count} * recordBytes <= file.BytesLeft();
}

bool InRange(std::int32_t index, std::int32_t count) { return index >= 0 && index < count; }

bool ReadHeader(BinaryFile& file) {
    const std::uint8_t p = file.ReadByte();
    const std::uint8_t l = file.ReadByte();
    const std::uint8_t y = file.ReadByte();
    const std::int32_t version = file.ReadInt32();
    return !file.ReadFailed() && p == 'P' && l == 'L' && y == 'Y' && version == 2;
}

void ReadColour(BinaryFile& file, float (&colour)[3]) {
    for (float& c : colour) {
        c = static_cast<float>(file.ReadByte()) * kByteToUnit;
    }
}

bool ReadMaterials(BinaryFile& file, Mesh& mesh) {
    if (!ReadCount(file, 1, kMaterialBytes, mesh.materialCount)) {
        return false;
    }
    mesh.materials.resize(static_cast<std::size_t>(mesh.materialCount));
    for (Material& m : mesh.materials) {
        ReadColour(file, m.diffuse);
        m.extra1 = file.ReadFloat();
        ReadColour(file, m.specular);
        m.extra2 = file.ReadFloat();
        m.shininess = file.ReadFloat() * 128.0f;
        for (float& v : m.further) {
            v = file.ReadFloat();
        }
    }
    return !file.ReadFailed();
}

// Only the records here; the images are loaded once the whole file has proved good.
bool ReadTextureRecords(BinaryFile& file, Mesh& mesh) {
    if (!ReadCount(file, 0, kMinTextureBytes, mesh.textureCount)) {
        return false;
    }
    mesh.textures = std::make_unique<Texture[]>(static_cast<std::size_t>(mesh.textureCount));
    for (std::int32_t i = 0; i < mesh.textureCount; ++i) {
        Texture& texture = mesh.textures[static_cast<std::size_t>(i)];
        file.ReadString(texture.fileName);
        texture.recordWidth = static_cast<std::int16_t>(file.ReadUInt16());
        texture.recordHeight = static_cast<std::int16_t>(file.ReadUInt16());
        if (file.ReadFailed()) {
            return false;
        }
    }
    return true;
}

bool ReadVectors(BinaryFile& file, std::int32_t& count, std::vector<Vec3>& vectors) {
    if (!ReadCount(file, 1, kVectorBytes, count)) {
        return false;
    }
    vectors.resize(static_cast<std::size_t>(count));
    for (Vec3& v : vectors) {
        v.x = file.ReadFloat();
        v.y = file.ReadFloat();
        v.z = file.ReadFloat();
    }
    return !file.ReadFailed();
}

bool ReadLayer(BinaryFile& file, std::int32_t textureCount, TextureLayer& layer) {
    layer.textureIndex = file.ReadInt32();
    for (float& v : layer.values) {
        v = file.ReadFloat();
    }
    for (std::uint8_t& f : layer.flags) {
        f = file.ReadByte();
    }
    for (auto& corner : layer.uv) {
        corner[0] = file.ReadFloat();
        corner[1] = 1.0f - file.ReadFloat();
    }
    return layer.textureIndex == -1 || InRange(layer.textureIndex, textureCount);
}

bool ReadFaces(BinaryFile& file, Mesh& mesh) {
    mesh.vertexToNormal.assign(static_cast<std::size_t>(mesh.vertexCount), -1);
    if (!ReadCount(file, 1, kMinFaceBytes, mesh.faceCount)) {
        return false;
    }
    mesh.faces.resize(static_cast<std::size_t>(mesh.faceCount));
    for (Face& face : mesh.faces) {
        face.material = file.ReadInt32();
        for (std::int32_t& v : face.vertex) {
            v = file.ReadInt32();
        }
        for (std::int32_t& n : face.normal) {
            n = file.ReadInt32();
        }
        if (!InRange(face.material, mesh.materialCount)) {
            return false;
        }
        for (int k = 0; k < 4; ++k) {
            if (!InRange(face.vertex[k], mesh.vertexCount) ||
                !InRange(face.normal[k], mesh.normalCount)) {
                return false;
            }
            mesh.vertexToNormal[static_cast<std::size_t>(face.vertex[k])] = face.normal[k];
        }
        if (!ReadCount(file, 0, kLayerBytes, face.layerCount)) {
            return false;
        }
        face.firstLayer = static_cast<std::int32_t>(mesh.layers.size());
        for (std::int32_t i = 0; i < face.layerCount; ++i) {
            if (!ReadLayer(file, mesh.textureCount, mesh.layers.emplace_back())) {
                return false;
            }
        }
        if (file.ReadFailed()) {
            return false;
        }
    }
    return true;
}

// One record; the flags say what follows it.
bool ReadNode(BinaryFile& file, std::int32_t vertexCount, MeshNode& node, bool& hasChild,
              bool& hasSibling) {
    if (kMinNodeBytes > file.BytesLeft()) {
        return false;
    }
    hasChild = file.ReadByte() != 0;
    hasSibling = file.ReadByte() != 0;
    file.ReadString(node.name);
    node.hash = NameHash(node.name);
    for (float& p : node.points) {
        p = file.ReadFloat();
    }
    if (!ReadCount(file, 0, 4, node.vertexCount)) {
        return false;
    }
    node.vertices.resize(static_cast<std::size_t>(node.vertexCount));
    for (std::int32_t& v : node.vertices) {
        v = file.ReadInt32();
        if (!InRange(v, vertexCount)) {
            return false;
        }
    }
    return !file.ReadFailed();
}

// The records are in pre-order: a node, its first child's subtree when it has a child, then its
// next sibling's subtree when it has a sibling. `open` holds the nodes whose children are being
// read, so that depth costs heap, not stack.
bool ReadNodes(BinaryFile& file, Mesh& mesh) {
    struct Open {
        MeshNode* node;
        bool hasSibling;
    };
    std::vector<Open> open;
    MeshNode* parent = nullptr;
    MeshNode* previous = nullptr;  // the sibling before the next record, if any
    for (;;) {
        auto node = std::make_unique<MeshNode>();
        bool hasChild = false;
        bool hasSibling = false;
        if (!ReadNode(file, mesh.vertexCount, *node, hasChild, hasSibling)) {
            return false;
        }
        node->parent = parent;
        if (previous != nullptr) {
            previous->nextSibling = node.get();
        } else if (parent != nullptr) {
            parent->firstChild = node.get();
        } else {
            mesh.root = node.get();
        }
        MeshNode* current = node.get();
        mesh.nodes.push_back(std::move(node));
        if (hasChild) {
            open.push_back({current, hasSibling});
            parent = current;
            previous = nullptr;
            continue;
        }
        if (!hasSibling) {
            // This subtree is complete: resume at the nearest open node that has a sibling.
            while (!open.empty() && !open.back().hasSibling) {
                open.pop_back();
            }
            if (open.empty()) {
                break;
            }
            current = open.back().node;
            open.pop_back();
        }
        previous = current;
        parent = current->parent;
    }
    mesh.nodeCount = static_cast<std::int32_t>(mesh.nodes.size());
    return true;
}

bool LoadTextures(Mesh& mesh, TextureParams& params) {
    for (std::int32_t i = 0; i < mesh.textureCount; ++i) {
        Texture& texture = mesh.textures[static_cast<std::size_t>(i)];
        if (!texture.LoadImage(texture.fileName)) {
            return false;
        }
        params.width = texture.recordWidth;
        params.height = texture.recordHeight;
        texture.name = texture.Build(params);
        texture.ReleaseImage();
        if (texture.name == 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

int Mesh::Load(const std::string& fileName, TextureParams& params) {
    BinaryFile file;
    if (!file.Open(fileName, 1)) {
        return 0;
    }
    Mesh loaded;
    const bool read = ReadHeader(file) && ReadMaterials(file, loaded) &&
                      ReadTextureRecords(file, loaded) &&
                      ReadVectors(file, loaded.vertexCount, loaded.vertices) &&
                      ReadVectors(file, loaded.normalCount, loaded.normals) &&
                      ReadFaces(file, loaded) && ReadNodes(file, loaded);
    file.Close();
    if (!read) {
        return 0;
    }
    const TextureParams before = params;
    if (!LoadTextures(loaded, params)) {
        params = before;
        return 0;
    }
    *this = std::move(loaded);
    return 1;
}

// Pre-order through the links: down to the first child, else on to the next sibling, else
// back up to the nearest ancestor that has one.
const MeshNode* Mesh::FindNode(std::uint32_t hash) const {
    const MeshNode* node = root;
    while (node != nullptr) {
        if (node->hash == hash) {
            return node;
        }
        if (node->firstChild != nullptr) {
            node = node->firstChild;
            continue;
        }
        while (node != nullptr && node->nextSibling == nullptr) {
            node = node->parent;
        }
        if (node != nullptr) {
            node = node->nextSibling;
        }
    }
    return nullptr;
}

MeshNode* Mesh::FindNode(std::uint32_t hash) {
    return const_cast<MeshNode*>(std::as_const(*this).FindNode(hash));
}
