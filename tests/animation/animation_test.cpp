#include "assets/animation.h"

#include <gtest/gtest.h>

#include <string>

#include "assets/animation_writer.h"
#include "assets/name_hash.h"
#include "tests/support/byte_builder.h"
#include "tests/temp_dir.h"

namespace {

MeshNode NodeNamed(const char* name) {
    MeshNode node;
    node.hash = NameHash(name);
    return node;
}

// A keyframe of twelve distinct values, so that any misplaced element shows.
constexpr float kDistinct[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};

ByteBuilder Header(std::int64_t magic, const std::string& name, int frames, int tracks) {
    ByteBuilder b;
    b.Int(magic).Str(name).Short(frames).Short(tracks);
    return b;
}

void AppendKey(ByteBuilder& b, const float (&a)[12]) {
    for (float v : a) {
        b.Float(v);
    }
}

// Two frames, two tracks: "Hip" (identity-with-translation, then the distinct key) and "Arm".
std::string TwoTrackFixture() {
    ByteBuilder b = Header(0x12345679, "walk", 2, 2);
    b.Str("Hip");
    AppendKey(b, {1, 0, 0, 5, 0, 1, 0, 6, 0, 0, 1, 7});
    AppendKey(b, kDistinct);
    b.Str("Arm");
    AppendKey(b, kDistinct);
    AppendKey(b, {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0});
    return b.str();
}

Transform DistinctTransform() {
    // Rotation rows are the file matrix's columns; the translation is its last column.
    return {Matrix3{{1, 5, 9, 2, 6, 10, 3, 7, 11}}, Vec3{4, 8, 12}};
}

int LoadBytes(Animation& animation, const std::string& bytes) {
    TempDir dir;
    dir.Write("a.anm", bytes);
    return animation.Load(dir.File("a.anm"));
}

TEST(Animation, LoadsAHandBuiltFileAndPlacesTheTwelveFloats) {
    Animation animation;
    ASSERT_EQ(LoadBytes(animation, TwoTrackFixture()), 1);
    EXPECT_EQ(animation.magic, 0x12345679);
    EXPECT_STREQ(animation.name, "walk");
    EXPECT_EQ(animation.frameCount, 2);
    EXPECT_EQ(animation.trackCount, 2);

    const MeshNode hip = NodeNamed("Hip");
    const Transform& first = animation.FindKey(hip, 0);
    EXPECT_EQ(first.r, Matrix3::Identity);
    EXPECT_EQ(first.t, (Vec3{5, 6, 7}));
    EXPECT_EQ(animation.FindKey(hip, 1), DistinctTransform());

    const MeshNode arm = NodeNamed("Arm");
    EXPECT_EQ(animation.FindKey(arm, 0), DistinctTransform());
    const Transform quarterTurn{Matrix3{{0, -1, 0, 1, 0, 0, 0, 0, 1}}, Vec3::Zero};
    EXPECT_EQ(animation.FindKey(arm, 1), quarterTurn);
}

TEST(Animation, UntrackedNodeGetsTheIdentityAtEveryFrame) {
    Animation animation;
    ASSERT_EQ(LoadBytes(animation, TwoTrackFixture()), 1);
    const MeshNode other = NodeNamed("Gun");
    for (int frame = 0; frame < 2; ++frame) {
        EXPECT_EQ(animation.FindKey(other, frame), Transform::Identity);
    }
}

TEST(Animation, FirstTrackOfANodeWins) {
    ByteBuilder b = Header(0x12345679, "dup", 1, 2);
    b.Str("Hip");
    AppendKey(b, kDistinct);
    b.Str("Hip");
    AppendKey(b, {1, 0, 0, 5, 0, 1, 0, 6, 0, 0, 1, 7});
    Animation animation;
    ASSERT_EQ(LoadBytes(animation, b.str()), 1);
    EXPECT_EQ(animation.FindKey(NodeNamed("Hip"), 0), DistinctTransform());
}

TEST(Animation, FramesOutsideTheAnimationAreClamped) {
    Animation animation;
    ASSERT_EQ(LoadBytes(animation, TwoTrackFixture()), 1);
    const MeshNode hip = NodeNamed("Hip");
    EXPECT_EQ(animation.FindKey(hip, -3), animation.FindKey(hip, 0));
    EXPECT_EQ(animation.FindKey(hip, 2), animation.FindKey(hip, 1));
    EXPECT_EQ(animation.FindKey(hip, 1 << 30), animation.FindKey(hip, 1));
}

TEST(Animation, RejectsWrongMagicAndCountsBelowOne) {
    const auto withCounts = [](std::int64_t magic, int frames, int tracks) {
        ByteBuilder b = Header(magic, "x", frames, tracks);
        for (int t = 0; t < 2; ++t) {
            b.Str("Hip");
            for (int f = 0; f < 2; ++f) {
                AppendKey(b, kDistinct);
            }
        }
        return b.str();
    };
    Animation animation;
    EXPECT_EQ(LoadBytes(animation, withCounts(0x12345679, 2, 2)), 1);  // the same file, valid
    Animation fresh;
    EXPECT_EQ(LoadBytes(fresh, withCounts(0x12345678, 2, 2)), 0);
    EXPECT_EQ(LoadBytes(fresh, withCounts(0x12345679, 0, 2)), 0);
    EXPECT_EQ(LoadBytes(fresh, withCounts(0x12345679, 2, 0)), 0);
    // 32768 and above read as negative 16-bit counts.
    EXPECT_EQ(LoadBytes(fresh, withCounts(0x12345679, 0x8000, 1)), 0);
    EXPECT_EQ(LoadBytes(fresh, withCounts(0x12345679, 1, 0xFFFF)), 0);
    EXPECT_EQ(fresh.trackCount, 0);
    EXPECT_TRUE(fresh.keys.empty());
}

TEST(Animation, CountsThatTheFileCannotHoldAreRejectedBeforeAllocating) {
    // 32767 x 32767 keyframes would be 51 GB; the file holds one.
    ByteBuilder b = Header(0x12345679, "huge", 32767, 32767);
    b.Str("Hip");
    AppendKey(b, kDistinct);
    Animation animation;
    EXPECT_EQ(LoadBytes(animation, b.str()), 0);
    EXPECT_EQ(animation.keys.capacity(), 0u);
}

TEST(Animation, OverlongNodeNameIsRejected) {
    ByteBuilder b = Header(0x12345679, "x", 1, 1);
    b.Str(std::string(128, 'n'));
    AppendKey(b, kDistinct);
    Animation animation;
    EXPECT_EQ(LoadBytes(animation, b.str()), 0);
}

TEST(Animation, MissingFileFails) {
    TempDir dir;
    Animation animation;
    EXPECT_EQ(animation.Load(dir.File("none.anm")), 0);
}

TEST(Animation, FailedLoadLeavesTheAnimationAsItWas) {
    Animation animation;
    ASSERT_EQ(LoadBytes(animation, TwoTrackFixture()), 1);
    std::string bad = TwoTrackFixture();
    bad[0] = 0x78;
    EXPECT_EQ(LoadBytes(animation, bad), 0);
    std::string truncated = TwoTrackFixture();
    truncated.pop_back();
    EXPECT_EQ(LoadBytes(animation, truncated), 0);
    EXPECT_STREQ(animation.name, "walk");
    EXPECT_EQ(animation.trackCount, 2);
    EXPECT_EQ(animation.FindKey(NodeNamed("Hip"), 1), DistinctTransform());
}

TEST(Animation, EveryTruncationIsRejectedAndNoByteFlipCrashes) {
    const std::string good = TwoTrackFixture();
    TempDir dir;
    for (std::size_t size = 0; size < good.size(); ++size) {
        dir.Write("t.anm", good.substr(0, size));
        Animation animation;
        ASSERT_EQ(animation.Load(dir.File("t.anm")), 0) << size;
    }
    for (std::size_t at = 0; at < good.size(); ++at) {
        for (int flip : {0x01, 0x80, 0xFF}) {
            std::string bytes = good;
            bytes[at] = static_cast<char>(bytes[at] ^ flip);
            dir.Write("f.anm", bytes);
            Animation animation;
            if (animation.Load(dir.File("f.anm")) == 1) {
                EXPECT_EQ(animation.keys.size(),
                          static_cast<std::size_t>(animation.frameCount * animation.trackCount));
                animation.FindKey(NodeNamed("Hip"), 1);
            }
        }
    }
}

TEST(AnimationWriter, WritesExactlyTheHandBuiltLayout) {
    AnimationSource source;
    source.name = "walk";
    source.tracks.push_back({"Hip", {{Matrix3::Identity, {5, 6, 7}}, DistinctTransform()}});
    source.tracks.push_back(
        {"Arm", {DistinctTransform(), {Matrix3{{0, -1, 0, 1, 0, 0, 0, 0, 1}}, Vec3::Zero}}});
    const auto bytes = AnimationFileBytes(source);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, TwoTrackFixture());
}

