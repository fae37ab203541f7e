#include "tests/convert/blended_folder.h"

#include <filesystem>
#include <fstream>

#include "assets/animation_writer.h"
#include "assets/atomic_file.h"
#include "assets/mesh_writer.h"

namespace {

constexpr int kFrames = 3;

Affine FromTransform(const Transform& m) {
    Affine out;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            out.a[j][i] = m.r.m[3 * i + j];
    }
    out.t = {m.t.x, m.t.y, m.t.z};
    return out;
}

Transform Shift(float y) {
    return {Matrix3::Identity, {0, y, 0}};
}

// sum_i w_i M_i X_i (sum_i w_i X_i)^-1, the set node's composed transform.
Transform Blend(const Affine (&m)[2], const Affine (&x)[2], const double (&w)[2]) {
    Affine posed, bind;
    for (Affine* sum : {&posed, &bind})
        sum->a[0][0] = sum->a[1][1] = sum->a[2][2] = 0;
    for (int k = 0; k < 2; ++k) {
        const Affine moved = m[k] * x[k];
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                posed.a[i][j] += w[k] * moved.a[i][j];
                bind.a[i][j] += w[k] * x[k].a[i][j];
            }
            posed.t[static_cast<std::size_t>(i)] += w[k] * moved.t[static_cast<std::size_t>(i)];
            bind.t[static_cast<std::size_t>(i)] += w[k] * x[k].t[static_cast<std::size_t>(i)];
        }
    }
    Affine unbind;
    Invert(bind, unbind);
    return ToTransform(posed * unbind);
}

AnimationSource MakeAnimation(const std::string& name, const Vec3& kneeAxis, float speed,
                              const Affine (&x)[2], const double (&w)[2]) {
    AnimationSource out;
    out.name = name;
    out.tracks = {{"Hip", {}}, {"Knee", {}}, {"Blend", {}}};
    for (int f = 0; f < kFrames; ++f) {
        const Transform hip{Matrix3::Rotation(speed * static_cast<float>(f), {0, 0, 1}),
                            {0, 0.1f * static_cast<float>(f), 0}};
        // The knee turns about its joint, 2.5 up.
        const Transform knee =
            Compose(Compose(Shift(-2.5f),
                            Transform::Rotation(0.2f + 0.5f * static_cast<float>(f), kneeAxis)),
                    Shift(2.5f));
        const Affine composed[2] = {FromTransform(hip), FromTransform(Compose(knee, hip))};
        out.tracks[0].keys.push_back(hip);
        out.tracks[1].keys.push_back(knee);
        // Blend hangs from the untracked root: its keyframe is its composed transform.
        out.tracks[2].keys.push_back(Blend(composed, x, w));
    }
    return out;
}

}  // namespace

SkinRecord WriteBlendedFolder(const std::string& path, bool withRecord) {
    std::filesystem::create_directories(path);
    MeshSource mesh;
    mesh.materials.resize(1);
    for (int row = 0; row < 5; ++row) {
        for (const float x : {-0.5f, 0.5f})
            mesh.vertices.push_back({x, static_cast<float>(row), 0.1f * static_cast<float>(row)});
    }
    mesh.normals = {{0, 0, 1}};
    for (int row = 0; row < 4; ++row) {
        FaceSource face;
        const int v = 2 * row;
        face.vertex[0] = v, face.vertex[1] = v + 1, face.vertex[2] = v + 3, face.vertex[3] = v + 2;
        mesh.faces.push_back(face);
    }
    const int root = mesh.AddNode("Root", -1);
    const int hip = mesh.AddNode("Hip", root);
    const int knee = mesh.AddNode("Knee", hip);
    const int blend = mesh.AddNode("Blend", root);
    mesh.nodes[static_cast<std::size_t>(hip)].vertices = {0, 1, 2, 3};
    mesh.nodes[static_cast<std::size_t>(blend)].vertices = {4, 5};
    mesh.nodes[static_cast<std::size_t>(knee)].vertices = {6, 7, 8, 9};
    WriteMeshFile(path + "/model.ply", mesh);

    // X_Hip turns 10 degrees about z and shifts; X_Knee scales by 1.1 and shifts.
    SkinRecord record;
    record.joints.resize(2);
    record.joints[0].node = "Hip";
    const Affine turn = FromTransform(Transform::Rotation(0.17453292f, {0, 0, 1}));
    record.joints[0].bind = turn;
    record.joints[0].bind.t = {0.1f, 0, 0};
    record.joints[1].node = "Knee";
    for (int i = 0; i < 3; ++i)
        record.joints[1].bind.a[i][i] = 1.1f;
    record.joints[1].bind.t = {0, -0.2f, 0};
    record.setNodes = {"Blend"};
    record.influences.resize(mesh.vertices.size());
    for (const int v : {4, 5})
        record.influences[static_cast<std::size_t>(v)] = {{{0, 3.0f}, {1, 2.0f}}};

    // The bind matrices are floats, as the record holds them, so the keyframes match it exactly.
    const Affine x[2] = {record.joints[0].bind, record.joints[1].bind};
    const double w[2] = {0.6, 0.4};
    WriteAnimationFile(path + "/bend.anm", MakeAnimation("bend", {1, 0, 0}, 0.3f, x, w));
    WriteAnimationFile(path + "/sway.anm", MakeAnimation("sway", {0, 0, 1}, -0.4f, x, w));
    std::ofstream(path + "/kordax.txt") << "actor\nmodel.ply\n2\nbend.anm\nsway.anm\n";
    if (withRecord) {
        const std::string bytes = EncodeSkinRecord(record);
        WriteFileAtomically(path + "/model.skin", bytes.data(), bytes.size());
    }
    return record;
}
