// The SDL scan codes are the USB HID keyboard usage numbers, so they are written as numbers here.
#include "platform/sdl_key_table.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "platform/key_codes.h"

namespace {

TEST(KeyTable, LettersDigitsAndFunctionKeys) {
    const std::uint8_t letters[26] = {DIK_A, DIK_B, DIK_C, DIK_D, DIK_E, DIK_F, DIK_G, DIK_H, DIK_I,
                                      DIK_J, DIK_K, DIK_L, DIK_M, DIK_N, DIK_O, DIK_P, DIK_Q, DIK_R,
                                      DIK_S, DIK_T, DIK_U, DIK_V, DIK_W, DIK_X, DIK_Y, DIK_Z};
    const std::uint8_t letterCodes[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                          0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                          0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
    for (int i = 0; i < 26; ++i) {
        EXPECT_EQ(DikFromSdlScancode(4 + i), letters[i]) << char('A' + i);
        EXPECT_EQ(letters[i], letterCodes[i]) << char('A' + i);
    }
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(DikFromSdlScancode(30 + i), 0x02 + i);  // 1..9, 0
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(DikFromSdlScancode(58 + i), 0x3B + i);  // F1..F10
    EXPECT_EQ(DikFromSdlScancode(68), 0x57);              // F11
    EXPECT_EQ(DikFromSdlScancode(69), 0x58);              // F12
}

TEST(KeyTable, ControlsOfTheGame) {
    const std::map<int, std::uint8_t> expected = {
        {41, 0x01},  // Escape
        {82, 0xC8},  // Up
        {81, 0xD0},  // Down
        {80, 0xCB},  // Left
        {79, 0xCD},  // Right
        {73, 0xD2},  // Insert
        {74, 0xC7},  // Home
        {75, 0xC9},  // Page Up
        {76, 0xD3},  // Delete
        {77, 0xCF},  // End
        {78, 0xD1},  // Page Down
    };
    for (const auto& [scancode, dik] : expected)
        EXPECT_EQ(DikFromSdlScancode(scancode), dik);
}

TEST(KeyTable, KeypadAndModifiers) {
    // Keypad 1..9, 0 and the decimal point.
    const std::uint8_t keypad[11] = {0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D,
                                     0x47, 0x48, 0x49, 0x52, 0x53};
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(DikFromSdlScancode(89 + i), keypad[i]);
    EXPECT_EQ(DikFromSdlScancode(84), 0xB5);  // keypad divide
    EXPECT_EQ(DikFromSdlScancode(85), 0x37);  // multiply
    EXPECT_EQ(DikFromSdlScancode(86), 0x4A);  // minus
    EXPECT_EQ(DikFromSdlScancode(87), 0x4E);  // plus
    EXPECT_EQ(DikFromSdlScancode(88), 0x9C);  // enter
    EXPECT_EQ(DikFromSdlScancode(83), 0x45);  // num lock
    // Left control, shift, alt, logo; right control, shift, alt, logo.
    const std::uint8_t modifiers[8] = {0x1D, 0x2A, 0x38, 0xDB, 0x9D, 0x36, 0xB8, 0xDC};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(DikFromSdlScancode(224 + i), modifiers[i]);
}

TEST(KeyTable, OutsideTheRangeOrWithoutCounterpartIsZero) {
    EXPECT_EQ(DikFromSdlScancode(-1), 0);
    EXPECT_EQ(DikFromSdlScancode(0), 0);
    EXPECT_EQ(DikFromSdlScancode(512), 0);
    EXPECT_EQ(DikFromSdlScancode(1 << 20), 0);
    EXPECT_EQ(DikFromSdlScancode(115), 0);  // F24
}

TEST(KeyTable, OnlyTheKnownAliasesShareACode) {
    std::map<std::uint8_t, std::set<int>> sources;
    for (int scancode = 0; scancode < 512; ++scancode) {
        const std::uint8_t dik = DikFromSdlScancode(scancode);
        if (dik != 0)
            sources[dik].insert(scancode);
    }
    std::map<std::uint8_t, std::set<int>> shared;
    for (const auto& [dik, codes] : sources) {
        if (codes.size() > 1)
            shared[dik] = codes;
    }
    const std::map<std::uint8_t, std::set<int>> aliases = {
        {DIK_BACKSLASH, {49, 50}},  // backslash, ISO hash
        {DIK_MUTE, {127, 262}},     // mute, audio mute
        {DIK_SYSRQ, {70, 154}},     // print screen, system request
    };
    EXPECT_EQ(shared, aliases);
    EXPECT_GE(sources.size(), 120u);
}

}  // namespace
