#include "tools/convert/find_hand.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

constexpr double kSideBand = 0.01;   // of the skeleton's size: still on the spine's plane
constexpr double kSideReach = 0.03;  // of its size: how far a side chain reaches out at least
constexpr double kHangsDown = 0.70710678118654752;  // cos 45°: the arm hangs down

bool Upper(char c) {
    return std::isupper(static_cast<unsigned char>(c)) != 0;
}
bool Lower(char c) {
    return std::islower(static_cast<unsigned char>(c)) != 0;
}
bool Digit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// Lower-case words: split at anything but letters and digits, at a lower-case letter followed
// by a capital, before the capital that starts a word after capitals ("RTHand": rt, hand) and
// between letters and digits.
std::vector<std::string> Words(std::string_view name) {
    std::vector<std::string> words;
    std::string word;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (!Upper(c) && !Lower(c) && !Digit(c)) {
            if (!word.empty())
                words.push_back(std::move(word));
            word.clear();
            continue;
        }
        if (!word.empty()) {
            const char previous = name[i - 1];
            const bool next = i + 1 < name.size() && Lower(name[i + 1]);
            if ((Lower(previous) && Upper(c)) || (Upper(previous) && Upper(c) && next) ||
                (Digit(previous) != Digit(c))) {
                words.push_back(std::move(word));
                word.clear();
            }
        }
        word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (!word.empty())
        words.push_back(std::move(word));
    return words;
}

