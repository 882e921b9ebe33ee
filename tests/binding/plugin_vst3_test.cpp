// The binding in-process around an instrument that records what reaches it,
// for what the ABI alone cannot show: the messages the instrument receives,
// the partial apply of a broken state and the allocation-free audio path.
#include "framework/vst3/plugin_vst3.h"

#include <stdlib.h>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "host/event_list.h"
#include "host/host_application.h"
#include "host/memory_stream.h"
#include "host/parameter_changes.h"
#include "support/allocation_counter.h"

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;
using qm::IMidiMsg;

// Echoes every message to the MIDI output (like MIDI thru) and keeps its
// state as the parameter values, read back one by one.
class RecordingHalvora : public Halvora {
public:
  static constexpr int kMaxRecorded = 64;

  void ProcessMidiMsg(const IMidiMsg& msg) override {
    if (nReceived < kMaxRecorded) received[static_cast<size_t>(nReceived++)] = msg;
    SendMidiMsg(msg);
  }
  bool SerializeState(qm::IByteChunk& chunk) const override {
    for (int i = 0; i < NParams(); ++i) {
      const double value = GetParam(i)->Value();
      if (chunk.Put(&value) < 0) return false;
    }
    return true;
  }
  int UnserializeState(const qm::IByteChunk& chunk, int pos) override {
    for (int i = 0; i < NParams() && pos >= 0; ++i) {
      double value = 0.0;
      pos = chunk.Get(&value, pos);
      if (pos >= 0) GetParam(i)->Set(value);
    }
    return pos;
  }

  std::array<IMidiMsg, kMaxRecorded> received{};
  int nReceived = 0;
};

class Binding : public ::testing::Test {
protected:
  static constexpr int32 kBlock = 64;

  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "halvora-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    settingsFolder = pattern;
    setenv("XDG_CONFIG_HOME", settingsFolder.c_str(), 1);

    plug = new RecordingHalvora();
    binding = new qm::PluginVST3(plug);
    host = vst3host::makeHostObject<vst3host::HostApplication>();
    ASSERT_EQ(binding->initialize(static_cast<IHostApplication*>(host.get())), kResultOk);
    ProcessSetup setup{kRealtime, kSample32, kBlock, 48000.0};
    ASSERT_EQ(binding->setupProcessing(setup), kResultOk);
    ASSERT_EQ(binding->setActive(true), kResultOk);
    ASSERT_EQ(binding->setProcessing(true), kResultOk);

    for (auto& channel : samples) channel.assign(kBlock, 1.0f);
    for (int b = 0; b < 4; ++b) {
      for (int c = 0; c < 2; ++c) pointers[b][c] = samples[b * 2 + c].data();
      buses[b].numChannels = 2;
      buses[b].silenceFlags = 0;
      buses[b].channelBuffers32 = pointers[b];
    }
    data.processMode = kRealtime;
    data.symbolicSampleSize = kSample32;
    data.numSamples = kBlock;
    data.numOutputs = 4;
    data.outputs = buses;
    data.inputParameterChanges = changes.get();
    data.inputEvents = events.get();
    data.outputEvents = outEvents.get();
  }

  void TearDown() override {
    if (binding) {
      binding->setProcessing(false);
      binding->setActive(false);
      binding->terminate();
      binding->release();
    }
    std::error_code ignored;
    std::filesystem::remove_all(settingsFolder, ignored);
  }

  void process() {
    outEvents->clear();
    ASSERT_EQ(binding->process(data), kResultOk);
    changes->clear();
    events->clear();
  }

  std::vector<uint8_t> state() {
    auto stream = vst3host::makeHostObject<vst3host::MemoryStream>();
    EXPECT_EQ(static_cast<IComponent*>(binding)->getState(stream.get()), kResultOk);
    return stream->bytes();
  }

  tresult setState(std::vector<uint8_t> bytes) {
    auto stream = vst3host::makeHostObject<vst3host::MemoryStream>(std::move(bytes));
    return static_cast<IComponent*>(binding)->setState(stream.get());
  }

  std::string settingsFolder;
  RecordingHalvora* plug = nullptr;
  qm::PluginVST3* binding = nullptr;
  IPtr<vst3host::HostApplication> host;
  IPtr<vst3host::ParameterChanges> changes = vst3host::makeHostObject<vst3host::ParameterChanges>();
  IPtr<vst3host::EventList> events = vst3host::makeHostObject<vst3host::EventList>();
  IPtr<vst3host::EventList> outEvents = vst3host::makeHostObject<vst3host::EventList>();
  std::array<std::vector<float>, 8> samples;
  float* pointers[4][2] = {};
  AudioBusBuffers buses[4] = {};
  ProcessData data{};
};

Event noteOn(int32 offset, int16 pitch, float velocity) {
  Event event{};
  event.type = Event::kNoteOnEvent;
  event.sampleOffset = offset;
  event.noteOn.pitch = pitch;
  event.noteOn.velocity = velocity;
  event.noteOn.noteId = -1;
  return event;
}

