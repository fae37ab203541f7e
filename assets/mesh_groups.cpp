// The face groups of a mesh (its faces by material and texture, in drawing order) and the
// ".prs" file that caches them with the bounding radius.
#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <utility>

#include "assets/binary_file.h"
#include "assets/mesh.h"

namespace {

constexpr std::int64_t kGroupHeaderBytes = 9 * 4;  // seven floats, texture index, face count

std::int32_t FirstLayerTexture(const Mesh& mesh, const Face& face) {
    return face.layerCount > 0 ? mesh.layers[static_cast<std::size_t>(face.firstLayer)].textureIndex
                               : -1;
}

// One group per distinct (material, texture) pair, ordered by texture index from -1 up; pairs
// of the same texture keep their order of first appearance. Face lists are ascending.
std::vector<FaceGroup> ComputeGroups(const Mesh& mesh) {
    using Pair = std::pair<std::int32_t, std::int32_t>;  // material, texture
    std::vector<Pair> pairs;                             // in order of first appearance
    std::map<Pair, std::size_t> pairIndex;
    std::vector<std::size_t> faceCounts;
    std::vector<std::size_t> faceToPair(mesh.faces.size());
    for (std::size_t f = 0; f < mesh.faces.size(); ++f) {
        const Pair pair{mesh.faces[f].material, FirstLayerTexture(mesh, mesh.faces[f])};
        const auto [it, added] = pairIndex.try_emplace(pair, pairs.size());
        if (added) {
            pairs.push_back(pair);
            faceCounts.push_back(0);
        }
        faceToPair[f] = it->second;
        ++faceCounts[it->second];
    }

    std::vector<std::size_t> order(pairs.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return pairs[a].second < pairs[b].second;
    });

    std::vector<FaceGroup> groups(pairs.size());
    std::vector<std::size_t> pairToGroup(pairs.size());
    for (std::size_t g = 0; g < order.size(); ++g) {
        const std::size_t p = order[g];
        const Material& material = mesh.materials[static_cast<std::size_t>(pairs[p].first)];
        FaceGroup& group = groups[g];
        group.shininess = material.shininess;
        std::copy(std::begin(material.specular), std::end(material.specular), group.specular);
        std::copy(std::begin(material.diffuse), std::end(material.diffuse), group.diffuse);
        group.textureIndex = pairs[p].second;
        group.faceCount = static_cast<std::int32_t>(faceCounts[p]);
        group.faces.reserve(faceCounts[p]);
        pairToGroup[p] = g;
    }
    for (std::size_t f = 0; f < mesh.faces.size(); ++f) {
        groups[pairToGroup[faceToPair[f]]].faces.push_back(static_cast<std::int32_t>(f));
    }
    return groups;
}

// The largest distance from the mean of all vertices to any vertex.
float ComputeRadius(const Mesh& mesh) {
    Vec3 sum;
    for (const Vec3& v : mesh.vertices) {
        sum += v;
    }
    const Vec3 mean = sum * (1.0f / static_cast<float>(mesh.vertices.size()));
    float largest = 0.0f;
    for (const Vec3& v : mesh.vertices) {
        const Vec3 d = v - mean;
        largest = std::max(largest, Dot(d, d));
    }
    return std::sqrt(largest);
}

bool InRange(std::int32_t index, std::int32_t count) {
    return index >= 0 && index < count;
}

