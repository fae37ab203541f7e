#include "game/performance_counter.h"

#include "platform/platform.h"

std::int64_t ReadPerformanceCounter() {
    return ThePlatform().Counter();
}
