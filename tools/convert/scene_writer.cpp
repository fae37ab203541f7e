// The writer: a scene -> the game's mesh, animations, textures and descriptor.
//
// Every actor node n stands for a scene node g. With W_g(t) its world transform at time t,
// W_g(rest) at rest, and S the placement (uniform scale and translation), the game's composed
// transform for the node is M_n(t) = S W_g(t) W_g(rest)^-1 S^-1, and the bind pose is the rest
// pose through S. A vertex bound rigidly to g is then exactly where the scene puts it. The
// keyframe is what composes with the parent's M to give M_n: with p the parent's scene node,
// K_n(t) = S W_p(rest) L(t) W_g(rest)^-1 S^-1, where L(t) = W_p(t)^-1 W_g(t) is the product of
// the local transforms from below p down to g, so no transform at time t is ever inverted.
//
// A vertex blended over several joints moves with its influence set's node instead, a node at
// the top whose keyframe is the set's blended matrix (influence_sets.h).
#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "assets/animation_writer.h"
#include "assets/mesh_writer.h"
#include "tools/content/content_names.h"
#include "tools/content/content_writer.h"
#include "tools/content/robot.h"
#include "tools/convert/find_hand.h"
#include "tools/convert/model_import.h"
#include "tools/convert/scene_actor_tree.h"
#include "tools/convert/scene_limits.h"
#include "tools/convert/scene_materials.h"
#include "tools/convert/scene_names.h"
#include "tools/convert/scene_placement.h"
#include "tools/convert/scene_pose.h"
#include "tools/convert/scene_rest_mesh.h"
#include "tools/convert/scene_skin_blend.h"
#include "tools/convert/skin_record.h"

namespace {

constexpr const char* kMeshFile = "model.ply";
constexpr double kBlendTolerance = 0.001;  // of the model's height: how far a merged set may move

Vec3 ToVec3(const Vec3d& v) {
    return {static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2])};
}

Vec3d Unit(const Vec3d& v, const Vec3d& fallback) {
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    return length > 0 ? Vec3d{v[0] / length, v[1] / length, v[2] / length} : fallback;
}

void SetPoints(NodeSource& node, const Vec3d& origin, const Vec3d& forward, const Vec3d& up) {
    // The prop's z axis (the gun's barrel) runs to the second point, its y axis to the third.
    const Vec3d points[3] = {
        origin,
        {origin[0] + 10 * forward[0], origin[1] + 10 * forward[1], origin[2] + 10 * forward[2]},
        {origin[0] + 10 * up[0], origin[1] + 10 * up[1], origin[2] + 10 * up[2]}};
    for (int i = 0; i < 3; ++i) {
        for (int c = 0; c < 3; ++c)
            node.points[3 * i + c] = static_cast<float>(points[i][static_cast<std::size_t>(c)]);
    }
}

class Writer {
  public:
    Writer(Scene& scene, const ImportOptions& options, ImportedFolder& out)
        : scene_(scene), options_(options), out_(out) {}

    bool Run(std::string& error) {
        std::vector<Affine> locals;
        PartsWorlds(scene_, RestParts(scene_), locals, restWorlds_);
        if (!BuildRestMesh(scene_, restWorlds_, rest_, error) || !CountFrames(error))
            return false;
        FindHand();
        if (!Blend(error))
            return false;
        // Nothing reads the meshes again: a large model's arrays go now, so that what the
        // conversion holds at once stays small (fresh memory is what it pays most for).
        scene_.meshes.clear();
        if (tree_.nodes.size() > static_cast<std::size_t>(kMaxTracks)) {
            error = "the model has more than " + std::to_string(kMaxTracks) + " nodes that move it";
            return false;
        }
        if (!Place(error) || !PrepareKeys(error))
            return false;
        MeshSource mesh = Mesh();
        std::vector<std::pair<std::string, std::string>> animations;
        if (!Animations(animations, error))
            return false;
        for (InfluenceSet& set : blend_.sets.sets)
            std::vector<Affine>().swap(set.motions);  // sampled: likewise not read again
        return Finish(mesh, animations, error);
    }

