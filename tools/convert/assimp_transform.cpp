#include "tools/convert/assimp_transform.h"

#include <algorithm>
#include <cmath>

namespace {

aiMatrix4x4 ToMatrix(const Affine& m) {
    aiMatrix4x4 out;
    for (unsigned i = 0; i < 3; ++i) {
        for (unsigned j = 0; j < 3; ++j)
            out[i][j] = static_cast<ai_real>(m.a[i][j]);
        out[i][3] = static_cast<ai_real>(m.t[i]);
    }
    return out;
}

bool Close(const Affine& a, const Affine& b) {
    double norm = 1, difference = 0;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            norm = std::max(norm, std::abs(a.a[i][j]));
            difference = std::max(difference, std::abs(a.a[i][j] - b.a[i][j]));
        }
        norm = std::max(norm, std::abs(a.t[i]));
        difference = std::max(difference, std::abs(a.t[i] - b.t[i]));
    }
    return difference <= 1e-5 * norm;  // the library's matrices are single precision
}

// FBX's metadata, stored as 32-bit integers or as floating point numbers.
std::optional<double> MetaNumber(const aiMetadata* meta, const char* key) {
    if (meta == nullptr)
        return std::nullopt;
    for (unsigned i = 0; i < meta->mNumProperties; ++i) {
        if (std::string(meta->mKeys[i].C_Str()) != key || meta->mValues[i].mData == nullptr)
            continue;
        const aiMetadataEntry& entry = meta->mValues[i];
        switch (entry.mType) {
            case AI_INT32:
                return *static_cast<const std::int32_t*>(entry.mData);
            case AI_FLOAT:
                return *static_cast<const float*>(entry.mData);
            case AI_DOUBLE:
                return *static_cast<const double*>(entry.mData);
            default:
                return std::nullopt;
        }
    }
    return std::nullopt;
}

}  // namespace

Affine ToAffine(const aiMatrix4x4& m) {
    Affine out;
    for (unsigned i = 0; i < 3; ++i) {
        for (unsigned j = 0; j < 3; ++j)
            out.a[i][j] = m[i][j];
        out.t[i] = m[i][3];
    }
    return out;
}

NodeParts PartsOf(const aiMatrix4x4& m, bool animated, bool& exact) {
    aiVector3D scaling, position;
    aiQuaternion rotation;
    m.Decompose(scaling, rotation, position);
    NodeParts parts;
    parts.translation = {position.x, position.y, position.z};
    parts.rotation = {rotation.x, rotation.y, rotation.z, rotation.w};
    parts.scale = {scaling.x, scaling.y, scaling.z};
    exact = Close(parts.Local(), ToAffine(m));
    if (exact || animated)
        return parts;
    NodeParts fixed;
    fixed.matrix = true;
    fixed.fixed = ToAffine(m);
    return fixed;
}

NodeParts PartsOf(const Affine& m) {
    bool exact = false;
    return PartsOf(ToMatrix(m), false, exact);
}

std::optional<Affine> FileAxesCorrection(const aiScene& scene, std::string& note) {
    const aiMetadata* meta = scene.mMetaData;
    const auto up = MetaNumber(meta, "UpAxis");
    const auto unit = MetaNumber(meta, "UnitScaleFactor");
    if (!up && !unit)
        return std::nullopt;
    Affine correction;
    if (up) {
        const double axes[3] = {MetaNumber(meta, "CoordAxis").value_or(0), *up,
                                MetaNumber(meta, "FrontAxis").value_or(2)};
        const double signs[3] = {MetaNumber(meta, "CoordAxisSign").value_or(1),
                                 MetaNumber(meta, "UpAxisSign").value_or(1),
                                 MetaNumber(meta, "FrontAxisSign").value_or(1)};
        // Row k is the file's direction that becomes our axis k (X right, Y up, Z front).
        bool used[3] = {false, false, false};
        bool usable = true;
        Affine rows;
        for (int k = 0; k < 3; ++k) {
            const double axis = axes[k];
            if (!(axis == 0 || axis == 1 || axis == 2) || used[static_cast<int>(axis)] ||
                !(signs[k] == 1 || signs[k] == -1)) {
                usable = false;
                break;
            }
            used[static_cast<int>(axis)] = true;
            for (int j = 0; j < 3; ++j)
                rows.a[k][j] = j == static_cast<int>(axis) ? signs[k] : 0;
        }
        if (usable)
            correction = rows;
        else
            note = "ignored the file's axes: they are not three different axes with signs";
    }
    if (unit) {
        if (std::isfinite(*unit) && *unit > 0) {
            const double metres = *unit / 100;  // FBX's unit is the centimetre
            for (auto& row : correction.a)
                for (double& v : row)
                    v *= metres;
        } else {
            note = "ignored the file's unit: it is not a positive number";
        }
    }
    return correction;
}
