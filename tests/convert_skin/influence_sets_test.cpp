#include "tools/convert/influence_sets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>

namespace {

Affine Rotation(double angle, int axis) {
    Affine m;
    const int i = (axis + 1) % 3, j = (axis + 2) % 3;
    m.a[i][i] = m.a[j][j] = std::cos(angle);
    m.a[i][j] = -std::sin(angle);
    m.a[j][i] = std::sin(angle);
    return m;
}

Affine Translation(const Vec3d& t) {
    Affine m;
    m.t = t;
    return m;
}

Affine Inverse(const Affine& m) {
    Affine out;
    EXPECT_TRUE(Invert(m, out));
    return out;
}

double Length(const Vec3d& v) {
    return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

// A two-legged, two-armed figure 2.5 units tall, bound in a pose a little off its rest pose,
// with two animations (20 and 15 frames) that bend every joint.
struct Figure {
    static constexpr int kJoints = 9;
    static constexpr int kFrames[2] = {20, 15};
    const int parents[kJoints] = {-1, 0, 1, 2, 3, 1, 0, 6, 7};
    const Vec3d offsets[kJoints] = {{0, 1.0, 0},   {0, 0.5, 0},  {-0.3, 0.4, 0},
                                    {-0.4, 0, 0},  {-0.4, 0, 0}, {0.3, 0.4, 0},
                                    {-0.15, 0, 0}, {0, -0.5, 0}, {0, -0.45, 0}};

    // Joint world transforms: rest (angle 0), bind (slightly off) or a frame of an animation.
    std::vector<Affine> Worlds(double phase, int animation) const {
        std::vector<Affine> worlds;
        for (int j = 0; j < kJoints; ++j) {
            const double angle = (animation == 0 ? 0.9 : -0.7) * std::sin(phase + 0.7 * j);
            Affine local = Translation(offsets[j]) * Rotation(angle, j % 3);
            if (j == 0)
                local = Translation({0.3 * phase, offsets[0][1], 0}) * Rotation(angle, 1);
            worlds.push_back(parents[j] < 0 ? local
                                            : worlds[static_cast<std::size_t>(parents[j])] * local);
        }
        return worlds;
    }

    std::vector<std::vector<Affine>> PoseWorlds() const {
        std::vector<std::vector<Affine>> poses = {Worlds(0, 0)};
        for (int a = 0; a < 2; ++a) {
            for (int f = 0; f < kFrames[a]; ++f)
                poses.push_back(Worlds(0.2 * (f + 1), a));
        }
        return poses;
    }
};

struct SkinnedFigure {
    Figure figure;
    std::vector<std::vector<Affine>> worlds = figure.PoseWorlds();  // per pose, per joint
    std::vector<Affine> inverseBinds;
    SkinPoses skin;
    std::vector<std::array<SceneInfluence, kMaxInfluences>> influences;
    std::vector<Vec3d> positions;
    std::vector<SkinnedVertex> vertices;  // pointing into the two above
    std::vector<std::size_t> singleJoint;
    double height = 2.5;

    SkinnedFigure() {
        for (const Affine& bind : figure.Worlds(0.15, 1))
            inverseBinds.push_back(Inverse(bind));
        skin.joints = Figure::kJoints;
        for (const auto& pose : worlds) {
            for (std::size_t j = 0; j < pose.size(); ++j)
                skin.matrices.push_back(pose[j] * inverseBinds[j]);
        }
        // Vertices around each joint, weighted over it and up to three neighbours in the
        // chain, weighted as painted (smooth, all distinct), every fifth on a single joint.
        unsigned seed = 7;
        const auto next = [&seed] {
            seed = seed * 1103515245u + 12345u;
            return static_cast<double>((seed >> 8) & 0xFFFF) / 65536.0;
        };
        const std::vector<Affine> bind = figure.Worlds(0.15, 1);
        for (int v = 0; v < 2400; ++v) {
            const int joint = v % Figure::kJoints;
            const Vec3d local = {0.2 * next() - 0.1, 0.3 * next() - 0.05, 0.2 * next() - 0.1};
            positions.push_back(bind[static_cast<std::size_t>(joint)].Point(local));
            auto& weights = influences.emplace_back();
            const int count = v % 5 == 0 ? 1 : 2 + v % 3;
            const double s = next(), binomial[4][4] = {{1}, {1, 1}, {1, 2, 1}, {1, 3, 3, 1}};
            int j = joint;
            for (int k = 0; k < count; ++k) {
                // Painted falloff: Bernstein weights, smooth in s.
                weights[static_cast<std::size_t>(k)] = {
                    j, binomial[count - 1][k] * std::pow(s, k) * std::pow(1 - s, count - 1 - k)};
                j = figure.parents[j] < 0 ? (j + 1) % Figure::kJoints : figure.parents[j];
            }
            if (count == 1)
                singleJoint.push_back(positions.size() - 1);
        }
        for (std::size_t v = 0; v < positions.size(); ++v)
            vertices.push_back({0, &influences[v], &positions[v]});
    }

    SkinnedFigure(const SkinnedFigure&) = delete;  // the vertices point into it

    // Linear blend skinning, computed directly.
    Vec3d Skinned(const SkinnedVertex& v, std::size_t pose) const {
        Vec3d sum = {0, 0, 0};
        double total = 0;
        for (const SceneInfluence& influence : *v.influences) {
            if (influence.weight <= 0)
                continue;
            const auto j = static_cast<std::size_t>(influence.joint);
            const Vec3d p = worlds[pose][j].Point(inverseBinds[j].Point(*v.position));
            for (std::size_t c = 0; c < 3; ++c)
                sum[c] += influence.weight * p[c];
            total += influence.weight;
        }
        return {sum[0] / total, sum[1] / total, sum[2] / total};
    }
};

Vec3 ToVec3(const Vec3d& v) {
    return {static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2])};
}

