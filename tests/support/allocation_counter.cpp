#include "support/allocation_counter.h"

#include <cstdlib>
#include <new>

namespace {
thread_local std::size_t tAllocations = 0;

void* countedAlloc(std::size_t size) {
  ++tAllocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
} // namespace

namespace test_support {
std::size_t allocationCount() {
  return tAllocations;
}
} // namespace test_support

void* operator new(std::size_t size) {
  return countedAlloc(size);
}
void* operator new[](std::size_t size) {
  return countedAlloc(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  ++tAllocations;
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  ++tAllocations;
  return std::malloc(size == 0 ? 1 : size);
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
