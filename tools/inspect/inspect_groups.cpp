// Face-group files: the radius and each group's colours, texture and faces, checked against the
// mesh they belong to.
#include <limits>

#include "tools/inspect/inspectors.h"

FileReport InspectFaceGroups(const std::string& path, const Neighbours& neighbours) {
    FileReport report(path, "face groups");
    constexpr std::int32_t kAny = std::numeric_limits<std::int32_t>::max();
    const Mesh* mesh = neighbours.mesh;
    if (mesh == nullptr) {
        report.Note("no mesh found for it: indices are checked only for their sign");
    } else {
        report.summary.Set("mesh", neighbours.meshPath);
    }
    std::vector<FaceGroup> groups;
    float radius = 0.0f;
    if (!report.Loaded([&](LoadError* error) {
            return ReadFaceGroupFile(path, mesh ? mesh->textureCount : kAny,
                                     mesh ? mesh->faceCount : kAny, groups, radius, error);
        }))
        return report;
    Value& s = report.summary;
    s.Set("radius", Value::Real(radius));
    s.Set("groups", static_cast<std::int64_t>(groups.size()));
    std::int64_t faces = 0;
    Value& list = s.Set("group list", Value::List());
    for (const FaceGroup& group : groups) {
        Value& item = list.Append(Value::Object());
        item.Set("texture", group.textureIndex);
        item.Set("faces", group.faceCount);
        if (!group.faces.empty()) {
            item.Set("first face", group.faces.front());
            item.Set("last face", group.faces.back());
        }
        item.Set("shininess", Value::Real(group.shininess));
        item.Set("diffuse", Value::Reals(group.diffuse));
        item.Set("specular", Value::Reals(group.specular));
        faces += group.faceCount;
    }
    s.Set("faces", faces);
    if (mesh != nullptr && faces != mesh->faceCount) {
        report.Note("the groups hold " + std::to_string(faces) + " faces, the mesh has " +
                    std::to_string(mesh->faceCount));
    }
    return report;
}
