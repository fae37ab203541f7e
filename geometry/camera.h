// The viewer: an orthonormal frame (right, up and back rows) at a position, aimed at a target,
// with free-look and orbit movements, the view matrix, and the view frustum it owns.
#pragma once

#include "geometry/frustum.h"
#include "geometry/math.h"

class Camera {
  public:
    // Each of these sets `changed`.
    void SetPosition(const Vec3& p);  // then AimAtTarget
    void SetTarget(const Vec3& t);    // then AimAtTarget
    // orbit false: position and target move by delta. orbit true: only the position moves, and
    // the camera re-aims at the target.
    void Move(const Vec3& delta, bool orbit);
    // Turns about the up, right and back rows. orbit true swings the position around the
    // target; orbit false swings the target around the position. A positive yaw looks left, a
    // positive pitch looks up. Non-finite angles are ignored.
    void Yaw(float degrees, bool orbit);
    void Pitch(float degrees, bool orbit);
    void Roll(float degrees);

    // Turns the frame the shortest way so that back points from the target to the position.
    // With the position on the target the frame is kept; with the target straight ahead of the
    // back axis the camera turns around its up axis.
    void AimAtTarget();

    // The inverse of the camera's frame, in the order glMultMatrixf takes.
    void GetViewMatrix(float out[16]) const;

    // When changed: clears it and re-extracts the frustum from the current OpenGL matrices,
    // which must hold exactly the view transform in the modelview.
    void UpdateFrustum();
    // The same with the given projection and this camera's view matrix, without OpenGL.
    void UpdateFrustum(const float projection[16]);

    Matrix3 orientation = Matrix3::Identity;  // rows: right, up, back (looking along -back)
    Vec3 position;
    Vec3 target;
    bool changed = true;
    ZtFrustum frustum;

  private:
    // Rotates rows a and b by `degrees` about row `axisRow` and returns the rotation.
    Matrix3 TurnRows(int axisRow, int a, int b, float degrees);
    void SwingAboutPivot(const Matrix3& m, bool orbit);
    void SetRow(int i, const Vec3& v);
    // Sets back, up made square to it, and right = up x back.
    void Orthonormalize(Vec3 up, const Vec3& back);
};
