#include "app/con_stream.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/scripted_platform.h"

namespace {

class Console : public ::testing::Test {
  protected:
    int CallsOf(PlatformCall call) const {
        return static_cast<int>(std::count(platform.Calls().begin(), platform.Calls().end(), call));
    }

    ScriptedPlatform platform;
    ConStream console;
};

TEST_F(Console, DiscardsBeforeOpenAndAfterClose) {
    console << "before " << 1.5f << '\n';
    EXPECT_TRUE(console.good());
    console.Open();
    console << "during";
    console.Close();
    console << "after" << std::endl;
    EXPECT_TRUE(console.good());
    EXPECT_EQ(platform.ConsoleText(), "during");
}

TEST_F(Console, WritesReachTheConsoleAtOnceWhileOpen) {
    console.Open();
    console << "Input Not Acquired, ";  // no line end, no flush
    EXPECT_EQ(platform.ConsoleText(), "Input Not Acquired, ");
    console << 2.5f;
    EXPECT_EQ(platform.ConsoleText(), "Input Not Acquired, 2.5");
}

TEST_F(Console, LinesEndInCarriageReturnAndLineFeed) {
    console.Open();
    console << "Load Time " << 0.25f << '\n';
    console << "a\n\nb" << std::endl;
    EXPECT_EQ(platform.ConsoleText(), "Load Time 0.25\r\na\r\n\r\nb\r\n");
}

TEST_F(Console, FloatsUseDefaultFormatting) {
    console.Open();
    console << 1234567.0f << ' ' << 3.27868852f << ' ' << 60.0f << ' ' << 0.0001f;
    EXPECT_EQ(platform.ConsoleText(), "1.23457e+06 3.27869 60 0.0001");
}

TEST_F(Console, OpenTwiceAndCloseTwiceChangeNothing) {
    console.Open();
    console << "x";
    console.Open();
    console << "y";
    EXPECT_EQ(CallsOf(PlatformCall::OpenConsole), 1);
    EXPECT_EQ(platform.ConsoleText(), "xy");
    console.Close();
    console.Close();
    EXPECT_EQ(CallsOf(PlatformCall::CloseConsole), 1);
    EXPECT_FALSE(console.IsOpen());
}

TEST_F(Console, CloseRestoresTheDefaultStreamState) {
    console.Open();
    EXPECT_TRUE(console.flags() & std::ios::unitbuf);
    console.precision(2);
    console.width(9);
    console.Close();
    EXPECT_FALSE(console.flags() & std::ios::unitbuf);
    EXPECT_EQ(console.precision(), 6);
    EXPECT_EQ(console.width(), 0);
    EXPECT_EQ(console.flags(), std::ios::skipws | std::ios::dec);

    console.Open();  // opening again gives fresh output, not the old settings
    console << 1.0f / 3.0f;
    EXPECT_EQ(platform.ConsoleText(), "0.333333");
}

TEST_F(Console, WithoutAConsoleTheStreamIsBadUntilClosed) {
    platform.Fail(PlatformCall::OpenConsole);
    console.Open();
    EXPECT_TRUE(console.IsOpen());
    EXPECT_TRUE(console.bad());
    console << "lost" << std::endl;
    console.Close();
    EXPECT_TRUE(console.good());
    EXPECT_EQ(CallsOf(PlatformCall::CloseConsole), 1);
    EXPECT_EQ(platform.ConsoleText(), "");
}

TEST_F(Console, DestroyingAnOpenStreamClosesItsConsole) {
    {
        ConStream other;
        other.Open();
        other << "bye\n";
    }
    EXPECT_EQ(CallsOf(PlatformCall::CloseConsole), 1);
    EXPECT_EQ(platform.ConsoleText(), "bye\r\n");
    EXPECT_FALSE(platform.ConsoleOpen());
}

}  // namespace
