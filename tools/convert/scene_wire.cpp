#include "tools/convert/scene_wire.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "tools/convert/scene_check.h"

namespace {

constexpr char kMagic[8] = {'V', 'S', 'C', 'N', 'W', 'I', 'R', '1'};

class Writer {
  public:
    void U8(std::uint8_t v) { out_.push_back(static_cast<char>(v)); }
    void U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out_.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
    void I32(int v) { U32(static_cast<std::uint32_t>(v)); }
    void F64(double v) {
        const auto bits = std::bit_cast<std::uint64_t>(v);
        for (int i = 0; i < 8; ++i)
            out_.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
    }
    void Vec(const Vec3d& v) {
        for (double x : v)
            F64(x);
    }
    void Mat(const Affine& m) {
        for (const auto& row : m.a)
            for (double x : row)
                F64(x);
        Vec(m.t);
    }
    void Count(std::size_t n) { U32(static_cast<std::uint32_t>(n)); }
    void Str(const std::string& s) {
        Count(s.size());
        out_ += s;
    }
    void Bytes(const std::vector<std::uint8_t>& b) {
        Count(b.size());
        out_.append(reinterpret_cast<const char*>(b.data()), b.size());
    }
    void Doubles(const std::vector<double>& v) {
        Count(v.size());
        for (double x : v)
            F64(x);
    }
    std::string& Out() { return out_; }

