#include "host/component_handler.h"
#include "pluginterfaces/vst/ivstunits.h"

#include <gtest/gtest.h>

namespace {

using namespace Steinberg;

TEST(ComponentHandler, FinishingAGroupEditThatNeverStartedIsRefused) {
  auto handler = vst3host::makeHostObject<vst3host::ComponentHandler>();
  EXPECT_EQ(handler->finishGroupEdit(), kResultFalse);
  EXPECT_TRUE(handler->calls().empty());
  ASSERT_EQ(handler->startGroupEdit(), kResultOk);
  ASSERT_EQ(handler->startGroupEdit(), kResultOk); // nested
  ASSERT_EQ(handler->finishGroupEdit(), kResultOk);
  ASSERT_EQ(handler->performEdit(2, 0.5), kResultOk);
  EXPECT_TRUE(handler->calls().back().inGroupEdit);
  ASSERT_EQ(handler->finishGroupEdit(), kResultOk);
  ASSERT_EQ(handler->performEdit(2, 0.6), kResultOk);
  EXPECT_FALSE(handler->calls().back().inGroupEdit);
}

TEST(ComponentHandler, AnswersBothHandlerInterfaces) {
  auto handler = vst3host::makeHostObject<vst3host::ComponentHandler>();
  FUnknownPtr<Vst::IComponentHandler2> second(static_cast<Vst::IComponentHandler*>(handler.get()));
  EXPECT_TRUE(second);
  FUnknownPtr<Vst::IUnitHandler> none(static_cast<Vst::IComponentHandler*>(handler.get()));
  EXPECT_FALSE(none);
}

} // namespace
