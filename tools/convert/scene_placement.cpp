#include "tools/convert/scene_placement.h"

#include <algorithm>
#include <cmath>

#include "tools/content/robot.h"
#include "tools/convert/scene_limits.h"
#include "tools/convert/scene_pose.h"

void Box::Add(const Vec3d& p) {
    for (std::size_t i = 0; i < 3; ++i) {
        low[i] = std::min(low[i], p[i]);
        high[i] = std::max(high[i], p[i]);
    }
}

const Box& RobotBox() {
    static const Box box = [] {
        Box b;
        for (const Vec3& v : BuildRobotMesh(1).vertices)
            b.Add({v.x, v.y, v.z});
        return b;
    }();
    return box;
}

Affine Placement(double scale, const Vec3d& offset) {
    Affine s;
    for (int i = 0; i < 3; ++i)
        s.a[i][i] = scale;
    s.t = offset;
    return s;
}

Box AnimatedBounds(const Scene& scene, const RestMesh& rest, const std::vector<Affine>& restWorlds,
                   const SceneAnimation& animation) {
    // Each owner's vertices as a box in its own rest frame.
    std::vector<Box> owned(scene.nodes.size());
    for (const RestVertex& v : rest.vertices)
        owned[static_cast<std::size_t>(v.node)].Add(v.position);
    std::vector<int> owners;
    std::vector<Affine> inverseRest(scene.nodes.size());
    for (std::size_t n = 0; n < owned.size(); ++n) {
        if (owned[n].low[0] <= owned[n].high[0] && Invert(restWorlds[n], inverseRest[n]))
            owners.push_back(static_cast<int>(n));
    }
    Box seen;
    for (const RestVertex& v : rest.vertices)
        seen.Add(v.position);
    const double frames = std::ceil(Duration(animation) * kFramesPerSecond - 1e-3) + 1;
    if (!(frames * static_cast<double>(owners.size()) <= static_cast<double>(kMaxKeys)))
        return seen;  // refused when the animations are sampled
    std::vector<Affine> locals, worlds;
    for (int f = 0; f < static_cast<int>(frames); ++f) {
        std::vector<NodeParts> parts = RestParts(scene);
        ApplyAnimation(animation, f / kFramesPerSecond, parts);
        PartsWorlds(scene, parts, locals, worlds);
        for (const int n : owners) {
            const auto i = static_cast<std::size_t>(n);
            const Affine move = worlds[i] * inverseRest[i];
            const Box& box = owned[i];
            for (int corner = 0; corner < 8; ++corner) {
                seen.Add(move.Point({(corner & 1) ? box.high[0] : box.low[0],
                                     (corner & 2) ? box.high[1] : box.low[1],
                                     (corner & 4) ? box.high[2] : box.low[2]}));
            }
        }
    }
    return seen;
}

Affine FitPlacement(const Box& rest, const Box& seen) {
    const Box& robot = RobotBox();
    const double extent = std::max({seen.Size(0), seen.Size(1), seen.Size(2)});
    const double scale = extent > 0 ? robot.Size(1) / extent : 1.0;
    const Vec3d target = robot.Foot();
    return Placement(scale, {target[0] - scale * (seen.low[0] + seen.high[0]) / 2,
                             target[1] - scale * rest.low[1],
                             target[2] - scale * (seen.low[2] + seen.high[2]) / 2});
}