  private:
    // Every animation's frame count at 30 per second (one still frame without animations).
    bool CountFrames(std::string& error) {
        for (const SceneAnimation& animation : scene_.animations) {
            const double frames = std::ceil(Duration(animation) * kFramesPerSecond - 1e-3) + 1;
            if (!(frames <= kMaxFrames)) {
                error = "animation \"" + animation.name + "\" lasts longer than " +
                        std::to_string(kMaxFrames) + " frames at 30 per second";
                return false;
            }
            frameCounts_.push_back(static_cast<int>(std::max(frames, 1.0)));
        }
        if (scene_.animations.empty())
            frameCounts_.push_back(1);
        return true;
    }

    // The right hand carries the gun when neither --gun-node nor a "Gun" node says where.
    void FindHand() {
        if (!options_.gunNode.empty() ||
            std::any_of(scene_.nodes.begin(), scene_.nodes.end(),
                        [](const SceneNode& n) { return n.name == "Gun"; })) {
            return;
        }
        HandSkeleton skeleton;
        skeleton.restWorlds = restWorlds_;
        skeleton.joints.assign(scene_.nodes.size(), false);
        for (const SceneNode& node : scene_.nodes) {
            skeleton.names.push_back(node.name);
            skeleton.parents.push_back(node.parent);
        }
        for (const SceneSkin& skin : scene_.skins) {
            for (const int joint : skin.joints)
                skeleton.joints[static_cast<std::size_t>(joint)] = true;
        }
        hand_ = FindRightHand(skeleton);
        if (hand_)
            out_.notes.push_back(OneLine(hand_->reason));
    }

    // Groups the blended vertices into sets within the tracks and keyframes the other nodes
    // leave, then makes the tree: the vertices' owners, every joint a set leans on (each set's
    // matrix is made of its joints' poses) and the sets' nodes.
    bool Blend(std::string& error) {
        const auto jointNode = [&](const RestVertex& v, const SceneInfluence& influence) {
            return static_cast<std::size_t>(scene_.skins[static_cast<std::size_t>(v.skin)]
                                                .joints[static_cast<std::size_t>(influence.joint)]);
        };
        std::vector<bool> wanted(scene_.nodes.size(), false);
        Box box;
        for (const RestVertex& v : rest_.vertices) {
            box.Add(v.position);
            wanted[static_cast<std::size_t>(v.node)] = true;
            if (v.skin < 0)
                continue;
            for (const SceneInfluence& influence :
                 scene_.meshes[static_cast<std::size_t>(v.mesh)].influences[v.vertex]) {
                if (influence.weight > 0)
                    wanted[jointNode(v, influence)] = true;
            }
        }
        std::vector<std::string> unused;
        if (!BuildTree(wanted, 0, unused, error))
            return false;
        const std::size_t others = tree_.nodes.size();
        std::size_t poses = 0;
        for (const int frames : frameCounts_)
            poses += static_cast<std::size_t>(frames);
        const std::size_t byTracks =
            others < static_cast<std::size_t>(kMaxTracks) ? kMaxTracks - others : 0;
        const std::size_t byKeys = kMaxKeys / poses > others ? kMaxKeys / poses - others : 0;
        const double height = std::max({box.Size(0), box.Size(1), box.Size(2)});
        if (!BuildSkinBlend(scene_, rest_, frameCounts_, kBlendTolerance * height,
                            std::min(byTracks, byKeys), blend_, error)) {
            return false;
        }
        for (const std::string& note : blend_.sets.notes)
            out_.notes.push_back(OneLine(note));

        std::fill(wanted.begin(), wanted.end(), false);
        for (std::size_t v = 0; v < rest_.vertices.size(); ++v) {
            if (blend_.node[v] >= 0)
                wanted[static_cast<std::size_t>(blend_.node[v])] = true;
        }
        for (const InfluenceSet& set : blend_.sets.sets) {
            for (const SceneInfluence& influence : set.influences) {
                wanted[static_cast<std::size_t>(
                    scene_.skins[static_cast<std::size_t>(set.skin)]
                        .joints[static_cast<std::size_t>(influence.joint)])] = true;
            }
        }
        if (!BuildTree(wanted, blend_.sets.sets.size(), out_.notes, error))
            return false;
        setActor_.assign(blend_.sets.sets.size(), -1);
        for (std::size_t a = 0; a < tree_.nodes.size(); ++a) {
            if (tree_.nodes[a].set >= 0)
                setActor_[static_cast<std::size_t>(tree_.nodes[a].set)] = static_cast<int>(a);
        }
        return true;
    }