// Reads a face-group file and accepts it only when it fits the mesh: a finite radius, at least
// one group, counts the file can hold, texture indices -1 or of the mesh's textures, face
// indices of the mesh's faces, and nothing after the last group.
bool ReadGroups(BinaryFile& file, std::int32_t textureCount, std::int32_t faceCount,
                std::vector<FaceGroup>& groups, float& radius, LoadError* error) {
    radius = file.ReadFloat();
    const std::int32_t count = file.ReadInt32();
    if (file.ReadFailed()) {
        return Fail(error, "file ends inside the header (radius and group count)", 0);
    }
    if (!std::isfinite(radius) || radius < 0.0f) {
        return Fail(error, "radius " + std::to_string(radius) + " is not a finite size", 0);
    }
    if (count < 1) {
        return Fail(error, "group count " + std::to_string(count) + " is below 1", 4);
    }
    if (std::int64_t{count} * kGroupHeaderBytes > file.BytesLeft()) {
        return Fail(error,
                    "group count " + std::to_string(count) + " needs at least " +
                        std::to_string(std::int64_t{count} * kGroupHeaderBytes) +
                        " bytes, the file has " + std::to_string(file.BytesLeft()) + " left",
                    4);
    }
    groups.assign(static_cast<std::size_t>(count), FaceGroup{});
    for (std::size_t g = 0; g < groups.size(); ++g) {
        FaceGroup& group = groups[g];
        const std::string what = "group " + std::to_string(g) + ": ";
        const std::int64_t at = file.Offset();
        group.shininess = file.ReadFloat();
        for (float& c : group.specular) {
            c = file.ReadFloat();
        }
        for (float& c : group.diffuse) {
            c = file.ReadFloat();
        }
        group.textureIndex = file.ReadInt32();
        group.faceCount = file.ReadInt32();
        if (file.ReadFailed()) {
            return Fail(error, "file ends inside " + what.substr(0, what.size() - 2), at);
        }
        if (group.textureIndex != -1 && !InRange(group.textureIndex, textureCount)) {
            return Fail(error,
                        what + "texture index " + std::to_string(group.textureIndex) +
                            " is neither -1 nor one of the mesh's " + std::to_string(textureCount) +
                            " textures",
                        at + 28);
        }
        if (group.faceCount < 0 || std::int64_t{group.faceCount} * 4 > file.BytesLeft()) {
            return Fail(
                error,
                what + "face count " + std::to_string(group.faceCount) +
                    (group.faceCount < 0 ? " is below 0" : " is more than the file has left"),
                at + 32);
        }
        group.faces.resize(static_cast<std::size_t>(group.faceCount));
        for (std::size_t i = 0; i < group.faces.size(); ++i) {
            const std::int64_t faceAt = file.Offset();
            group.faces[i] = file.ReadInt32();
            if (!InRange(group.faces[i], faceCount)) {
                return Fail(error,
                            what + "face " + std::to_string(i) + " is index " +
                                std::to_string(group.faces[i]) + ", outside 0.." +
                                std::to_string(faceCount - 1),
                            faceAt);
            }
        }
    }
    if (file.BytesLeft() != 0) {
        return Fail(error, std::to_string(file.BytesLeft()) + " bytes after the last group",
                    file.Offset());
    }
    return !file.ReadFailed();
}

bool HoldsValidGroups(const std::string& fileName, const Mesh& mesh) {
    std::vector<FaceGroup> groups;
    float radius = 0.0f;
    return ReadFaceGroupFile(fileName, mesh.textureCount, mesh.faceCount, groups, radius);
}

bool WriteGroups(const std::string& fileName, const Mesh& mesh) {
    BinaryFile file;
    if (!file.Open(fileName, 0)) {
        return false;
    }
    file.WriteFloat(mesh.radius);
    file.WriteInt32(mesh.groupCount);
    for (const FaceGroup& group : mesh.groups) {
        file.WriteFloat(group.shininess);
        for (float c : group.specular) {
            file.WriteFloat(c);
        }
        for (float c : group.diffuse) {
            file.WriteFloat(c);
        }
        file.WriteInt32(group.textureIndex);
        file.WriteInt32(group.faceCount);
        for (std::int32_t face : group.faces) {
            file.WriteInt32(face);
        }
    }
    return file.Close() == 1;
}

bool IsLoaded(const Mesh& mesh) {
    return mesh.faceCount > 0 && mesh.vertexCount > 0;
}

}  // namespace

int Mesh::BuildGroupFile(const std::string& fileName) {
    if (!IsLoaded(*this)) {
        return 0;
    }
    if (HoldsValidGroups(fileName, *this)) {
        return 1;
    }
    // Missing or unfit for this mesh: the groups are computed and kept, so the mesh can be drawn
    // even when the file cannot be written; the file is replaced atomically.
    groups = ComputeGroups(*this);
    groupCount = static_cast<std::int32_t>(groups.size());
    radius = ComputeRadius(*this);
    return WriteGroups(fileName, *this) ? 1 : 0;
}

bool ReadFaceGroupFile(const std::string& fileName, std::int32_t textureCount,
                       std::int32_t faceCount, std::vector<FaceGroup>& groups, float& radius,
                       LoadError* error) {
    BinaryFile file;
    if (!file.Open(fileName, 1)) {
        return Fail(error, "cannot be opened as a file");
    }
    return ReadGroups(file, textureCount, faceCount, groups, radius, error);
}

int Mesh::ReadGroupFile(const std::string& fileName, LoadError* error) {
    if (!IsLoaded(*this)) {
        Fail(error, "the mesh is not loaded");
        return 0;
    }
    std::vector<FaceGroup> read;
    float readRadius = 0.0f;
    if (!ReadFaceGroupFile(fileName, textureCount, faceCount, read, readRadius, error)) {
        return 0;
    }
    groups = std::move(read);
    groupCount = static_cast<std::int32_t>(groups.size());
    radius = readRadius;
    return 1;
}
