#include "bench/frame/bare_quads.h"

#include "platform/platform.h"

namespace {

BareDrawing Capture(const Mesh& mesh, const std::vector<FaceGroup>& groups, const Vec3* vertices,
                    const Vec3* normals, const Transform& placed, const Vec3& eye) {
    BareDrawing drawing;
    ToGLMatrix(placed, drawing.matrix);
    for (const FaceGroup& group : groups) {
        BareGroup bare{
            GroupTexture(mesh, group), {group.diffuse[0], group.diffuse[1], group.diffuse[2]}, {}};
        for (const std::int32_t f : group.faces) {
            const Face& face = mesh.faces[static_cast<std::size_t>(f)];
            if (!FacesEye(face, vertices, placed.r, eye))
                continue;
            const TextureLayer* layer =
                face.layerCount > 0 ? &mesh.layers[static_cast<std::size_t>(face.firstLayer)]
                                    : nullptr;
            for (int k = 0; k < 4; ++k) {
                BareCorner corner{
                    {0, 0}, layer != nullptr, normals[face.normal[k]], vertices[face.vertex[k]]};
                if (layer != nullptr) {
                    corner.uv[0] = layer->uv[k][0];
                    corner.uv[1] = layer->uv[k][1];
                }
                bare.corners.push_back(corner);
            }
        }
        drawing.groups.push_back(std::move(bare));
    }
    return drawing;
}

}  // namespace

std::vector<BareDrawing> CaptureVisibleQuads(const MyApp& app) {
    std::vector<BareDrawing> drawings;
    const Kordax& robot = *app.robot;
    for (std::int32_t i = 0; i < robot.attachmentCount; ++i) {
        const PropClone& prop = *robot.attachedProps[static_cast<std::size_t>(i)];
        const Mesh& mesh = *prop.model->mesh;
        const Transform world{Matrix3::FromRows(prop.xAxis, prop.yAxis, prop.zAxis), prop.position};
        drawings.push_back(Capture(mesh, prop.groups, mesh.vertices.data(), mesh.normals.data(),
                                   Compose(prop.transform, world),
                                   app.camera.position - prop.position));
    }
    const Transform placed{Matrix3::FromRows(robot.xAxis, robot.yAxis, robot.zAxis),
                           robot.position};
    drawings.push_back(Capture(*robot.model->mesh, robot.groups, robot.posedVertices.data(),
                               robot.posedNormals.data(), placed,
                               app.camera.position - robot.position));
    return drawings;
}

void SendBareFrame(const MyApp& app, const std::vector<BareDrawing>& drawings) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    float view[16];
    app.camera.GetViewMatrix(view);
    glMultMatrixf(view);
    for (const BareDrawing& drawing : drawings) {
        glPushMatrix();
        glMultMatrixf(drawing.matrix);
        for (const BareGroup& group : drawing.groups) {
            glBindTexture(GL_TEXTURE_2D, group.texture);
            glColor3fv(group.diffuse);
            for (std::size_t c = 0; c < group.corners.size(); c += 4) {
                glBegin(GL_QUADS);
                for (std::size_t k = c; k < c + 4; ++k) {
                    const BareCorner& corner = group.corners[k];
                    if (corner.textured)
                        glTexCoord2fv(corner.uv);
                    glNormal3fv(&corner.normal.x);
                    glVertex3fv(&corner.vertex.x);
                }
                glEnd();
            }
        }
        glPopMatrix();
    }
    ThePlatform().SwapBuffers(app.dc);
}

std::size_t QuadCount(const std::vector<BareDrawing>& drawings) {
    std::size_t quads = 0;
    for (const BareDrawing& drawing : drawings) {
        for (const BareGroup& group : drawing.groups)
            quads += group.corners.size() / 4;
    }
    return quads;
}
