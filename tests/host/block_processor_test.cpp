#include "host/block_processor.h"

#include <gtest/gtest.h>

#include "fake_probe.h"

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;
using vst3host::BlockProcessor;
using vst3host::Instance;

constexpr ParamID kGain = 0;
constexpr ParamID kPolarity = 1;
constexpr int32 kBlock = 32;

// Runs every case at both sample sizes; the values are exact in floats.
class Processing : public testing::TestWithParam<SymbolicSampleSizes> {
protected:
  void SetUp() override {
    ASSERT_TRUE(probe.loaded());
    auto loaded = Instance::load(FAKE_SYNTH_PATH);
    ASSERT_TRUE(loaded) << loaded.message();
    instance = std::move(*loaded);
    ASSERT_TRUE(instance->setupProcessing(
        {.sampleSize = GetParam(), .sampleRate = 48000.0, .maxBlockSize = kBlock}));
    ASSERT_TRUE(instance->setActive(true));
    ASSERT_TRUE(instance->setProcessing(true));
    block = std::make_unique<BlockProcessor>(*instance);
  }
  void TearDown() override { block.reset(); }

  double sample(int32 channel, int32 index) const {
    if (GetParam() == kSample64) return block->output64(0, channel)[static_cast<size_t>(index)];
    return block->output32(0, channel)[static_cast<size_t>(index)];
  }

  fake::Probe probe{FAKE_SYNTH_PATH};
  std::unique_ptr<Instance> instance;
  std::unique_ptr<BlockProcessor> block;
};

TEST_P(Processing, ParameterPointsTakeEffectAtTheirSampleOffsets) {
  ASSERT_EQ(block->outputBusCount(), 1);
  ASSERT_EQ(block->outputChannelCount(0), 2);
  // Added out of order on purpose: the queue keeps offset order.
  ASSERT_TRUE(block->addParameterChange(kGain, 10, 0.75));
  ASSERT_TRUE(block->addParameterChange(kGain, 0, 0.25));
  ASSERT_TRUE(block->addParameterChange(kPolarity, 5, 1.0));
  ASSERT_TRUE(block->process(kBlock));
  EXPECT_DOUBLE_EQ(sample(0, 0), 0.25);
  EXPECT_DOUBLE_EQ(sample(0, 9), 0.25);
  EXPECT_DOUBLE_EQ(sample(0, 10), 0.75);
  EXPECT_DOUBLE_EQ(sample(0, kBlock - 1), 0.75);
  EXPECT_DOUBLE_EQ(sample(1, 4), 0.25);
  EXPECT_DOUBLE_EQ(sample(1, 5), -0.25);
  EXPECT_DOUBLE_EQ(sample(1, 10), -0.75);

  // Changes belong to one block: the next one starts from the last value.
  ASSERT_TRUE(block->process(kBlock));
  EXPECT_DOUBLE_EQ(sample(0, 0), 0.75);
}

TEST_P(Processing, InputEventsComeBackAsOutputEventsInOffsetOrder) {
  block->addNoteOff(20, 0, 60, 0.0f);
  block->addNoteOn(3, 1, 64, 0.5f, 7);
  block->addLegacyMidiEvent(3, 0, 1, 100);
  ASSERT_TRUE(block->process(kBlock));
  const auto& out = block->outputEvents().events();
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0].type, Event::kNoteOnEvent);
  EXPECT_EQ(out[0].sampleOffset, 3);
  EXPECT_EQ(out[0].noteOn.channel, 1);
  EXPECT_EQ(out[0].noteOn.pitch, 64);
  EXPECT_FLOAT_EQ(out[0].noteOn.velocity, 0.5f);
  EXPECT_EQ(out[0].noteOn.noteId, 7);
  EXPECT_EQ(out[1].type, Event::kLegacyMIDICCOutEvent);
  EXPECT_EQ(out[1].midiCCOut.controlNumber, 1);
  EXPECT_EQ(out[1].midiCCOut.value, 100);
  EXPECT_EQ(out[2].type, Event::kNoteOffEvent);
  EXPECT_EQ(out[2].sampleOffset, 20);

  // The next block has no input events, so nothing comes back.
  ASSERT_TRUE(block->process(kBlock));
  EXPECT_TRUE(block->outputEvents().events().empty());
}

TEST_P(Processing, MidiControllerBecomesTheParameterThePluginMapsItTo) {
  ASSERT_TRUE(block->addMidiController(4, 0, 7, 1.0));
  ASSERT_TRUE(block->process(kBlock));
  EXPECT_DOUBLE_EQ(sample(0, 3), 0.5);
  EXPECT_DOUBLE_EQ(sample(0, 4), 1.0);
  EXPECT_FALSE(block->addMidiController(0, 0, 74, 1.0));
}

TEST_P(Processing, OffsetOutsideTheBlockIsRefusedBeforeThePluginRuns) {
  ASSERT_TRUE(block->process(8));
  ASSERT_TRUE(block->addParameterChange(kGain, 16, 0.125));
  const auto refused = block->process(8);
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.message(), "parameter 0 changes at sample 16, outside a block of 8");
  EXPECT_EQ(block->blocksProcessed(), 1);
  // The change is still queued and lands in a block long enough for it.
  ASSERT_TRUE(block->process(kBlock));
  EXPECT_DOUBLE_EQ(sample(0, 16), 0.125);

  block->addNoteOn(-1, 0, 60, 1.0f);
  EXPECT_FALSE(block->process(kBlock));
}

TEST_P(Processing, BlockLengthMustFitTheSetUp) {
  EXPECT_FALSE(block->process(0));
  EXPECT_FALSE(block->process(kBlock + 1));
  ASSERT_TRUE(instance->setProcessing(false));
  EXPECT_FALSE(block->process(kBlock));
}

TEST_P(Processing, ParameterFlushDeliversChangesWithoutAudio) {
  ASSERT_TRUE(block->addParameterChange(kGain, 0, 0.625));
  ASSERT_TRUE(block->flushParameters());
  EXPECT_EQ(probe.lastNumSamples(), 0);
  EXPECT_DOUBLE_EQ(instance->normalized(kGain), 0.625);
  EXPECT_EQ(block->blocksProcessed(), 0);
  // A flush does not move the transport.
  ASSERT_TRUE(block->process(kBlock));
  EXPECT_EQ(probe.lastProjectTime(), 0);
  EXPECT_DOUBLE_EQ(sample(0, 0), 0.625);
}

TEST_P(Processing, ContextCarriesTempoAndAdvancesWhilePlaying) {
  block->setTempo(90.0);
  ASSERT_TRUE(block->process(kBlock));
  EXPECT_DOUBLE_EQ(probe.lastTempo(), 90.0);
  EXPECT_EQ(probe.lastProjectTime(), 0);
  ASSERT_TRUE(block->process(kBlock));
  EXPECT_EQ(probe.lastProjectTime(), kBlock);
  EXPECT_DOUBLE_EQ(block->context().projectTimeMusic, 2 * kBlock / 48000.0 * 90.0 / 60.0);

  block->setPlaying(false);
  ASSERT_TRUE(block->process(kBlock));
  ASSERT_TRUE(block->process(kBlock));
  EXPECT_EQ(probe.lastProjectTime(), 2 * kBlock);
  EXPECT_EQ(block->context().continousTimeSamples, 4 * kBlock);
}

INSTANTIATE_TEST_SUITE_P(SampleSizes, Processing, testing::Values(kSample32, kSample64),
                         [](const auto& info) {
                           return std::string(info.param == kSample64 ? "Bits64" : "Bits32");
                         });

} // namespace
