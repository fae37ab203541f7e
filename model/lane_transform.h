// A transform as four float lanes per row (x, y, z, unused), for posing, which runs every frame
// over every node and vertex of an actor: a point takes one lane-wise multiply and add per row.
// These are the operations of TransformPoint, Vec3 * Matrix3 and Compose, in the same order, so
// the results are the same to the bit.
#pragma once

#include "geometry/math.h"

using Lanes = float __attribute__((vector_size(16)));

inline Vec3 ToVec3(Lanes v) {
    return {v[0], v[1], v[2]};
}

struct LaneTransform {
    Lanes rows[3] = {};
    Lanes t = {};

    LaneTransform() = default;
    explicit LaneTransform(const Transform& m)
        : rows{{m.r.m[0], m.r.m[1], m.r.m[2], 0},
               {m.r.m[3], m.r.m[4], m.r.m[5], 0},
               {m.r.m[6], m.r.m[7], m.r.m[8], 0}},
          t{m.t.x, m.t.y, m.t.z, 0} {}

    Lanes Turn(float x, float y, float z) const { return x * rows[0] + y * rows[1] + z * rows[2]; }
    Lanes Turn(const Vec3& d) const { return Turn(d.x, d.y, d.z); }
    Lanes Place(const Vec3& p) const { return Turn(p) + t; }

    // Compose(first, *this): `first` applied, then this transform.
    LaneTransform After(const Transform& first) const {
        const float* k = first.r.m;
        LaneTransform out;
        out.rows[0] = Turn(k[0], k[1], k[2]);
        out.rows[1] = Turn(k[3], k[4], k[5]);
        out.rows[2] = Turn(k[6], k[7], k[8]);
        out.t = Place(first.t);
        return out;
    }

    Transform ToTransform() const {
        return {Matrix3::FromRows(ToVec3(rows[0]), ToVec3(rows[1]), ToVec3(rows[2])), ToVec3(t)};
    }
};
