// The imported robot, posed by the game, puts every rigidly bound vertex where glTF puts it.
#include <cmath>

#include "tests/convert/gltf_reference.h"
#include "tests/convert/import_support.h"

namespace {

double Distance(const Vec3& a, const RefVec& b) {
    const double dx = a.x - b[0], dy = a.y - b[1], dz = a.z - b[2];
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// Every frame of every animation against glTF's own evaluation at frame / 30 seconds.
void ExpectPosesMatchGltf(const tinygltf::Model& model) {
    TempDir dir;
    ImportOptions options;
    options.scale = 1.0f;
    std::string error;
    ASSERT_TRUE(WriteImportedFolder(Import(model, options), dir.File("data"), error)) << error;
    ActorModel actor;
    LoadActor(dir.Path() / "data", actor);
    ASSERT_EQ(actor.animations.size(), model.animations.size());

    const std::vector<RefVertex> rest = RigidVertices(model, -1, 0);
    double size = 0;
    for (const RefVertex& v : rest)
        size = std::max(size, std::abs(v.rest[0]) + std::abs(v.rest[1]) + std::abs(v.rest[2]));
    const double tolerance = 1e-4 * size;
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
            const std::vector<RefVertex> ref = RigidVertices(model, static_cast<int>(a), f / 30.0);
            const std::vector<Vec3> posed = Posed(actor, static_cast<int>(a), f);
            for (std::size_t v = 0; v < posed.size(); ++v) {
                if (candidates[v].empty())
                    continue;  // blended over several joints: no exact answer
                double best = HUGE_VAL;
                for (const std::size_t r : candidates[v])
                    best = std::min(best, Distance(posed[v], ref[r].posed));
                ASSERT_LT(best, tolerance)
                    << "animation " << a << " frame " << f << " vertex " << v;
            }
        }
    }
}

TEST(ImportPose, SkinnedVerticesBoundToOneJointFollowItInEveryFrame) {
    ExpectPosesMatchGltf(SkinnedModel());
}

TEST(ImportPose, NodeAnimatedMeshesFollowLinearStepAndCubicSplineChannels) {
    ExpectPosesMatchGltf(NodeAnimatedModel());
}

}  // namespace
