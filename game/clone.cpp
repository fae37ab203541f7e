#include "game/clone.h"

Clone::Clone(const Vec3& p) : position(p) {}

void Clone::CopyGroups(const Mesh* mesh) {
    if (mesh == nullptr)
        return;
    groups = mesh->groups;
    groupCount = static_cast<std::int32_t>(groups.size());
}

void Clone::DeleteDisplayLists() {
    if (!displayLists.empty()) {
        glDeleteLists(displayLists[0], static_cast<GLsizei>(displayLists.size()));
        displayLists.clear();
    }
}

int Clone::BuildDisplayLists() {
    DeleteDisplayLists();
    if (groupCount == 0)
        return 1;
    const GLuint first = glGenLists(groupCount);
    if (first == 0)
        return 0;
    displayLists.resize(static_cast<std::size_t>(groupCount));
    for (std::int32_t j = 0; j < groupCount; ++j) {
        const FaceGroup& g = groups[static_cast<std::size_t>(j)];
        displayLists[static_cast<std::size_t>(j)] = first + static_cast<GLuint>(j);
        // GL_SPECULAR takes four values; the fourth is the specular alpha, 1.
        const GLfloat specular[4] = {g.specular[0], g.specular[1], g.specular[2], 1.0f};
        glNewList(first + static_cast<GLuint>(j), GL_COMPILE);
        glMaterialf(GL_FRONT, GL_SHININESS, g.shininess);
        glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
        glColor3fv(g.diffuse);
        glEndList();
    }
    return 1;
}

void Clone::Turn(const Vec3& axis, Vec3& a, Vec3& b, float degrees) {
    transform = Transform::Rotation(degrees * DegToRad, axis);
    a = TransformDirection(a, transform);
    b = TransformDirection(b, transform);
    a.Normalize();
    b.Normalize();
}

void Clone::TurnAboutX(float degrees) {
    Turn(xAxis, yAxis, zAxis, degrees);
}
void Clone::TurnAboutY(float degrees) {
    Turn(yAxis, xAxis, zAxis, degrees);
}
void Clone::TurnAboutZ(float degrees) {
    Turn(zAxis, xAxis, yAxis, degrees);
}

void Clone::Move(float t) {
    const Vec3 a = thrust.x * xAxis + thrust.y * yAxis + thrust.z * zAxis;
    position += ((velocity + velocity) + a * t) * t * 0.5f;
    velocity += a * t;
}

GLuint GroupTexture(const Mesh& mesh, const FaceGroup& group) {
    // Name 1 is the default texture that the render state creates first.
    if (group.textureIndex >= 0 && group.textureIndex < mesh.textureCount) {
        return mesh.textures[static_cast<std::size_t>(group.textureIndex)].name;
    }
    return 1;
}

bool FacesEye(const Face& face, const Vec3* v, const Matrix3& r, const Vec3& eye) {
    Vec3 newell = Vec3::Zero;
    for (int k = 0; k < 4; ++k) {
        const Vec3& a = v[face.vertex[k]];
        const Vec3& b = v[face.vertex[(k + 1) & 3]];
        newell.x += (a.y - b.y) * (a.z + b.z);
        newell.y += (a.z - b.z) * (a.x + b.x);
        newell.z += (a.x - b.x) * (a.y + b.y);
    }
    const Vec3 w = newell * r;
    const Vec3 q = v[face.vertex[0]] * r;
    return Dot(w, eye - q) > 0.0f;
}

void Clone::DrawFaceGroups(const Mesh& mesh, const Vec3* v, const Vec3* n, const Matrix3& r,
                           const Vec3& eye) const {
    GLuint bound = 0;
    const std::size_t listCount = displayLists.size();
    for (std::size_t j = 0; j < groups.size(); ++j) {
        const FaceGroup& group = groups[j];
        const GLuint name = GroupTexture(mesh, group);
        if (name != bound) {
            glBindTexture(GL_TEXTURE_2D, name);
            bound = name;
        }
        if (j < listCount)
            glCallList(displayLists[j]);
        for (const std::int32_t f : group.faces) {
            const Face& face = mesh.faces[static_cast<std::size_t>(f)];
            if (!FacesEye(face, v, r, eye))
                continue;
            const TextureLayer* layer =
                face.layerCount > 0 ? &mesh.layers[static_cast<std::size_t>(face.firstLayer)]
                                    : nullptr;
            glBegin(GL_QUADS);
            for (int k = 0; k < 4; ++k) {
                if (layer != nullptr)
                    glTexCoord2fv(layer->uv[k]);
                glNormal3fv(&n[face.normal[k]].x);
                glVertex3fv(&v[face.vertex[k]].x);
            }
            glEnd();
        }
    }
}
