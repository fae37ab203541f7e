#include "tools/convert/skin_record.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>

#include "assets/binary_file.h"
#include "assets/byte_reader.h"
#include "assets/byte_writer.h"

namespace {

constexpr char kMagic[4] = {'V', 'S', 'K', 'N'};
constexpr std::uint16_t kVersion = 1;
constexpr std::size_t kNameSize = ByteReader::kStringSize;  // 127 characters and the NUL
constexpr std::size_t kJointSize = kNameSize + 12 * 4;
constexpr std::size_t kVertexSize = 1 + kMaxInfluences * (2 + 4);

// Finds names among the mesh's nodes: each must be there exactly once.
class NodeNames {
  public:
    explicit NodeNames(const std::vector<std::string>& names) {
        for (const std::string& name : names)
            ++count_[name];
    }
    bool Check(const std::string& name, const char* what, std::string& error) const {
        const auto found = count_.find(name);
        if (found == count_.end()) {
            error = std::string(what) + " \"" + name + "\" is no node of the mesh";
            return false;
        }
        if (found->second > 1) {
            error = std::string(what) + " \"" + name + "\" names " + std::to_string(found->second) +
                    " nodes of the mesh";
            return false;
        }
        return true;
    }

  private:
    std::map<std::string, int> count_;
};

bool ReadName(ByteReader& in, std::string& name, const char* what, std::string& error) {
    char buffer[kNameSize];
    if (!in.String(buffer) || buffer[0] == '\0') {
        error = std::string("a ") + what + " name is empty, longer than 127 characters or cut off";
        return false;
    }
    name = buffer;
    // Names go into error lines, which stay one line.
    if (std::any_of(name.begin(), name.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; })) {
        error = std::string("a ") + what + " name has a control character";
        return false;
    }
    return true;
}

bool ReadInfluences(ByteReader& in, std::size_t v, const std::vector<SkinJoint>& joints,
                    std::array<SkinInfluence, kMaxInfluences>& out, std::string& error) {
    const std::string where = "vertex " + std::to_string(v);
    const std::uint8_t count = in.U8();
    if (count > kMaxInfluences) {
        error = where + " has " + std::to_string(count) + " influences, more than " +
                std::to_string(kMaxInfluences);
        return false;
    }
    if (!in.Has(std::size_t{count} * 6)) {
        error = "the record ends inside " + where;
        return false;
    }
    for (std::size_t k = 0; k < count; ++k) {
        SkinInfluence& influence = out[k];
        influence.joint = in.U16();
        influence.weight = in.F32();
        if (influence.joint >= joints.size()) {
            error = where + " names joint slot " + std::to_string(influence.joint) + " of " +
                    std::to_string(joints.size());
            return false;
        }
        if (!(influence.weight > 0) || !std::isfinite(influence.weight)) {
            error = where + " has a weight that is not a positive finite number";
            return false;
        }
        for (std::size_t e = 0; e < k; ++e) {
            if (out[e].joint == influence.joint) {
                error = where + " names joint slot " + std::to_string(influence.joint) + " twice";
                return false;
            }
        }
    }
    Affine inverse;
    if (count > 0 && !Invert(BlendedBind(out, joints), inverse)) {
        error = where + "'s blended bind matrix cannot be inverted";
        return false;
    }
    return true;
}

}  // namespace

std::array<float, kMaxInfluences> NormalisedWeights(
    const std::array<SkinInfluence, kMaxInfluences>& influences) {
    double sum = 0;
    std::size_t heaviest = 0;
    for (std::size_t k = 0; k < kMaxInfluences; ++k) {
        sum += influences[k].weight;
        if (influences[k].weight > influences[heaviest].weight)
            heaviest = k;
    }
    std::array<float, kMaxInfluences> out{};
    if (!(sum > 0))
        return out;
    // The heaviest takes what the others' rounding leaves, so the floats sum to 1 as closely
    // as a float can.
    double others = 0;
    for (std::size_t k = 0; k < kMaxInfluences; ++k) {
        if (k == heaviest)
            continue;
        out[k] = static_cast<float>(influences[k].weight / sum);
        others += out[k];
    }
    out[heaviest] = static_cast<float>(1 - others);
    return out;
}

Affine BlendedBind(const std::array<SkinInfluence, kMaxInfluences>& influences,
                   std::span<const SkinJoint> joints) {
    const std::array<float, kMaxInfluences> weights = NormalisedWeights(influences);
    Affine sum;
    sum.a[0][0] = sum.a[1][1] = sum.a[2][2] = 0;
    for (std::size_t k = 0; k < kMaxInfluences; ++k) {
        if (weights[k] == 0)
            continue;
        const Affine& x = joints[influences[k].joint].bind;
        for (std::size_t i = 0; i < 3; ++i) {
            for (std::size_t j = 0; j < 3; ++j)
                sum.a[i][j] += weights[k] * x.a[i][j];
            sum.t[i] += weights[k] * x.t[i];
        }
    }
    return sum;
}

std::string SkinRecordName(const std::string& meshFileName) {
    // Named as the game names the mesh's caches (".prs", ".kdt"), with an extension it never
    // derives or opens.
    return StripExtension(meshFileName) + ".skin";
}

std::size_t MaxSkinRecordSize(std::size_t vertexCount, std::size_t nodeCount) {
    const std::size_t nodes = std::min<std::size_t>(nodeCount, 65535);
    return sizeof kMagic + 2 + 2 + nodes * kJointSize + 2 + nodes * kNameSize + 4 +
           vertexCount * kVertexSize;
}

