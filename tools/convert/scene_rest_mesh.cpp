#include "tools/convert/scene_rest_mesh.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "tools/convert/scene_limits.h"

namespace {

// The direction of v, or nothing when v has none that can be trusted.
std::optional<Vec3d> Unit(const Vec3d& v) {
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (!(length > 1e-30) || !std::isfinite(length))
        return std::nullopt;
    return Vec3d{v[0] / length, v[1] / length, v[2] / length};
}

Vec3d Normalized(const Vec3d& v, const Vec3d& fallback) {
    return Unit(v).value_or(fallback);
}

Vec3d FaceNormal(const Vec3d& a, const Vec3d& b, const Vec3d& c) {
    const Vec3d u = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const Vec3d v = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    return Normalized(
        {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]},
        {0, 1, 0});
}

// A skinned mesh's joints at rest: world at rest times inverse bind matrix, per skin joint.
std::vector<Affine> RestJoints(const SceneSkin& skin, const std::vector<Affine>& restWorlds) {
    std::vector<Affine> joints;
    for (std::size_t j = 0; j < skin.joints.size(); ++j)
        joints.push_back(restWorlds[static_cast<std::size_t>(skin.joints[j])] *
                         skin.inverseBinds[j]);
    return joints;
}

// How a mesh's vertices are moved at rest: by its node's world transform, or by its joints.
struct Movers {
    std::vector<Affine> points;     // the world transform alone for a rigid mesh
    std::vector<NormalTurn> turns;  // likewise, for the normals
};

// Vertex v of scene mesh `m` at rest, written into `out` (but for its normal): rigid on its
// node, or blended over its joints and owned by the heaviest (the first of equals). Gives its
// normal as moved, not yet of unit length.
Vec3d Place(const Scene& scene, std::size_t m, const Movers& movers, std::size_t v,
            RestVertex& out) {
    const SceneMesh& mesh = scene.meshes[m];
    const Vec3d& p = mesh.positions[v];
    const Vec3d n = mesh.normals.empty() ? Vec3d{0, 0, 0} : mesh.normals[v];
    if (mesh.skin < 0) {
        out.position = movers.points[0].Point(p);
        out.node = mesh.node;
        return movers.turns[0](n);
    }
    double total = 0, heaviest = -1;
    std::size_t owner = 0;
    Vec3d position = {0, 0, 0}, normal = {0, 0, 0};
    const auto add = [&](std::size_t joint, double weight) {
        const Vec3d q = movers.points[joint].Point(p);
        const Vec3d m = movers.turns[joint](n);
        for (std::size_t i = 0; i < 3; ++i) {
            position[i] += weight * q[i];
            normal[i] += weight * m[i];
        }
    };
    for (const SceneInfluence& influence : mesh.influences[v]) {
        const double w = influence.weight;
        if (!(w > 0))
            continue;
        const auto joint = static_cast<std::size_t>(influence.joint);
        add(joint, w);
        total += w;
        if (w > heaviest) {
            heaviest = w;
            owner = joint;
        }
    }
    if (!(total > 0)) {
        // No weight at all: the first joint listed carries it.
        owner = static_cast<std::size_t>(mesh.influences[v][0].joint);
        add(owner, 1.0);
        total = 1;
    }
    for (std::size_t i = 0; i < 3; ++i)
        out.position[i] = position[i] / total;
    out.node = scene.skins[static_cast<std::size_t>(mesh.skin)].joints[owner];
    out.skin = mesh.skin;
    out.mesh = static_cast<int>(m);
    out.vertex = static_cast<std::uint32_t>(v);
    return normal;
}

Vec3 Single(const Vec3d& v) {
    return {static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2])};
}

class RestMeshBuilder {
  public:
    RestMeshBuilder(const Scene& scene, const std::vector<Affine>& restWorlds, RestMesh& out)
        : scene_(scene), restWorlds_(restWorlds), out_(out) {}

