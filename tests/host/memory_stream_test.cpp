#include "host/memory_stream.h"

#include <gtest/gtest.h>

namespace {

using namespace Steinberg;
using vst3host::MemoryStream;

IPtr<MemoryStream> streamOf(std::vector<std::uint8_t> bytes) {
  return vst3host::makeHostObject<MemoryStream>(std::move(bytes));
}

TEST(MemoryStream, ReadsWhatWasWrittenAndStopsAtTheEnd) {
  auto stream = vst3host::makeHostObject<MemoryStream>();
  char text[] = "halvora";
  int32 written = 0;
  ASSERT_EQ(stream->write(text, 7, &written), kResultOk);
  EXPECT_EQ(written, 7);
  ASSERT_EQ(stream->seek(0, IBStream::kIBSeekSet, nullptr), kResultOk);
  char back[16] = {};
  int32 read = 0;
  ASSERT_EQ(stream->read(back, 16, &read), kResultOk);
  EXPECT_EQ(read, 7);
  EXPECT_STREQ(back, "halvora");
  ASSERT_EQ(stream->read(back, 16, &read), kResultOk);
  EXPECT_EQ(read, 0);
}

TEST(MemoryStream, SeekModesAndRefusedSeeksKeepThePosition) {
  auto stream = streamOf(std::vector<std::uint8_t>(10, 1));
  struct Case {
    int64 pos;
    int32 mode;
    tresult result;
    int64 expected;
  };
  const Case cases[] = {
      {4, IBStream::kIBSeekSet, kResultOk, 4},
      {2, IBStream::kIBSeekCur, kResultOk, 6},
      {-3, IBStream::kIBSeekEnd, kResultOk, 7},
      {-8, IBStream::kIBSeekCur, kInvalidArgument, 7},
      {0, 9, kInvalidArgument, 7},
      {12, IBStream::kIBSeekSet, kResultOk, 12},
  };
  for (const Case& c : cases) {
    int64 result = -1;
    EXPECT_EQ(stream->seek(c.pos, c.mode, &result), c.result) << c.pos;
    int64 at = -1;
    ASSERT_EQ(stream->tell(&at), kResultOk);
    EXPECT_EQ(at, c.expected) << c.pos;
  }
}

TEST(MemoryStream, WriteAfterSeekingPastTheEndFillsTheGapWithZeros) {
  auto stream = streamOf({9});
  ASSERT_EQ(stream->seek(3, IBStream::kIBSeekSet, nullptr), kResultOk);
  std::uint8_t byte = 7;
  ASSERT_EQ(stream->write(&byte, 1, nullptr), kResultOk);
  EXPECT_EQ(stream->bytes(), (std::vector<std::uint8_t>{9, 0, 0, 7}));
  int64 size = 0;
  ASSERT_EQ(stream->getStreamSize(size), kResultOk);
  EXPECT_EQ(size, 4);
  ASSERT_EQ(stream->setStreamSize(2), kResultOk);
  EXPECT_EQ(stream->bytes(), (std::vector<std::uint8_t>{9, 0}));
  EXPECT_EQ(stream->setStreamSize(-1), kInvalidArgument);
}

TEST(MemoryStream, ReadLimitMakesTheStreamLookTruncated) {
  auto stream = streamOf({1, 2, 3, 4, 5, 6});
  stream->setReadLimit(4);
  std::uint8_t buffer[6] = {};
  int32 read = 0;
  ASSERT_EQ(stream->read(buffer, 3, &read), kResultOk);
  EXPECT_EQ(read, 3);
  ASSERT_EQ(stream->read(buffer, 3, &read), kResultOk);
  EXPECT_EQ(read, 1);
  EXPECT_EQ(buffer[0], 4);
  stream->setReadLimit(std::nullopt);
  ASSERT_EQ(stream->read(buffer, 3, &read), kResultOk);
  EXPECT_EQ(read, 2);
}

TEST(MemoryStream, FailingReadsReportFailureAndReadNothing) {
  auto stream = streamOf({1, 2, 3});
  stream->setFailReads(true);
  std::uint8_t buffer[3] = {};
  int32 read = 99;
  EXPECT_EQ(stream->read(buffer, 3, &read), kResultFalse);
  EXPECT_EQ(read, 0);
  EXPECT_EQ(stream->position(), 0);
  EXPECT_EQ(stream->read(buffer, -1, &read), kInvalidArgument);
}

} // namespace
