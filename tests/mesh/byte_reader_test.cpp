#include "assets/byte_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/byte_builder.h"
#include "tests/temp_dir.h"

namespace {

const std::uint8_t* Bytes(const std::string& s) {
    return reinterpret_cast<const std::uint8_t*>(s.data());
}

TEST(ByteReader, ReadsLittleEndianValuesAndStrings) {
    ByteBuilder b;
    b.Byte(0x7F).Short(0xBEEF).Int(-5).Float(2.5f).Str("robot").Ints({1, -2, 3});
    ByteReader in(Bytes(b.str()), b.str().size());
    EXPECT_EQ(in.U8(), 0x7F);
    EXPECT_EQ(in.U16(), 0xBEEF);
    EXPECT_EQ(in.I32(), -5);
    EXPECT_EQ(in.F32(), 2.5f);
    char name[ByteReader::kStringSize];
    ASSERT_TRUE(in.String(name));
    EXPECT_STREQ(name, "robot");
    std::int32_t words[3];
    ASSERT_TRUE(in.Words(words, 3));
    EXPECT_EQ(words[1], -2);
    EXPECT_EQ(in.BytesLeft(), 0u);
    EXPECT_FALSE(in.Failed());
}

TEST(ByteReader, ReadsPastTheEndGiveZerosAndFail) {
    ByteBuilder b;
    b.Byte(1).Byte(2).Byte(3);
    ByteReader in(Bytes(b.str()), b.str().size());
    EXPECT_EQ(in.I32(), 0);
    EXPECT_TRUE(in.Failed());
    EXPECT_EQ(in.BytesLeft(), 3u);  // nothing consumed by the failed read
    EXPECT_EQ(in.U16(), 0x0201);
    EXPECT_EQ(in.Skip(2), nullptr);
    std::int32_t word;
    EXPECT_FALSE(in.Words(&word, 1));
}

TEST(ByteReader, StringsOfMoreThan127CharactersOrWithoutTerminatorFail) {
    const std::string longest(127, 'a');
    std::string bytes = longest + '\0';
    char out[ByteReader::kStringSize];
    ByteReader ok(Bytes(bytes), bytes.size());
    ASSERT_TRUE(ok.String(out));
    EXPECT_EQ(std::string(out), longest);

    bytes = std::string(128, 'a') + '\0';
    ByteReader tooLong(Bytes(bytes), bytes.size());
    EXPECT_FALSE(tooLong.String(out));
    EXPECT_TRUE(tooLong.Failed());
    EXPECT_STREQ(out, "");

    bytes = "abc";
    ByteReader unterminated(Bytes(bytes), bytes.size());
    EXPECT_FALSE(unterminated.String(out));
    EXPECT_TRUE(unterminated.Failed());
}

TEST(MappedFile, MapsRegularFilesOnly) {
    TempDir dir;
    dir.Write("data.bin", std::string("\x01\x02\x03", 3));
    dir.Write("empty.bin", "");
    MappedFile data;
    ASSERT_TRUE(data.Open(dir.File("data.bin")));
    ASSERT_EQ(data.Size(), 3u);
    EXPECT_EQ(data.Data()[2], 3);
    MappedFile empty;
    ASSERT_TRUE(empty.Open(dir.File("empty.bin")));
    EXPECT_EQ(empty.Size(), 0u);
    EXPECT_NE(empty.Data(), nullptr);
    MappedFile missing;
    EXPECT_FALSE(missing.Open(dir.File("missing.bin")));
    MappedFile folder;
    EXPECT_FALSE(folder.Open(dir.Path().string()));
}

}  // namespace
