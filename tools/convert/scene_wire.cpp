#include "tools/convert/scene_wire.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <optional>

#include "tools/convert/scene_check.h"

namespace {

constexpr char kMagic[8] = {'V', 'S', 'C', 'N', 'W', 'I', 'R', '1'};

// Writer and Reader offer the same operations, so that one function per record type below is
// its layout in both directions: a Writer's operation writes its argument, a Reader's fills it.
// Only the Reader uses the limits and names the operations carry.
class Writer {
  public:
    void Num(double v) {
        const auto bits = std::bit_cast<std::uint64_t>(v);
        for (int i = 0; i < 8; ++i)
            out_.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
    }
    void Num(std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out_.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
    void Num(int v) { Num(static_cast<std::uint32_t>(v)); }
    void Flag(bool v) { out_.push_back(v ? 1 : 0); }
    template <class E>
    void Kind(E v, E /*last*/) {
        out_.push_back(static_cast<char>(v));
    }
    void Str(const std::string& s, std::size_t /*most*/) {
        Count(s.size());
        out_ += s;
    }
    void Bytes(const std::vector<std::uint8_t>& b, std::size_t /*most*/) {
        Count(b.size());
        out_.append(reinterpret_cast<const char*>(b.data()), b.size());
    }
    template <class T, class Each>
    void List(const std::vector<T>& list, std::size_t /*bytesEach*/, std::size_t /*most*/,
              const char* /*what*/, Each each) {
        Count(list.size());
        for (const T& x : list)
            each(x);
    }
    template <class T, class Each>
    void Optional(const std::optional<T>& value, Each each) {
        Flag(value.has_value());
        if (value)
            each(*value);
    }
    std::string& Out() { return out_; }

  private:
    void Count(std::size_t n) { Num(static_cast<std::uint32_t>(n)); }

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

    void Num(double& v) {
        v = 0;
        const std::uint8_t* p = Take(8);
        if (p == nullptr)
            return;
        std::uint64_t bits = 0;
        for (int i = 7; i >= 0; --i)
            bits = bits << 8 | p[i];
        v = std::bit_cast<double>(bits);
        if (!std::isfinite(v)) {
            Fail("the scene holds a number that is not finite");
            v = 0;
        }
    }
    void Num(std::uint32_t& v) {
        const std::uint8_t* p = Take(4);
        v = p ? static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                    static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24
              : 0;
    }
    void Num(int& v) {
        std::uint32_t u = 0;
        Num(u);
        v = static_cast<int>(static_cast<std::int32_t>(u));
    }
    // A yes or no: only 0 and 1, so that every scene has one encoding.
    void Flag(bool& v) {
        const std::uint8_t b = Byte();
        if (b > 1)
            Fail("the scene holds a flag that is neither 0 nor 1");
        v = b == 1;
    }
    // One of an enumeration's values up to `last` (only channels have kinds).
    template <class E>
    void Kind(E& v, E last) {
        const std::uint8_t b = Byte();
        if (b > static_cast<std::uint8_t>(last))
            Fail("the scene holds an unknown kind of channel");
        v = static_cast<E>(b);
    }
    void Str(std::string& s, std::size_t most) {
        const std::size_t n = Count(1, most, "bytes in a name");
        const std::uint8_t* p = Take(n);
        s = p ? std::string(reinterpret_cast<const char*>(p), n) : std::string();
    }
    void Bytes(std::vector<std::uint8_t>& b, std::size_t most) {
        const std::size_t n = Count(1, most, "bytes in an image");
        const std::uint8_t* p = Take(n);
        b = p ? std::vector<std::uint8_t>(p, p + n) : std::vector<std::uint8_t>();
    }
    // A count of records of at least `bytesEach` bytes, then the records.
    template <class T, class Each>
    void List(std::vector<T>& list, std::size_t bytesEach, std::size_t most, const char* what,
              Each each) {
        list.resize(Count(bytesEach, most, what));
        for (T& x : list) {
            if (!Ok())
                return;
            each(x);
        }
    }
    template <class T, class Each>
    void Optional(std::optional<T>& value, Each each) {
        bool has = false;
        Flag(has);
        if (has)
            each(value.emplace());
    }

  private:
    std::uint8_t Byte() {
        const std::uint8_t* p = Take(1);
        return p ? *p : 0;
    }
    // At most `most` and at most what the bytes left could hold, so that no allocation
    // follows a false claim.
    std::size_t Count(std::size_t bytesEach, std::size_t most, const char* what) {
        std::uint32_t n = 0;
        Num(n);
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

    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
    std::string error_;
};

// A fixed run of numbers: a vector, a quaternion, a triangle's corners.
template <class Wire>
void Nums(Wire& wire, auto& run) {
    for (auto& x : run)
        wire.Num(x);
}

template <class Wire>
void Matrix(Wire& wire, auto& m) {
    for (auto& row : m.a)
        Nums(wire, row);
    Nums(wire, m.t);
}

// The layout of each record type; `scene` is const for a Writer.
template <class Wire>
void Nodes(Wire& wire, auto& scene) {
    wire.List(scene.nodes, 10, kMaxSceneNodes, "nodes", [&](auto& node) {
        wire.Str(node.name, kMaxSceneNameBytes);
        wire.Num(node.parent);
        wire.Flag(node.rest.matrix);
        if (node.rest.matrix) {
            Matrix(wire, node.rest.fixed);
        } else {
            Nums(wire, node.rest.translation);
            Nums(wire, node.rest.rotation);
            Nums(wire, node.rest.scale);
        }
        wire.Optional(node.attachmentPoints, [&](auto& points) { Nums(wire, points); });
    });
}

template <class Wire>
void Meshes(Wire& wire, auto& scene) {
    auto nums = [&](auto& run) { Nums(wire, run); };
    wire.List(scene.meshes, 32, kMaxSceneMeshes, "meshes", [&](auto& mesh) {
        wire.Num(mesh.node);
        wire.Num(mesh.skin);
        wire.Num(mesh.material);
        wire.List(mesh.positions, 24, kMaxSceneVertices, "positions", nums);
        wire.List(mesh.normals, 24, kMaxSceneVertices, "normals", nums);
        wire.List(mesh.uvs, 16, kMaxSceneVertices, "texture coordinates", nums);
        wire.List(mesh.influences, 12 * kMaxInfluences, kMaxSceneVertices, "influences",
                  [&](auto& set) {
                      for (auto& influence : set) {
                          wire.Num(influence.joint);
                          wire.Num(influence.weight);
                      }
                  });
        wire.List(mesh.triangles, 12, kMaxSceneTriangles, "triangles", nums);
    });
}

template <class Wire>
void Skins(Wire& wire, auto& scene) {
    wire.List(scene.skins, 8, kMaxSceneSkins, "skins", [&](auto& skin) {
        wire.List(skin.joints, 4, kMaxSceneJoints, "joints", [&](auto& j) { wire.Num(j); });
        wire.List(skin.inverseBinds, 96, kMaxSceneJoints, "inverse bind matrices",
                  [&](auto& m) { Matrix(wire, m); });
    });
}

template <class Wire>
void Materials(Wire& wire, auto& scene) {
    wire.List(scene.materials, 88, kMaxSceneMaterials, "materials", [&](auto& material) {
        wire.Str(material.name, kMaxSceneNameBytes);
        Nums(wire, material.diffuse);
        Nums(wire, material.specular);
        wire.Num(material.shininess);
        wire.Num(material.image);
        Nums(wire, material.textureFactor);
    });
}

template <class Wire>
void Images(Wire& wire, auto& scene) {
    wire.List(scene.images, 16, kMaxSceneImages, "images", [&](auto& image) {
        wire.Str(image.name, kMaxSceneNameBytes);
        wire.Num(image.width);
        wire.Num(image.height);
        wire.Bytes(image.rgb, 3 * kMaxImagePixels);
    });
}

template <class Wire>
void Animations(Wire& wire, auto& scene) {
    auto num = [&](auto& x) { wire.Num(x); };
    wire.List(scene.animations, 8, kMaxSceneAnimations, "animations", [&](auto& animation) {
        wire.Str(animation.name, kMaxSceneNameBytes);
        wire.List(animation.channels, 14, kMaxSceneKeys, "channels", [&](auto& channel) {
            wire.Num(channel.node);
            wire.Kind(channel.path, ScenePath::kScale);
            wire.Kind(channel.mode, SceneInterpolation::kCubic);
            wire.List(channel.times, 8, kMaxSceneKeys, "key values", num);
            wire.List(channel.values, 8, 12 * kMaxSceneKeys, "key values", num);
        });
    });
}

template <class Wire>
void Lines(Wire& wire, auto& lines, std::size_t most, const char* what) {
    wire.List(lines, 4, most, what, [&](auto& line) { wire.Str(line, kMaxSceneNameBytes); });
}

// Images still in their files' formats; materials number them after the scene's own.
template <class Wire>
void Encoded(Wire& wire, auto& encoded, std::size_t decodedImages) {
    wire.List(encoded, 12, kMaxSceneImages - decodedImages, "images", [&](auto& image) {
        wire.Str(image.name, kMaxSceneNameBytes);
        wire.Str(image.file, kMaxSceneNameBytes);
        wire.Bytes(image.bytes, kMaxImageFileBytes);
    });
}

template <class Wire>
void Layout(Wire& wire, auto& scene, auto& encoded) {
    Nodes(wire, scene);
    Meshes(wire, scene);
    Skins(wire, scene);
    Materials(wire, scene);
    Images(wire, scene);
    Animations(wire, scene);
    Lines(wire, scene.notes, kMaxSceneNotes, "notes");
    Lines(wire, scene.sources, kMaxSceneSources, "source paths");
    Encoded(wire, encoded, scene.images.size());
}

}  // namespace

std::string EncodeScene(const Scene& scene, const std::vector<EncodedImage>& encoded) {
    Writer w;
    w.Out().append(kMagic, sizeof kMagic);
    Layout(w, scene, encoded);
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
    Layout(r, scene, encoded);
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
