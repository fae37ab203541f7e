// The high-resolution counter that drives the animation clocks.
#pragma once

#include <cstdint>

std::int64_t ReadPerformanceCounter();
