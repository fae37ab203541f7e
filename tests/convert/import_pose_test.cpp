// The imported robot, posed by the game, puts every rigidly bound vertex where glTF puts it and
// every blended one where linear blend skinning does, within half a percent of its height.
#include <cmath>

#include "tests/convert/gltf_reference.h"
#include "tests/convert/import_support.h"

namespace {

double Distance(const Vec3& a, const RefVec& b) {
    const double dx = a.x - b[0], dy = a.y - b[1], dz = a.z - b[2];
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

using Reference = std::vector<RefVertex> (*)(const tinygltf::Model&, int, double);

// Every frame of every animation against glTF's own evaluation at frame / 30 seconds: the
// vertices `reference` gives within `share` of the model's height.
void ExpectPosesMatchGltf(const tinygltf::Model& model, Reference reference = RigidVertices,
                          double share = 0) {
    TempDir dir;
    ImportOptions options;
    options.scale = 1.0f;
    std::string error;
    ASSERT_TRUE(WriteImportedFolder(Import(model, options), dir.File("data"), error)) << error;
    ActorModel actor;
    LoadActor(dir.Path() / "data", actor);
    ASSERT_EQ(actor.animations.size(), model.animations.size());

    const std::vector<RefVertex> rest = reference(model, -1, 0);
    ASSERT_FALSE(rest.empty());
    double size = 0, low = HUGE_VAL, high = -HUGE_VAL;
    for (const RefVertex& v : rest)
        size = std::max(size, std::abs(v.rest[0]) + std::abs(v.rest[1]) + std::abs(v.rest[2]));
    for (const RefVertex& v : RigidVertices(model, -1, 0)) {
        low = std::min(low, v.rest[1]);
        high = std::max(high, v.rest[1]);
    }
    const double tolerance = 1e-4 * size;
    const double posedTolerance = std::max(tolerance, share * (high - low));
    // Each game vertex stands for the rigid glTF vertices at its bind position.
    const std::vector<Vec3>& bind = actor.mesh->vertices;
    std::vector<std::vector<std::size_t>> candidates(bind.size());
    std::vector<bool> covered(rest.size(), false);
    for (std::size_t v = 0; v < bind.size(); ++v) {
        for (std::size_t r = 0; r < rest.size(); ++r) {
            if (Distance(bind[v], rest[r].rest) < tolerance) {
                candidates[v].push_back(r);
                covered[r] = true;
            }
        }
    }
    EXPECT_EQ(std::count(covered.begin(), covered.end(), false), 0);

    for (std::size_t a = 0; a < model.animations.size(); ++a) {
        const int frames = actor.animations[a]->frameCount;
        const double length = AnimationLength(model, static_cast<int>(a));
        EXPECT_GE((frames - 1) / 30.0, length - 1e-6) << "animation " << a;
        EXPECT_LT((frames - 2) / 30.0, length) << "animation " << a;
        for (int f = 0; f < frames; ++f) {
            const std::vector<RefVertex> ref = reference(model, static_cast<int>(a), f / 30.0);
            const std::vector<Vec3> posed = Posed(actor, static_cast<int>(a), f);
            for (std::size_t v = 0; v < posed.size(); ++v) {
                if (candidates[v].empty())
                    continue;  // not one the reference places
                double best = HUGE_VAL;
                for (const std::size_t r : candidates[v])
                    best = std::min(best, Distance(posed[v], ref[r].posed));
                ASSERT_LT(best, posedTolerance)
                    << "animation " << a << " frame " << f << " vertex " << v;
            }
        }
    }
}

TEST(ImportPose, SkinnedVerticesBoundToOneJointFollowItInEveryFrame) {
    ExpectPosesMatchGltf(SkinnedModel());
}

// The figure blends at its neck, shoulders, elbows, waist and hips; its arms and spine bend.
TEST(ImportPose, BlendedSkinnedVerticesFollowLinearBlendSkinningInEveryFrame) {
    ExpectPosesMatchGltf(SkinnedModel(), BlendedVertices, 0.005);
}

TEST(ImportPose, NodeAnimatedMeshesFollowLinearStepAndCubicSplineChannels) {
    ExpectPosesMatchGltf(NodeAnimatedModel());
}

}  // namespace