    bool BuildTree(const std::vector<bool>& owners, std::size_t sets,
                   std::vector<std::string>& notes, std::string& error) {
        tree_ = {};
        return BuildActorTree(scene_, owners, options_.gunNode, hand_ ? hand_->node : -1, sets,
                              tree_, notes, error);
    }

    bool Place(std::string& error) {
        Box box;
        for (const RestVertex& v : rest_.vertices)
            box.Add(v.position);
        if (options_.scale) {
            const double scale = *options_.scale;
            if (!(scale > 0) || !std::isfinite(scale)) {
                error = "the scale must be a positive number";
                return false;
            }
            placement_ = Placement(scale, {0, 0, 0});
        } else {
            const Box seen = scene_.animations.empty()
                                 ? box
                                 : AnimatedBounds(scene_, rest_, restWorlds_, scene_.animations[0]);
            placement_ = FitPlacement(box, seen);
        }
        if (!Invert(placement_, inversePlacement_)) {
            error = "the model's size cannot be fitted";
            return false;
        }
        restBox_ = Box{placement_.Point(box.low), placement_.Point(box.high)};
        return true;
    }

    // What each track's keyframe is made of, per actor node of a scene node.
    bool PrepareKeys(std::string& error) {
        keyParts_.resize(tree_.nodes.size());
        for (std::size_t a = 0; a < tree_.nodes.size(); ++a) {
            const ActorNode& node = tree_.nodes[a];
            if (node.node < 0)
                continue;
            KeyParts& k = keyParts_[a];
            Affine inverseRest;
            if (!Invert(restWorlds_[static_cast<std::size_t>(node.node)], inverseRest)) {
                error = "node " + std::to_string(node.node) +
                        "'s rest transform is singular, so it cannot carry vertices";
                return false;
            }
            k.after = inverseRest * inversePlacement_;
            const int parent =
                node.parent < 0 ? -1 : tree_.nodes[static_cast<std::size_t>(node.parent)].node;
            k.before = parent < 0 ? placement_
                                  : placement_ * restWorlds_[static_cast<std::size_t>(parent)];
            k.parentNode = parent;
            for (int up = node.node; up != parent && up >= 0;
                 up = scene_.nodes[static_cast<std::size_t>(up)].parent) {
                k.path.push_back(up);
            }
        }
        return true;
    }

    MeshSource Mesh() {
        MeshSource mesh;
        MaterialSet set = BuildMaterials(scene_, rest_, stems_);
        mesh.materials = std::move(set.materials);
        mesh.textures = std::move(set.textures);
        textureFiles_ = std::move(set.files);
        materialOf_ = std::move(set.material);
        textureOf_ = std::move(set.texture);
        mesh.vertices.reserve(rest_.vertices.size());
        mesh.normals.reserve(rest_.vertices.size());
        for (const RestVertex& v : rest_.vertices) {
            mesh.vertices.push_back(ToVec3(placement_.Point(v.position)));
            mesh.normals.push_back(v.normal);  // a uniform scale keeps directions
        }
        for (const ActorNode& node : tree_.nodes)
            mesh.AddNode(node.name, node.parent);
        for (std::size_t v = 0; v < rest_.vertices.size(); ++v) {
            const int node = blend_.node[v];
            const int actor = node >= 0
                                  ? tree_.actorOf[static_cast<std::size_t>(node)]
                                  : setActor_[static_cast<std::size_t>(blend_.sets.owners[v].set)];
            mesh.nodes[static_cast<std::size_t>(actor)].vertices.push_back(
                static_cast<std::int32_t>(v));
        }
        bool gunCarried = false;
        for (std::size_t a = 0; a < tree_.nodes.size(); ++a) {
            const int g = tree_.nodes[a].node;
            if (g < 0)
                continue;
            const auto& points = scene_.nodes[static_cast<std::size_t>(g)].attachmentPoints;
            if (points) {
                PlacePoints(mesh.nodes[a], *points);
                gunCarried |= static_cast<int>(a) == tree_.gun;
            }
        }
        if (!gunCarried)
            GunPoints(mesh.nodes[static_cast<std::size_t>(tree_.gun)]);
        return mesh;
    }

