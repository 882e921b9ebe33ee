// MidiEventRing: the note and sustain messages taken by the current control
// block, waiting for their sample. A fixed ring inside the instance, so
// rendering never allocates however busy the MIDI stream is; a control block
// lasts a millisecond, and a few thousand messages in one is far beyond what
// any host delivers.
#pragma once

#include "framework/midi.h"

#include <array>
#include <cstddef>

class MidiEventRing {
public:
  static constexpr int kCapacity = 4096;

  // False (dropping the message) only when the ring is full.
  bool push(const qm::IMidiMsg& msg) {
    if (size_ == kCapacity) return false;
    buffer_[static_cast<size_t>((head_ + size_) % kCapacity)] = msg;
    ++size_;
    return true;
  }
  bool empty() const { return size_ == 0; }
  int size() const { return size_; }
  const qm::IMidiMsg& front() const { return buffer_[static_cast<size_t>(head_)]; }
  void pop() {
    if (size_ == 0) return;
    head_ = (head_ + 1) % kCapacity;
    --size_;
  }
  void clear() { head_ = size_ = 0; }

private:
  std::array<qm::IMidiMsg, kCapacity> buffer_{};
  int head_ = 0;
  int size_ = 0;
};
