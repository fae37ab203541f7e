#include "tools/convert/scene_placement.h"

#include <algorithm>

#include "tools/content/robot.h"

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

Affine FitPlacement(const Box& model) {
    const Box& robot = RobotBox();
    double extent = model.Size(1);
    if (!(extent > 0))
        extent = std::max({model.Size(0), model.Size(1), model.Size(2)});
    const double scale = extent > 0 ? robot.Size(1) / extent : 1.0;
    const Vec3d foot = model.Foot(), target = robot.Foot();
    return Placement(scale, {target[0] - scale * foot[0], target[1] - scale * foot[1],
                             target[2] - scale * foot[2]});
}
