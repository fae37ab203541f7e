// SDL's scan codes (the USB HID usage numbers) translated to the DirectInput scan codes that
// index the keyboard state.
#pragma once

#include <cstdint>

// 0 for a scan code that has no DirectInput counterpart (or lies outside SDL's range).
std::uint8_t DikFromSdlScancode(int scancode);
