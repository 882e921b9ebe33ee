#include "host/parameter_changes.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace Steinberg;
using vst3host::ParameterChanges;

std::vector<int32> offsetsOf(const vst3host::ParameterValueQueue& queue) {
  std::vector<int32> offsets;
  for (const auto& p : queue.points()) offsets.push_back(p.sampleOffset);
  return offsets;
}

TEST(ParameterChanges, PointsStayInOffsetOrderAndSameOffsetReplaces) {
  auto changes = vst3host::makeHostObject<ParameterChanges>();
  ASSERT_TRUE(changes->add(5, 30, 0.3));
  ASSERT_TRUE(changes->add(5, 10, 0.1));
  ASSERT_TRUE(changes->add(5, 20, 0.2));
  ASSERT_TRUE(changes->add(5, 10, 0.15));
  ASSERT_EQ(changes->getParameterCount(), 1);
  const auto* queue = changes->find(5);
  ASSERT_NE(queue, nullptr);
  EXPECT_EQ(offsetsOf(*queue), (std::vector<int32>{10, 20, 30}));
  EXPECT_DOUBLE_EQ(queue->points()[0].value, 0.15);
}

TEST(ParameterChanges, RefusesNegativeOffsetsAndValuesOutsideTheRange) {
  auto changes = vst3host::makeHostObject<ParameterChanges>();
  EXPECT_FALSE(changes->add(1, -1, 0.5));
  EXPECT_FALSE(changes->add(1, 0, 1.01));
  EXPECT_FALSE(changes->add(1, 0, std::nan("")));
  EXPECT_EQ(changes->getParameterCount(), 0);
}

TEST(ParameterChanges, PluginSideAddFindsTheExistingQueueAndClearReusesQueues) {
  auto changes = vst3host::makeHostObject<ParameterChanges>();
  int32 first = -1;
  int32 again = -1;
  Vst::IParamValueQueue* a = changes->addParameterData(3, first);
  Vst::IParamValueQueue* b = changes->addParameterData(3, again);
  EXPECT_EQ(a, b);
  EXPECT_EQ(first, again);
  int32 index = 0;
  a->addPoint(0, 0.5, index);

  changes->clear();
  EXPECT_EQ(changes->getParameterCount(), 0);
  EXPECT_EQ(changes->getParameterData(0), nullptr);
  Vst::IParamValueQueue* reused = changes->addParameterData(8, index);
  EXPECT_EQ(reused, a); // same object, emptied and renamed
  EXPECT_EQ(reused->getParameterId(), 8u);
  EXPECT_EQ(reused->getPointCount(), 0);
}

} // namespace