    bool Mesh(std::size_t m, std::string& error) {
        const SceneMesh& mesh = scene_.meshes[m];
        const std::size_t count = mesh.positions.size();
        const Affine& world =
            mesh.skin >= 0 ? Affine{} : restWorlds_[static_cast<std::size_t>(mesh.node)];
        Movers movers;
        movers.points =
            mesh.skin >= 0
                ? RestJoints(scene_.skins[static_cast<std::size_t>(mesh.skin)], restWorlds_)
                : std::vector<Affine>{world};
        for (const Affine& m : movers.points)
            movers.turns.emplace_back(m);
        // A mirroring transform turns counter-clockwise front faces clockwise.
        const bool mirrored = mesh.skin < 0 && world.Determinant() < 0;
        const bool textured = !mesh.uvs.empty();

        const bool sharing = !mesh.normals.empty();
        std::vector<int> shared(sharing ? count : 0, -1);
        // Each vertex is placed (and skinned) once, however many triangles use it: a shared
        // one is written where it stays, at its first use; without normals every corner is a
        // vertex of its own, copied from a placed one kept aside. Everything is written where
        // it lies: a copy of one built aside stalls on its partial writes.
        std::vector<RestVertex> placed(sharing ? 0 : count);
        std::vector<bool> isPlaced(sharing ? 0 : count, false);
        for (std::array<std::uint32_t, 3> t : mesh.triangles) {
            if (mirrored)
                std::swap(t[1], t[2]);
            if (out_.triangles.size() >= kMaxTriangles) {
                error = "the model has more than " + std::to_string(kMaxTriangles) + " triangles";
                return false;
            }
            RestTriangle& triangle = out_.triangles.emplace_back();
            triangle.material = mesh.material;
            triangle.textured = textured;
            bool flat[3] = {};  // the corners that take the face's normal
            for (int k = 0; k < 3; ++k) {
                const std::size_t v = t[static_cast<std::size_t>(k)];
                if (textured) {
                    triangle.uv[k][0] = static_cast<float>(mesh.uvs[v][0]);
                    triangle.uv[k][1] = static_cast<float>(mesh.uvs[v][1]);
                }
                if (sharing && shared[v] >= 0) {
                    triangle.corners[k] = shared[v];
                    continue;
                }
                if (out_.vertices.size() >= kMaxVertices) {
                    error = "the model has more than " + std::to_string(kMaxVertices) + " vertices";
                    return false;
                }
                triangle.corners[k] = static_cast<int>(out_.vertices.size());
                RestVertex& vertex = out_.vertices.emplace_back();
                if (sharing) {
                    const std::optional<Vec3d> own = Unit(Place(scene_, m, movers, v, vertex));
                    if (own)
                        vertex.normal = Single(*own);
                    flat[k] = !own;
                    shared[v] = triangle.corners[k];
                } else {
                    if (!isPlaced[v]) {
                        Place(scene_, m, movers, v, placed[v]);
                        isPlaced[v] = true;
                    }
                    vertex = placed[v];
                    flat[k] = true;
                }
            }
            // The face's normal, made only when a corner needs it (most files have normals).
            if (flat[0] || flat[1] || flat[2]) {
                const auto at = [&](int k) -> const Vec3d& {
                    return out_.vertices[static_cast<std::size_t>(triangle.corners[k])].position;
                };
                const Vec3 normal = Single(FaceNormal(at(0), at(1), at(2)));
                for (int k = 0; k < 3; ++k) {
                    if (flat[k])
                        out_.vertices[static_cast<std::size_t>(triangle.corners[k])].normal =
                            normal;
                }
            }
        }
        return true;
    }

  private:
    const Scene& scene_;
    const std::vector<Affine>& restWorlds_;
    RestMesh& out_;
};

}  // namespace

bool BuildRestMesh(const Scene& scene, const std::vector<Affine>& restWorlds, RestMesh& out,
                   std::string& error) {
    RestMeshBuilder builder(scene, restWorlds, out);
    std::size_t triangles = 0, vertices = 0;
    for (const SceneMesh& mesh : scene.meshes) {
        triangles += mesh.triangles.size();
        vertices += mesh.normals.empty() ? 3 * mesh.triangles.size() : mesh.positions.size();
    }
    out.triangles.reserve(std::min(triangles, kMaxTriangles));
    out.vertices.reserve(std::min(vertices, kMaxVertices));
    for (std::size_t m = 0; m < scene.meshes.size(); ++m) {
        const std::size_t before = out.triangles.size();
        if (!builder.Mesh(m, error))
            return false;
        const int material = scene.meshes[m].material;
        if (out.triangles.size() > before &&
            std::find(out.materials.begin(), out.materials.end(), material) == out.materials.end())
            out.materials.push_back(material);
    }
    if (out.triangles.empty()) {
        error = "the default scene has no triangles";
        return false;
    }
    return true;
}
