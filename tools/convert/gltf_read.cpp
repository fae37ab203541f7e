#include "tools/convert/gltf_read.h"

#include <set>

#include "tools/convert/gltf_attachment_points.h"
#include "tools/convert/gltf_read_animation.h"
#include "tools/convert/gltf_read_geometry.h"
#include "tools/convert/gltf_read_load.h"
#include "tools/convert/gltf_read_materials.h"
#include "tools/convert/gltf_read_nodes.h"

namespace {

const std::set<std::string> kSupportedRequiredExtensions = {"KHR_mesh_quantization"};

// The nodes in the scene's order: parents, rest transforms, names and attachment points.
void ReadNodes(const tinygltf::Model& model, const NodeGraph& graph, const std::vector<int>& order,
               const std::vector<int>& remap, Scene& scene) {
    for (const int g : order) {
        const auto i = static_cast<std::size_t>(g);
        SceneNode node;
        node.name = model.nodes[i].name;
        node.parent = graph.Parent(g) < 0 ? -1 : remap[static_cast<std::size_t>(graph.Parent(g))];
        node.rest = graph.RestParts()[i];
        std::array<double, 9> points;
        if (ReadAttachmentPoints(model.nodes[i].extras, points))
            node.attachmentPoints = points;
        scene.nodes.push_back(std::move(node));
    }
}

}  // namespace

bool ReadGltf(std::span<const unsigned char> bytes, const std::string& baseDir, Scene& scene,
              std::string& error) {
    tinygltf::Model model;
    if (!LoadGltf(bytes, baseDir, model, scene.sources, error))
        return false;
    for (const std::string& extension : model.extensionsRequired) {
        if (kSupportedRequiredExtensions.count(extension) == 0) {
            error = "the model requires the extension " + extension + ", which is not supported";
            return false;
        }
    }
    NodeGraph graph;
    std::vector<int> sceneNodes;
    if (!graph.Build(model, error) || !graph.SceneNodes(model, sceneNodes, error) ||
        !CheckNodeReferences(model, error)) {
        return false;
    }
    const std::vector<int> order = graph.AllNodes(model, sceneNodes);
    std::vector<int> remap(order.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        remap[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
    ReadNodes(model, graph, order, remap, scene);
    if (!ReadGeometry(model, sceneNodes, remap, scene, error))
        return false;
    ReadMaterials(model, scene);
    for (const tinygltf::Animation& animation : model.animations) {
        SceneAnimation read;
        if (!ReadAnimation(model, animation, remap, read, scene.notes, error))
            return false;
        scene.animations.push_back(std::move(read));
    }
    return true;
}
