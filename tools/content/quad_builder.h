// Appends quads to a mesh source the way all our content is made: every corner gets its own
// vertex and its own normal, and every quad can be cut into n x n smaller ones (for the
// benchmark robot) that cover the same surface with the same texture mapping.
#pragma once

#include <cstdint>

#include "assets/mesh_writer.h"
#include "geometry/math.h"

// The six sides of an axis-aligned box, to leave out the ones that touch another part.
enum BoxSide : unsigned {
    kSideNegX = 1u << 0,
    kSidePosX = 1u << 1,
    kSideNegY = 1u << 2,
    kSidePosY = 1u << 3,
    kSideNegZ = 1u << 4,
    kSidePosZ = 1u << 5,
    kAllSides = 0x3Fu,
};

// What a quad is drawn with: a material, and a texture index or -1 for no texture layer.
struct Surface {
    std::int32_t material = 0;
    std::int32_t texture = -1;
};

class QuadBuilder {
  public:
    QuadBuilder(MeshSource& mesh, int subdivisions) : mesh_(mesh), subdivisions_(subdivisions) {}

    // A planar quad with corners counter-clockwise seen from outside. The texture covers it
    // once: corner 0 takes the image's bottom left, corner 1 its bottom right, corner 2 its top
    // right. The quad's vertices belong to `node`.
    void AddQuad(std::int32_t node, const Surface& surface, const Vec3 (&corners)[4]);

    // The sides of the box from `low` to `high` that `sides` names, facing outwards, each with
    // its bottom edge towards -y (top and bottom faces: towards +z and -z).
    void AddBox(std::int32_t node, const Surface& surface, const Vec3& low, const Vec3& high,
                unsigned sides = kAllSides);

  private:
    void AddCell(std::int32_t node, const Surface& surface, const Vec3 (&corners)[4],
                 const Vec3& normal, const float (&s)[2], const float (&t)[2]);

    MeshSource& mesh_;
    int subdivisions_;
};
