// The JSON writer: exact escaping, always valid UTF-8, and a document Python reads back.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/inspect/inspect_run.h"
#include "tests/support/model_meshes.h"
#include "tests/temp_dir.h"
#include "tools/inspect/json_writer.h"

namespace {

TEST(JsonString, EscapesQuotesBackslashesAndControlCharacters) {
    EXPECT_EQ(JsonString("plain"), "\"plain\"");
    EXPECT_EQ(JsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(JsonString("\n\r\t"), "\"\\n\\r\\t\"");
    EXPECT_EQ(JsonString(std::string("\x01\x1f\x7f", 3)), "\"\\u0001\\u001F\\u007F\"");
    EXPECT_EQ(JsonString(std::string("a\0b", 3)), "\"a\\u0000b\"");
}

TEST(JsonString, KeepsUtf8AndWritesOtherBytesAsLatin1) {
    EXPECT_EQ(JsonString("caf\xC3\xA9"), "\"caf\xC3\xA9\"");             // valid: kept
    EXPECT_EQ(JsonString("caf\xE9"), "\"caf\\u00E9\"");                  // a lone Latin-1 byte
    EXPECT_EQ(JsonString("\xC3"), "\"\\u00C3\"");                        // cut sequence
    EXPECT_EQ(JsonString("\xC0\xAF"), "\"\\u00C0\\u00AF\"");             // overlong
    EXPECT_EQ(JsonString("\xED\xA0\x80"), "\"\\u00ED\\u00A0\\u0080\"");  // surrogate
}

TEST(JsonValue, WritesNumbersListsObjectsAndInfinities) {
    Value v = Value::Object();
    v.Set("n", 3);
    v.Set("r", Value::Real(0.5));
    v.Set("inf", Value::Real(1.0 / 0.0));
    v.Set("b", Value::Bool(false));
    Value& list = v.Set("l", Value::List());
    list.Append(Value::String("x"));
    list.Append(Value::Hash(0x46D2E));
    EXPECT_EQ(JsonValue(v),
              "{\"n\":3,\"r\":0.5,\"inf\":\"inf\",\"b\":false,\"l\":[\"x\",\"0x00046D2E\"]}");
}

TEST(JsonReport, NodeNamesWithAwkwardBytesSurviveARoundTripThroughPython) {
    TempDir dir;
    MeshSource source = RootAndArm();
    source.nodes[0].name = "Ro\"o\\t\x01";
    source.nodes[1].name = "\xE9t\xC3\xA9";
    ASSERT_TRUE(WriteMeshFile(dir.File("odd.ply"), source));
    const InspectRun run = RunInspect(
        {"--json", dir.File("odd.ply")}, false,
        PythonJsonCheck("len(docs)==1 and docs[0]['file'].endswith('odd.ply') and "
                        "docs[0]['summary']['node tree'][0]['name']=='Ro\"o\\\\t\\x01' and "
                        "docs[0]['summary']['node tree'][0]['children'][0]['name']=="
                        "'\\u00e9t\\u00e9' and docs[0]['valid'] is True"));
    EXPECT_EQ(run.output, "0\n");
}

TEST(JsonReport, DeepNodeTreesAreCutAtSixtyFourLevels) {
    TempDir dir;
    MeshSource source = RootAndArm();
    std::int32_t parent = 1;
    for (int i = 0; i < 100; ++i)
        parent = source.AddNode("N" + std::to_string(i), parent);
    source.AddNode("Last", -1);  // a second root after the deep chain is still shown
    ASSERT_TRUE(WriteMeshFile(dir.File("deep.ply"), source));
    const InspectRun text = RunInspect({dir.File("deep.ply")});
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.output.find("note: the node tree nests deeper than 64 levels; 38 nodes below "
                               "them are not shown"),
              std::string::npos)
        << text.output;
    const InspectRun run = RunInspect(
        {"--json", dir.File("deep.ply")}, false,
        PythonJsonCheck("docs[0]['summary']['nodes']==103 and "
                        "[n['name'] for n in docs[0]['summary']['node tree']]==['Root','Last']"));
    EXPECT_EQ(run.output, "0\n");
}

TEST(JsonReport, InvalidFilesCarryTheirProblems) {
    TempDir dir;
    dir.Write("bad.anm", "nope");
    const InspectRun run = RunInspect(
        {"--json", dir.File("bad.anm"), dir.File("missing.tga")}, false,
        PythonJsonCheck("len(docs)==2 and not docs[0]['valid'] and docs[0]['kind']=='animation' "
                        "and docs[0]['problems']==['magic 0x65706F6E (expected 0x12345679) (at "
                        "byte 0)'] and docs[1]['problems']==['no such file, or not a regular "
                        "file']"));
    EXPECT_EQ(run.output, "0\n");
}

}  // namespace
