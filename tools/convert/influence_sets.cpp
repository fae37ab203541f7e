#include "tools/convert/influence_sets.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>
#include <utility>

namespace {

constexpr int kWeightSteps = 32;    // weights are first rounded to 1/32
constexpr std::size_t kTries = 16;  // nearest candidates checked before a set stands alone
constexpr int kMaxDoublings = 60;   // of the tolerance, to fit within the set budget

// A vertex's influences: distinct joints in ascending order, weights summing to 1.
struct Blend {
    int skin = 0;
    std::size_t count = 0;
    std::array<int, kMaxInfluences> joints{};
    std::array<double, kMaxInfluences> weights{};

    auto Key() const { return std::tie(skin, count, joints, weights); }
    bool operator<(const Blend& other) const { return Key() < other.Key(); }
};

// Exact influences shared by some vertices.
struct Exact {
    Blend blend;
    int heaviest = 0;  // the first listed of the heaviest
    std::vector<std::size_t> vertices;
    Affine rest;  // B(rest) of the blend
    // The vertices' box by its distinct corners, when checking them is cheaper than checking
    // every vertex (and every position is finite); else none.
    std::array<Vec3d, 8> corners{};
    std::size_t cornerCount = 0;
    Vec3d reach{};  // per axis: the largest magnitude of a coordinate in the box
};

// Exact sets that share a rounded (or, when rounding moved them too far, their exact) blend.
struct Group {
    Blend blend;
    std::vector<std::size_t> members;  // Exact indices
    std::size_t vertexCount = 0;
};

Affine Scaled(const Affine& m, double w) {
    Affine out;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            out.a[i][j] = w * m.a[i][j];
        out.t[static_cast<std::size_t>(i)] = w * m.t[static_cast<std::size_t>(i)];
    }
    return out;
}

void AddTo(Affine& sum, const Affine& m, double w) {
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            sum.a[i][j] += w * m.a[i][j];
        sum.t[static_cast<std::size_t>(i)] += w * m.t[static_cast<std::size_t>(i)];
    }
}

Affine BlendAt(const SkinPoses& skin, const Blend& b, std::size_t pose) {
    Affine sum = Scaled(skin.At(pose, static_cast<std::size_t>(b.joints[0])), b.weights[0]);
    for (std::size_t k = 1; k < b.count; ++k)
        AddTo(sum, skin.At(pose, static_cast<std::size_t>(b.joints[k])), b.weights[k]);
    return sum;
}

// Normalised, duplicates summed (each joint's weights and the total in the order listed);
// `heaviest` is the first listed of the heaviest.
Blend Normalise(const SkinnedVertex& v, int& heaviest) {
    std::array<int, kMaxInfluences> joints{};
    std::array<double, kMaxInfluences> sums{};
    std::size_t count = 0;
    double total = 0, top = -1;
    heaviest = (*v.influences)[0].joint;
    for (const SceneInfluence& influence : *v.influences) {
        if (!(influence.weight > 0) || !std::isfinite(influence.weight))
            continue;
        std::size_t k = 0;
        while (k < count && joints[k] != influence.joint)
            ++k;
        if (k == count) {
            joints[count] = influence.joint;
            sums[count++] = 0;
        }
        sums[k] += influence.weight;
        total += influence.weight;
        if (influence.weight > top) {
            top = influence.weight;
            heaviest = influence.joint;
        }
    }
    Blend b;
    b.skin = v.skin;
    if (!(total > 0) || !std::isfinite(total)) {
        b.count = 1;
        b.joints[0] = heaviest;
        b.weights[0] = 1;
        return b;
    }
    // Ascending joints: an insertion sort of at most four.
    for (std::size_t k = 1; k < count; ++k) {
        for (std::size_t j = k; j > 0 && joints[j] < joints[j - 1]; --j) {
            std::swap(joints[j], joints[j - 1]);
            std::swap(sums[j], sums[j - 1]);
        }
    }
    for (std::size_t k = 0; k < count; ++k) {
        b.joints[k] = joints[k];
        b.weights[k] = sums[k] / total;
    }
    b.count = count;
    return b;
}