  private:
    std::string out_;
};

// Reads from untrusted bytes; the first fault sticks and every later read gives zeros.
class Reader {
  public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool Ok() const { return error_.empty(); }
    const std::string& Error() const { return error_; }
    bool AtEnd() const { return at_ == bytes_.size(); }
    void Fail(const std::string& why) {
        if (error_.empty())
            error_ = why;
    }
    const std::uint8_t* Take(std::size_t n) {
        if (!Ok() || bytes_.size() - at_ < n) {
            Fail("the scene's bytes end early");
            return nullptr;
        }
        const std::uint8_t* p = bytes_.data() + at_;
        at_ += n;
        return p;
    }
    std::uint8_t U8() {
        const std::uint8_t* p = Take(1);
        return p ? *p : 0;
    }
    // A yes or no: only 0 and 1, so that every scene has one encoding.
    bool Flag() {
        const std::uint8_t v = U8();
        if (v > 1)
            Fail("the scene holds a flag that is neither 0 nor 1");
        return v == 1;
    }
    std::uint32_t U32() {
        const std::uint8_t* p = Take(4);
        return p ? static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                       static_cast<std::uint32_t>(p[2]) << 16 |
                       static_cast<std::uint32_t>(p[3]) << 24
                 : 0;
    }
    int I32() { return static_cast<int>(static_cast<std::int32_t>(U32())); }
    double F64() {
        const std::uint8_t* p = Take(8);
        if (p == nullptr)
            return 0;
        std::uint64_t bits = 0;
        for (int i = 7; i >= 0; --i)
            bits = bits << 8 | p[i];
        const double v = std::bit_cast<double>(bits);
        if (!std::isfinite(v)) {
            Fail("the scene holds a number that is not finite");
            return 0;
        }
        return v;
    }
    Vec3d Vec() { return {F64(), F64(), F64()}; }
    Affine Mat() {
        Affine m;
        for (auto& row : m.a)
            for (double& x : row)
                x = F64();
        m.t = Vec();
        return m;
    }
    // A count of records of at least `bytesEach` bytes, at most `most` and at most what the
    // bytes left could hold, so that no allocation follows a false claim.
    std::size_t Count(std::size_t bytesEach, std::size_t most, const char* what) {
        const std::size_t n = U32();
        if (!Ok())
            return 0;
        if (n > most) {
            Fail(std::string("the scene claims too many ") + what);
            return 0;
        }
        if (n > (bytes_.size() - at_) / bytesEach) {
            Fail("the scene's bytes end early");
            return 0;
        }
        return n;
    }
    std::string Str(std::size_t most) {
        const std::size_t n = Count(1, most, "bytes in a name");
        const std::uint8_t* p = Take(n);
        return p ? std::string(reinterpret_cast<const char*>(p), n) : std::string();
    }
    std::vector<std::uint8_t> Bytes(std::size_t most) {
        const std::size_t n = Count(1, most, "bytes in an image");
        const std::uint8_t* p = Take(n);
        return p ? std::vector<std::uint8_t>(p, p + n) : std::vector<std::uint8_t>();
    }
    std::vector<double> Doubles(std::size_t most) {
        std::vector<double> out(Count(8, most, "key values"));
        for (double& x : out)
            x = F64();
        return out;
    }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
    std::string error_;
};

void WriteParts(Writer& w, const NodeParts& parts) {
    w.U8(parts.matrix ? 1 : 0);
    if (parts.matrix) {
        w.Mat(parts.fixed);
        return;
    }
    w.Vec(parts.translation);
    for (double x : parts.rotation)
        w.F64(x);
    w.Vec(parts.scale);
}

NodeParts ReadParts(Reader& r) {
    NodeParts parts;
    parts.matrix = r.Flag();
    if (parts.matrix) {
        parts.fixed = r.Mat();
        return parts;
    }
    parts.translation = r.Vec();
    for (double& x : parts.rotation)
        x = r.F64();
    parts.scale = r.Vec();
    return parts;
}

void WriteNodes(Writer& w, const Scene& scene) {
    w.Count(scene.nodes.size());
    for (const SceneNode& node : scene.nodes) {
        w.Str(node.name);
        w.I32(node.parent);
        WriteParts(w, node.rest);
        w.U8(node.attachmentPoints ? 1 : 0);
        if (node.attachmentPoints)
            for (double x : *node.attachmentPoints)
                w.F64(x);
    }
}

void ReadNodes(Reader& r, Scene& scene) {
    scene.nodes.resize(r.Count(10, kMaxSceneNodes, "nodes"));
    for (SceneNode& node : scene.nodes) {
        node.name = r.Str(kMaxSceneNameBytes);
        node.parent = r.I32();
        node.rest = ReadParts(r);
        if (r.Flag()) {
            node.attachmentPoints.emplace();
            for (double& x : *node.attachmentPoints)
                x = r.F64();
        }
    }
}

void WriteMeshes(Writer& w, const Scene& scene) {
    w.Count(scene.meshes.size());
    for (const SceneMesh& mesh : scene.meshes) {
        w.I32(mesh.node);
        w.I32(mesh.skin);
        w.I32(mesh.material);
        w.Count(mesh.positions.size());
        for (const Vec3d& p : mesh.positions)
            w.Vec(p);
        w.Count(mesh.normals.size());
        for (const Vec3d& n : mesh.normals)
            w.Vec(n);
        w.Count(mesh.uvs.size());
        for (const auto& uv : mesh.uvs) {
            w.F64(uv[0]);
            w.F64(uv[1]);
        }
        w.Count(mesh.influences.size());
        for (const auto& set : mesh.influences) {
            for (const SceneInfluence& influence : set) {
                w.I32(influence.joint);
                w.F64(influence.weight);
            }
        }
        w.Count(mesh.triangles.size());
        for (const auto& triangle : mesh.triangles)
            for (std::uint32_t index : triangle)
                w.U32(index);
    }
}

void ReadMeshes(Reader& r, Scene& scene) {
    scene.meshes.resize(r.Count(32, kMaxSceneMeshes, "meshes"));
    for (SceneMesh& mesh : scene.meshes) {
        mesh.node = r.I32();
        mesh.skin = r.I32();
        mesh.material = r.I32();
        mesh.positions.resize(r.Count(24, kMaxSceneVertices, "positions"));
        for (Vec3d& p : mesh.positions)
            p = r.Vec();
        mesh.normals.resize(r.Count(24, kMaxSceneVertices, "normals"));
        for (Vec3d& n : mesh.normals)
            n = r.Vec();
        mesh.uvs.resize(r.Count(16, kMaxSceneVertices, "texture coordinates"));
        for (auto& uv : mesh.uvs)
            uv = {r.F64(), r.F64()};
        mesh.influences.resize(r.Count(12 * kMaxInfluences, kMaxSceneVertices, "influences"));
        for (auto& set : mesh.influences) {
            for (SceneInfluence& influence : set) {
                influence.joint = r.I32();
                influence.weight = r.F64();
            }
        }
        mesh.triangles.resize(r.Count(12, kMaxSceneTriangles, "triangles"));
        for (auto& triangle : mesh.triangles)
            for (std::uint32_t& index : triangle)
                index = r.U32();
        if (!r.Ok())
            return;
    }
}

void WriteSkins(Writer& w, const Scene& scene) {
    w.Count(scene.skins.size());
    for (const SceneSkin& skin : scene.skins) {
        w.Count(skin.joints.size());
        for (int joint : skin.joints)
            w.I32(joint);
        w.Count(skin.inverseBinds.size());
        for (const Affine& m : skin.inverseBinds)
            w.Mat(m);
    }
}

void ReadSkins(Reader& r, Scene& scene) {
    scene.skins.resize(r.Count(8, kMaxSceneSkins, "skins"));
    for (SceneSkin& skin : scene.skins) {
        skin.joints.resize(r.Count(4, kMaxSceneJoints, "joints"));
        for (int& joint : skin.joints)
            joint = r.I32();
        skin.inverseBinds.resize(r.Count(96, kMaxSceneJoints, "inverse bind matrices"));
        for (Affine& m : skin.inverseBinds)
            m = r.Mat();
        if (!r.Ok())
            return;
    }
}

void WriteMaterials(Writer& w, const Scene& scene) {
    w.Count(scene.materials.size());
    for (const SceneMaterial& material : scene.materials) {
        w.Str(material.name);
        w.Vec(material.diffuse);
        w.Vec(material.specular);
        w.F64(material.shininess);
        w.I32(material.image);
        w.Vec(material.textureFactor);
    }
}

void ReadMaterials(Reader& r, Scene& scene) {
    scene.materials.resize(r.Count(88, kMaxSceneMaterials, "materials"));
    for (SceneMaterial& material : scene.materials) {
        material.name = r.Str(kMaxSceneNameBytes);
        material.diffuse = r.Vec();
        material.specular = r.Vec();
        material.shininess = r.F64();
        material.image = r.I32();
        material.textureFactor = r.Vec();
    }
}

void WriteImages(Writer& w, const Scene& scene) {
    w.Count(scene.images.size());
    for (const SceneImage& image : scene.images) {
        w.Str(image.name);
        w.I32(image.width);
        w.I32(image.height);
        w.Bytes(image.rgb);
    }
}

void ReadImages(Reader& r, Scene& scene) {
    scene.images.resize(r.Count(16, kMaxSceneImages, "images"));
    for (SceneImage& image : scene.images) {
        image.name = r.Str(kMaxSceneNameBytes);
        image.width = r.I32();
        image.height = r.I32();
        image.rgb = r.Bytes(3 * kMaxImagePixels);
    }
}

void WriteAnimations(Writer& w, const Scene& scene) {
    w.Count(scene.animations.size());
    for (const SceneAnimation& animation : scene.animations) {
        w.Str(animation.name);
        w.Count(animation.channels.size());
        for (const SceneChannel& channel : animation.channels) {
            w.I32(channel.node);
            w.U8(static_cast<std::uint8_t>(channel.path));
            w.U8(static_cast<std::uint8_t>(channel.mode));
            w.Doubles(channel.times);
            w.Doubles(channel.values);
        }
    }
}

void ReadAnimations(Reader& r, Scene& scene) {
    scene.animations.resize(r.Count(8, kMaxSceneAnimations, "animations"));
    for (SceneAnimation& animation : scene.animations) {
        animation.name = r.Str(kMaxSceneNameBytes);
        animation.channels.resize(r.Count(14, kMaxSceneKeys, "channels"));
        for (SceneChannel& channel : animation.channels) {
            channel.node = r.I32();
            const std::uint8_t path = r.U8(), mode = r.U8();
            if (path > static_cast<std::uint8_t>(ScenePath::kScale) ||
                mode > static_cast<std::uint8_t>(SceneInterpolation::kCubic)) {
                r.Fail("the scene holds an unknown kind of channel");
            }
            channel.path = static_cast<ScenePath>(path);
            channel.mode = static_cast<SceneInterpolation>(mode);
            channel.times = r.Doubles(kMaxSceneKeys);
            channel.values = r.Doubles(12 * kMaxSceneKeys);
            if (!r.Ok())
                return;
        }
    }
}

void WriteLines(Writer& w, const std::vector<std::string>& lines) {
    w.Count(lines.size());
    for (const std::string& line : lines)
        w.Str(line);
}

void ReadLines(Reader& r, std::vector<std::string>& lines, std::size_t most, const char* what) {
    lines.resize(r.Count(4, most, what));
    for (std::string& line : lines)
        line = r.Str(kMaxSceneNameBytes);
}

}  // namespace

