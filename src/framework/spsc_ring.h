// A fixed-size ring for one producer thread and one consumer thread, used to
// pass MIDI and parameter changes between the editor and the audio thread
// without a lock. One slot always stays empty so that "full" and "empty" can
// be told apart from the two indices alone: Slots slots hold Slots - 1 items.
// Each side publishes its index with a release store after touching the slot,
// and reads the other side's index with an acquire load.
#pragma once

#include <array>
#include <atomic>

namespace qm {

template <class T, int Slots>
class SpscRing {
  static_assert(Slots >= 2, "a ring needs one free slot besides its items");

public:
  static constexpr int kCapacity = Slots - 1;

  // Producer side. A push onto a full ring drops the item.
  bool Push(const T& item) {
    const int write = write_.load(std::memory_order_relaxed);
    const int next = advance(write);
    if (next == read_.load(std::memory_order_acquire)) return false;
    slots_[write] = item;
    write_.store(next, std::memory_order_release);
    return true;
  }

  // Consumer side.
  bool Pop(T& item) {
    const int read = read_.load(std::memory_order_relaxed);
    if (read == write_.load(std::memory_order_acquire)) return false;
    item = slots_[read];
    read_.store(advance(read), std::memory_order_release);
    return true;
  }

  // A snapshot; exact only when called from one of the two sides while the
  // other is idle.
  int ElementsAvailable() const {
    const int n = write_.load(std::memory_order_acquire) - read_.load(std::memory_order_acquire);
    return n < 0 ? n + Slots : n;
  }

private:
  static int advance(int index) { return index + 1 == Slots ? 0 : index + 1; }

  std::array<T, Slots> slots_{};
  // Each index on its own cache line, so the two threads do not fight over one.
  alignas(64) std::atomic<int> write_{0};
  alignas(64) std::atomic<int> read_{0};
};

} // namespace qm
