#pragma once
// Counts every allocation of a benchmark program. Include in exactly one file of the program
// (each benchmark is one file): it replaces the global operator new and delete.

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace kovra::bench {
inline std::atomic<uint64_t> allocations{0};
}  // namespace kovra::bench

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t size) {
  kovra::bench::allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
