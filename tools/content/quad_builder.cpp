#include "tools/content/quad_builder.h"

namespace {

Vec3 NewellNormal(const Vec3 (&c)[4]) {
    Vec3 n;
    for (int k = 0; k < 4; ++k) {
        const Vec3& a = c[k];
        const Vec3& b = c[(k + 1) % 4];
        n.x += (a.y - b.y) * (a.z + b.z);
        n.y += (a.z - b.z) * (a.x + b.x);
        n.z += (a.x - b.x) * (a.y + b.y);
    }
    return n.Normalized();
}

// The point at (s, t) of the quad, s running from corner 0 to 1 and t from corner 0 to 3.
Vec3 Bilinear(const Vec3 (&c)[4], float s, float t) {
    const Vec3 bottom = c[0] * (1.0f - s) + c[1] * s;
    const Vec3 top = c[3] * (1.0f - s) + c[2] * s;
    return bottom * (1.0f - t) + top * t;
}

}  // namespace

void QuadBuilder::AddQuad(std::int32_t node, const Surface& surface, const Vec3 (&corners)[4]) {
    const Vec3 normal = NewellNormal(corners);
    const int n = subdivisions_;
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            const float s[2] = {static_cast<float>(i) / n, static_cast<float>(i + 1) / n};
            const float t[2] = {static_cast<float>(j) / n, static_cast<float>(j + 1) / n};
            const Vec3 cell[4] = {Bilinear(corners, s[0], t[0]), Bilinear(corners, s[1], t[0]),
                                  Bilinear(corners, s[1], t[1]), Bilinear(corners, s[0], t[1])};
            AddCell(node, surface, cell, normal, s, t);
        }
    }
}

void QuadBuilder::AddCell(std::int32_t node, const Surface& surface, const Vec3 (&corners)[4],
                          const Vec3& normal, const float (&s)[2], const float (&t)[2]) {
    const auto base = static_cast<std::int32_t>(mesh_.vertices.size());
    FaceSource face;
    face.material = surface.material;
    for (int k = 0; k < 4; ++k) {
        mesh_.vertices.push_back(corners[k]);
        mesh_.normals.push_back(normal);
        face.vertex[k] = base + k;
        face.normal[k] = base + k;
        mesh_.nodes[static_cast<std::size_t>(node)].vertices.push_back(base + k);
    }
    if (surface.texture >= 0) {
        LayerSource layer;
        layer.textureIndex = surface.texture;
        // The file's v runs from the image's top row down (the loader flips it to 1 - v),
        // so the bottom of the quad takes v = 1.
        const float u[4] = {s[0], s[1], s[1], s[0]};
        const float v[4] = {t[0], t[0], t[1], t[1]};
        for (int k = 0; k < 4; ++k) {
            layer.uv[k][0] = u[k];
            layer.uv[k][1] = 1.0f - v[k];
        }
        face.layers.push_back(layer);
    }
    mesh_.faces.push_back(std::move(face));
}

void QuadBuilder::AddBox(std::int32_t node, const Surface& surface, const Vec3& low,
                         const Vec3& high, unsigned sides) {
    const float x0 = low.x, y0 = low.y, z0 = low.z;
    const float x1 = high.x, y1 = high.y, z1 = high.z;
    // Each side as seen from outside: bottom left, bottom right, top right, top left.
    const struct {
        BoxSide side;
        Vec3 corners[4];
    } faces[] = {
        {kSideNegX, {{x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}}},
        {kSidePosX, {{x1, y0, z1}, {x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}}},
        {kSideNegY, {{x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}}},
        {kSidePosY, {{x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}, {x0, y1, z0}}},
        {kSideNegZ, {{x1, y0, z0}, {x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}}},
        {kSidePosZ, {{x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}}},
    };
    for (const auto& face : faces) {
        if ((sides & face.side) != 0) {
            AddQuad(node, surface, face.corners);
        }
    }
}