Vec3d Minus(const Vec3d& a, const Vec3d& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
double Dot(const Vec3d& a, const Vec3d& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
double Length(const Vec3d& v) {
    return std::sqrt(Dot(v, v));
}
Vec3d Scaled(const Vec3d& v, double s) {
    return {v[0] * s, v[1] * s, v[2] * s};
}

class Skeleton {
  public:
    explicit Skeleton(const HandSkeleton& s) : s_(s), count_(s.parents.size()) {
        jointParent_.assign(count_, -1);
        children_.resize(count_);
        size_.assign(count_, 0);
        for (std::size_t n = 0; n < count_; ++n) {
            if (!s.joints[n])
                continue;
            int up = s.parents[n];
            while (up >= 0 && !s.joints[static_cast<std::size_t>(up)])
                up = s.parents[static_cast<std::size_t>(up)];
            jointParent_[n] = up;
            if (up >= 0)
                children_[static_cast<std::size_t>(up)].push_back(static_cast<int>(n));
        }
        // Parents come before children: sizes and x ranges gather backwards.
        low_.assign(count_, HUGE_VAL);
        high_.assign(count_, -HUGE_VAL);
        for (std::size_t n = count_; n-- > 0;) {
            if (!s.joints[n])
                continue;
            size_[n] += 1;
            low_[n] = std::min(low_[n], X(static_cast<int>(n)));
            high_[n] = std::max(high_[n], X(static_cast<int>(n)));
            const int up = jointParent_[n];
            if (up >= 0) {
                const auto u = static_cast<std::size_t>(up);
                size_[u] += size_[n];
                low_[u] = std::min(low_[u], low_[n]);
                high_[u] = std::max(high_[u], high_[n]);
            }
        }
    }

    std::optional<int> ByName() const {
        std::optional<int> best;
        int bestDepth = 0;
        for (std::size_t n = 0; n < count_; ++n) {
            if (!s_.joints[n] || !NameSaysRightHand(s_.names[n]))
                continue;
            int depth = 0;
            for (int up = jointParent_[n]; up >= 0; up = jointParent_[static_cast<std::size_t>(up)])
                ++depth;
            if (!best || depth < bestDepth) {
                best = static_cast<int>(n);
                bestDepth = depth;
            }
        }
        return best;
    }

    std::optional<int> ByShape() {
        int root = -1;
        for (std::size_t n = 0; n < count_; ++n) {
            if (s_.joints[n] && jointParent_[n] < 0 &&
                (root < 0 || size_[n] > size_[static_cast<std::size_t>(root)]))
                root = static_cast<int>(n);
        }
        if (root < 0)
            return std::nullopt;
        Vec3d low = Position(root), high = low;
        ForSubtree(root, [&](int n) {
            for (std::size_t c = 0; c < 3; ++c) {
                low[c] = std::min(low[c], Position(n)[c]);
                high[c] = std::max(high[c], Position(n)[c]);
            }
        });
        const double extent = std::max({high[0] - low[0], high[1] - low[1], high[2] - low[2]});
        if (!(extent > 0))
            return std::nullopt;
        band_ = kSideBand * extent;
        reach_ = kSideReach * extent;

        // The spine: from the root, through the largest child that is not off to one side.
        std::vector<int> spine = {root};
        for (;;) {
            int next = -1;
            for (const int c : Children(spine.back())) {
                if (Side(spine.back(), c) == 0 &&
                    (next < 0 ||
                     size_[static_cast<std::size_t>(c)] > size_[static_cast<std::size_t>(next)]))
                    next = c;
            }
            if (next < 0)
                break;
            spine.push_back(next);
        }
        // The hips: where the first side chains (the legs) leave it.
        std::size_t hips = 0;
        while (hips < spine.size() &&
               std::none_of(Children(spine[hips]).begin(), Children(spine[hips]).end(),
                            [&](int c) { return Side(spine[hips], c) != 0; }))
            ++hips;
        if (hips == spine.size())
            return std::nullopt;
        const double hipHeight = Position(spine[hips])[1];
        std::optional<int> best;
        double bestReach = 0;
        for (std::size_t i = hips; i < spine.size(); ++i) {
            for (const int c : Children(spine[i])) {
                if (Side(spine[i], c) >= 0 || (i == hips && !(Position(c)[1] > hipHeight)))
                    continue;
                const int end = ChainEnd(c);
                const double reach = Length(Minus(Position(end), Position(spine[i])));
                if (!best || reach > bestReach) {
                    best = end;
                    bestReach = reach;
                }
            }
        }
        return best;
    }

    // The gun's frame at the hand, along the way from the nearest distinct ancestor to it.
    void Frame(int hand, HandChoice& choice) const {
        const Vec3d at = Position(hand);
        choice.origin = at;
        choice.barrel = {0, 0, 1};
        for (int up = s_.parents[static_cast<std::size_t>(hand)]; up >= 0;
             up = s_.parents[static_cast<std::size_t>(up)]) {
            const Vec3d way = Minus(at, Position(up));
            const double length = Length(way);
            if (length > 0 && std::isfinite(length)) {
                choice.barrel = Scaled(way, 1 / length);
                break;
            }
        }
        if (-choice.barrel[1] >= kHangsDown)
            choice.barrel = {0, 0, 1};
        // +Y made square to the barrel; for a barrel pointing up, the back.
        for (const Vec3d& wanted : {Vec3d{0, 1, 0}, Vec3d{0, 0, -1}}) {
            const Vec3d top = Minus(wanted, Scaled(choice.barrel, Dot(wanted, choice.barrel)));
            if (Length(top) > 0.1) {
                choice.top = Scaled(top, 1 / Length(top));
                break;
            }
        }
    }

  private:
    const std::vector<int>& Children(int n) const { return children_[static_cast<std::size_t>(n)]; }
    const Vec3d& Position(int n) const { return s_.restWorlds[static_cast<std::size_t>(n)].t; }
    double X(int n) const { return Position(n)[0]; }

    template <typename F>
    void ForSubtree(int n, F&& f) const {
        f(n);
        for (const int c : Children(n))
            ForSubtree(c, f);
    }

    // -1: the child's subtree lies on the right of the spine joint and reaches out; +1 on the
    // left; 0 along the middle or across it.
    int Side(int spine, int child) const {
        const double x = X(spine);
        const auto c = static_cast<std::size_t>(child);
        if (high_[c] <= x + band_ && low_[c] < x - reach_)
            return -1;
        if (low_[c] >= x - band_ && high_[c] > x + reach_)
            return 1;
        return 0;
    }

    // Down the chain while one child clearly carries on (a twist bone beside the forearm does
    // not stop it); where several alike branch off (fingers), that joint is the hand.
    int ChainEnd(int n) const {
        for (;;) {
            const std::vector<int>& children = Children(n);
            if (children.empty())
                return n;
            std::vector<std::size_t> sizes;
            for (const int c : children)
                sizes.push_back(size_[static_cast<std::size_t>(c)]);
            const auto largest = std::max_element(sizes.begin(), sizes.end());
            std::size_t second = 0;
            for (auto it = sizes.begin(); it != sizes.end(); ++it) {
                if (it != largest)
                    second = std::max(second, *it);
            }
            if (*largest <= 2 * second)
                return n;
            n = children[static_cast<std::size_t>(largest - sizes.begin())];
        }
    }

    const HandSkeleton& s_;
    std::size_t count_;
    std::vector<int> jointParent_;
    std::vector<std::vector<int>> children_;
    std::vector<std::size_t> size_;
    std::vector<double> low_, high_;  // the x range of each joint's subtree
    double band_ = 0, reach_ = 0;     // of the side test, from the skeleton's size
};

std::string Named(const HandSkeleton& s, int node) {
    const std::string& name = s.names[static_cast<std::size_t>(node)];
    return name.empty() ? "joint " + std::to_string(node) : "joint '" + name + "'";
}

}  // namespace

bool NameSaysRightHand(std::string_view name) {
    bool hand = false, right = false;
    for (const std::string& word : Words(name)) {
        hand |= word == "hand" || word == "wrist" || word == "palm";
        right |= word == "r" || word == "right" || word == "rt";
    }
    return hand && right;
}

std::optional<HandChoice> FindRightHand(const HandSkeleton& skeleton) {
    const std::size_t count = skeleton.parents.size();
    if (skeleton.names.size() != count || skeleton.restWorlds.size() != count ||
        skeleton.joints.size() != count)
        return std::nullopt;
    for (std::size_t n = 0; n < count; ++n) {
        if (skeleton.parents[n] >= static_cast<int>(n))
            return std::nullopt;  // parents come first; anything else is not a tree
    }
    Skeleton s(skeleton);
    HandChoice choice;
    if (const std::optional<int> hand = s.ByName()) {
        choice.node = *hand;
        choice.reason = "gun on " + Named(skeleton, *hand) + " (its name says right hand)";
    } else if (const std::optional<int> end = s.ByShape()) {
        choice.node = *end;
        choice.reason = "gun on " + Named(skeleton, *end) + " (the end of the right arm)";
    } else {
        return std::nullopt;
    }
    s.Frame(choice.node, choice);
    return choice;
}
