// Per-frame bounds trees of an actor's animations and their ".kdt" cache files.
//
// File: int32 frame count, then one tagged record per frame. A file that exists is read back,
// and trusted only when it is whole: the frame count matches the animation, every record reads
// completely, nothing trails the last record, and every vertex index lies within the mesh. Any
// other file is rebuilt from the loaded data and replaced atomically.
#include "assets/binary_file.h"
#include "assets/name_hash.h"
#include "model/actor_model.h"
#include "model/bounds_files.h"
#include "model/node_walk.h"

namespace {

bool Exists(const std::string& fileName) {
    BinaryFile probe;
    return probe.Open(fileName, 1) == 1;
}

}  // namespace

bool ActorModel::CanBuildBounds(int index) const {
    // Tagged records nest two levels below the node hierarchy; deeper trees could not be read.
    return meshLoaded_ && index >= 0 && static_cast<std::size_t>(index) < animations.size() &&
           meshDepth_ + 2 <= Zt18DOP::kMaxDepth;
}

std::unique_ptr<Zt18DOP[]> ActorModel::BuildNodeBounds(const MeshNode* first, std::int32_t& count,
                                                       std::span<const Vec3> vertices) const {
    count = 0;
    for (const MeshNode* node = first; node != nullptr; node = node->nextSibling) {
        if (node->vertexCount > 0)
            ++count;
        if (node->firstChild != nullptr)
            ++count;
    }
    if (count == 0)
        return nullptr;

    auto records = std::make_unique<Zt18DOP[]>(static_cast<std::size_t>(count));
    std::int32_t cursor = 0;
    for (const MeshNode* node = first; node != nullptr; node = node->nextSibling) {
        if (node->vertexCount > 0) {
            Zt18DOP& leaf = records[cursor++];
            leaf.tag = static_cast<std::int32_t>(node->hash);
            leaf.FitVertices(node->vertices, vertices);
        }
        if (node->firstChild != nullptr) {
            Zt18DOP& group = records[cursor++];
            std::int32_t groupCount = 0;
            auto groupNodes = BuildNodeBounds(node->firstChild, groupCount, vertices);
            group.AdoptChildren(std::move(groupNodes), groupCount);
            if (group.children == nullptr) {
                // An empty subtree gives no record: its slot goes to the next one.
                --cursor;
                if (--count == 0)
                    return nullptr;
                continue;
            }
            group.tag = static_cast<std::int32_t>(node->hash);
            group.Reset();
            for (std::int32_t i = 0; i < group.childCount; ++i)
                group.Merge(group.children[i]);
        }
    }
    return records;
}

std::vector<Zt18DOP> ActorModel::BuildFrameBounds(const std::string& fileName, int index) const {
    const Animation& animation = *animations[static_cast<std::size_t>(index)];
    std::vector<Vec3> vertices(mesh->vertices.size());
    std::vector<Vec3> normals(mesh->normals.size());
    std::vector<Zt18DOP> roots(static_cast<std::size_t>(animation.frameCount));
    const auto tag = static_cast<std::int32_t>(NameHash(fileName));
    for (int f = 0; f < animation.frameCount; ++f) {
        vertices = mesh->vertices;
        normals = mesh->normals;
        if (mesh->root != nullptr) {
            PoseNodes(index, f, mesh->root, vertices, normals, {}, {}, Transform::Identity);
        }
        Zt18DOP& root = roots[static_cast<std::size_t>(f)];
        root.Reset();
        std::int32_t rootCount = 0;
        auto rootNodes = BuildNodeBounds(mesh->root, rootCount, vertices);
        root.AdoptChildren(std::move(rootNodes), rootCount);
        for (std::int32_t i = 0; i < root.childCount; ++i)
            root.Merge(root.children[i]);
        root.tag = tag;
    }
    return roots;
}

int ActorModel::WriteBoundsFile(const std::string& fileName, std::vector<Zt18DOP>& roots) {
    BinaryFile file;
    if (file.Open(fileName, 0) != 1)
        return 0;
    file.WriteInt32(static_cast<std::int32_t>(roots.size()));
    for (Zt18DOP& root : roots) {
        if (root.SerializeTagged(file, true) != 1)
            return 0;  // discarded, never renamed
    }
    return file.Close();
}

bool ActorModel::ReadBoundsFile(const std::string& fileName, int index,
                                std::vector<Zt18DOP>& roots) const {
    return ReadAnimationBoundsFile(fileName,
                                   animations[static_cast<std::size_t>(index)]->frameCount,
                                   mesh->vertexCount, roots);
}

int ActorModel::BuildBoundsFile(const std::string& fileName, int index) {
    if (Exists(fileName))
        return 1;
    // No bounds file is ever written from a mesh that failed to load.
    if (!CanBuildBounds(index))
        return 0;
    std::vector<Zt18DOP> roots = BuildFrameBounds(fileName, index);
    return WriteBoundsFile(fileName, roots);
}

int ActorModel::LoadBounds(const std::string& fileName, int index) {
    if (!CanBuildBounds(index))
        return 0;
    std::vector<Zt18DOP> roots;
    if (ReadBoundsFile(fileName, index, roots)) {
        animationBounds.push_back(std::move(roots));
        return 1;
    }
    roots = BuildFrameBounds(fileName, index);
    // When the folder cannot be written the built trees still serve this run.
    const int written = WriteBoundsFile(fileName, roots);
    animationBounds.push_back(std::move(roots));
    return written;
}
