// The six planes of the view volume, taken from the projection and modelview matrices. With the
// modelview holding only the camera's view transform, the planes are in world coordinates.
#pragma once

#include "geometry/math.h"
#include "geometry/zt_object.h"

class ZtFrustum final : public ZtObject {
  public:
    enum Plane { kRight, kLeft, kBottom, kTop, kFar, kNear, kPlaneCount };

    // Re-extracts the planes from the current OpenGL matrices.
    void Reset() override { ExtractPlanes(); }

    // Reads both matrices from the current OpenGL context (which must exist) and extracts.
    void ExtractPlanes();
    // The same from matrices the caller holds, in OpenGL's column-major storage order.
    void ExtractPlanes(const float projectionMatrix[16], const float modelviewMatrix[16]);

    // False only when the sphere lies entirely on the outer side of some plane. A plane test
    // that does not compare (non-finite values) does not reject.
    bool IsSphereVisible(const Vec3& centre, float radius) const;

    // Set by the extraction; zero before the first one.
    float projection[16] = {};
    float modelview[16] = {};
    float clip[16] = {};  // projection times modelview, same storage order
    // (a, b, c, d) with (a, b, c) a unit normal pointing inwards: a*x + b*y + c*z + d is the
    // signed distance of (x, y, z), positive inside.
    float planes[kPlaneCount][4] = {};

  private:
    void ComputePlanes();
};
