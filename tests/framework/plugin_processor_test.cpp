#include "framework/plugin_processor.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fake_host_link.h"
#include "test_plugin.h"

namespace {

using Calls = std::vector<std::string>;
using qm::kInput;
using qm::kOutput;

qm::Config configWithIO(const char* io) {
  qm::Config config = test_support::instrumentConfig();
  config.channelIOStr = io;
  return config;
}

TEST(ParseChannelIO, SplitsConfigurationsSidesAndBuses) {
  struct Case {
    const char* text;
    std::vector<std::vector<int>> inputs;
    std::vector<std::vector<int>> outputs;
  };
  const Case cases[] = {
      {" 0-2 0-2.2", {{}, {}}, {{2}, {2, 2}}},
      {" 0-2 0-2.2 0-2.2.2 0-2.2.2.2", {{}, {}, {}, {}}, {{2}, {2, 2}, {2, 2, 2}, {2, 2, 2, 2}}},
      {"1-1 2.1-*", {{1}, {2, 1}}, {{1}, {qm::IOConfig::kWildcard}}},
      {"2-2-2", {{2}}, {{2}}}, // split at the first "-"; "2-2" reads its leading number
      {"abc 2-2  1.x-1", {{2}, {1}}, {{2}, {1}}},
      {"", {}, {}},
  };
  for (const auto& c : cases) {
    const auto configs = qm::ParseChannelIO(c.text);
    ASSERT_EQ(configs.size(), c.inputs.size()) << c.text;
    for (std::size_t i = 0; i < configs.size(); ++i) {
      EXPECT_EQ(configs[i].buses[kInput], c.inputs[i]) << c.text << " #" << i;
      EXPECT_EQ(configs[i].buses[kOutput], c.outputs[i]) << c.text << " #" << i;
    }
  }
}

TEST(PluginProcessor, TwoStereoConfigurationsGiveTwoBusesAndFourChannels) {
  test_support::RecordingPlugin plugin(configWithIO(" 0-2 0-2.2"));
  EXPECT_EQ(plugin.NIOConfigs(), 2);
  int largest = -1;
  EXPECT_EQ(plugin.MaxNBuses(kOutput, &largest), 2);
  EXPECT_EQ(largest, 1);
  EXPECT_EQ(plugin.MaxNBuses(kInput), 0);
  EXPECT_EQ(plugin.MaxNChannels(kOutput), 4);
  EXPECT_EQ(plugin.NChannels(kOutput), 4);
  EXPECT_EQ(plugin.NChannels(kInput), 0);
}

TEST(PluginProcessor, InstrumentConfigurationOffersUpToFourStereoOutputs) {
  test_support::RecordingPlugin plugin;
  EXPECT_EQ(plugin.NIOConfigs(), 4);
  int largest = -1;
  EXPECT_EQ(plugin.MaxNBuses(kOutput, &largest), 4);
  EXPECT_EQ(largest, 3);
  EXPECT_EQ(plugin.NChannels(kOutput), 8);
  EXPECT_EQ(plugin.FindIOConfig({}, {2, 2}), 1);
  EXPECT_EQ(plugin.FindIOConfig({}, {2, 2, 2, 2}), 3);
  EXPECT_EQ(plugin.FindIOConfig({}, {2, 1}), -1);
  EXPECT_EQ(plugin.FindIOConfig({2}, {2}), -1);
}

TEST(PluginProcessor, LargestConfigurationPrefersTheLaterOnATie) {
  test_support::RecordingPlugin plugin(configWithIO("2-2.2 1-1.1 0-*"));
  int largest = -1;
  EXPECT_EQ(plugin.MaxNBuses(kOutput, &largest), 2);
  EXPECT_EQ(largest, 1);
  EXPECT_EQ(plugin.FindIOConfig({}, {6}), 2); // a wildcard bus takes any count
}

TEST(PluginProcessor, StartsWithTheDefaultProcessingContext) {
  test_support::RecordingPlugin plugin;
  EXPECT_EQ(plugin.GetSampleRate(), 48000.0);
  EXPECT_EQ(plugin.GetBlockSize(), 0);
  EXPECT_EQ(plugin.GetTailSize(), 0);
  EXPECT_EQ(plugin.GetLatency(), 0);
  EXPECT_FALSE(plugin.GetBypassed());
  EXPECT_FALSE(plugin.GetRenderingOffline());
  EXPECT_TRUE(plugin.IsInstrument());
  EXPECT_TRUE(plugin.DoesMIDIIn() && plugin.DoesMIDIOut() && plugin.DoesMPE());
  const qm::ITimeInfo& t = plugin.GetTimeInfo();
  EXPECT_EQ(t.mTempo, 120.0);
  EXPECT_EQ(t.mSamplePos, -1.0);
  EXPECT_EQ(t.mPPQPos, -1.0);
  EXPECT_EQ(t.mLastBar, -1.0);
  EXPECT_EQ(t.mCycleStart, -1.0);
  EXPECT_EQ(t.mCycleEnd, -1.0);
  EXPECT_EQ(t.mNumerator, 4);
  EXPECT_EQ(t.mDenominator, 4);
  EXPECT_FALSE(t.mTransportIsRunning);
  EXPECT_FALSE(t.mTransportLoopEnabled);
}

TEST(PluginProcessor, SetupRefusesBadFormatsAndKeepsThePreviousSetup) {
  test_support::RecordingPlugin plugin;
  ASSERT_TRUE(plugin.SetupProcessing(64, 44100.0, 256));
  plugin.calls.clear();

  struct Case {
    int sampleSize;
    double rate;
    int block;
  };
  const Case refused[] = {{16, 96000.0, 512},   {0, 96000.0, 512}, {24, 96000.0, 512},
                          {32, 0.0, 512},       {32, -1.0, 512},   {32, 1.0 / 0.0, 512},
                          {32, 0.0 / 0.0, 512}, {32, 96000.0, -1}};
  for (const auto& c : refused) {
    EXPECT_FALSE(plugin.SetupProcessing(c.sampleSize, c.rate, c.block)) << c.sampleSize;
    EXPECT_EQ(plugin.GetSampleRate(), 44100.0);
    EXPECT_EQ(plugin.GetBlockSize(), 256);
    EXPECT_EQ(plugin.GetSampleSize(), 64);
  }
  EXPECT_TRUE(plugin.calls.empty()); // no reset for a refused set-up

  EXPECT_TRUE(plugin.SetupProcessing(32, 96000.0, 512));
  EXPECT_EQ(plugin.GetSampleRate(), 96000.0);
  EXPECT_EQ(plugin.GetBlockSize(), 512);
  EXPECT_EQ(plugin.GetSampleSize(), 32);
  EXPECT_EQ(plugin.calls, Calls{"reset"});
}

TEST(PluginProcessor, ScratchBuffersAreRebuiltOnlyWhenTheBlockSizeChanges) {
  test_support::RecordingPlugin plugin;
  ASSERT_TRUE(plugin.SetupProcessing(32, 48000.0, 128));
  qm::IChannelData* channel = plugin.GetChannel(kOutput, 7);
  ASSERT_NE(channel, nullptr);
  ASSERT_EQ(channel->mScratchBuf.size(), 128u);
  channel->mScratchBuf[5] = 0.5;

  ASSERT_TRUE(plugin.SetupProcessing(32, 44100.0, 128));
  EXPECT_EQ(channel->mScratchBuf[5], 0.5);

  ASSERT_TRUE(plugin.SetupProcessing(32, 44100.0, 64));
  ASSERT_EQ(channel->mScratchBuf.size(), 64u);
  EXPECT_EQ(channel->mScratchBuf[5], 0.0);
  EXPECT_EQ(plugin.GetChannel(kOutput, 8), nullptr);
}

TEST(PluginProcessor, OutgoingMidiQueueIsSizedFromTheBlock) {
  test_support::RecordingPlugin plugin;
  ASSERT_TRUE(plugin.SetupProcessing(32, 48000.0, 1000));
  EXPECT_EQ(plugin.GetMidiOutQueue().GetSize(), 1024);

  for (int i = 0; i < 1100; ++i) plugin.SendMidiMsg(qm::IMidiMsg::NoteOn(60, 100, i));
  for (int i = 0; i < 100; ++i) plugin.GetMidiOutQueue().Remove();
  ASSERT_TRUE(plugin.SetupProcessing(32, 48000.0, 100));
  EXPECT_EQ(plugin.GetMidiOutQueue().GetSize(), 1024); // 1000 still held
  EXPECT_EQ(plugin.GetMidiOutQueue().ToDo(), 1000);
  EXPECT_EQ(plugin.GetMidiOutQueue().Peek().mOffset, 100);
}

TEST(PluginProcessor, SendMidiMsgKeepsOffsetOrder) {
  test_support::RecordingPlugin plugin;
  plugin.SendMidiMsg(qm::IMidiMsg::NoteOn(1, 100, 30));
  plugin.SendMidiMsg(qm::IMidiMsg::NoteOn(2, 100, 10));
  plugin.SendMidiMsg(qm::IMidiMsg::NoteOn(3, 100, 30));
  std::vector<int> notes;
  auto& queue = plugin.GetMidiOutQueue();
  for (; !queue.Empty(); queue.Remove()) notes.push_back(queue.Peek().mData1);
  EXPECT_EQ(notes, (std::vector<int>{2, 1, 3}));
}

TEST(PluginProcessor, ActivationAndProcessingSwitchCallTheHooks) {
  test_support::RecordingPlugin plugin;
  plugin.SetActive(true);
  plugin.SetProcessing(true);
  plugin.SetProcessing(false);
  plugin.SetActive(false);
  EXPECT_EQ(plugin.calls, (Calls{"activate", "reset", "deactivate"}));
}

TEST(PluginProcessor, ChannelLabelsAreNumberedSafely) {
  test_support::RecordingPlugin plugin;
  struct Case {
    int channel;
    const char* format;
    bool zeroBased;
    const char* label;
  };
  const Case cases[] =
      {
          {0, "Total L", false, "Total L"}, {1, "Out %d", false, "Out 2"},
          {1, "Out %i", true, "Out 1"},     {2, "%d%% %d", false, "3% %d"},
          {3, "%s %n", false, "%s %n"}, // not a printf format: nothing is read
      };
  for (const auto& c : cases) {
    ASSERT_TRUE(plugin.SetChannelLabel(kOutput, c.channel, c.format, c.zeroBased));
    EXPECT_STREQ(plugin.GetChannel(kOutput, c.channel)->mLabel.Get(), c.label) << c.format;
  }
  EXPECT_STREQ(plugin.GetChannel(kOutput, 7)->mLabel.Get(), "Output 8");
  EXPECT_FALSE(plugin.SetChannelLabel(kOutput, 8, "x"));
  EXPECT_FALSE(plugin.SetChannelLabel(kInput, 0, "x"));
}

TEST(PluginProcessor, ChannelsAreMarkedConnectedPerDirection) {
  test_support::RecordingPlugin plugin;
  EXPECT_FALSE(plugin.GetChannel(kOutput, 0)->mConnected);
  plugin.SetChannelsConnected(kOutput, true);
  for (int i = 0; i < 8; ++i) EXPECT_TRUE(plugin.GetChannel(kOutput, i)->mConnected);
}

TEST(PluginProcessor, LatencyChangeIsReportedToTheHost) {
  test_support::RecordingHostLink host;
  test_support::RecordingPlugin plugin;
  plugin.SetHostLink(&host);
  plugin.SetLatency(64);
  plugin.SetTailSize(100);
  EXPECT_EQ(plugin.GetLatency(), 64);
  EXPECT_EQ(plugin.GetTailSize(), 100);
  EXPECT_EQ(host.calls, Calls{"latency 64"});
}

TEST(PluginProcessor, EditorMidiReachesTheProcessorInOrder) {
  test_support::RecordingPlugin plugin;
  for (int i = 0; i < 33; ++i) {
    EXPECT_EQ(plugin.SendMidiMsgFromUI(qm::IMidiMsg::NoteOn(i, 100, i)), i < 32);
  }
  plugin.ProcessMidiMsgsFromEditor();
  ASSERT_EQ(plugin.midiIn.size(), 32u);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(plugin.midiIn[i].mOffset, i);
}

} // namespace
