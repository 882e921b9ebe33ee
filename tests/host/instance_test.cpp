#include "host/instance.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <optional>

#include "fake_probe.h"
#include "pluginterfaces/vst/vstspeaker.h"

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;
using vst3host::Instance;

constexpr ParamID kGain = 0;
constexpr ParamID kPolarity = 1;

std::unique_ptr<Instance> loadOrFail(const char* path, vst3host::InstanceOptions options = {}) {
  auto instance = Instance::load(path, std::move(options));
  EXPECT_TRUE(instance) << instance.message();
  return instance ? std::move(*instance) : nullptr;
}

class FakeSynth : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(probe.loaded());
    probe.clearLog();
    instance = loadOrFail(FAKE_SYNTH_PATH);
    ASSERT_NE(instance, nullptr);
  }

  fake::Probe probe{FAKE_SYNTH_PATH};
  std::unique_ptr<Instance> instance;
};

TEST_F(FakeSynth, CreationInitialisesActivatesDefaultBusesAndHandsOverTheState) {
  EXPECT_TRUE(instance->isSingleComponent());
  EXPECT_EQ(probe.hostName(), "Halvora Test Host");
  EXPECT_EQ(probe.log(), "ModuleEntry;setHostContext;initialize;activateBus(audio,out,1);"
                         "activateBus(event,in,1);activateBus(event,out,1);setComponentHandler;"
                         "setComponentState;");
}

TEST(InstanceOptions, HostNameIsWhatThePluginReads) {
  fake::Probe probe(FAKE_SYNTH_PATH);
  auto instance = loadOrFail(FAKE_SYNTH_PATH, {.hostName = "Render Tool \xE2\x82\xAC"});
  ASSERT_NE(instance, nullptr);
  // The fake keeps only the low byte of each unit: the euro sign arrives as 0xAC.
  EXPECT_EQ(probe.hostName(), "Render Tool \xAC");
}

TEST_F(FakeSynth, ListsBusesOfBothKindsAndDirections) {
  struct Case {
    MediaType type;
    BusDirection direction;
    int count;
    const char* name;
    int channels;
  };
  const Case cases[] = {
      {kAudio, kOutput, 1, "Output", 2},
      {kAudio, kInput, 0, "", 0},
      {kEvent, kInput, 1, "MIDI Input", 1},
      {kEvent, kOutput, 1, "MIDI Output", 1},
  };
  for (const Case& c : cases) {
    const auto buses = instance->buses(c.type, c.direction);
    ASSERT_EQ(static_cast<int>(buses.size()), c.count) << c.name;
    if (c.count == 0) continue;
    EXPECT_EQ(buses[0].name, c.name);
    EXPECT_EQ(buses[0].channelCount, c.channels);
    EXPECT_EQ(buses[0].busType, kMain);
    EXPECT_TRUE(buses[0].active) << c.name;
  }
}

TEST_F(FakeSynth, BusActivationFollowsTheHostAndRejectsUnknownBuses) {
  ASSERT_TRUE(instance->activateBus(kAudio, kOutput, 0, false));
  EXPECT_FALSE(instance->buses(kAudio, kOutput)[0].active);
  const auto missing = instance->activateBus(kAudio, kOutput, 3, true);
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.message(), "activateBus: no bus 3");
}

TEST_F(FakeSynth, BusArrangementsAcceptWhatThePluginSupportsOnly) {
  EXPECT_TRUE(instance->setBusArrangements({}, {SpeakerArr::kStereo}));
  const auto mono = instance->setBusArrangements({}, {SpeakerArr::kMono});
  ASSERT_FALSE(mono);
  EXPECT_EQ(mono.message(), "setBusArrangements failed (kResultFalse)");
  auto arrangement = instance->busArrangement(kOutput, 0);
  ASSERT_TRUE(arrangement);
  EXPECT_EQ(*arrangement, SpeakerArr::kStereo);

  ASSERT_TRUE(instance->setupProcessing({}));
  ASSERT_TRUE(instance->setActive(true));
  EXPECT_FALSE(instance->setBusArrangements({}, {SpeakerArr::kStereo}));
}

TEST_F(FakeSynth, DescribesParameters) {
  const auto parameters = instance->parameters();
  ASSERT_EQ(parameters.size(), 2u);
  EXPECT_EQ(parameters[0].title, "Gain");
  EXPECT_EQ(parameters[0].units, "%");
  EXPECT_EQ(parameters[0].stepCount, 0);
  EXPECT_DOUBLE_EQ(parameters[0].defaultNormalized, 0.5);
  EXPECT_EQ(parameters[0].flags, ParameterInfo::kCanAutomate);
  EXPECT_EQ(parameters[1].shortTitle, "Pol");
  EXPECT_EQ(parameters[1].stepCount, 1);
  EXPECT_EQ(parameters[1].flags, ParameterInfo::kCanAutomate | ParameterInfo::kIsList);
  EXPECT_EQ(parameters[1].unitId, kRootUnitId);

  auto found = instance->findParameter("Polarity");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->id, kPolarity);
  EXPECT_FALSE(instance->findParameter("Volume"));
  EXPECT_FALSE(instance->parameter(2));
}