    // A rest triangle as the mesh file's face: its corners' vertices and normals share indices.
    void Face(const RestTriangle& t, FaceSource& face) const {
        const auto slot = static_cast<std::size_t>(t.material + 1);
        face.material = materialOf_[slot];
        for (int k = 0; k < 4; ++k) {
            face.vertex[k] = face.normal[k] = t.corners[std::min(k, 2)];
        }
        if (t.textured && textureOf_[slot] >= 0) {
            LayerSource& layer = face.layers.emplace_back();
            layer.textureIndex = textureOf_[slot];
            for (int k = 0; k < 4; ++k) {
                // The scene's v as it is: the loader flips it and the texture's rows go up
                // from the image's bottom, which shows the image upright.
                layer.uv[k][0] = t.uv[std::min(k, 2)][0];
                layer.uv[k][1] = t.uv[std::min(k, 2)][1];
            }
        }
    }

    // Attachment points the model carries (ours, from an export) keep their place at rest.
    void PlacePoints(NodeSource& node, const std::array<double, 9>& points) const {
        for (std::size_t i = 0; i < 3; ++i) {
            const Vec3d p = placement_.Point({points[3 * i], points[3 * i + 1], points[3 * i + 2]});
            for (std::size_t c = 0; c < 3; ++c)
                node.points[3 * i + c] = static_cast<float>(p[c]);
        }
    }

    // The gun's frame at rest: a "Gun" node's own (+Z the barrel, +Y the top); in the right
    // hand, the hand's; otherwise pointing forward and up, at the carrier's origin or, for a
    // node added at the top, where the robot holds it relative to its size.
    void GunPoints(NodeSource& gun) {
        const ActorNode& node = tree_.nodes[static_cast<std::size_t>(tree_.gun)];
        if (node.node >= 0) {
            const Affine world = placement_ * restWorlds_[static_cast<std::size_t>(node.node)];
            SetPoints(gun, world.t, Unit(world.Direction({0, 0, 1}), {0, 0, 1}),
                      Unit(world.Direction({0, 1, 0}), {0, 1, 0}));
            return;
        }
        if (hand_) {
            // A uniform scale keeps the hand's directions.
            SetPoints(gun, placement_.Point(hand_->origin), hand_->barrel, hand_->top);
            return;
        }
        Vec3d origin;
        if (!options_.gunNode.empty()) {
            const int carrier = tree_.nodes[static_cast<std::size_t>(node.parent)].node;
            origin = placement_.Point(restWorlds_[static_cast<std::size_t>(carrier)].t);
        } else {
            const Box& robot = RobotBox();
            for (std::size_t i = 0; i < 3; ++i) {
                const double grip =
                    std::array<double, 3>{kGunGripPoint.x, kGunGripPoint.y, kGunGripPoint.z}[i];
                const double share = (grip - robot.low[i]) / robot.Size(i);
                origin[i] = restBox_.low[i] + share * restBox_.Size(i);
            }
        }
        SetPoints(gun, origin, {0, 0, 1}, {0, 1, 0});
    }

    // The keyframe of a track at pose `pose` (see SkinPoses), with worlds_ and locals_ at it.
    Transform Key(std::size_t actor, std::size_t pose) const {
        const int set = tree_.nodes[actor].set;
        if (set >= 0) {
            return ToTransform(SetNodeTransform(blend_.sets.sets[static_cast<std::size_t>(set)],
                                                pose, placement_, inversePlacement_));
        }
        const KeyParts& k = keyParts_[actor];
        Affine path;  // W_p(t)^-1 W_g(t): the locals from below the parent down to the node
        for (const int node : k.path)
            path = locals_[static_cast<std::size_t>(node)] * path;
        if (k.parentNode >= 0)
            return ToTransform(k.before * path * k.after);
        // A top-level node: its whole world transform, all the way from its scene root.
        return ToTransform(k.before * worlds_[static_cast<std::size_t>(tree_.nodes[actor].node)] *
                           k.after);
    }