TEST(InfluenceSets, EveryVertexFollowsLinearBlendSkinningAtEveryFrame) {
    const SkinnedFigure model;
    const double tolerance = 0.001 * model.height;
    InfluenceSets sets;
    std::string error;
    ASSERT_TRUE(
        BuildInfluenceSets(model.vertices, {&model.skin, 1}, tolerance, 32767, sets, error));
    ASSERT_EQ(sets.owners.size(), model.vertices.size());
    EXPECT_TRUE(sets.notes.empty());

    // Through the game's single-precision posing, placed at half size and shifted.
    Affine placement = Translation({0.1, -0.2, 0.3});
    for (int i = 0; i < 3; ++i)
        placement.a[i][i] = 0.5;
    const Affine inversePlacement = Inverse(placement);
    double worst = 0, worstSingle = 0;
    for (std::size_t pose = 0; pose < model.worlds.size(); ++pose) {
        for (std::size_t v = 0; v < model.vertices.size(); ++v) {
            const VertexOwner owner = sets.owners[v];
            Affine node;
            if (owner.set >= 0) {
                node = SetNodeTransform(sets.sets[static_cast<std::size_t>(owner.set)], pose,
                                        placement, inversePlacement);
            } else {
                const auto j = static_cast<std::size_t>(owner.joint);
                node = placement * model.worlds[pose][j] * Inverse(model.worlds[0][j]) *
                       inversePlacement;
            }
            const Vec3 bind = ToVec3(placement.Point(model.Skinned(model.vertices[v], 0)));
            const Vec3 posed = TransformPoint(bind, ToTransform(node));
            const Vec3d wanted = placement.Point(model.Skinned(model.vertices[v], pose));
            const double error =
                Length({posed.x - wanted[0], posed.y - wanted[1], posed.z - wanted[2]}) /
                (0.5 * model.height);
            worst = std::max(worst, error);
            if (std::binary_search(model.singleJoint.begin(), model.singleJoint.end(), v))
                worstSingle = std::max(worstSingle, error);
        }
    }
    EXPECT_LE(worst, 0.005);
    EXPECT_LE(worstSingle, 1e-6);
    for (const std::size_t v : model.singleJoint)
        EXPECT_EQ(sets.owners[v].joint, model.influences[v][0].joint);

    std::set<std::vector<std::pair<int, double>>> distinct;
    for (const auto& weights : model.influences) {
        std::vector<std::pair<int, double>> influences;
        for (const SceneInfluence& influence : weights) {
            if (influence.weight > 0)
                influences.emplace_back(influence.joint, influence.weight);
        }
        if (influences.size() > 1)
            distinct.insert(influences);
    }
    std::printf("influence sets: %zu distinct, %zu nodes; worst %.4f%% of the height\n",
                distinct.size(), sets.sets.size(), 100 * worst);
    EXPECT_LT(sets.sets.size() * 2, distinct.size());
}

TEST(InfluenceSets, StayWithinTheirBudgetAndSayItWhenTheToleranceHadToGrow) {
    const SkinnedFigure model;
    InfluenceSets sets;
    std::string error;
    ASSERT_TRUE(
        BuildInfluenceSets(model.vertices, {&model.skin, 1}, 0.001 * model.height, 5, sets, error));
    EXPECT_LE(sets.sets.size(), 5u);
    EXPECT_GT(sets.sets.size(), 0u);
    ASSERT_EQ(sets.notes.size(), 1u);
    EXPECT_NE(sets.notes[0].find("to stay within 5 nodes"), std::string::npos) << sets.notes[0];
}

TEST(InfluenceSets, SingularRestBlendFollowsTheHeaviestJoint) {
    // Two joints turned a quarter each way about Z at rest: half of each flattens everything.
    SkinPoses skin;
    skin.joints = 2;
    for (const double turn : {0.0, 0.3}) {
        skin.matrices.push_back(Rotation(std::numbers::pi / 2 + turn, 2));
        skin.matrices.push_back(Rotation(-std::numbers::pi / 2, 2));
    }
    const Vec3d position = {1, 0, 0};
    const std::array<SceneInfluence, kMaxInfluences> influences = {{{1, 0.5}, {0, 0.5}}};
    const SkinnedVertex vertex{0, &influences, &position};
    InfluenceSets sets;
    std::string error;
    ASSERT_TRUE(BuildInfluenceSets({&vertex, 1}, {&skin, 1}, 1e-6, 100, sets, error));
    EXPECT_TRUE(sets.sets.empty());
    EXPECT_EQ(sets.owners[0].joint, 1);
    ASSERT_EQ(sets.notes.size(), 1u);
    EXPECT_EQ(sets.notes[0],
              "1 skinned vertices whose blended rest matrix is singular follow their heaviest "
              "joint");
}

TEST(InfluenceSets, InconsistentInputIsRefused) {
    SkinPoses skin;
    skin.joints = 2;
    skin.matrices.resize(4);
    const Vec3d position = {0, 0, 0};
    std::array<SceneInfluence, kMaxInfluences> influences = {{{2, 1}}};
    const SkinnedVertex vertex{0, &influences, &position};
    InfluenceSets sets;
    std::string error;
    EXPECT_FALSE(BuildInfluenceSets({&vertex, 1}, {&skin, 1}, 1e-3, 100, sets, error));
    EXPECT_EQ(error, "a skinned vertex names a joint its skin does not have");
    influences[0] = {1, 1};
    skin.matrices.resize(5);
    EXPECT_FALSE(BuildInfluenceSets({&vertex, 1}, {&skin, 1}, 1e-3, 100, sets, error));
    EXPECT_EQ(error, "the skins' poses do not match");
}

}  // namespace