TEST_F(FakeSynth, ConvertsValuesToTextAndBack) {
  struct Case {
    ParamID id;
    double normalized;
    const char* text;
  };
  const Case cases[] = {
      {kGain, 0.0, "0.0"},          {kGain, 0.255, "25.5"},       {kGain, 1.0, "100.0"},
      {kPolarity, 0.0, "Positive"}, {kPolarity, 1.0, "Negative"},
  };
  for (const Case& c : cases) {
    auto text = instance->valueToText(c.id, c.normalized);
    ASSERT_TRUE(text) << text.message();
    EXPECT_EQ(*text, c.text);
    auto value = instance->textToValue(c.id, c.text);
    ASSERT_TRUE(value) << value.message();
    EXPECT_NEAR(*value, c.normalized, 1e-12) << c.text;
  }
  EXPECT_DOUBLE_EQ(instance->toPlain(kGain, 0.25), 25.0);
  EXPECT_DOUBLE_EQ(instance->toNormalized(kGain, 25.0), 0.25);
}

TEST_F(FakeSynth, TextThePluginCannotParseIsAFailure) {
  for (const char* text : {"", "loud", "150", "Sideways"}) {
    EXPECT_FALSE(instance->textToValue(kGain, text)) << text;
  }
  auto unknown = instance->valueToText(7, 0.5);
  ASSERT_FALSE(unknown);
  EXPECT_EQ(unknown.message(), "getParamStringByValue(7) failed (kInvalidArgument)");
}

TEST_F(FakeSynth, SetNormalizedRefusesValuesOutsideTheRangeAndUnknownIds) {
  ASSERT_TRUE(instance->setNormalized(kGain, 0.8));
  EXPECT_DOUBLE_EQ(instance->normalized(kGain), 0.8);
  for (double bad : {-0.1, 1.5, std::nan("")}) {
    EXPECT_FALSE(instance->setNormalized(kGain, bad));
  }
  EXPECT_DOUBLE_EQ(instance->normalized(kGain), 0.8);
  EXPECT_FALSE(instance->setNormalized(99, 0.5));
}

TEST_F(FakeSynth, MidiMappingAnswersOnlyTheMappedController) {
  auto volume = instance->midiControllerAssignment(0, 0, 7);
  ASSERT_TRUE(volume) << volume.message();
  EXPECT_EQ(*volume, kGain);
  EXPECT_FALSE(instance->midiControllerAssignment(0, 1, 7));
  EXPECT_FALSE(instance->midiControllerAssignment(0, 0, kPitchBend));
}

TEST_F(FakeSynth, ListsUnitsProgramListsAndProgramNames) {
  const auto units = instance->units();
  ASSERT_EQ(units.size(), 1u);
  EXPECT_EQ(units[0].name, "Root");
  EXPECT_EQ(units[0].parentId, kNoParentUnitId);
  const auto lists = instance->programLists();
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(lists[0].name, "Fake Presets");
  EXPECT_EQ(lists[0].programCount, 3);
  EXPECT_EQ(units[0].programListId, lists[0].id);

  auto name = instance->programName(lists[0].id, 2);
  ASSERT_TRUE(name);
  EXPECT_EQ(*name, "Dark");
  EXPECT_FALSE(instance->programName(lists[0].id, 3));
  EXPECT_FALSE(instance->programName(lists[0].id + 1, 0));
}

TEST_F(FakeSynth, StateRoundTripsAndReachesTheController) {
  ASSERT_TRUE(instance->setNormalized(kGain, 0.8));
  ASSERT_TRUE(instance->setNormalized(kPolarity, 1.0));
  auto saved = instance->getState();
  ASSERT_TRUE(saved) << saved.message();
  EXPECT_EQ(saved->size(), 20u);

  ASSERT_TRUE(instance->setNormalized(kGain, 0.1));
  probe.clearLog();
  ASSERT_TRUE(instance->setState(*saved));
  EXPECT_EQ(probe.log(), "setState;setComponentState;");
  EXPECT_DOUBLE_EQ(instance->normalized(kGain), 0.8);
  EXPECT_DOUBLE_EQ(instance->normalized(kPolarity), 1.0);
}

