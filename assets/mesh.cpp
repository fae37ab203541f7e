#include "assets/mesh.h"

#include <bit>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <type_traits>
#include <utility>

#include "assets/binary_file.h"
#include "assets/byte_reader.h"
#include "assets/load_error.h"
#include "assets/name_hash.h"

// Mesh files come from users, so every count is checked against the bytes the file has left
// before anything is allocated, and every index against the array it indexes. The file is mapped
// and parsed in place (meshes are the big files; value-by-value reads through BinaryFile cost
// several times the reading) into a separate mesh that replaces this one only when all of it was
// good.

namespace {

constexpr std::int64_t kMaterialBytes = 42;
constexpr std::int64_t kMinTextureBytes = 1 + 2 + 2;  // empty name, width, height
constexpr std::size_t kVectorBytes = 12;              // three floats
constexpr std::size_t kFaceBytes = 4 + 16 + 16 + 4;   // without its layers
constexpr std::size_t kFaceWords = kFaceBytes / 4;
static_assert(std::is_trivially_copyable_v<Face> && offsetof(Face, layerCount) == kFaceBytes - 4,
              "a face record is read straight into the front of a Face");
constexpr std::int64_t kLayerBytes = 50;
constexpr std::int64_t kMinNodeBytes = 2 + 1 + 36 + 4;
constexpr float kByteToUnit = 0.003921569f;

// Three little-endian floats per element, for machines whose own order is not little-endian: a
// forward iterator, so that vector::assign allocates once and converts every element straight
// from the file.
struct PackedVec3s {
    using iterator_category = std::forward_iterator_tag;
    using value_type = Vec3;
    using difference_type = std::ptrdiff_t;
    using pointer = const Vec3*;
    using reference = Vec3;

    const std::uint8_t* at;

