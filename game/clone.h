// A placed instance of a shared model: its motion state, its own copy of the mesh's face-group
// colours and the display lists compiled from them.
#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <vector>

#include "assets/mesh.h"
#include "geometry/camera.h"
#include "geometry/math.h"

// The texture name a group draws with: its mesh texture, else the default texture.
GLuint GroupTexture(const Mesh& mesh, const FaceGroup& group);
// Whether the quad's Newell normal, turned by `rotation`, points to `eye` from its first corner
// turned the same way: the faces that turn away are never sent.
bool FacesEye(const Face& face, const Vec3* vertices, const Matrix3& rotation, const Vec3& eye);

class Clone {
  public:
    Clone(const Clone&) = delete;
    Clone& operator=(const Clone&) = delete;
    // Virtual so that the owner of an instance made by the registry can delete it as a Clone.
    virtual ~Clone() = default;

    virtual void Draw(const Camera& camera) = 0;

    // Compiles one display list per face group (shininess, specular, diffuse). 0 when OpenGL
    // gives no list names.
    int BuildDisplayLists();
    // Gives the lists back to OpenGL, for an instance that is replaced while the game runs.
    void DeleteDisplayLists();

    // Turn about the instance's own axes by degrees, counter-clockwise seen from the axis tip.
    // The two other axes are rotated and normalised one by one.
    void TurnAboutX(float degrees);
    void TurnAboutY(float degrees);
    void TurnAboutZ(float degrees);
    // Integrates the thrust (along the own axes) over `seconds` into velocity and position.
    void Move(float seconds);

    Vec3 thrust = Vec3::Zero;
    Vec3 velocity = Vec3::Zero;
    Vec3 position;
    Vec3 xAxis = Vec3::UnitX;
    Vec3 yAxis = Vec3::UnitY;
    Vec3 zAxis = Vec3::UnitZ;
    Transform transform = Transform::Identity;
    std::int32_t groupCount = 0;
    std::vector<FaceGroup> groups;
    std::vector<GLuint> displayLists;  // empty until built

  protected:
    explicit Clone(const Vec3& position);
    void CopyGroups(const Mesh* mesh);
    // Sends the faces of every group that face the eye; R and eye as in the drawing operations.
    void DrawFaceGroups(const Mesh& mesh, const Vec3* vertices, const Vec3* normals,
                        const Matrix3& rotation, const Vec3& eye) const;

  private:
    void Turn(const Vec3& axis, Vec3& a, Vec3& b, float degrees);
};