TEST(AnimationWriter, RoundTripsThroughTheLoaderExactly) {
    AnimationSource source;
    source.name = std::string(127, 'w');
    for (int t = 0; t < 5; ++t) {
        AnimationTrackSource track{"Node" + std::to_string(t), {}};
        for (int f = 0; f < 7; ++f) {
            Transform key =
                Transform::Rotation(0.1f * static_cast<float>(f + t), Vec3{0.6f, 0.8f, 0});
            key.t = {-1.5f * static_cast<float>(f), 1e-7f * static_cast<float>(t), 3e7f};
            track.keys.push_back(key);
        }
        source.tracks.push_back(track);
    }
    TempDir dir;
    ASSERT_TRUE(WriteAnimationFile(dir.File("r.anm"), source));
    Animation animation;
    ASSERT_EQ(animation.Load(dir.File("r.anm")), 1);
    EXPECT_EQ(std::string(animation.name), source.name);
    ASSERT_EQ(animation.frameCount, 7);
    ASSERT_EQ(animation.trackCount, 5);
    for (int t = 0; t < 5; ++t) {
        const MeshNode node = NodeNamed(source.tracks[t].nodeName.c_str());
        for (int f = 0; f < 7; ++f) {
            EXPECT_EQ(animation.FindKey(node, f), source.tracks[t].keys[f]) << t << " " << f;
        }
    }
}

TEST(AnimationWriter, RefusesTracksOfDifferentLengths) {
    AnimationSource source;
    source.tracks.push_back({"A", {Transform::Identity, Transform::Identity}});
    source.tracks.push_back({"B", {Transform::Identity}});
    EXPECT_FALSE(AnimationFileBytes(source));
    TempDir dir;
    EXPECT_FALSE(WriteAnimationFile(dir.File("bad.anm"), source));
    EXPECT_FALSE(std::filesystem::exists(dir.File("bad.anm")));
}

}  // namespace
