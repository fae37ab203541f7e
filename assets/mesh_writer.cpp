#include "assets/mesh_writer.h"

#include <cstring>

#include "assets/atomic_file.h"
#include "assets/byte_writer.h"

namespace {

void WriteMaterial(ByteWriter& out, const MaterialSource& m) {
    for (std::uint8_t c : m.diffuse) {
        out.U8(c);
    }
    out.F32(m.extra1);
    for (std::uint8_t c : m.specular) {
        out.U8(c);
    }
    out.F32(m.extra2);
    out.F32(m.shininess);
    for (float v : m.further) {
        out.F32(v);
    }
}

// One record's bytes (a vector, a face, a layer), gathered so that each is a single append:
// a large mesh has hundreds of thousands of them.
class Record {
  public:
    void I32(std::int32_t v) {
        ByteWriter::Put32(bytes_ + size_, v);
        size_ += 4;
    }
    void F32(float v) {
        std::int32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        I32(bits);
    }
    void U8(std::uint8_t v) { bytes_[size_++] = static_cast<char>(v); }
    void AppendTo(ByteWriter& out) {
        out.Append(bytes_, size_);
        size_ = 0;
    }

  private:
    char bytes_[64];  // the largest record, a layer, is 50 bytes
    std::size_t size_ = 0;
};

void WriteVectors(ByteWriter& out, const std::vector<Vec3>& vectors) {
    out.I32(static_cast<std::int32_t>(vectors.size()));
    Record record;
    for (const Vec3& v : vectors) {
        record.F32(v.x);
        record.F32(v.y);
        record.F32(v.z);
        record.AppendTo(out);
    }
}

void WriteFace(ByteWriter& out, const FaceSource& face) {
    Record record;
    record.I32(face.material);
    for (std::int32_t v : face.vertex) {
        record.I32(v);
    }
    for (std::int32_t n : face.normal) {
        record.I32(n);
    }
    record.I32(static_cast<std::int32_t>(face.layers.size()));
    record.AppendTo(out);
    for (const LayerSource& layer : face.layers) {
        record.I32(layer.textureIndex);
        for (float v : layer.values) {
            record.F32(v);
        }
        for (std::uint8_t f : layer.flags) {
            record.U8(f);
        }
        for (const auto& corner : layer.uv) {
            record.F32(corner[0]);
            record.F32(corner[1]);
        }
        record.AppendTo(out);
    }
}

// Links every node to its first child and next sibling (the root's siblings are the other
// top-level nodes), then writes the records in pre-order. Walks with the links instead of
// recursing, so a tree of any depth is written.
bool WriteNodes(ByteWriter& out, const std::vector<NodeSource>& nodes) {
    const std::size_t count = nodes.size();
    std::vector<std::int32_t> firstChild(count, -1), nextSibling(count, -1), lastChild(count, -1);
    std::int32_t lastTopLevel = -1;
    for (std::size_t i = 0; i < count; ++i) {
        const std::int32_t parent = nodes[i].parent;
        if (parent < -1 || parent >= static_cast<std::int32_t>(i)) {
            return false;
        }
        std::int32_t& last = (parent == -1) ? lastTopLevel : lastChild[parent];
        if (last == -1) {
            if (parent != -1) {
                firstChild[parent] = static_cast<std::int32_t>(i);
            }
        } else {
            nextSibling[last] = static_cast<std::int32_t>(i);
        }
        last = static_cast<std::int32_t>(i);
    }
    std::int32_t at = count == 0 ? -1 : 0;
    while (at != -1) {
        const NodeSource& node = nodes[at];
        out.U8(firstChild[at] != -1 ? 1 : 0);
        out.U8(nextSibling[at] != -1 ? 1 : 0);
        out.String(node.name);
        for (float p : node.points) {
            out.F32(p);
        }
        out.I32(static_cast<std::int32_t>(node.vertices.size()));
        for (std::int32_t v : node.vertices) {
            out.I32(v);
        }
        if (firstChild[at] != -1) {
            at = firstChild[at];
            continue;
        }
        while (at != -1 && nextSibling[at] == -1) {
            at = nodes[at].parent;
        }
        if (at != -1) {
            at = nextSibling[at];
        }
    }
    return true;
}

constexpr std::size_t kFace = 4 + 4 * 4 + 4 * 4 + 4;
constexpr std::size_t kLayer = 4 + 3 * 4 + 2 + 4 * 2 * 4;

// The file's size but for its faces, so that its bytes go into one buffer reserved up front.
std::size_t SizeBesideFaces(const MeshSource& source) {
    constexpr std::size_t kMaterial = 3 + 4 + 3 + 4 + 4 + 6 * 4;
    std::size_t size = 3 + 4 + 4 + source.materials.size() * kMaterial + 4;
    for (const TextureSource& t : source.textures)
        size += t.fileName.size() + 1 + 2 + 2;
    size += 4 + 12 * source.vertices.size() + 4 + 12 * source.normals.size() + 4;
    for (const NodeSource& node : source.nodes)
        size += 2 + node.name.size() + 1 + 9 * 4 + 4 + 4 * node.vertices.size();
    return size;
}

// `writeFaces(out)` writes `faceCount` face records; `faceBytes` is the room they take.
template <class WriteFaces>
std::optional<std::string> Bytes(const MeshSource& source, std::size_t faceCount,
                                 std::size_t faceBytes, WriteFaces&& writeFaces) {
    ByteWriter out;
    out.Reserve(SizeBesideFaces(source) + faceBytes);
    out.U8('P');
    out.U8('L');
    out.U8('Y');
    out.I32(2);
    out.I32(static_cast<std::int32_t>(source.materials.size()));
    for (const MaterialSource& m : source.materials) {
        WriteMaterial(out, m);
    }
    out.I32(static_cast<std::int32_t>(source.textures.size()));
    for (const TextureSource& t : source.textures) {
        out.String(t.fileName);
        out.I16(t.width);
        out.I16(t.height);
    }
    WriteVectors(out, source.vertices);
    WriteVectors(out, source.normals);
    out.I32(static_cast<std::int32_t>(faceCount));
    writeFaces(out);
    if (!WriteNodes(out, source.nodes)) {
        return std::nullopt;
    }
    return out.Take();
}

}  // namespace

std::optional<std::string> MeshFileBytes(const MeshSource& source) {
    std::size_t faceBytes = 0;
    for (const FaceSource& face : source.faces)
        faceBytes += kFace + kLayer * face.layers.size();
    return Bytes(source, source.faces.size(), faceBytes, [&](ByteWriter& out) {
        for (const FaceSource& face : source.faces) {
            WriteFace(out, face);
        }
    });
}

std::optional<std::string> MeshFileBytes(const MeshSource& source, const FaceMaker& faces) {
    return Bytes(source, faces.count, (kFace + kLayer) * faces.count, [&](ByteWriter& out) {
        FaceSource face;
        for (std::size_t i = 0; i < faces.count; ++i) {
            face.layers.clear();
            faces.make(i, face);
            WriteFace(out, face);
        }
    });
}

bool WriteMeshFile(const std::string& path, const MeshSource& source) {
    const std::optional<std::string> bytes = MeshFileBytes(source);
    return bytes && WriteFileAtomically(path, bytes->data(), bytes->size());
}
