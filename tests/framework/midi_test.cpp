#include "framework/midi.h"

#include <vector>

#include <gtest/gtest.h>

#include "support/allocation_counter.h"

namespace {

using qm::IMidiMsg;
using qm::IMidiQueue;

// The pending messages as (offset, tag) pairs, tag = data 1.
std::vector<std::pair<int, int>> drain(IMidiQueue& queue) {
  std::vector<std::pair<int, int>> out;
  while (!queue.Empty()) {
    out.emplace_back(queue.Peek().mOffset, queue.Peek().mData1);
    queue.Remove();
  }
  return out;
}

IMidiMsg tagged(int offset, int tag) {
  return IMidiMsg::ControlChange(tag, 0, offset);
}

TEST(IMidiMsg, TypeAndChannelComeFromTheStatusByte) {
  struct Case {
    uint8_t status;
    IMidiMsg::EStatusMsg type;
    int channel;
  };
  const Case cases[] = {
      {0x93, IMidiMsg::kNoteOn, 3},
      {0x80, IMidiMsg::kNoteOff, 0},
      {0xAF, IMidiMsg::kPolyAftertouch, 15},
      {0xB0, IMidiMsg::kControlChange, 0},
      {0xC2, IMidiMsg::kProgramChange, 2},
      {0xD0, IMidiMsg::kChannelAftertouch, 0},
      {0xEF, IMidiMsg::kPitchWheel, 15},
      {0x7F, IMidiMsg::kNone, 15},
      {0xF0, IMidiMsg::kNone, 0},
      {0xFE, IMidiMsg::kNone, 14},
  };
  for (const auto& c : cases) {
    const IMidiMsg msg(0, c.status, 0, 0);
    EXPECT_EQ(msg.StatusMsg(), c.type) << int(c.status);
    EXPECT_EQ(msg.Channel(), c.channel) << int(c.status);
  }
}

TEST(IMidiMsg, ConstructorsBuildAndClampTheBytes) {
  EXPECT_EQ(IMidiMsg::NoteOn(60, 200, 7, 1), IMidiMsg(7, 0x91, 60, 127));
  EXPECT_EQ(IMidiMsg::NoteOff(60, 3), IMidiMsg(3, 0x80, 60, 0));
  EXPECT_EQ(IMidiMsg::ControlChange(64, 1, 0, 15), IMidiMsg(0, 0xBF, 64, 1));
  EXPECT_EQ(IMidiMsg::ProgramChange(5, 0), IMidiMsg(0, 0xC0, 5, 0));
  EXPECT_EQ(IMidiMsg::PitchWheel(8192, 0), IMidiMsg(0, 0xE0, 0, 64));
  EXPECT_EQ(IMidiMsg::PitchWheel(16383, 0), IMidiMsg(0, 0xE0, 127, 127));
  EXPECT_EQ(IMidiMsg::PitchWheel(-5, 0), IMidiMsg(0, 0xE0, 0, 0));
  EXPECT_EQ(IMidiMsg::PitchWheel(12345, 0).PitchWheelValue(), 12345);
}

TEST(IMidiQueue, KeepsMessagesSortedAndEqualOffsetsInArrivalOrder) {
  IMidiQueue queue;
  const std::pair<int, int> added[] = {{5, 1}, {3, 2}, {5, 3}, {0, 4}, {3, 5}, {9, 6}, {5, 7}};
  for (auto [offset, tag] : added) EXPECT_TRUE(queue.Add(tagged(offset, tag)));
  EXPECT_EQ(queue.ToDo(), 7);
  const std::vector<std::pair<int, int>> expected = {{0, 4}, {3, 2}, {3, 5}, {5, 1},
                                                     {5, 3}, {5, 7}, {9, 6}};
  EXPECT_EQ(drain(queue), expected);
  EXPECT_EQ(queue.Peek(), IMidiMsg()); // an empty queue peeks a zero message
}

TEST(IMidiQueue, InsertionIgnoresMessagesAlreadyTaken) {
  IMidiQueue queue;
  queue.Add(tagged(10, 1));
  queue.Add(tagged(20, 2));
  queue.Remove(); // offset 10 taken
  queue.Add(tagged(5, 3));
  const std::vector<std::pair<int, int>> expected = {{5, 3}, {20, 2}};
  EXPECT_EQ(drain(queue), expected);
}

TEST(IMidiQueue, FlushDropsTakenMessagesAndShiftsTheRest) {
  IMidiQueue queue;
  for (int offset : {10, 50, 100}) queue.Add(tagged(offset, offset));
  queue.Remove();
  queue.Flush(44);
  const std::vector<std::pair<int, int>> expected = {{6, 50}, {56, 100}};
  EXPECT_EQ(drain(queue), expected);
}

TEST(IMidiQueue, GrowsInStepsWhenFullAndDropsWhenItCannot) {
  IMidiQueue queue;
  EXPECT_EQ(queue.GetSize(), 512);
  for (int i = 0; i < 513; ++i) ASSERT_TRUE(queue.Add(tagged(i, i & 0x7F)));
  EXPECT_EQ(queue.GetSize(), 1024);
  EXPECT_EQ(queue.ToDo(), 513);

  IMidiQueue fixed(2, 0);
  EXPECT_TRUE(fixed.Add(tagged(1, 1)));
  EXPECT_TRUE(fixed.Add(tagged(2, 2)));
  EXPECT_FALSE(fixed.Add(tagged(3, 3)));
  // Room taken by consumed messages is reclaimed before giving up.
  fixed.Remove();
  EXPECT_TRUE(fixed.Add(tagged(0, 4)));
  EXPECT_EQ(fixed.GetSize(), 2);
  const std::vector<std::pair<int, int>> expected = {{0, 4}, {2, 2}};
  EXPECT_EQ(drain(fixed), expected);
}

TEST(IMidiQueue, ResizeSizesForTheBlockAndKeepsPendingMessages) {
  struct Case {
    int pending;
    int taken;
    int blockSize;
    int capacity;
    int growth;
  };
  const Case cases[] = {
      {0, 0, 100, 512, 512},    {0, 0, 512, 512, 512},     {0, 0, 513, 1024, 1024},
      {600, 0, 100, 1024, 512}, {600, 100, 100, 512, 512}, {1500, 0, 600, 2048, 1024},
      {0, 0, 0, 512, 512}, // a block size of 0 still leaves room to queue
  };
  for (const auto& c : cases) {
    IMidiQueue queue;
    for (int i = 0; i < c.pending; ++i) queue.Add(tagged(i, i & 0x7F));
    for (int i = 0; i < c.taken; ++i) queue.Remove();
    queue.Resize(c.blockSize);
    EXPECT_EQ(queue.GetSize(), c.capacity) << c.pending << " " << c.blockSize;
    EXPECT_EQ(queue.GetGrowth(), c.growth) << c.pending << " " << c.blockSize;
    EXPECT_EQ(queue.ToDo(), c.pending - c.taken);
    if (c.pending > c.taken) {
      EXPECT_EQ(queue.Peek().mOffset, c.taken);
    }
  }
}

TEST(IMidiQueue, AddDoesNotAllocateWhileThereIsRoom) {
  IMidiQueue queue;
  queue.Resize(1024);
  test_support::AllocationScope scope;
  for (int i = 0; i < 1024; ++i) queue.Add(tagged(1024 - i, 0)); // worst case: always in front
  for (int block = 0; block < 4; ++block) {
    while (!queue.Empty()) queue.Remove();
    queue.Flush(64);
    for (int i = 0; i < 1024; ++i) queue.Add(tagged(i % 7, 0));
  }
  EXPECT_EQ(scope.allocations(), 0u);
}

} // namespace