TEST_F(Binding, HostEventsAndControllerParametersReachTheInstrumentAsMidi) {
  events->add(noteOn(3, 60, 1.0f));
  events->add(noteOn(5, 62, 0.5f));
  changes->add(65538 + 129, 7, 0.5); // pitch bend, centre
  process();
  ASSERT_EQ(plug->nReceived, 3);
  // Controller parameters come first, then the event list in its order.
  EXPECT_EQ(plug->received[0], IMidiMsg(7, 0xE0, 0, 64));
  EXPECT_EQ(plug->received[1], IMidiMsg(3, 0x90, 60, 127));
  EXPECT_EQ(plug->received[2], IMidiMsg(5, 0x90, 62, 63));
}

TEST_F(Binding, SentMessagesLeaveInOffsetOrderAndOnlyOnce) {
  events->add(noteOn(9, 60, 1.0f));
  changes->add(65538 + 7, 2, 1.0); // main volume
  process();
  const auto& out = outEvents->events();
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].type, Event::kLegacyMIDICCOutEvent);
  EXPECT_EQ(out[0].sampleOffset, 2);
  EXPECT_EQ(out[0].midiCCOut.controlNumber, 7);
  EXPECT_EQ(out[0].midiCCOut.value, 127);
  EXPECT_EQ(out[1].type, Event::kNoteOnEvent);
  EXPECT_EQ(out[1].sampleOffset, 9);
  process();
  EXPECT_TRUE(outEvents->events().empty());
}

TEST_F(Binding, OutputsAreSilencedAndUnconnectedChannelsAreSafe) {
  // Only the main bus, and its right channel missing.
  data.numOutputs = 1;
  pointers[0][1] = nullptr;
  process();
  for (float v : samples[0]) ASSERT_EQ(v, 0.0f);
  for (float v : samples[1]) ASSERT_EQ(v, 1.0f); // not handed to us
  // A block longer than promised is silenced, not rendered past the buffers.
  std::vector<float> longChannel(kBlock * 2, 1.0f);
  pointers[0][0] = longChannel.data();
  data.numSamples = kBlock * 2;
  process();
  for (float v : longChannel) ASSERT_EQ(v, 0.0f);
}

TEST_F(Binding, BrokenStateAppliesWhatItHasButDoesNotRefreshTheHost) {
  ParamID volume = 0;
  while (volume < 93 &&
         std::string(plug->GetParam(static_cast<int>(volume))->GetName()) != "Total Volume")
    ++volume;
  ASSERT_LT(volume, 93u);
  ASSERT_EQ(binding->setParamNormalized(volume, 0.25), kResultOk);
  std::vector<uint8_t> saved = state();
  ASSERT_EQ(saved.size(), 93u * sizeof(double) + 4u);

  ASSERT_EQ(binding->setParamNormalized(volume, 0.75), kResultOk);
  std::vector<uint8_t> noBypass(saved.begin(), saved.end() - 4);
  EXPECT_NE(setState(noBypass), kResultOk);
  EXPECT_NEAR(plug->GetParam(static_cast<int>(volume))->GetNormalized(), 0.25, 1e-9); // applied
  EXPECT_DOUBLE_EQ(binding->getParamNormalized(volume), 0.75); // host copy kept

  ASSERT_EQ(setState(saved), kResultOk);
  EXPECT_NEAR(binding->getParamNormalized(volume), 0.25, 1e-9);
  EXPECT_EQ(state(), saved);
}

TEST_F(Binding, AudioPathDoesNotAllocate) {
  auto fill = [&] {
    changes->add(0, 0, 0.1);
    changes->add(0, 30, 0.2);
    changes->add(65538 + 1, 4, 0.7);
    events->add(noteOn(1, 60, 0.9f));
  };
  fill();
  process(); // the first block may size the host's own lists
  fill();
  outEvents->clear();
  test_support::AllocationScope scope;
  ASSERT_EQ(binding->process(data), kResultOk);
  data.numSamples = 0;
  ASSERT_EQ(binding->process(data), kResultOk);
  EXPECT_EQ(scope.allocations(), 0u);
  changes->clear();
  events->clear();
}

TEST_F(Binding, AnswersEveryInterfaceOfASingleComponentInstrument) {
  const FUID* iids[] = {&FUnknown::iid,
                        &IPluginBase::iid,
                        &IComponent::iid,
                        &IAudioProcessor::iid,
                        &IProcessContextRequirements::iid,
                        &IEditController::iid,
                        &IEditController2::iid,
                        &IMidiMapping::iid,
                        &IUnitInfo::iid,
                        &ChannelContext::IInfoListener::iid,
                        &IConnectionPoint::iid};
  for (const FUID* iid : iids) {
    void* obj = nullptr;
    ASSERT_EQ(binding->queryInterface(iid->toTUID(), &obj), kResultOk);
    static_cast<FUnknown*>(obj)->release();
  }
  void* obj = nullptr;
  EXPECT_EQ(binding->queryInterface(IComponentHandler::iid.toTUID(), &obj), kNoInterface);
  EXPECT_EQ(obj, nullptr);
  EXPECT_EQ(binding->createView("editor"), nullptr);
}

} // namespace
