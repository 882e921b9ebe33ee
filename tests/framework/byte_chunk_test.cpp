#include "framework/byte_chunk.h"

#include <climits>
#include <cstring>

#include <gtest/gtest.h>

namespace {

using qm::IByteChunk;

TEST(ByteChunk, ValuesRoundTripInLittleEndianOrder) {
  IByteChunk chunk;
  const int32_t index = 5;
  const double value = 0.25;
  EXPECT_EQ(chunk.Put(&index), 4);
  EXPECT_EQ(chunk.Put(&value), 12);
  EXPECT_EQ(chunk.PutBytes("abc", 3), 15);

  const uint8_t expectedIndex[] = {0x05, 0x00, 0x00, 0x00};
  EXPECT_EQ(std::memcmp(chunk.GetData(), expectedIndex, 4), 0);

  int32_t readIndex = 0;
  double readValue = 0.0;
  char text[3] = {};
  int pos = chunk.Get(&readIndex, 0);
  pos = chunk.Get(&readValue, pos);
  pos = chunk.GetBytes(text, 3, pos);
  EXPECT_EQ(pos, 15);
  EXPECT_EQ(readIndex, 5);
  EXPECT_EQ(readValue, 0.25);
  EXPECT_EQ(std::memcmp(text, "abc", 3), 0);
}

TEST(ByteChunk, ReadsThatDoNotFitFailAndLeaveTheOutputAlone) {
  IByteChunk chunk;
  const double stored[2] = {1.0, 2.0};
  chunk.PutBytes(stored, sizeof(stored)); // 16 bytes

  struct Case {
    int pos;
    int size;
  };
  const Case cases[] = {{-1, 4},      {16, 1}, {13, 4}, {INT_MAX, 4},
                        {INT_MIN, 4}, {0, 17}, {0, -1}, {8, INT_MAX}};
  for (const auto& c : cases) {
    uint8_t out[32];
    std::memset(out, 0xAB, sizeof(out));
    EXPECT_EQ(chunk.GetBytes(out, c.size, c.pos), -1) << c.pos << " " << c.size;
    for (uint8_t b : out) ASSERT_EQ(b, 0xAB);
  }

  double value = 42.0;
  EXPECT_EQ(chunk.Get(&value, 9), -1);
  EXPECT_EQ(value, 42.0);
  EXPECT_EQ(chunk.Get(&value, 8), 16); // the last value that fits
  EXPECT_EQ(value, 2.0);
  EXPECT_EQ(chunk.GetBytes(&value, 0, 16), 16); // an empty read at the end is fine
}

TEST(ByteChunk, StringsCarryTheirLengthAndRejectBadLengths) {
  IByteChunk chunk;
  EXPECT_EQ(chunk.PutStr("Init"), 8);
  qm::BoundedString name;
  EXPECT_EQ(chunk.GetStr(name, 0), 8);
  EXPECT_STREQ(name.Get(), "Init");

  struct Case {
    int32_t storedLength;
    const char* why;
  };
  const Case bad[] = {{-1, "negative"}, {5, "past the end"}, {INT_MAX, "huge"}};
  for (const auto& c : bad) {
    IByteChunk corrupt;
    corrupt.Put(&c.storedLength);
    corrupt.PutBytes("abcd", 4);
    qm::BoundedString out("kept");
    EXPECT_EQ(corrupt.GetStr(out, 0), -1) << c.why;
    EXPECT_STREQ(out.Get(), "kept") << c.why;
  }
}

TEST(ByteChunk, ResizeZeroFillsAndRefusesNegativeSizes) {
  IByteChunk chunk;
  chunk.PutBytes("xy", 2);
  EXPECT_EQ(chunk.Resize(-5), -1);
  EXPECT_EQ(chunk.Size(), 2);
  EXPECT_EQ(chunk.Resize(6), 2);
  EXPECT_EQ(chunk.Size(), 6);
  EXPECT_EQ(chunk.GetData()[1], 'y');
  for (int i = 2; i < 6; ++i) EXPECT_EQ(chunk.GetData()[i], 0);
  EXPECT_EQ(chunk.Resize(1), 6);
  EXPECT_EQ(chunk.Size(), 1);
  chunk.Clear();
  EXPECT_EQ(chunk.Size(), 0);
  EXPECT_EQ(chunk.PutBytes(nullptr, 3), -1);
  EXPECT_EQ(chunk.Size(), 0);
}

TEST(ByteChunk, HasBytesAtComparesOnlyWhatFits) {
  IByteChunk chunk;
  chunk.PutBytes("Halvora_1.1.3", 13);
  EXPECT_TRUE(chunk.HasBytesAt("Halvora_1.1.3", 13, 0));
  EXPECT_TRUE(chunk.HasBytesAt("1.3", 3, 10));
  EXPECT_FALSE(chunk.HasBytesAt("Halvora_1.1.4", 13, 0));
  EXPECT_FALSE(chunk.HasBytesAt("1.3x", 4, 10));
  EXPECT_FALSE(chunk.HasBytesAt("H", 1, -1));
}

TEST(ByteChunk, PutChunkAppendsAnotherChunk) {
  IByteChunk a, b;
  a.PutBytes("ab", 2);
  b.PutBytes("cd", 2);
  EXPECT_EQ(a.PutChunk(b), 4);
  EXPECT_TRUE(a.HasBytesAt("abcd", 4, 0));
  IByteChunk c;
  c.PutBytes("abcd", 4);
  EXPECT_TRUE(a.IsEqual(c));
}

} // namespace
