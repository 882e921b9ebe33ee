// Counts heap allocations made by the calling thread, so a test can show
// that a real-time path allocates nothing. Link the halvora_test_support
// object library to replace the global operator new.
#pragma once

#include <cstddef>

namespace test_support {

// Allocations made by this thread since it started.
std::size_t allocationCount();

// Counts the allocations made while it is alive.
class AllocationScope {
public:
  AllocationScope() : start_(allocationCount()) {}
  std::size_t allocations() const { return allocationCount() - start_; }

private:
  std::size_t start_;
};

} // namespace test_support
