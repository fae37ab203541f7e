#include <algorithm>
#include <cctype>
#include <filesystem>
#include <limits>
#include <map>
#include <sstream>

#include "assets/atomic_file.h"
#include "assets/name_hash.h"
#include "game/actor_clone.h"
#include "tools/convert/export_animation.h"
#include "tools/convert/export_buffer.h"
#include "tools/convert/export_folder.h"
#include "tools/convert/export_materials.h"
#include "tools/convert/export_mesh.h"
#include "tools/convert/export_skin.h"
#include "tools/convert/export_source.h"
#include "tools/convert/export_trs.h"
#include "tools/convert/gltf_attachment_points.h"

namespace {

std::string Stem(const std::string& fileName) {
    return std::filesystem::path(fileName).stem().string();
}

// A name for a node of our own that no mesh node has.
std::string UnusedName(const Mesh& mesh, const std::string& wanted) {
    std::string name = wanted;
    for (int i = 1; mesh.FindNode(NameHash(name)) != nullptr; ++i)
        name = wanted + std::to_string(i);
    return name;
}

// glTF node gltfNodes[i] is the mesh's node i in pre-order, with the same name and children
// (a left-out node, -1, has none). At rest every local transform is the identity, so the rest
// pose is the bind pose and each animation's keyframes are the nodes' local transforms as they
// are. Gives the joint of every vertex: the last node in pre-order that lists it (the one whose
// pose the game leaves on it), or, for vertices no node owns, one more joint that nothing
// moves. Vertices of left-out nodes get joint 0: their influences come from the skin record.
std::vector<std::uint16_t> AddActorNodes(tinygltf::Model& model, const Mesh& mesh,
                                         const std::vector<int>& gltfNodes,
                                         std::vector<int>& roots) {
    std::vector<std::uint16_t> joints(mesh.vertices.size(),
                                      std::numeric_limits<std::uint16_t>::max());
    std::map<const MeshNode*, int> indexOf;
    for (std::size_t i = 0; i < mesh.nodes.size(); ++i)
        indexOf[mesh.nodes[i].get()] = gltfNodes[i];
    for (std::size_t i = 0; i < mesh.nodes.size(); ++i) {
        const MeshNode& node = *mesh.nodes[i];
        const int index = gltfNodes[i];
        if (index < 0) {
            for (const std::int32_t v : node.vertices)
                joints[static_cast<std::size_t>(v)] = 0;
            continue;
        }
        tinygltf::Node out;
        out.name = node.name;
        out.extras = AttachmentPointsExtras(node);
        model.nodes.push_back(out);
        if (node.parent == nullptr) {
            roots.push_back(index);
        } else {
            model.nodes[static_cast<std::size_t>(indexOf.at(node.parent))].children.push_back(
                index);
        }
        for (const std::int32_t v : node.vertices)
            joints[static_cast<std::size_t>(v)] = static_cast<std::uint16_t>(index);
    }
    const auto still = static_cast<std::uint16_t>(model.nodes.size());
    if (std::count(joints.begin(), joints.end(), std::numeric_limits<std::uint16_t>::max()) > 0) {
        std::replace(joints.begin(), joints.end(), std::numeric_limits<std::uint16_t>::max(),
                     still);
        tinygltf::Node out;
        out.name = UnusedName(mesh, "Unposed");
        model.nodes.push_back(out);
        roots.push_back(still);
    }
    return joints;
}

int NodeIndex(const Mesh& mesh, const MeshNode* node, const std::vector<int>& gltfNodes) {
    for (std::size_t i = 0; i < mesh.nodes.size(); ++i) {
        if (mesh.nodes[i].get() == node)
            return gltfNodes[i];
    }
    return -1;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool BuildModel(ExportSource& source, tinygltf::Model& model, std::string& error,
                std::vector<std::string>& notes) {
    const Mesh& mesh = *source.actor.mesh;
    // Joint indices are 16-bit, with one more for vertices no node owns.
    if (mesh.nodes.size() >= std::numeric_limits<std::uint16_t>::max()) {
        error = source.actor.fileName + ": " + std::to_string(mesh.nodes.size()) +
                " nodes are more than a glTF skin of 16-bit joints holds";
        return false;
    }
    model.asset.version = "2.0";
    model.asset.generator = "vorn-convert";
    BufferBuilder buffer(model);

    std::vector<int> roots;
    const SkinRecord* record = source.skin ? &*source.skin : nullptr;
    const std::vector<int> gltfNodes = GltfNodes(mesh, record);
    const std::vector<std::uint16_t> joints = AddActorNodes(model, mesh, gltfNodes, roots);
    tinygltf::Skin skin;
    skin.name = Stem(source.actor.fileName);
    for (std::size_t i = 0; i < model.nodes.size(); ++i)
        skin.joints.push_back(static_cast<int>(i));
    std::vector<BlendedVertex> blended;
    if (record != nullptr) {
        skin.inverseBindMatrices = buffer.Floats(
            InverseBindMatrices(mesh, *record, gltfNodes, skin.joints.size()), 16, 0, false);
        blended = BlendedVertices(mesh, *record, gltfNodes);
    }
    model.skins.push_back(skin);

    MaterialTable materials(model, buffer, mesh, std::move(source.actor.textures),
                            Stem(source.actor.fileName));
    MeshCounts counts;
    tinygltf::Node holder;
    holder.name = Stem(source.actor.fileName);
    holder.mesh = AddMesh(model, buffer, materials, mesh, joints, blended, holder.name, counts);
    holder.skin = 0;
    if (counts.triangles == 0) {
        error = source.actor.fileName + ": no face has three distinct corners";
        return false;
    }
    if (counts.faceless > 0) {
        notes.push_back(source.actor.fileName + ": " + std::to_string(counts.faceless) +
                        " faces with fewer than three distinct corners left out");
    }
    model.nodes.push_back(holder);
    roots.insert(roots.begin(), static_cast<int>(model.nodes.size() - 1));

    if (!AddAnimations(model, buffer, mesh, gltfNodes, source.animations, source.animationNames,
                       error, notes)) {
        error = source.actor.fileName + ": " + error;
        return false;
    }

    if (source.gun) {
        const MeshNode* carrier = mesh.FindNode(NameHash("Gun"));
        if (carrier == nullptr || NodeIndex(mesh, carrier, gltfNodes) < 0) {
            error = source.actor.fileName + ": no node named \"Gun\" carries the gun";
            return false;
        }
        const Mesh& gunMesh = *source.gun->mesh;
        MaterialTable gunMaterials(model, buffer, gunMesh, std::move(source.gun->textures),
                                   Stem(source.gun->fileName));
        MeshCounts gunCounts;
        tinygltf::Node gun;
        gun.name = Stem(source.gun->fileName);
        gun.mesh = AddMesh(model, buffer, gunMaterials, gunMesh, {}, {}, gun.name, gunCounts);
        if (gunCounts.triangles == 0) {
            error = source.gun->fileName + ": no face has three distinct corners";
            return false;
        }
        const Trs mount = DecomposeTransform(MountTransform(*carrier));
        if (!mount.exact)
            notes.push_back("the gun's mount has shear, written as the closest rotation and scale");
        const std::array<double, 16> matrix = TrsMatrix(mount);
        gun.matrix.assign(matrix.begin(), matrix.end());
        model.nodes.push_back(gun);
        model.nodes[static_cast<std::size_t>(NodeIndex(mesh, carrier, gltfNodes))]
            .children.push_back(static_cast<int>(model.nodes.size() - 1));
    }

    tinygltf::Scene scene;
    scene.nodes = roots;
    model.scenes.push_back(scene);
    model.defaultScene = 0;
    return true;
}

}  // namespace

bool ExportFolder(const std::string& folder, const std::string& outPath, bool withGun,
                  std::string& error, std::vector<std::string>& notes) {
    error.clear();
    const std::string extension = Lower(std::filesystem::path(outPath).extension().string());
    if (extension != ".glb" && extension != ".gltf") {
        error = outPath + ": the output name must end in .glb or .gltf";
        return false;
    }
    ExportSource source;
    if (!LoadExportSource(folder, withGun, source, error))
        return false;
    tinygltf::Model model;
    if (!BuildModel(source, model, error, notes))
        return false;
    std::ostringstream bytes;
    tinygltf::TinyGLTF writer;
    if (!writer.WriteGltfSceneToStream(&model, bytes, true, extension == ".glb")) {
        error = outPath + ": the glTF writer failed";
        return false;
    }
    const std::string out = bytes.str();
    if (!WriteFileAtomically(outPath, out.data(), out.size())) {
        error = outPath + ": cannot be written";
        return false;
    }
    return true;
}

bool ExportFolder(const std::string& folder, const std::string& outPath, bool withGun,
                  std::string& error) {
    std::vector<std::string> notes;
    return ExportFolder(folder, outPath, withGun, error, notes);
}