// Weights in steps of 1/32 still summing to 1 (largest remainders first); zeros dropped.
Blend Rounded(const Blend& exact) {
    std::array<int, kMaxInfluences> steps{};
    std::array<std::size_t, kMaxInfluences> order{};
    int given = 0;
    for (std::size_t k = 0; k < exact.count; ++k) {
        steps[k] = static_cast<int>(std::floor(exact.weights[k] * kWeightSteps));
        given += steps[k];
        order[k] = k;
    }
    const auto remainder = [&](std::size_t k) {
        return exact.weights[k] * kWeightSteps - steps[k];
    };
    std::stable_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(exact.count),
                     [&](std::size_t x, std::size_t y) { return remainder(x) > remainder(y); });
    for (std::size_t k = 0; given < kWeightSteps && k < exact.count; ++k, ++given)
        ++steps[order[k]];
    Blend out;
    out.skin = exact.skin;
    for (std::size_t k = 0; k < exact.count; ++k) {
        if (steps[k] == 0)
            continue;
        out.joints[out.count] = exact.joints[k];
        out.weights[out.count] = static_cast<double>(steps[k]) / kWeightSteps;
        ++out.count;
    }
    return out;
}

double Distance(const Blend& x, const Blend& y) {
    double d = 0;
    std::size_t i = 0, j = 0;
    while (i < x.count || j < y.count) {
        if (j == y.count || (i < x.count && x.joints[i] < y.joints[j])) {
            d += x.weights[i++];
        } else if (i == x.count || y.joints[j] < x.joints[i]) {
            d += y.weights[j++];
        } else {
            d += std::abs(x.weights[i++] - y.weights[j++]);
        }
    }
    return d;
}

using Motions = std::vector<Affine>;

// Whether `d` moves no point of the exact set's box farther than sqrt(limit), as Fits computes
// it for a vertex inside. |d p| is convex in p, so the box's corners bound it. Computed, each
// coordinate of d p is off by at most 4 units in the last place of the sum of its terms'
// magnitudes (`terms` bounds that sum over the box), so a vertex's computed distance is at
// most a + b, a = √most·(1 + 1e-14), b = 4e-15·terms, and its computed square at most
// (a + b)²·(1 + 1e-14). False also when a value is not finite.
bool BoxWithin(const Affine& d, const Exact& exact, double limit) {
    if (exact.cornerCount == 0)
        return false;
    double most = 0;
    for (std::size_t c = 0; c < exact.cornerCount; ++c) {
        const Vec3d q = d.Point(exact.corners[c]);
        const double squared = q[0] * q[0] + q[1] * q[1] + q[2] * q[2];
        if (!std::isfinite(squared))
            return false;
        most = std::max(most, squared);
    }
    double terms = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        const double sum = std::abs(d.t[i]) + std::abs(d.a[i][0]) * exact.reach[0] +
                           std::abs(d.a[i][1]) * exact.reach[1] +
                           std::abs(d.a[i][2]) * exact.reach[2];
        terms = std::max(terms, sum);
    }
    // Bounded without the root, as 2ab <= 1e-6·a² + 1e6·b², with room for this line's rounding.
    return most * (1 + 1.1e-5) + 2.1e-22 * terms * terms <= limit;
}

struct Candidate {
    double distance;  // between the weights
    int joint;        // >= 0: a single joint's own node
    int set;          // >= 0: a set made before
};

class Builder {
  public:
    Builder(std::span<const SkinnedVertex> vertices, std::span<const SkinPoses> skins,
            std::size_t poses)
        : vertices_(vertices), skins_(skins), poses_(poses), jointMotions_(skins.size()) {
        for (std::size_t s = 0; s < skins.size(); ++s)
            jointMotions_[s].resize(skins[s].joints);
    }

    void Run(double tolerance, std::size_t maxSets, InfluenceSets& out) {
        out = {};
        out.owners.resize(vertices_.size());
        Collect(out);
        double used = tolerance;
        int doublings = 0;
        while (!Merge(used, maxSets, doublings == kMaxDoublings, out)) {
            used *= 2;
            ++doublings;
        }
        if (doublings > 0) {
            out.notes.push_back("blended skin weights merged within " +
                                std::to_string(1 << std::min(doublings, 30)) +
                                " times the usual tolerance to stay within " +
                                std::to_string(maxSets) + " nodes");
        }
        if (overflow_ > 0) {
            out.notes.push_back(std::to_string(overflow_) +
                                " skinned vertices beyond the limit of " + std::to_string(maxSets) +
                                " blended sets follow their heaviest joint");
        }
        if (singular_ > 0) {
            out.notes.push_back(std::to_string(singular_) +
                                " skinned vertices whose blended rest matrix is singular follow "
                                "their heaviest joint");
        }
    }

