#include "game/prop_clone.h"

namespace {

const Mesh* LoadedMesh(const PropModel* model) {
    return model != nullptr && model->MeshLoaded() ? model->mesh.get() : nullptr;
}

}  // namespace

PropClone::PropClone(const PropModel* m, const Vec3& p) : Clone(p), model(m) {
    CopyGroups(LoadedMesh(model));
    BuildDisplayLists();
}

void PropClone::Draw(const Camera& camera) {
    const Mesh* mesh = LoadedMesh(model);
    if (mesh == nullptr)
        return;
    const Transform world{Matrix3::FromRows(xAxis, yAxis, zAxis), position};
    const Transform placed = Compose(transform, world);
    float matrix[16];
    ToGLMatrix(placed, matrix);
    glPushMatrix();
    glMultMatrixf(matrix);
    DrawFaceGroups(*mesh, mesh->vertices.data(), mesh->normals.data(), placed.r,
                   camera.position - position);
    glPopMatrix();
}