TEST_F(FakeSynth, BrokenStateStreamFailsAndKeepsTheCurrentSound) {
  auto saved = instance->getState();
  ASSERT_TRUE(saved);
  ASSERT_TRUE(instance->setNormalized(kGain, 0.3));

  struct Case {
    const char* label;
    std::optional<std::int64_t> readLimit;
    bool failReads;
  };
  const Case cases[] = {
      {"empty", 0, false},
      {"ends inside the second value", 15, false},
      {"one byte short", 19, false},
      {"reads fail", std::nullopt, true},
  };
  for (const Case& c : cases) {
    auto stream = vst3host::makeHostObject<vst3host::MemoryStream>(*saved);
    stream->setReadLimit(c.readLimit);
    stream->setFailReads(c.failReads);
    probe.clearLog();
    const auto result = instance->setState(*stream);
    ASSERT_FALSE(result) << c.label;
    EXPECT_EQ(result.message(), "setState failed (kResultFalse)");
    // Not handed on to the controller either.
    EXPECT_EQ(probe.log(), "") << c.label;
    EXPECT_DOUBLE_EQ(instance->normalized(kGain), 0.3) << c.label;
  }
  EXPECT_FALSE(instance->setState(std::vector<std::uint8_t>(20, 0x55)));
}

TEST_F(FakeSynth, ProcessingSwitchesFollowTheHostOrder) {
  EXPECT_FALSE(instance->setActive(true)); // before setupProcessing
  EXPECT_FALSE(instance->setupProcessing({.sampleRate = 0.0}));
  ASSERT_TRUE(instance->setupProcessing(
      {.sampleSize = kSample32, .sampleRate = 44100.0, .maxBlockSize = 256}));
  EXPECT_FALSE(instance->setProcessing(true)); // before setActive
  ASSERT_TRUE(instance->setActive(true));
  EXPECT_FALSE(instance->setupProcessing({})); // while active
  ASSERT_TRUE(instance->setProcessing(true));
  EXPECT_TRUE(instance->isProcessing());
  // Deactivating stops processing first.
  probe.clearLog();
  ASSERT_TRUE(instance->setActive(false));
  EXPECT_EQ(probe.log(), "setProcessing(0);setActive(0);");
  EXPECT_FALSE(instance->isProcessing());
}

TEST_F(FakeSynth, TeardownRunsInHostOrderAndLeavesNothingBehind) {
  ASSERT_TRUE(instance->setupProcessing({}));
  ASSERT_TRUE(instance->setActive(true));
  ASSERT_TRUE(instance->setProcessing(true));
  const int entries = probe.moduleEntries();
  probe.clearLog();
  instance.reset();
  EXPECT_EQ(probe.log(),
            "setProcessing(0);setActive(0);setComponentHandler(null);terminate;destroyed;"
            "ModuleExit;");
  EXPECT_EQ(probe.liveObjects(), 0);
  EXPECT_EQ(probe.moduleEntries(), entries - 1);
  EXPECT_EQ(probe.factoryReferences(), 0);
}

TEST_F(FakeSynth, HandlerRecordsEditsGroupsAndRestarts) {
  probe.editParameter(kGain, 0.4);
  using Kind = vst3host::HandlerCall::Kind;
  const auto calls = instance->componentHandler().calls();
  ASSERT_EQ(calls.size(), 6u);
  const Kind kinds[] = {Kind::startGroupEdit, Kind::beginEdit,       Kind::performEdit,
                        Kind::endEdit,        Kind::finishGroupEdit, Kind::restartComponent};
  for (size_t i = 0; i < calls.size(); ++i) EXPECT_EQ(calls[i].kind, kinds[i]) << i;
  EXPECT_EQ(calls[2].id, kGain);
  EXPECT_DOUBLE_EQ(calls[2].value, 0.4);
  EXPECT_TRUE(calls[2].inGroupEdit);
  EXPECT_FALSE(calls[5].inGroupEdit);
  EXPECT_EQ(instance->componentHandler().restartFlags(), kParamValuesChanged);
}

TEST(SeparateController, IsCreatedConnectedFedTheStateAndTornDown) {
  fake::Probe probe(FAKE_SEPARATE_PATH);
  ASSERT_TRUE(probe.loaded());
  probe.clearLog();
  auto instance = loadOrFail(FAKE_SEPARATE_PATH);
  ASSERT_NE(instance, nullptr);
  EXPECT_FALSE(instance->isSingleComponent());
  EXPECT_EQ(probe.liveObjects(), 2);
  EXPECT_NE(probe.log().find("initialize;initialize;connect(component);connect(controller);"),
            std::string::npos)
      << probe.log();

  // A state loaded into the component reaches the controller's parameters.
  auto saved = instance->getState();
  ASSERT_TRUE(saved);
  std::vector<std::uint8_t> louder = *saved;
  const double gain = 0.9;
  std::memcpy(louder.data() + 4, &gain, sizeof gain);
  ASSERT_TRUE(instance->setState(louder));
  EXPECT_DOUBLE_EQ(instance->normalized(kGain), 0.9);

  probe.clearLog();
  instance.reset();
  EXPECT_EQ(probe.log(),
            "setComponentHandler(null);disconnect(component);disconnect(controller);terminate;"
            "terminate;destroyed;destroyed;ModuleExit;");
  EXPECT_EQ(probe.liveObjects(), 0);
}

} // namespace