  private:
    // Exact sets; single-joint vertices get their owner at once.
    void Collect(InfluenceSets& out) {
        // The last two vertices' influences as given and where they went: neighbours mostly
        // share them (a strip's vertices alternate between two rows), and the same influences
        // always normalise alike.
        struct Recent {
            int skin = -1;
            std::array<SceneInfluence, kMaxInfluences> influences{};
            int joint = -1;         // >= 0: a single joint's
            std::size_t exact = 0;  // otherwise
        };
        const auto same = [](const Recent& r, const SkinnedVertex& v) {
            if (r.skin != v.skin)
                return false;
            for (std::size_t k = 0; k < kMaxInfluences; ++k) {
                const SceneInfluence& a = r.influences[k];
                const SceneInfluence& b = (*v.influences)[k];
                if (a.joint != b.joint || !(a.weight == b.weight))
                    return false;
            }
            return true;
        };
        std::array<Recent, 2> recent;
        std::map<Blend, std::size_t> index;
        for (std::size_t v = 0; v < vertices_.size(); ++v) {
            const SkinnedVertex& vertex = vertices_[v];
            if (!same(recent[0], vertex)) {
                std::swap(recent[0], recent[1]);
                if (!same(recent[0], vertex)) {
                    int heaviest = 0;
                    const Blend b = Normalise(vertex, heaviest);
                    recent[0] = {vertex.skin, *vertex.influences, -1, 0};
                    if (b.count == 1) {
                        recent[0].joint = b.joints[0];
                    } else {
                        const auto [it, added] = index.try_emplace(b, exacts_.size());
                        if (added)
                            exacts_.push_back({b, heaviest, {}, {}, {}, 0, {}});
                        recent[0].exact = it->second;
                    }
                }
            }
            if (recent[0].joint >= 0)
                out.owners[v] = {recent[0].joint, -1};
            else
                exacts_[recent[0].exact].vertices.push_back(v);
        }
        for (Exact& exact : exacts_) {
            exact.rest = BlendAt(Skin(exact.blend), exact.blend, 0);
            Bound(exact);
        }
    }

    // The box whose corners Fits may check instead of the vertices.
    void Bound(Exact& exact) const {
        Vec3d low = *vertices_[exact.vertices[0]].position, high = low;
        for (const std::size_t v : exact.vertices) {
            const Vec3d& p = *vertices_[v].position;
            for (std::size_t i = 0; i < 3; ++i) {
                if (!std::isfinite(p[i]))
                    return;
                low[i] = std::min(low[i], p[i]);
                high[i] = std::max(high[i], p[i]);
            }
        }
        std::size_t corners = 1;
        for (std::size_t i = 0; i < 3; ++i)
            corners *= low[i] == high[i] ? 1 : 2;
        if (corners >= exact.vertices.size())
            return;
        for (const double x : {low[0], high[0]}) {
            for (const double y : {low[1], high[1]}) {
                for (const double z : {low[2], high[2]}) {
                    const Vec3d corner = {x, y, z};
                    const auto end = exact.corners.begin() + exact.cornerCount;
                    if (std::find(exact.corners.begin(), end, corner) == end)
                        exact.corners[exact.cornerCount++] = corner;
                }
            }
        }
        for (std::size_t i = 0; i < 3; ++i)
            exact.reach[i] = std::max(std::abs(low[i]), std::abs(high[i]));
    }

