#include "assets/binary_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "tests/support/byte_builder.h"
#include "tests/temp_dir.h"

namespace {

// `lead` bytes of `fill`, then the words i * step + offset for i below `count`.
std::string WordsAfter(int lead, char fill, int count, std::int32_t step, std::int32_t offset) {
    ByteBuilder b;
    b.Raw(std::string(static_cast<std::size_t>(lead), fill));
    for (int i = 0; i < count; ++i)
        b.Int(i * step + offset);
    return b.str();
}

TEST(BinaryFile, ReadsLittleEndianValuesOfASmallFile) {
    TempDir dir;
    std::string bytes = "\x7F";
    bytes += std::string("\x34\x12", 2);
    bytes += ByteBuilder().Int(-5).Float(2.5f).str();
    bytes += std::string("robot", 6);
    dir.Write("small.bin", bytes);

    BinaryFile file;
    ASSERT_EQ(file.Open(dir.File("small.bin"), 1), 1);
    EXPECT_EQ(file.ReadByte(), 0x7F);
    EXPECT_EQ(file.ReadUInt16(), 0x1234);
    EXPECT_EQ(file.ReadInt32(), -5);
    EXPECT_EQ(file.ReadFloat(), 2.5f);
    char name[128];
    file.ReadString(name);
    EXPECT_STREQ(name, "robot");
    EXPECT_FALSE(file.ReadFailed());
    EXPECT_EQ(file.BytesLeft(), 0);
    EXPECT_EQ(file.Close(), 1);
}

// Values placed so that they start in the last bytes of the buffer, end exactly at its end, or
// straddle a refill: every one must come back whole.
TEST(BinaryFile, RefillsAtEveryBufferBoundaryOffset) {
    for (int lead = 1015; lead <= 1024; ++lead) {
        TempDir dir;
        dir.Write("f.bin", WordsAfter(lead, '\x55', 600, 7919, -300000));
        BinaryFile file;
        ASSERT_EQ(file.Open(dir.File("f.bin"), 1), 1);
        for (int i = 0; i < lead; ++i)
            ASSERT_EQ(file.ReadByte(), 0x55) << lead;
        for (int i = 0; i < 600; ++i)
            ASSERT_EQ(file.ReadInt32(), i * 7919 - 300000) << lead << " " << i;
        EXPECT_FALSE(file.ReadFailed());
        file.Close();
    }
}

// A block of words read at once gives what word-by-word reads give, wherever the block falls
// against the buffer, and a block running past the end gives zeros and is reported.
TEST(BinaryFile, WordBlocksReadLikeSingleWords) {
    for (int lead = 0; lead < 160; lead += 3) {
        TempDir dir;
        dir.Write("f.bin", WordsAfter(lead, '\x11', 700, 104729, -7));
        BinaryFile file;
        ASSERT_EQ(file.Open(dir.File("f.bin"), 1), 1);
        for (int i = 0; i < lead; ++i)
            file.ReadByte();
        std::int32_t block[36];
        for (int b = 0; b + 36 <= 700; b += 36) {
            file.ReadWords(block, 36);
            for (int k = 0; k < 36; ++k)
                ASSERT_EQ(block[k], (b + k) * 104729 - 7) << lead;
        }
        EXPECT_FALSE(file.ReadFailed());
        file.ReadWords(block, 36);  // 16 words left
        EXPECT_TRUE(file.ReadFailed());
        EXPECT_EQ(block[15], (684 + 15) * 104729 - 7);
        EXPECT_EQ(block[16], 0);
        EXPECT_EQ(block[35], 0);
    }
}

TEST(BinaryFile, LongStringNearTheBufferEndIsReadWhole) {
    TempDir dir;
    const std::string name(127, 'q');
    std::string bytes(1000, '\0');
    bytes += name;
    bytes += '\0';
    bytes += ByteBuilder().Int(42).str();
    dir.Write("s.bin", bytes);
    BinaryFile file;
    ASSERT_EQ(file.Open(dir.File("s.bin"), 1), 1);
    for (int i = 0; i < 1000; ++i)
        file.ReadByte();
    char out[128];
    file.ReadString(out);
    EXPECT_EQ(std::string(out), name);
    EXPECT_EQ(file.ReadInt32(), 42);
    EXPECT_FALSE(file.ReadFailed());
}

TEST(BinaryFile, OverlongStringIsCutTerminatedAndFlagged) {
    TempDir dir;
    std::string bytes(300, 'z');
    bytes += '\0';
    dir.Write("long.bin", bytes);
    BinaryFile file;
    ASSERT_EQ(file.Open(dir.File("long.bin"), 1), 1);
    char out[128 + 16];
    std::memset(out, 'X', sizeof out);
    file.ReadString(out);
    EXPECT_EQ(std::string(out), std::string(127, 'z'));
    EXPECT_EQ(out[128], 'X') << "nothing written past the 128-byte destination";
    EXPECT_TRUE(file.ReadFailed());
}

TEST(BinaryFile, ReadsPastTheEndGiveZerosAndAreReported) {
    TempDir dir;
    dir.Write("short.bin", ByteBuilder().Int(7).str() + "\x01\x02");
    BinaryFile file;
    ASSERT_EQ(file.Open(dir.File("short.bin"), 1), 1);
    EXPECT_EQ(file.ReadInt32(), 7);
    EXPECT_FALSE(file.ReadFailed());
    EXPECT_EQ(file.ReadInt32(), 0x0201);  // two real bytes, two zeros
    EXPECT_TRUE(file.ReadFailed());
    for (int i = 0; i < 2000; ++i)
        EXPECT_EQ(file.ReadInt32(), 0);
}

TEST(BinaryFile, TruncationAfterARefillIsReported) {
    TempDir dir;
    dir.Write("t.bin", WordsAfter(0, '\0', 400, 1, 1));
    BinaryFile file;
    ASSERT_EQ(file.Open(dir.File("t.bin"), 1), 1);
    for (int i = 0; i < 400; ++i)
        ASSERT_EQ(file.ReadInt32(), i + 1);
    EXPECT_FALSE(file.ReadFailed());
    EXPECT_EQ(file.ReadInt32(), 0);
    EXPECT_TRUE(file.ReadFailed());
}

TEST(BinaryFile, WriteSizesFollowTheFlushRule) {
    TempDir dir;
    {
        BinaryFile file;
        ASSERT_EQ(file.Open(dir.File("256.bin"), 0), 1);
        for (int i = 0; i < 256; ++i)
            file.WriteInt32(i);
        EXPECT_EQ(file.Close(), 1);
    }
    EXPECT_EQ(std::filesystem::file_size(dir.File("256.bin")), 1024u);
    {
        BinaryFile file;
        ASSERT_EQ(file.Open(dir.File("3.bin"), 0), 1);
        for (int i = 0; i < 3; ++i)
            file.WriteInt32(-i);
        EXPECT_EQ(file.Close(), 1);
    }
    EXPECT_EQ(dir.Read("3.bin"), ByteBuilder().Ints({0, -1, -2}).str());

    BinaryFile reader;
    ASSERT_EQ(reader.Open(dir.File("256.bin"), 1), 1);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(reader.ReadInt32(), i);
    EXPECT_FALSE(reader.ReadFailed());
}

TEST(BinaryFile, MissingFileAndDoubleClose) {
    TempDir dir;
    BinaryFile file;
    EXPECT_EQ(file.Open(dir.File("missing.bin"), 1), 0);
    EXPECT_EQ(file.Close(), 1);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.Close(), 1);
}

