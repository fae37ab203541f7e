#include "bench/frame/allocation_count.h"

#include <dlfcn.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

std::atomic<std::uint64_t> ours{0};
std::atomic<std::uint64_t> driver{0};

bool CalledFromDriver(void* caller) {
    Dl_info info;
    if (dladdr(caller, &info) == 0 || info.dli_fname == nullptr) return false;
    return std::strstr(info.dli_fname, "libLLVM") != nullptr ||
           std::strstr(info.dli_fname, "/dri/") != nullptr;
}

[[gnu::noinline]] void* Allocate(std::size_t size, void* caller) {
    (CalledFromDriver(caller) ? driver : ours).fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

}  // namespace

AllocationCounts CountAllocations() {
    return {ours.load(std::memory_order_relaxed), driver.load(std::memory_order_relaxed)};
}

void* operator new(std::size_t size) { return Allocate(size, __builtin_return_address(0)); }
void* operator new[](std::size_t size) { return Allocate(size, __builtin_return_address(0)); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