    Vec3 operator*() const {
        ByteReader in(at, kVectorBytes);
        return {in.UncheckedF32(), in.UncheckedF32(), in.UncheckedF32()};
    }
    PackedVec3s& operator++() {
        at += kVectorBytes;
        return *this;
    }
    PackedVec3s operator++(int) {
        PackedVec3s old = *this;
        at += kVectorBytes;
        return old;
    }
    bool operator==(const PackedVec3s&) const = default;
};

// A count of at least `minimum` whose records, each at least `recordBytes` long, fit in the
// rest of the file.
bool ReadCount(ByteReader& in, std::int32_t minimum, std::int64_t recordBytes, std::int32_t& count,
               const char* what, LoadError* error) {
    const std::int64_t at = in.Offset();
    count = in.I32();
    if (in.Failed()) {
        return Fail(error, std::string("file ends before the ") + what, at);
    }
    if (count < minimum) {
        return Fail(error,
                    std::string(what) + " " + std::to_string(count) + " is below " +
                        std::to_string(minimum),
                    at);
    }
    const auto left = static_cast<std::int64_t>(in.BytesLeft());
    if (std::int64_t{count} * recordBytes > left) {
        return Fail(error,
                    std::string(what) + " " + std::to_string(count) + " needs at least " +
                        std::to_string(std::int64_t{count} * recordBytes) +
                        " bytes, the file has " + std::to_string(left) + " left",
                    at);
    }
    return true;
}

bool Truncated(LoadError* error, const ByteReader& in, const std::string& what) {
    return Fail(error, "file ends inside " + what, in.Offset());
}

std::string OutsideText(const std::string& what, std::int32_t index, std::int32_t count) {
    return what + " " + std::to_string(index) + " is outside 0.." + std::to_string(count - 1);
}

// Branch-free: index < count as unsigned also rejects every negative index.
bool Below(std::int32_t index, std::int32_t count) {
    return static_cast<std::uint32_t>(index) < static_cast<std::uint32_t>(count);
}

bool ReadHeader(ByteReader& in, LoadError* error) {
    const std::uint8_t p = in.U8();
    const std::uint8_t l = in.U8();
    const std::uint8_t y = in.U8();
    const std::int32_t version = in.I32();
    if (in.Failed()) {
        return Fail(error, "file ends inside the header", 0);
    }
    if (p != 'P' || l != 'L' || y != 'Y') {
        return Fail(error, "the file does not start with \"PLY\"", 0);
    }
    if (version != 2) {
        return Fail(error, "version " + std::to_string(version) + " (only 2 is read)", 3);
    }
    return true;
}

void ReadColour(ByteReader& in, float (&colour)[3]) {
    for (float& c : colour) {
        c = static_cast<float>(in.U8()) * kByteToUnit;
    }
}

bool ReadMaterials(ByteReader& in, Mesh& mesh, LoadError* error) {
    if (!ReadCount(in, 1, kMaterialBytes, mesh.materialCount, "material count", error)) {
        return false;
    }
    mesh.materials.resize(static_cast<std::size_t>(mesh.materialCount));
    for (Material& m : mesh.materials) {
        ReadColour(in, m.diffuse);
        m.extra1 = in.F32();
        ReadColour(in, m.specular);
        m.extra2 = in.F32();
        m.shininess = in.F32() * 128.0f;
        for (float& v : m.further) {
            v = in.F32();
        }
    }
    return !in.Failed();
}

// Only the records here; the images are loaded once the whole file has proved good.
bool ReadTextureRecords(ByteReader& in, Mesh& mesh, LoadError* error) {
    if (!ReadCount(in, 0, kMinTextureBytes, mesh.textureCount, "texture count", error)) {
        return false;
    }
    mesh.textures = std::make_unique<Texture[]>(static_cast<std::size_t>(mesh.textureCount));
    for (std::int32_t i = 0; i < mesh.textureCount; ++i) {
        Texture& texture = mesh.textures[static_cast<std::size_t>(i)];
        const std::int64_t at = in.Offset();
        if (!in.String(texture.fileName)) {
            return Fail(error,
                        "texture " + std::to_string(i) +
                            ": file name longer than 127 characters or unterminated",
                        at);
        }
        texture.recordWidth = static_cast<std::int16_t>(in.U16());
        texture.recordHeight = static_cast<std::int16_t>(in.U16());
        if (in.Failed()) {
            return Truncated(error, in, "texture record " + std::to_string(i));
        }
    }
    return true;
}

bool ReadVectors(ByteReader& in, std::int32_t& count, std::vector<Vec3>& vectors, const char* what,
                 LoadError* error) {
    if (!ReadCount(in, 1, kVectorBytes, count, what, error)) {
        return false;
    }
    const std::size_t bytes = kVectorBytes * static_cast<std::size_t>(count);
    const std::uint8_t* first = in.Skip(bytes);
    if (first == nullptr) {
        return false;
    }
    if constexpr (std::endian::native == std::endian::little) {
        // The file's layout is the array's: zero-filling and one block copy beat building the
        // elements one by one several times over.
        static_assert(sizeof(Vec3) == kVectorBytes && std::is_trivially_copyable_v<Vec3>);
        vectors.resize(static_cast<std::size_t>(count));
        std::memcpy(vectors.data(), first, bytes);
    } else {
        vectors.assign(PackedVec3s{first}, PackedVec3s{first + bytes});
    }
    return true;
}

bool ReadLayer(ByteReader& in, std::int32_t textureCount, TextureLayer& layer) {
    layer.textureIndex = in.UncheckedI32();
    for (float& v : layer.values) {
        v = in.UncheckedF32();
    }
    layer.flags[0] = in.U8();
    layer.flags[1] = in.U8();
    for (auto& corner : layer.uv) {
        corner[0] = in.UncheckedF32();
        corner[1] = 1.0f - in.UncheckedF32();
    }
    return layer.textureIndex == -1 || Below(layer.textureIndex, textureCount);
}

// Says which value of a face record that failed the range checks is at fault.
bool FaceFailure(const Face& face, const Mesh& mesh, std::int32_t index, std::int64_t at,
                 std::int64_t left, LoadError* error) {
    const std::string prefix = "face " + std::to_string(index) + ": ";
    if (!Below(face.material, mesh.materialCount)) {
        return Fail(error,
                    prefix + OutsideText("material index", face.material, mesh.materialCount), at);
    }
    // The corners' vertex indices, then their normal indices, in the record's order.
    struct CornerIndices {
        const std::int32_t* values;
        std::int32_t count;
        const char* what;
        std::int64_t offset;
    };
    const CornerIndices lists[] = {{face.vertex, mesh.vertexCount, " vertex index", 4},
                                   {face.normal, mesh.normalCount, " normal index", 20}};
    for (const CornerIndices& list : lists) {
        for (int k = 0; k < 4; ++k) {
            if (!Below(list.values[k], list.count)) {
                return Fail(error,
                            prefix + OutsideText("corner " + std::to_string(k) + list.what,
                                                 list.values[k], list.count),
                            at + list.offset + 4 * k);
            }
        }
    }
    if (face.layerCount < 0) {
        return Fail(error,
                    prefix + "layer count " + std::to_string(face.layerCount) + " is below 0",
                    at + 36);
    }
    return Fail(error,
                prefix + "layer count " + std::to_string(face.layerCount) + " needs " +
                    std::to_string(std::int64_t{face.layerCount} * kLayerBytes) +
                    " bytes, the file has " + std::to_string(left) + " left",
                at + 36);
}

bool ReadFaces(ByteReader& in, Mesh& mesh, LoadError* error) {
    mesh.vertexToNormal.assign(static_cast<std::size_t>(mesh.vertexCount), -1);
    if (!ReadCount(in, 1, kFaceBytes, mesh.faceCount, "face count", error)) {
        return false;
    }
    mesh.faces.reserve(static_cast<std::size_t>(mesh.faceCount));
    std::int32_t* const vertexToNormal = mesh.vertexToNormal.data();
    const std::int32_t materials = mesh.materialCount;
    const std::int32_t vertices = mesh.vertexCount;
    const std::int32_t normals = mesh.normalCount;
    // This loop is most of a big mesh's load. It reads through a local copy of the reader, handed
    // back only on the way out, so that the compiler can keep the position in a register instead
    // of reloading it after every store into the arrays.
    ByteReader reader = in;
    std::int32_t layerCount = 0;  // mesh.layers.size(), kept here for the same reason
    const std::int32_t faceCount = mesh.faceCount;
    for (std::int32_t f = 0; f < faceCount; ++f) {
        // The record (material, four vertices, four normals, layer count) is the front of Face,
        // so it is read straight into its place in the array (a face put together on the stack
        // first cost as much again in copying). On failure the whole mesh is thrown away, the
        // half-read face with it.
        Face& face = mesh.faces.emplace_back();
        const std::int64_t at = reader.Offset();
        if (!reader.Words(&face, kFaceWords)) {
            in = reader;
            return Truncated(error, in, "face " + std::to_string(f));
        }
        bool valid = Below(face.material, materials) & (face.layerCount >= 0);
        for (int k = 0; k < 4; ++k) {
            valid &= Below(face.vertex[k], vertices);
            valid &= Below(face.normal[k], normals);
        }
        const auto left = static_cast<std::int64_t>(reader.BytesLeft());
        if (!valid || std::int64_t{face.layerCount} * kLayerBytes > left) {
            return FaceFailure(face, mesh, f, at, left, error);
        }
        for (int k = 0; k < 4; ++k) {
            vertexToNormal[face.vertex[k]] = face.normal[k];
        }
        face.firstLayer = layerCount;
        layerCount += face.layerCount;
        for (std::int32_t i = 0; i < face.layerCount; ++i) {
            const std::int64_t layerAt = reader.Offset();
            TextureLayer& layer = mesh.layers.emplace_back();
            if (!ReadLayer(reader, mesh.textureCount, layer)) {
                return Fail(
                    error,
                    "face " + std::to_string(f) + " layer " + std::to_string(i) + ": " +
                        OutsideText("texture index", layer.textureIndex, mesh.textureCount) +
                        " (or -1)",
                    layerAt);
            }
        }
    }
    in = reader;
    return true;
}

// One record; the flags say what follows it.
bool ReadNode(ByteReader& in, std::int32_t vertexCount, MeshNode& node, bool& hasChild,
              bool& hasSibling, std::size_t number, LoadError* error) {
    // Built only on failure: meshes have many nodes and this runs for each.
    const auto what = [number] { return "node record " + std::to_string(number); };
    if (!in.Has(kMinNodeBytes)) {
        return Truncated(error, in, what());
    }
    hasChild = in.U8() != 0;
    hasSibling = in.U8() != 0;
    const std::int64_t nameAt = in.Offset();
    if (!in.String(node.name)) {
        return Fail(error, what() + ": name longer than 127 characters or unterminated", nameAt);
    }
    if (!in.Words(node.points, 9)) {
        return Truncated(error, in, what());
    }
    node.hash = NameHash(node.name);
    LoadError countError;
    if (!ReadCount(in, 0, 4, node.vertexCount, "vertex count",
                   error != nullptr ? &countError : nullptr)) {
        return Fail(error, what() + ": " + countError.what, countError.offset);
    }
    const std::int64_t indicesAt = in.Offset();
    node.vertices.resize(static_cast<std::size_t>(node.vertexCount));
    if (!in.Words(node.vertices.data(), node.vertices.size())) {
        return Truncated(error, in, what());
    }
    bool valid = true;
    for (const std::int32_t v : node.vertices) {
        valid &= Below(v, vertexCount);
    }
    if (!valid) {
        for (std::size_t i = 0; i < node.vertices.size(); ++i) {
            if (!Below(node.vertices[i], vertexCount)) {
                return Fail(error,
                            what() + " \"" + node.name +
                                "\": " + OutsideText("vertex index", node.vertices[i], vertexCount),
                            indicesAt + 4 * static_cast<std::int64_t>(i));
            }
        }
    }
    return valid;
}

// The records are in pre-order: a node, its first child's subtree when it has a child, then its
// next sibling's subtree when it has a sibling. `open` holds the nodes whose children are being
// read, so that depth costs heap, not stack.
bool ReadNodes(ByteReader& in, Mesh& mesh, LoadError* error) {
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
        if (!ReadNode(in, mesh.vertexCount, *node, hasChild, hasSibling, mesh.nodes.size(),
                      error)) {
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

// Deletes the textures built before texture `i` failed: the mesh that would have owned their
// names is thrown away.
bool TextureFailed(Mesh& mesh, std::int32_t i, const std::string& why, LoadError* error) {
    Fail(error, "texture " + std::to_string(i) + " \"" +
                    mesh.textures[static_cast<std::size_t>(i)].fileName + "\": " + why);
    for (std::int32_t built = 0; built < i; ++built) {
        glDeleteTextures(1, &mesh.textures[static_cast<std::size_t>(built)].name);
    }
    return false;
}

// Decoding reads files only; building needs the OpenGL context.
bool DecodeTexture(Texture& texture, const std::string& folder, LoadError& why) {
    // A name that leads out of the data folder is as good as missing.
    if (!StaysInFolder(texture.fileName)) {
        why.Set("cannot be opened as a file");
        return false;
    }
    return texture.LoadImage(folder + texture.fileName, &why) == 1;
}

bool BuildTexture(Texture& texture, TextureParams& params, LoadError& why) {
    params.width = texture.recordWidth;
    params.height = texture.recordHeight;
    texture.name = texture.Build(params);
    texture.ReleaseImage();
    if (texture.name == 0) {
        why.Set("the texture could not be built");
    }
    return texture.name != 0;
}

// Builds every texture in record order, each image released as soon as it is built.
bool LoadTextures(Mesh& mesh, TextureParams& params, LoadError* error) {
    for (std::int32_t i = 0; i < mesh.textureCount; ++i) {
        Texture& texture = mesh.textures[static_cast<std::size_t>(i)];
        LoadError why;
        if (!DecodeTexture(texture, "", why) || !BuildTexture(texture, params, why)) {
            return TextureFailed(mesh, i, why.what, error);
        }
    }
    return true;
}

}  // namespace

int Mesh::ReadFile(const std::string& fileName, LoadError* error) {
    MappedFile file;
    if (!file.Open(fileName)) {
        Fail(error, "cannot be opened as a file");
        return 0;
    }
    ByteReader in(file.Data(), file.Size());
    Mesh loaded;
    if (!ReadHeader(in, error) || !ReadMaterials(in, loaded, error) ||
        !ReadTextureRecords(in, loaded, error) ||
        !ReadVectors(in, loaded.vertexCount, loaded.vertices, "vertex count", error) ||
        !ReadVectors(in, loaded.normalCount, loaded.normals, "normal count", error) ||
        !ReadFaces(in, loaded, error) || !ReadNodes(in, loaded, error)) {
        return 0;
    }
    loaded.trailingBytes = static_cast<std::int64_t>(in.BytesLeft());
    *this = std::move(loaded);
    return 1;
}

int Mesh::Load(const std::string& fileName, TextureParams& params, LoadError* error) {
    Mesh loaded;
    if (!loaded.ReadFile(fileName, error)) {
        return 0;
    }
    const TextureParams before = params;
    if (!LoadTextures(loaded, params, error)) {
        params = before;
        return 0;
    }
    *this = std::move(loaded);
    return 1;
}

int Mesh::DecodeTextures(const std::string& folder, LoadError* error) {
    for (std::int32_t i = 0; i < textureCount; ++i) {
        LoadError why;
        if (!DecodeTexture(textures[static_cast<std::size_t>(i)], folder, why)) {
            return TextureFailed(*this, i, why.what, error) ? 1 : 0;
        }
    }
    return 1;
}

int Mesh::BuildTextures(TextureParams& params, LoadError* error) {
    const TextureParams before = params;
    for (std::int32_t i = 0; i < textureCount; ++i) {
        LoadError why;
        if (!BuildTexture(textures[static_cast<std::size_t>(i)], params, why)) {
            params = before;
            return TextureFailed(*this, i, why.what, error) ? 1 : 0;
        }
    }
    return 1;
}

void Mesh::DeleteTextures() {
    for (std::int32_t i = 0; i < textureCount; ++i) {
        Texture& texture = textures[static_cast<std::size_t>(i)];
        if (texture.name != 0)
            glDeleteTextures(1, &texture.name);
        texture.name = 0;
    }
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