std::string EncodeScene(const Scene& scene, const std::vector<EncodedImage>& encoded) {
    Writer w;
    w.Out().append(kMagic, sizeof kMagic);
    WriteNodes(w, scene);
    WriteMeshes(w, scene);
    WriteSkins(w, scene);
    WriteMaterials(w, scene);
    WriteImages(w, scene);
    WriteAnimations(w, scene);
    WriteLines(w, scene.notes);
    WriteLines(w, scene.sources);
    w.Count(encoded.size());
    for (const EncodedImage& image : encoded) {
        w.Str(image.name);
        w.Str(image.file);
        w.Bytes(image.bytes);
    }
    return std::move(w.Out());
}

bool DecodeScene(std::span<const std::uint8_t> bytes, Scene& scene,
                 std::vector<EncodedImage>& encoded, std::string& error) {
    scene = Scene{};
    encoded.clear();
    Reader r(bytes);
    const std::uint8_t* magic = r.Take(sizeof kMagic);
    if (magic == nullptr || std::memcmp(magic, kMagic, sizeof kMagic) != 0) {
        error = "the reader's answer is not a scene";
        return false;
    }
    ReadNodes(r, scene);
    ReadMeshes(r, scene);
    ReadSkins(r, scene);
    ReadMaterials(r, scene);
    ReadImages(r, scene);
    ReadAnimations(r, scene);
    ReadLines(r, scene.notes, kMaxSceneNotes, "notes");
    ReadLines(r, scene.sources, kMaxSceneSources, "source paths");
    encoded.resize(r.Count(12, kMaxSceneImages - scene.images.size(), "images"));
    for (EncodedImage& image : encoded) {
        image.name = r.Str(kMaxSceneNameBytes);
        image.file = r.Str(kMaxSceneNameBytes);
        image.bytes = r.Bytes(kMaxImageFileBytes);
    }
    if (r.Ok() && !r.AtEnd())
        r.Fail("the scene's bytes go on past its end");
    std::string fault;
    if (!r.Ok() || !CheckScene(scene, encoded.size(), fault)) {
        error = r.Ok() ? fault : r.Error();
        scene = Scene{};
        encoded.clear();
        return false;
    }
    return true;
}
