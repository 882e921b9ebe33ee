// MIDI messages and the timed message queue.
//
// IMidiQueue keeps its messages sorted by sample offset, a new message going
// after every message with the same or a smaller offset, so two events at one
// offset (a note-off then a note-on of the same key) keep their order. It is a
// flat array with a read index:
//
//   [ taken | taken | front ... pending ... back | free ... capacity ]
//
// Taking a message only moves front; the taken slots are reclaimed when the
// queue is flushed, compacted or runs out of room at the back. It allocates
// only when a block brings more messages than it has room for.
#pragma once

#include <cstdint>

namespace qm {

struct IMidiMsg {
  enum EStatusMsg {
    kNone = 0,
    kNoteOff = 0x8,
    kNoteOn = 0x9,
    kPolyAftertouch = 0xA,
    kControlChange = 0xB,
    kProgramChange = 0xC,
    kChannelAftertouch = 0xD,
    kPitchWheel = 0xE,
  };

  static constexpr int kPitchWheelCentre = 8192;

  int32_t mOffset = 0;
  uint8_t mStatus = 0;
  uint8_t mData1 = 0;
  uint8_t mData2 = 0;

  constexpr IMidiMsg() = default;
  constexpr IMidiMsg(int offset, uint8_t status, uint8_t data1, uint8_t data2)
      : mOffset(offset), mStatus(status), mData1(data1), mData2(data2) {}

  // The high nibble for channel messages (0x80-0xEF); data bytes and system
  // messages have no type.
  EStatusMsg StatusMsg() const {
    if (mStatus < 0x80 || mStatus >= 0xF0) return kNone;
    return static_cast<EStatusMsg>(mStatus >> 4);
  }
  int Channel() const { return mStatus & 0x0F; }

  // Values outside the 7-bit (14-bit for the wheel) ranges are clamped.
  static IMidiMsg NoteOn(int note, int velocity, int offset, int channel = 0);
  static IMidiMsg NoteOff(int note, int offset, int channel = 0, int velocity = 0);
  static IMidiMsg ControlChange(int controller, int value, int offset, int channel = 0);
  static IMidiMsg ProgramChange(int program, int offset, int channel = 0);
  // value14: 0..16383, centre 8192; sent low 7 bits first.
  static IMidiMsg PitchWheel(int value14, int offset, int channel = 0);

  // The 14-bit wheel value of a pitch-wheel message.
  int PitchWheelValue() const { return (mData2 & 0x7F) * 128 + (mData1 & 0x7F); }

  bool operator==(const IMidiMsg&) const = default;
};

// One SysEx message as the host hands it over; the bytes belong to the caller.
struct ISysEx {
  int mOffset = 0;
  const uint8_t* mData = nullptr;
  int mSize = 0;
};

class IMidiQueue {
public:
  static constexpr int kDefaultCapacity = 512;
  static constexpr int kDefaultGrowth = 512;

  // growth 0 gives a queue of fixed size that drops messages when full.
  explicit IMidiQueue(int capacity = kDefaultCapacity, int growth = kDefaultGrowth);
  ~IMidiQueue();
  IMidiQueue(const IMidiQueue&) = delete;
  IMidiQueue& operator=(const IMidiQueue&) = delete;

  // Sorted insertion; false when the message was dropped for want of room.
  bool Add(const IMidiMsg& msg);

  bool Empty() const { return front_ == back_; }
  // Messages not yet taken.
  int ToDo() const { return back_ - front_; }
  // Messages the buffer holds before it must grow.
  int GetSize() const { return capacity_; }
  int GetGrowth() const { return growth_; }

  // The first message not yet taken (a zero message when empty).
  const IMidiMsg& Peek() const { return Empty() ? kEmptyMsg : buffer_[front_]; }
  // Takes the first message; does nothing when empty.
  void Remove() {
    if (!Empty()) ++front_;
  }

  // Drops the taken messages and subtracts nFrames from the offsets of the
  // rest, which then count from the start of the next block.
  void Flush(int nFrames);
  // Drops the taken messages, moving the rest to the start of the buffer.
  void Compact();
  // Reset-time sizing for a maximum block of blockSize samples: drops the
  // taken messages; the growth step becomes blockSize rounded up to a
  // multiple of 512 (never below 512) and the capacity the same, or the
  // pending count rounded up by that step if larger. May allocate.
  void Resize(int blockSize);
  void Clear() { front_ = back_ = 0; }

private:
  static constexpr IMidiMsg kEmptyMsg{};

  bool reallocate(int capacity);

  IMidiMsg* buffer_ = nullptr;
  int capacity_ = 0;
  int growth_ = 0;
  int front_ = 0;
  int back_ = 0;
};

} // namespace qm
