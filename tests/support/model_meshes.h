// Small meshes for the model tests, written with our mesh writer into a test folder.
#pragma once

#include <string>

#include "assets/animation_writer.h"
#include "assets/mesh_writer.h"

// A unit quad facing +z with its lower left corner at `origin`; corners and normals appended.
inline void AddQuad(MeshSource& s, const Vec3& origin, std::int32_t node) {
    const auto base = static_cast<std::int32_t>(s.vertices.size());
    const Vec3 corners[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    FaceSource face;
    for (int k = 0; k < 4; ++k) {
        s.vertices.push_back(origin + corners[k]);
        s.normals.push_back({0, 0, 1});
        face.vertex[k] = base + k;
        face.normal[k] = base + k;
        if (node >= 0)
            s.nodes[static_cast<std::size_t>(node)].vertices.push_back(base + k);
    }
    s.faces.push_back(face);
}

inline MeshSource OneMaterial() {
    MeshSource s;
    s.materials.push_back({{200, 200, 200}, 0, {255, 255, 255}, 0, 0.5f, {}});
    return s;
}

// Root (owns a quad at the origin) with one child Arm (owns a quad at (5, 0, 0)).
inline MeshSource RootAndArm() {
    MeshSource s = OneMaterial();
    const auto root = s.AddNode("Root", -1);
    const auto arm = s.AddNode("Arm", root);
    AddQuad(s, {0, 0, 0}, root);
    AddQuad(s, {5, 0, 0}, arm);
    return s;
}

// An animation with one track per named node whose frame f translates by (f + 1) * step: no two
// of its frames pose alike, nor two animations with different steps.
inline AnimationSource Moving(const std::vector<std::string>& nodes, int frames, const Vec3& step) {
    AnimationSource a;
    a.name = "moving";
    std::vector<Transform> keys;
    for (int f = 0; f < frames; ++f)
        keys.push_back({Matrix3::Identity, step * static_cast<float>(f + 1)});
    for (const auto& n : nodes)
        a.tracks.push_back({n, keys});
    return a;
}

// An animation with one track per named node, every frame holding `key`.
inline AnimationSource Constant(const std::vector<std::string>& nodes, int frames,
                                const Transform& key) {
    AnimationSource a;
    a.name = "constant";
    for (const auto& n : nodes)
        a.tracks.push_back({n, std::vector<Transform>(frames, key)});
    return a;
}
