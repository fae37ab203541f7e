#include "bench/frame/allocation_count.h"

#include <dlfcn.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

std::atomic<std::uint64_t> ours{0};
std::atomic<std::uint64_t> driver{0};

bool LooksUpDriver(void* caller) {
    Dl_info info;
    if (dladdr(caller, &info) == 0 || info.dli_fname == nullptr)
        return false;
    return std::strstr(info.dli_fname, "libLLVM") != nullptr ||
           std::strstr(info.dli_fname, "/dri/") != nullptr;
}

// dladdr searches the symbols of the whole library, and LLVM's are many: uncached, a shader
// compile inside a frame took tens of milliseconds longer than it does without the counter. So
// each call site is looked up once. Slots hold (address << 1 | from driver), 0 when free; a race
// at worst looks a site up twice.
constexpr std::size_t kSlotBits = 14;
constexpr int kProbes = 32;
std::atomic<std::uintptr_t> sites[std::size_t{1} << kSlotBits];

bool CalledFromDriver(void* caller) {
    const auto address = reinterpret_cast<std::uintptr_t>(caller);
    const std::size_t mask = (std::size_t{1} << kSlotBits) - 1;
    std::size_t slot = (address * 0x9E3779B97F4A7C15u) >> (64 - kSlotBits);
    for (int probe = 0; probe < kProbes; ++probe, slot = (slot + 1) & mask) {
        const std::uintptr_t held = sites[slot].load(std::memory_order_relaxed);
        if (held == 0) {
            const bool driver = LooksUpDriver(caller);
            std::uintptr_t expected = 0;
            sites[slot].compare_exchange_strong(expected, address << 1 | (driver ? 1 : 0),
                                                std::memory_order_relaxed);
            return driver;
        }
        if (held >> 1 == address)
            return (held & 1) != 0;
    }
    return LooksUpDriver(caller);  // a crowded neighbourhood: look it up every time
}

[[gnu::noinline]] void* Allocate(std::size_t size, void* caller) {
    (CalledFromDriver(caller) ? driver : ours).fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

}  // namespace

AllocationCounts CountAllocations() {
    return {ours.load(std::memory_order_relaxed), driver.load(std::memory_order_relaxed)};
}

void* operator new(std::size_t size) {
    return Allocate(size, __builtin_return_address(0));
}
void* operator new[](std::size_t size) {
    return Allocate(size, __builtin_return_address(0));
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