std::string EncodeSkinRecord(const SkinRecord& record) {
    ByteWriter out;
    out.Reserve(MaxSkinRecordSize(record.influences.size(), record.joints.size()) +
                record.setNodes.size() * kNameSize);
    for (const char c : kMagic)
        out.U8(static_cast<std::uint8_t>(c));
    out.I16(static_cast<std::int16_t>(kVersion));
    out.I16(static_cast<std::int16_t>(record.joints.size()));
    for (const SkinJoint& joint : record.joints) {
        out.String(joint.node);
        for (int column = 0; column < 3; ++column) {
            for (int row = 0; row < 3; ++row)
                out.F32(static_cast<float>(joint.bind.a[row][column]));
        }
        for (const double t : joint.bind.t)
            out.F32(static_cast<float>(t));
    }
    out.I16(static_cast<std::int16_t>(record.setNodes.size()));
    for (const std::string& name : record.setNodes)
        out.String(name);
    out.I32(static_cast<std::int32_t>(record.influences.size()));
    // A vertex's record gathered and appended at once: a large model has hundreds of
    // thousands of them.
    char bytes[kVertexSize];
    for (const auto& influences : record.influences) {
        char* at = bytes + 1;
        for (const SkinInfluence& influence : influences) {
            if (influence.weight == 0)
                continue;
            const auto joint = static_cast<std::uint16_t>(influence.joint);
            at[0] = static_cast<char>(joint & 0xFF);
            at[1] = static_cast<char>(joint >> 8);
            ByteWriter::PutF32(at + 2, influence.weight);
            at += 6;
        }
        bytes[0] = static_cast<char>((at - bytes - 1) / 6);
        out.Append(bytes, static_cast<std::size_t>(at - bytes));
    }
    return out.Take();
}

bool DecodeSkinRecord(std::span<const unsigned char> bytes, std::size_t vertexCount,
                      const std::vector<std::string>& nodeNames, SkinRecord& out,
                      std::string& error) {
    out = SkinRecord{};
    ByteReader in(bytes.data(), bytes.size());
    const std::uint8_t* magic = in.Skip(sizeof kMagic);
    if (magic == nullptr || std::memcmp(magic, kMagic, sizeof kMagic) != 0) {
        error = "not a skin record (no \"VSKN\" at the start)";
        return false;
    }
    if (const std::uint16_t version = in.U16(); version != kVersion) {
        error =
            "skin record version " + std::to_string(version) + ", not " + std::to_string(kVersion);
        return false;
    }
    const NodeNames names(nodeNames);
    std::map<std::string, const char*> used;  // every name the record gives, and as what
    const auto take = [&](const std::string& name, const char* what) {
        if (!names.Check(name, what, error))
            return false;
        const auto [found, added] = used.emplace(name, what);
        if (!added) {
            error = std::string(what) + " \"" + name + "\" is already listed as a " + found->second;
            return false;
        }
        return true;
    };

    const std::uint16_t jointCount = in.U16();
    if (jointCount == 0 || jointCount > nodeNames.size()) {
        error = "the record lists " + std::to_string(jointCount) + " joints for " +
                std::to_string(nodeNames.size()) + " nodes";
        return false;
    }
    out.joints.resize(jointCount);
    for (SkinJoint& joint : out.joints) {
        if (!ReadName(in, joint.node, "joint", error) || !take(joint.node, "joint"))
            return false;
        float values[12];
        if (!in.Words(values, 12)) {
            error = "the record ends inside joint \"" + joint.node + "\"";
            return false;
        }
        for (int column = 0; column < 3; ++column) {
            for (int row = 0; row < 3; ++row)
                joint.bind.a[row][column] = values[3 * column + row];
        }
        joint.bind.t = {values[9], values[10], values[11]};
        for (const float v : values) {
            if (!std::isfinite(v)) {
                error = "joint \"" + joint.node + "\" has a bind matrix that is not finite";
                return false;
            }
        }
        // A vertex rigid on the joint is bound by X alone.
        Affine inverse;
        if (!Invert(joint.bind, inverse)) {
            error = "joint \"" + joint.node + "\" has a bind matrix that cannot be inverted";
            return false;
        }
    }

    const std::uint16_t setCount = in.U16();
    if (setCount > nodeNames.size() - jointCount) {
        error = "the record lists " + std::to_string(setCount) + " set nodes besides " +
                std::to_string(jointCount) + " joints for " + std::to_string(nodeNames.size()) +
                " nodes";
        return false;
    }
    out.setNodes.resize(setCount);
    for (std::string& name : out.setNodes) {
        if (!ReadName(in, name, "set node", error) || !take(name, "set node"))
            return false;
    }

    const std::int32_t vertices = in.I32();
    if (in.Failed() || vertices < 0 || static_cast<std::size_t>(vertices) != vertexCount) {
        error = "the record is for " + std::to_string(vertices) + " vertices, the mesh has " +
                std::to_string(vertexCount);
        return false;
    }
    out.influences.resize(vertexCount);
    for (std::size_t v = 0; v < vertexCount; ++v) {
        if (!ReadInfluences(in, v, out.joints, out.influences[v], error))
            return false;
    }
    if (in.Failed() || in.BytesLeft() != 0) {
        error = in.Failed() ? "the record is cut off"
                            : std::to_string(in.BytesLeft()) + " bytes after the record's end";
        return false;
    }
    return true;
}