    // Rounds, groups the equal, then merges the near ones; fills sets and owners. False, at
    // once, when more than `maxSets` sets would be needed, unless this is the last try: then
    // the smallest beyond it follow their heaviest joint.
    bool Merge(double tolerance, std::size_t maxSets, bool last, InfluenceSets& out) {
        out.sets.clear();
        singular_ = overflow_ = 0;
        std::vector<Group> groups;
        std::map<Blend, std::size_t> index;
        for (std::size_t e = 0; e < exacts_.size(); ++e) {
            const Exact& exact = exacts_[e];
            const Blend rounded = Rounded(exact.blend);
            const Motions* motions = MotionsOf(rounded);
            const bool fits = motions && Fits(*motions, exact, tolerance);
            if (fits && rounded.count == 1) {
                Assign(exact, {rounded.joints[0], -1}, out);
                continue;
            }
            const Blend& key = fits ? rounded : exact.blend;
            const auto [it, added] = index.try_emplace(key, groups.size());
            if (added)
                groups.push_back({key, {}, 0});
            groups[it->second].members.push_back(e);
            groups[it->second].vertexCount += exact.vertices.size();
        }
        std::vector<std::size_t> order(groups.size());
        for (std::size_t g = 0; g < order.size(); ++g)
            order[g] = g;
        std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
            return groups[x].vertexCount > groups[y].vertexCount;
        });
        setBlends_.clear();
        std::map<std::pair<int, int>, std::vector<std::size_t>> setsWithJoint;
        for (const std::size_t g : order) {
            const Group& group = groups[g];
            if (Join(group, tolerance, setsWithJoint, out))
                continue;
            if (out.sets.size() == maxSets) {
                if (!last)
                    return false;
                for (const std::size_t e : group.members) {
                    Assign(exacts_[e], {exacts_[e].heaviest, -1}, out);
                    overflow_ += exacts_[e].vertices.size();
                }
                continue;
            }
            InfluenceSet set;
            set.skin = group.blend.skin;
            for (std::size_t k = 0; k < group.blend.count; ++k)
                set.influences.push_back({group.blend.joints[k], group.blend.weights[k]});
            Motions* motions = MotionsOf(group.blend);
            if (motions == nullptr) {
                for (const std::size_t e : group.members) {
                    Assign(exacts_[e], {exacts_[e].heaviest, -1}, out);
                    singular_ += exacts_[e].vertices.size();
                }
                continue;
            }
            set.motions = std::move(*motions);  // not needed again in this round
            const int id = static_cast<int>(out.sets.size());
            for (std::size_t k = 0; k < group.blend.count; ++k)
                setsWithJoint[{group.blend.skin, group.blend.joints[k]}].push_back(out.sets.size());
            setBlends_.push_back(group.blend);
            out.sets.push_back(std::move(set));
            for (const std::size_t e : group.members)
                Assign(exacts_[e], {-1, id}, out);
        }
        blendMotions_.clear();
        return true;
    }

    // Tries the nearest single joints and sets of the group's skin that share a joint with it.
    bool Join(const Group& group, double tolerance,
              const std::map<std::pair<int, int>, std::vector<std::size_t>>& setsWithJoint,
              InfluenceSets& out) {
        std::vector<Candidate>& candidates = candidates_;
        candidates.clear();
        ++stamp_;
        seenStamps_.resize(setBlends_.size(), 0);
        const Blend& b = group.blend;
        for (std::size_t k = 0; k < b.count; ++k) {
            candidates.push_back({2 * (1 - b.weights[k]), b.joints[k], -1});
            const auto it = setsWithJoint.find({b.skin, b.joints[k]});
            if (it == setsWithJoint.end())
                continue;
            for (const std::size_t s : it->second) {
                if (seenStamps_[s] == stamp_)
                    continue;
                seenStamps_[s] = stamp_;
                candidates.push_back({Distance(b, setBlends_[s]), -1, static_cast<int>(s)});
            }
        }
        std::stable_sort(
            candidates.begin(), candidates.end(),
            [](const Candidate& x, const Candidate& y) { return x.distance < y.distance; });
        for (std::size_t c = 0; c < candidates.size() && c < kTries; ++c) {
            const Candidate& candidate = candidates[c];
            const Motions* motions = nullptr;
            if (candidate.joint >= 0) {
                Blend single;
                single.skin = b.skin;
                single.count = 1;
                single.joints[0] = candidate.joint;
                single.weights[0] = 1;
                motions = MotionsOf(single);
            } else {
                motions = &out.sets[static_cast<std::size_t>(candidate.set)].motions;
            }
            if (motions == nullptr)
                continue;
            const bool fits =
                std::all_of(group.members.begin(), group.members.end(),
                            [&](std::size_t e) { return Fits(*motions, exacts_[e], tolerance); });
            if (!fits)
                continue;
            for (const std::size_t e : group.members)
                Assign(exacts_[e], {candidate.joint, candidate.set}, out);
            return true;
        }
        return false;
    }

    // B(t)·B(rest)⁻¹ at every pose; null when B(rest) is singular. Made once: a single joint's
    // for good, any other blend's for this round of Merge (a set made of it takes them).
    Motions* MotionsOf(const Blend& b) {
        Motions& motions = b.count == 1 ? jointMotions_[static_cast<std::size_t>(b.skin)]
                                                       [static_cast<std::size_t>(b.joints[0])]
                                        : blendMotions_[b];
        if (!motions.empty())
            return &motions;
        const SkinPoses& skin = Skin(b);
        Affine inverseRest;
        if (!Invert(BlendAt(skin, b, 0), inverseRest))
            return nullptr;
        motions.reserve(poses_);
        for (std::size_t pose = 0; pose < poses_; ++pose)
            motions.push_back(BlendAt(skin, b, pose) * inverseRest);
        return &motions;
    }

    // Whether moving the exact set's vertices from their rest positions by `motions` keeps
    // each within the tolerance of where its own influences put it, at every pose. The pose
    // that failed last is tried first: a candidate that does not fit mostly fails there too.
    bool Fits(const Motions& motions, const Exact& exact, double tolerance) {
        const SkinPoses& skin = Skin(exact.blend);
        const double limit = tolerance * tolerance;
        const auto within = [&](std::size_t pose) {
            Affine difference = motions[pose] * exact.rest;
            AddTo(difference, BlendAt(skin, exact.blend, pose), -1);
            if (BoxWithin(difference, exact, limit))
                return true;
            for (const std::size_t v : exact.vertices) {
                const Vec3d d = difference.Point(*vertices_[v].position);
                const double squared = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
                if (!(squared <= limit))
                    return false;
            }
            return true;
        };
        if (poses_ > 1 && !within(failedPose_))
            return false;
        for (std::size_t pose = 1; pose < poses_; ++pose) {
            if (pose != failedPose_ && !within(pose)) {
                failedPose_ = pose;
                return false;
            }
        }
        return true;
    }

    void Assign(const Exact& exact, VertexOwner owner, InfluenceSets& out) const {
        for (const std::size_t v : exact.vertices)
            out.owners[v] = owner;
    }

    const SkinPoses& Skin(const Blend& b) const { return skins_[static_cast<std::size_t>(b.skin)]; }

    std::span<const SkinnedVertex> vertices_;
    std::span<const SkinPoses> skins_;
    std::size_t poses_;
    std::vector<Exact> exacts_;
    std::vector<Blend> setBlends_;  // per set made so far
    std::vector<Candidate> candidates_;
    std::vector<std::size_t> seenStamps_;  // per set: the last Join that listed it
    std::size_t stamp_ = 0;
    std::vector<std::vector<Motions>> jointMotions_;  // per skin, per joint; filled when used
    std::map<Blend, Motions> blendMotions_;           // other blends' in this round
    std::size_t singular_ = 0, overflow_ = 0;         // vertices sent to their heaviest joint
    std::size_t failedPose_ = 1;                      // the pose at which Fits last failed
};

}  // namespace