    // `firstPose`: the pose of its frame 0 among the skins' poses.
    AnimationSource Sample(const std::string& name, const SceneAnimation* animation, int frames,
                           std::size_t firstPose) {
        AnimationSource out;
        out.name = name;
        for (const ActorNode& node : tree_.nodes) {
            if (node.HasTrack()) {
                out.tracks.push_back({node.name, {}});
                out.tracks.back().keys.reserve(static_cast<std::size_t>(frames));
            }
        }
        // Nodes frame by frame, as each frame's worlds are made; a set's keys depend on its own
        // matrices alone, so its track is made whole, reading them in order.
        const auto eachTrack = [&](const auto& make) {
            std::size_t track = 0;
            for (std::size_t a = 0; a < tree_.nodes.size(); ++a) {
                if (tree_.nodes[a].HasTrack())
                    make(a, out.tracks[track++].keys);
            }
        };
        for (int f = 0; f < frames; ++f) {
            FrameWorlds(scene_, animation, f, locals_, worlds_);
            eachTrack([&](std::size_t a, std::vector<Transform>& keys) {
                if (tree_.nodes[a].set < 0)
                    keys.push_back(Key(a, firstPose + static_cast<std::size_t>(f)));
            });
        }
        eachTrack([&](std::size_t a, std::vector<Transform>& keys) {
            for (int f = 0; tree_.nodes[a].set >= 0 && f < frames; ++f)
                keys.push_back(Key(a, firstPose + static_cast<std::size_t>(f)));
        });
        return out;
    }

    bool Animations(std::vector<std::pair<std::string, std::string>>& files, std::string& error) {
        const auto tracks = static_cast<std::size_t>(
            std::count_if(tree_.nodes.begin(), tree_.nodes.end(),
                          [](const ActorNode& node) { return node.HasTrack(); }));
        std::size_t keys = 0;
        for (const int frames : frameCounts_) {
            keys += static_cast<std::size_t>(frames) * tracks;
            if (keys > kMaxKeys) {
                error = "the animations hold more than " + std::to_string(kMaxKeys) +
                        " keyframes in all";
                return false;
            }
        }
        std::size_t pose = 1;  // the skins' pose 0 is the rest pose
        const auto add = [&](const std::string& wanted, const std::string& fallback,
                             const SceneAnimation* animation, int frames) {
            std::string name = CutUtf8(wanted.empty() ? fallback : wanted, kMaxNameLength);
            name.erase(std::remove(name.begin(), name.end(), '\0'), name.end());
            const std::string file = stems_.Make(wanted, fallback) + ".anm";
            files.emplace_back(
                file, AnimationFileBytes(Sample(name, animation, frames, pose)).value_or(""));
            pose += static_cast<std::size_t>(frames);
        };
        if (scene_.animations.empty()) {
            add("still", "still", nullptr, 1);
            return true;
        }
        for (std::size_t i = 0; i < scene_.animations.size(); ++i) {
            add(scene_.animations[i].name, "animation" + std::to_string(i), &scene_.animations[i],
                frameCounts_[i]);
        }
        return true;
    }

    bool Finish(const MeshSource& mesh,
                std::vector<std::pair<std::string, std::string>>& animations, std::string& error) {
        if (mesh.textures.size() > static_cast<std::size_t>(kMaxTextures)) {
            error = "the model has more than " + std::to_string(kMaxTextures) + " textures";
            return false;
        }
        const auto finite = [](const Vec3& v) {
            return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
        };
        if (!std::all_of(mesh.vertices.begin(), mesh.vertices.end(), finite) ||
            !std::all_of(mesh.normals.begin(), mesh.normals.end(), finite) ||
            !std::all_of(mesh.nodes.begin(), mesh.nodes.end(), [](const NodeSource& n) {
                return std::all_of(std::begin(n.points), std::end(n.points),
                                   [](float p) { return std::isfinite(p); });
            })) {
            error = "the model's coordinates are too large for single precision";
            return false;
        }
        std::optional<std::string> record = SkinRecordBytes();
        std::optional<std::string> meshBytes = MeshFileBytes(
            mesh, {rest_.triangles.size(),
                   [&](std::size_t i, FaceSource& face) { Face(rest_.triangles[i], face); }});
        if (!meshBytes) {
            error = "the mesh cannot be written";
            return false;
        }
        std::string descriptor =
            std::string("actor\n") + kMeshFile + "\n" + std::to_string(animations.size()) + "\n";
        for (const auto& [name, bytes] : animations) {
            if (bytes.empty()) {
                error = "animation file " + name + " cannot be written";
                return false;
            }
            descriptor += name + "\n";
        }
        out_.files.clear();
        out_.files.emplace_back(kRobotDescriptorFile, descriptor);
        out_.files.emplace_back(kMeshFile, std::move(*meshBytes));
        if (record)
            out_.files.emplace_back(SkinRecordName(kMeshFile), std::move(*record));
        for (auto& file : animations)
            out_.files.push_back(std::move(file));
        for (auto& file : textureFiles_)
            out_.files.push_back(std::move(file));
        for (ContentFile& file : GunAndStatsFiles())
            out_.files.push_back(std::move(file));
        return true;
    }

