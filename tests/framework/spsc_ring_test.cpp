#include "framework/spsc_ring.h"

#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "framework/midi.h"

namespace {

TEST(SpscRing, HoldsOneItemLessThanItsSlotsAndDropsWhenFull) {
  qm::SpscRing<qm::IMidiMsg, 33> ring;
  EXPECT_EQ(ring.kCapacity, 32);
  for (int i = 0; i < 32; ++i) EXPECT_TRUE(ring.Push(qm::IMidiMsg::NoteOn(i, 100, i)));
  EXPECT_FALSE(ring.Push(qm::IMidiMsg::NoteOn(99, 100, 32))); // the 33rd is dropped
  EXPECT_EQ(ring.ElementsAvailable(), 32);

  qm::IMidiMsg msg;
  for (int i = 0; i < 32; ++i) {
    ASSERT_TRUE(ring.Pop(msg));
    EXPECT_EQ(msg.mData1, i);
  }
  EXPECT_FALSE(ring.Pop(msg));
  EXPECT_EQ(msg.mData1, 31); // a failed pop leaves the output alone
}

TEST(SpscRing, KeepsOrderAcrossManyWrapArounds) {
  qm::SpscRing<int, 5> ring;
  int next = 0, expected = 0;
  for (int round = 0; round < 100; ++round) {
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(ring.Push(next++));
    int value = -1;
    for (int i = 0; i < 3; ++i) {
      ASSERT_TRUE(ring.Pop(value));
      ASSERT_EQ(value, expected++);
    }
  }
  EXPECT_EQ(ring.ElementsAvailable(), 0);
}

TEST(SpscRing, TwoThreadsPassEveryItemInOrder) {
  struct Item {
    int sequence;
    double payload;
  };
  constexpr int kItems = 200000;
  qm::SpscRing<Item, 33> ring;
  std::vector<int> received;
  received.reserve(kItems);
  bool payloadsIntact = true;

  std::thread consumer([&] {
    Item item{};
    while (static_cast<int>(received.size()) < kItems) {
      if (ring.Pop(item)) {
        received.push_back(item.sequence);
        if (item.payload != item.sequence * 0.5) payloadsIntact = false;
      } else {
        std::this_thread::yield();
      }
    }
  });
  for (int i = 0; i < kItems; ++i) {
    while (!ring.Push({i, i * 0.5})) std::this_thread::yield();
  }
  consumer.join();

  EXPECT_TRUE(payloadsIntact);
  for (int i = 0; i < kItems; ++i) ASSERT_EQ(received[i], i);
}

} // namespace