bool BuildInfluenceSets(std::span<const SkinnedVertex> vertices, std::span<const SkinPoses> skins,
                        double tolerance, std::size_t maxSets, InfluenceSets& out,
                        std::string& error) {
    out = {};
    if (vertices.empty())
        return true;
    if (skins.empty() || skins[0].joints == 0 || skins[0].matrices.empty()) {
        error = "skinned vertices without their skin's poses";
        return false;
    }
    const std::size_t poses = skins[0].matrices.size() / skins[0].joints;
    for (const SkinPoses& skin : skins) {
        if (skin.joints == 0 || skin.matrices.size() != poses * skin.joints) {
            error = "the skins' poses do not match";
            return false;
        }
    }
    for (const SkinnedVertex& v : vertices) {
        if (v.skin < 0 || static_cast<std::size_t>(v.skin) >= skins.size()) {
            error = "a skinned vertex names a skin that does not exist";
            return false;
        }
        for (const SceneInfluence& influence : *v.influences) {
            if (influence.joint < 0 || static_cast<std::size_t>(influence.joint) >=
                                           skins[static_cast<std::size_t>(v.skin)].joints) {
                error = "a skinned vertex names a joint its skin does not have";
                return false;
            }
        }
    }
    Builder(vertices, skins, poses).Run(tolerance, maxSets, out);
    return true;
}

bool IsBlended(const SkinnedVertex& vertex) {
    int heaviest = 0;
    return Normalise(vertex, heaviest).count > 1;
}

Affine SetNodeTransform(const InfluenceSet& set, std::size_t pose, const Affine& placement,
                        const Affine& inversePlacement) {
    return placement * set.motions[pose] * inversePlacement;
}
