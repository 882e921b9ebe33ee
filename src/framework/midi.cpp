#include "framework/midi.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace qm {

namespace {
uint8_t dataByte(int value) {
  return static_cast<uint8_t>(std::clamp(value, 0, 127));
}
uint8_t statusByte(int type, int channel) {
  return static_cast<uint8_t>((type << 4) | (channel & 0x0F));
}

// n rounded up to a multiple of step (step > 0), saturating instead of overflowing.
int roundUp(int n, int step) {
  const long long rounded = (static_cast<long long>(std::max(n, 0)) + step - 1) / step * step;
  return static_cast<int>(std::min<long long>(rounded, INT_MAX / step * step));
}
} // namespace

IMidiMsg IMidiMsg::NoteOn(int note, int velocity, int offset, int channel) {
  return {offset, statusByte(kNoteOn, channel), dataByte(note), dataByte(velocity)};
}

IMidiMsg IMidiMsg::NoteOff(int note, int offset, int channel, int velocity) {
  return {offset, statusByte(kNoteOff, channel), dataByte(note), dataByte(velocity)};
}

IMidiMsg IMidiMsg::ControlChange(int controller, int value, int offset, int channel) {
  return {offset, statusByte(kControlChange, channel), dataByte(controller), dataByte(value)};
}

IMidiMsg IMidiMsg::ProgramChange(int program, int offset, int channel) {
  return {offset, statusByte(kProgramChange, channel), dataByte(program), 0};
}

IMidiMsg IMidiMsg::PitchWheel(int value14, int offset, int channel) {
  const int v = std::clamp(value14, 0, 16383);
  return {offset, statusByte(kPitchWheel, channel), static_cast<uint8_t>(v & 0x7F),
          static_cast<uint8_t>(v >> 7)};
}

IMidiQueue::IMidiQueue(int capacity, int growth) : growth_(std::max(growth, 0)) {
  reallocate(std::max(capacity, 0));
}

IMidiQueue::~IMidiQueue() {
  std::free(buffer_);
}

bool IMidiQueue::reallocate(int capacity) {
  if (capacity == 0) {
    std::free(buffer_);
    buffer_ = nullptr;
    capacity_ = 0;
    return true;
  }
  void* grown = std::realloc(buffer_, sizeof(IMidiMsg) * static_cast<std::size_t>(capacity));
  if (!grown) return false;
  buffer_ = static_cast<IMidiMsg*>(grown);
  capacity_ = capacity;
  return true;
}

bool IMidiQueue::Add(const IMidiMsg& msg) {
  if (back_ >= capacity_) {
    if (front_ > 0) {
      Compact();
    } else {
      if (growth_ == 0 || capacity_ > INT_MAX - growth_) return false;
      if (!reallocate((capacity_ / growth_ + 1) * growth_)) return false;
    }
  }
  int pos = back_;
  // Step back over every pending message that is due later.
  while (pos > front_ && buffer_[pos - 1].mOffset > msg.mOffset) --pos;
  if (pos < back_) {
    std::memmove(buffer_ + pos + 1, buffer_ + pos,
                 sizeof(IMidiMsg) * static_cast<std::size_t>(back_ - pos));
  }
  buffer_[pos] = msg;
  ++back_;
  return true;
}

void IMidiQueue::Compact() {
  if (front_ == 0) return;
  const int pending = back_ - front_;
  if (pending > 0) {
    std::memmove(buffer_, buffer_ + front_, sizeof(IMidiMsg) * static_cast<std::size_t>(pending));
  }
  front_ = 0;
  back_ = pending;
}

void IMidiQueue::Flush(int nFrames) {
  Compact();
  for (int i = 0; i < back_; ++i) buffer_[i].mOffset -= nFrames;
}

void IMidiQueue::Resize(int blockSize) {
  Compact();
  const int growth = roundUp(std::max(blockSize, 1), kDefaultGrowth);
  const int capacity = std::max(growth, roundUp(back_, growth));
  // On a failed reallocation the old buffer stays and still holds every
  // pending message; only the new sizing is lost.
  if (capacity != capacity_ && !reallocate(capacity)) return;
  growth_ = growth;
}

} // namespace qm