TEST(BinaryFile, WritesAppearOnlyWhenComplete) {
    TempDir dir;
    const std::string target = dir.File("cache.kdt");
    dir.Write("cache.kdt", "old");
    {
        BinaryFile file;
        ASSERT_EQ(file.Open(target, 0), 1);
        for (int i = 0; i < 1000; ++i)
            file.WriteInt32(i);
        EXPECT_EQ(dir.Read("cache.kdt"), "old") << "the real name is untouched while writing";
        // Destroyed without Close: the write is abandoned.
    }
    EXPECT_EQ(dir.Read("cache.kdt"), "old");
    EXPECT_FALSE(std::filesystem::exists(AtomicFile::TemporaryName(target)));

    BinaryFile file;
    ASSERT_EQ(file.Open(target, 0), 1);
    file.WriteInt32(9);
    ASSERT_EQ(file.Close(), 1);
    EXPECT_EQ(dir.Read("cache.kdt"), ByteBuilder().Int(9).str());
    EXPECT_FALSE(std::filesystem::exists(AtomicFile::TemporaryName(target)));
}

TEST(BinaryFile, UnwritableFolderFailsToOpen) {
    if (::geteuid() == 0) {
        // root ignores permissions; use a folder that does not exist instead.
        BinaryFile file;
        EXPECT_EQ(file.Open("/nonexistent-vorn-folder/x.kdt", 0), 0);
        EXPECT_EQ(file.Close(), 1);
        return;
    }
    TempDir dir;
    std::filesystem::permissions(
        dir.Path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    BinaryFile file;
    EXPECT_EQ(file.Open(dir.File("x.kdt"), 0), 0);
}

TEST(BinaryFile, FailedCommitIsReportedByClose) {
    TempDir dir;
    const std::string folder = dir.File("sub");
    std::filesystem::create_directory(folder);
    BinaryFile file;
    ASSERT_EQ(file.Open(folder + "/x.kdt", 0), 1);
    for (int i = 0; i < 10; ++i)
        file.WriteInt32(i);
    std::filesystem::remove_all(folder);  // the folder goes away mid-write
    EXPECT_EQ(file.Close(), 0);
    EXPECT_FALSE(std::filesystem::exists(folder + "/x.kdt"));
}

}  // namespace
