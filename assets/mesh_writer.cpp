#include "assets/mesh_writer.h"

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

void WriteVectors(ByteWriter& out, const std::vector<Vec3>& vectors) {
    out.I32(static_cast<std::int32_t>(vectors.size()));
    for (const Vec3& v : vectors) {
        out.F32(v.x);
        out.F32(v.y);
        out.F32(v.z);
    }
}

void WriteFace(ByteWriter& out, const FaceSource& face) {
    out.I32(face.material);
    for (std::int32_t v : face.vertex) {
        out.I32(v);
    }
    for (std::int32_t n : face.normal) {
        out.I32(n);
    }
    out.I32(static_cast<std::int32_t>(face.layers.size()));
    for (const LayerSource& layer : face.layers) {
        out.I32(layer.textureIndex);
        for (float v : layer.values) {
            out.F32(v);
        }
        for (std::uint8_t f : layer.flags) {
            out.U8(f);
        }
        for (const auto& corner : layer.uv) {
            out.F32(corner[0]);
            out.F32(corner[1]);
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

}  // namespace

std::optional<std::string> MeshFileBytes(const MeshSource& source) {
    ByteWriter out;
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
    out.I32(static_cast<std::int32_t>(source.faces.size()));
    for (const FaceSource& face : source.faces) {
        WriteFace(out, face);
    }
    if (!WriteNodes(out, source.nodes)) {
        return std::nullopt;
    }
    return out.Take();
}

bool WriteMeshFile(const std::string& path, const MeshSource& source) {
    const std::optional<std::string> bytes = MeshFileBytes(source);
    return bytes && WriteFileAtomically(path, bytes->data(), bytes->size());
}
