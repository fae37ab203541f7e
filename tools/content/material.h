// Material records of the sample content, from colour bytes as the mesh file stores them.
#pragma once

#include <cstdint>

#include "assets/mesh_writer.h"

struct ColourBytes {
    std::uint8_t r, g, b;
};

inline MaterialSource MakeMaterial(ColourBytes diffuse, ColourBytes specular, float shininess) {
    MaterialSource m;
    m.diffuse[0] = diffuse.r;
    m.diffuse[1] = diffuse.g;
    m.diffuse[2] = diffuse.b;
    m.specular[0] = specular.r;
    m.specular[1] = specular.g;
    m.specular[2] = specular.b;
    m.shininess = shininess;
    return m;
}
