#include "assets/mesh_writer.h"

#include <algorithm>
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

// Records (vectors, faces, layers) gathered into blocks that are appended whole: a large mesh
// has hundreds of thousands of them. Each record is written through a local position, so that
// the compiler keeps it in a register.
class Records {
  public:
    explicit Records(ByteWriter& out) : out_(out) {}
    ~Records() { Flush(); }

    // Room for a record of `size` bytes, at most kLargest.
    char* Take(std::size_t size) {
        if (size_ > sizeof bytes_ - kLargest)
            Flush();
        char* at = bytes_ + size_;
        size_ += size;
        return at;
    }

  private:
    static constexpr std::size_t kLargest = 64;

    void Flush() {
        out_.Append(bytes_, size_);
        size_ = 0;
    }

    ByteWriter& out_;
    char bytes_[4096];
    std::size_t size_ = 0;
};

char* Put(char* at, std::int32_t v) {
    ByteWriter::Put32(at, v);
    return at + 4;
}

char* Put(char* at, float v) {
    ByteWriter::PutF32(at, v);
    return at + 4;
}

constexpr std::size_t kVector = 3 * 4;
constexpr std::size_t kFace = 4 + 4 * 4 + 4 * 4 + 4;
constexpr std::size_t kLayer = 4 + 3 * 4 + 2 + 4 * 2 * 4;

void WriteVectors(ByteWriter& out, const std::vector<Vec3>& vectors) {
    out.I32(static_cast<std::int32_t>(vectors.size()));
    Records records(out);
    for (const Vec3& v : vectors) {
        char* at = records.Take(kVector);
        at = Put(at, v.x);
        at = Put(at, v.y);
        Put(at, v.z);
    }
}

void WriteFace(Records& records, const FaceSource& face) {
    char* at = records.Take(kFace);
    at = Put(at, face.material);
    for (std::int32_t v : face.vertex) {
        at = Put(at, v);
    }
    for (std::int32_t n : face.normal) {
        at = Put(at, n);
    }
    Put(at, static_cast<std::int32_t>(face.layers.size()));
    for (const LayerSource& layer : face.layers) {
        at = records.Take(kLayer);
        at = Put(at, layer.textureIndex);
        for (float v : layer.values) {
            at = Put(at, v);
        }
        for (std::uint8_t f : layer.flags) {
            *at++ = static_cast<char>(f);
        }
        for (const auto& corner : layer.uv) {
            at = Put(at, corner[0]);
            at = Put(at, corner[1]);
        }
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

// The file's size but for its faces, so that its bytes go into one buffer reserved up front.
std::size_t SizeBesideFaces(const MeshSource& source) {
    constexpr std::size_t kMaterial = 3 + 4 + 3 + 4 + 4 + 6 * 4;
    std::size_t size = 3 + 4 + 4 + source.materials.size() * kMaterial + 4;
    for (const TextureSource& t : source.textures)
        size += t.fileName.size() + 1 + 2 + 2;
    size += 4 + kVector * source.vertices.size() + 4 + kVector * source.normals.size() + 4;
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
        Records records(out);
        for (const FaceSource& face : source.faces) {
            WriteFace(records, face);
        }
    });
}

std::optional<std::string> MeshFileBytes(const MeshSource& source, const FaceMaker& faces) {
    return Bytes(source, faces.count, (kFace + kLayer) * faces.count, [&](ByteWriter& out) {
        // Made a batch at a time, then written: read right after it is made, a face's fields
        // would stall on the maker's stores.
        Records records(out);
        std::vector<FaceSource> batch(std::min<std::size_t>(faces.count, 64));
        for (std::size_t first = 0; first < faces.count; first += batch.size()) {
            const std::size_t n = std::min(batch.size(), faces.count - first);
            for (std::size_t i = 0; i < n; ++i) {
                batch[i].layers.clear();
                faces.make(first + i, batch[i]);
            }
            for (std::size_t i = 0; i < n; ++i)
                WriteFace(records, batch[i]);
        }
    });
}

bool WriteMeshFile(const std::string& path, const MeshSource& source) {
    const std::optional<std::string> bytes = MeshFileBytes(source);
    return bytes && WriteFileAtomically(path, bytes->data(), bytes->size());
}