    // What the export needs to write the original skin again instead of the set nodes: the
    // joints the sets blend, the set nodes, and every set vertex's influences. None without
    // sets, or when one node is a joint of two skins (the record holds one bind per node).
    std::optional<std::string> SkinRecordBytes() const {
        if (blend_.sets.sets.empty())
            return std::nullopt;
        SkinRecord record;
        std::vector<std::vector<int>> slot(blend_.poses.size());
        std::vector<int> skinOfNode(scene_.nodes.size(), -1);
        for (const InfluenceSet& set : blend_.sets.sets) {
            const auto skin = static_cast<std::size_t>(set.skin);
            slot[skin].resize(scene_.skins[skin].joints.size(), -1);
            for (const SceneInfluence& influence : set.influences) {
                const auto joint = static_cast<std::size_t>(influence.joint);
                const int node = scene_.skins[skin].joints[joint];
                const int actor = tree_.actorOf[static_cast<std::size_t>(node)];
                if (slot[skin][joint] >= 0)
                    continue;
                if (actor < 0 || skinOfNode[static_cast<std::size_t>(node)] >= 0)
                    return std::nullopt;
                skinOfNode[static_cast<std::size_t>(node)] = set.skin;
                slot[skin][joint] = static_cast<int>(record.joints.size());
                record.joints.push_back(
                    {tree_.nodes[static_cast<std::size_t>(actor)].name,
                     placement_ * blend_.poses[skin].At(0, joint) * inversePlacement_});
            }
        }
        for (const int actor : setActor_)
            record.setNodes.push_back(tree_.nodes[static_cast<std::size_t>(actor)].name);
        record.influences.resize(rest_.vertices.size());
        for (std::size_t v = 0; v < rest_.vertices.size(); ++v) {
            if (blend_.node[v] >= 0)
                continue;
            const InfluenceSet& set =
                blend_.sets.sets[static_cast<std::size_t>(blend_.sets.owners[v].set)];
            if (set.influences.size() > kMaxInfluences)
                return std::nullopt;
            for (std::size_t k = 0; k < set.influences.size(); ++k) {
                const int joint = slot[static_cast<std::size_t>(set.skin)]
                                      [static_cast<std::size_t>(set.influences[k].joint)];
                record.influences[v][k] = {static_cast<std::uint16_t>(joint),
                                           static_cast<float>(set.influences[k].weight)};
            }
        }
        return EncodeSkinRecord(record);
    }

    struct KeyParts {
        Affine before, after;
        int parentNode = -1;
        std::vector<int> path;  // from the node up to just below the parent
    };

    Scene& scene_;
    const ImportOptions& options_;
    ImportedFolder& out_;
    std::vector<Affine> restWorlds_;
    RestMesh rest_;
    ActorTree tree_;
    Affine placement_, inversePlacement_;
    Box restBox_;
    std::vector<KeyParts> keyParts_;
    FileStems stems_;
    std::vector<std::pair<std::string, std::string>> textureFiles_;
    std::vector<int> materialOf_, textureOf_;  // per scene material + 1: the game's (MaterialSet)
    std::vector<Affine> locals_, worlds_;
    std::vector<int> frameCounts_;  // per animation, or the one still frame
    std::optional<HandChoice> hand_;
    SkinBlend blend_;
    std::vector<int> setActor_;  // per influence set: its actor node
};

}  // namespace

bool ConvertScene(Scene& scene, const ImportOptions& options, ImportedFolder& out,
                  std::string& error) {
    out = {};
    out.notes = scene.notes;
    out.sources = scene.sources;
    Writer writer(scene, options, out);
    if (!writer.Run(error)) {
        out.files.clear();
        error = OneLine(error);
        return false;
    }
    return true;
}
