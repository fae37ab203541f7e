// The shared description of one animated actor: its mesh, its animations, and per animation a
// tagged bounds tree for every frame, cached in a ".kdt" file beside the animation.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "assets/animation.h"
#include "assets/mesh.h"
#include "geometry/math.h"
#include "geometry/zt18dop.h"
#include "model/lane_transform.h"

class ActorModel {
  public:
    // The result of Mesh::Load. The mesh is stored before it loads.
    int LoadMesh(const std::string& fileName, TextureParams& params, LoadError* error = nullptr);
    // The same without the OpenGL context: the textures are decoded (named relative to
    // `textureFolder`) but not built; Mesh::BuildTextures does that later.
    int ReadMesh(const std::string& fileName, const std::string& textureFolder,
                 LoadError* error = nullptr);
    // 1 when the face-group file exists or was written, and was then read.
    int LoadGroups(const std::string& fileName);
    // 1 when the animation loaded and was appended.
    int LoadAnimation(const std::string& fileName, LoadError* error = nullptr);
    // Appends the bounds of animation `index`: read from the file, or, when the file is
    // missing or invalid, built and written atomically. 1 when the bounds came from a valid
    // file or a file written now; 0 when nothing could be appended (no mesh, no such
    // animation) or when the built bounds could not be written (they are appended all the same).
    int LoadBounds(const std::string& fileName, int index);
    // 1 when the bounds file exists or was written now; 0 when it cannot be created.
    int BuildBoundsFile(const std::string& fileName, int index);

    // The records of one sibling chain: a leaf record per node that owns vertices, a group
    // record per node with children, none for a chain without vertices (count 0, null).
    std::unique_ptr<Zt18DOP[]> BuildNodeBounds(const MeshNode* first, std::int32_t& count,
                                               std::span<const Vec3> vertices) const;

    // Poses the chain starting at `first`: every node's keyframe composed with its parent's
    // transform places the node's vertices, and turns their normals, from the mesh's bind pose
    // into the buffers. Entries that no node of the chain owns are left as they are. Slot i of
    // `captureOut` receives the transform of the node whose hash is captureHashes[i].
    // Returns 0 without touching anything when the animation, frame or buffers do not fit.
    int PoseNodes(int animation, int frame, const MeshNode* first, std::span<Vec3> vertices,
                  std::span<Vec3> normals, std::span<const std::uint32_t> captureHashes,
                  std::span<Transform> captureOut, const Transform& parent) const;
    // Writes the bind pose of the vertices and normals that no node owns (usually none), so
    // that this and PoseNodes from the root fill the buffers without a copy of the whole bind
    // pose first. 0, touching nothing, when the buffers are smaller than the mesh's arrays.
    int CopyUnposed(std::span<Vec3> vertices, std::span<Vec3> normals) const;

    bool MeshLoaded() const { return meshLoaded_; }

    std::unique_ptr<Mesh> mesh;
    std::vector<std::unique_ptr<Animation>> animations;
    std::vector<std::vector<Zt18DOP>> animationBounds;  // per animation, one root per frame

  private:
    // What posing needs to know of a mesh that has just been read; `loaded` tells whether it was.
    int PrepareMesh(bool loaded);
    std::vector<Zt18DOP> BuildFrameBounds(const std::string& fileName, int index) const;
    bool ReadBoundsFile(const std::string& fileName, int index, std::vector<Zt18DOP>& roots) const;
    static int WriteBoundsFile(const std::string& fileName, std::vector<Zt18DOP>& roots);
    bool CanBuildBounds(int index) const;
    // An animation's keys laid out for posing from the root: frame by frame, each frame's keys
    // side by side in the order the walk first needs them, so that posing a frame reads one
    // block instead of a key per track, frames apart. No bigger than the animation's own keys.
    struct FrameKeys {
        std::vector<std::int32_t> slots;  // per node in walk order: its key's place in a frame, or
                                          // -1 for the identity (no track)
        std::vector<Transform> keys;
        std::size_t perFrame = 0;
    };
    // Empty slots when some node of mesh->nodes is not in the tree.
    FrameKeys LayOutKeys(const Animation& animation) const;

    bool meshLoaded_ = false;
    int meshDepth_ = 0;  // levels of the node hierarchy
    // Parent transforms of the levels above the node being posed; sized once at load so that
    // posing, which runs every frame, never allocates.
    mutable std::vector<LaneTransform> poseStack_;
    std::vector<std::int32_t> unposedVertices_;  // owned by no node
    std::vector<std::int32_t> unposedNormals_;   // reached from no owned vertex
    // Per animation, LayOutKeys: laid out once at load, so that posing costs no search.
    std::vector<FrameKeys> frameKeys_;
};
