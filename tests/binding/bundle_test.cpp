// The built Halvora.vst3 loaded the way a host loads it: through the module's
// entry points and the VST 3 ABI only.
#include <stdlib.h>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "host/block_processor.h"
#include "host/instance.h"
#include "host/memory_stream.h"
#include "host/module.h"
#include "host/utf16.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/vstspeaker.h"

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr ParamID kPresetParam = 65537;
constexpr ParamID kFirstMidiParam = 65538;
constexpr ParamID kAftertouchParam = 65666;
constexpr ParamID kPitchBendParam = 65667;

// A settings folder of its own, so the user's halvora.ini is never touched.
class ScratchSettings {
public:
  ScratchSettings() {
    std::string pattern = (std::filesystem::temp_directory_path() / "halvora-XXXXXX").string();
    if (mkdtemp(pattern.data())) path_ = pattern;
    setenv("XDG_CONFIG_HOME", path_.c_str(), 1);
  }
  ~ScratchSettings() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

private:
  std::string path_;
};

class Bundle : public ::testing::Test {
protected:
  void SetUp() override {
    auto loaded = vst3host::Instance::load(HALVORA_BUNDLE_PATH);
    ASSERT_TRUE(loaded) << loaded.message();
    instance = std::move(*loaded);
  }

  ParamID paramId(const char* title) {
    auto found = instance->findParameter(title);
    EXPECT_TRUE(found) << found.message();
    return found ? found->id : 0;
  }

  void startProcessing(SymbolicSampleSizes size = kSample64, int32 maxBlock = 512) {
    vst3host::ProcessSettings settings;
    settings.sampleSize = size;
    settings.maxBlockSize = maxBlock;
    ASSERT_TRUE(instance->setupProcessing(settings));
    ASSERT_TRUE(instance->setActive(true));
    ASSERT_TRUE(instance->setProcessing(true));
  }

  std::vector<uint8_t> state() {
    auto bytes = instance->getState();
    EXPECT_TRUE(bytes) << bytes.message();
    return bytes ? *bytes : std::vector<uint8_t>{};
  }

  ScratchSettings settings;
  std::unique_ptr<vst3host::Instance> instance;
};

TEST_F(Bundle, FactoryDescribesOneInstrumentClass) {
  const vst3host::Module& module = instance->module();
  EXPECT_EQ(module.factoryVersion(), 3);
  EXPECT_EQ(module.factoryInfo().vendor, "Quillmere");
  EXPECT_EQ(module.factoryInfo().flags, 16);
  ASSERT_EQ(module.classes().size(), 1u);

  const vst3host::ClassInfo& info = module.classes()[0];
  const std::array<unsigned char, 16> cid = {0xF2, 0xAE, 0xE7, 0x0D, 0x00, 0xDE, 0x4F, 0x4E,
                                             0x51, 0x75, 0x4D, 0x65, 0x48, 0x61, 0x6C, 0x33};
  EXPECT_EQ(std::memcmp(info.cid.data(), cid.data(), 16), 0);
  EXPECT_EQ(info.cardinality, 0x7FFFFFFF);
  EXPECT_EQ(info.category, "Audio Module Class");
  EXPECT_EQ(info.name, "Halvora");
  EXPECT_EQ(info.classFlags, 2u);
  EXPECT_EQ(info.subCategories, "Instrument|Synth");
  EXPECT_EQ(info.vendor, "");
  EXPECT_EQ(info.version, "1.1.3");
  EXPECT_EQ(info.sdkVersion, "VST 3.7.3");
  EXPECT_TRUE(instance->isSingleComponent());
}

TEST_F(Bundle, FourStereoOutputsAndOneMidiBusEachWay) {
  auto outputs = instance->buses(kAudio, kOutput);
  ASSERT_EQ(outputs.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(outputs[i].name, "Output " + std::to_string(i));
    EXPECT_EQ(outputs[i].channelCount, 2);
    EXPECT_EQ(outputs[i].busType, i == 0 ? kMain : kAux);
    EXPECT_EQ((outputs[i].flags & BusInfo::kDefaultActive) != 0, i == 0);
  }
  EXPECT_TRUE(instance->buses(kAudio, kInput).empty());
  auto midiIn = instance->buses(kEvent, kInput);
  auto midiOut = instance->buses(kEvent, kOutput);
  ASSERT_EQ(midiIn.size(), 1u);
  ASSERT_EQ(midiOut.size(), 1u);
  EXPECT_EQ(midiIn[0].name, "MIDI Input");
  EXPECT_EQ(midiOut[0].name, "MIDI Output");
}

TEST_F(Bundle, BusArrangementsMatchOnlyTheStereoConfigurations) {
  for (int n = 1; n <= 4; ++n) {
    SCOPED_TRACE(n);
    ASSERT_TRUE(
        instance->setBusArrangements({}, std::vector<SpeakerArrangement>(n, SpeakerArr::kStereo)));
    auto outputs = instance->buses(kAudio, kOutput);
    ASSERT_EQ(outputs.size(), static_cast<size_t>(n));
    EXPECT_EQ(outputs[0].name, n == 1 ? "Output" : "Output 0");
  }
  EXPECT_FALSE(instance->setBusArrangements({}, {SpeakerArr::kMono}));
  EXPECT_FALSE(
      instance->setBusArrangements({}, std::vector<SpeakerArrangement>(5, SpeakerArr::kStereo)));
  EXPECT_FALSE(instance->setBusArrangements({SpeakerArr::kStereo}, {SpeakerArr::kStereo}));
  // A refused request leaves the last accepted layout.
  EXPECT_EQ(instance->buses(kAudio, kOutput).size(), 4u);
}

TEST_F(Bundle, ParametersComeInOrderWithTitlesDefaultsAndSteps) {
  auto params = instance->parameters();
  ASSERT_EQ(params.size(), 1u + 93u + 130u);

  EXPECT_EQ(params[0].id, kPresetParam);
  EXPECT_EQ(params[0].title, "Preset");
  EXPECT_EQ(params[0].stepCount, 63);
  EXPECT_EQ(params[0].flags, ParameterInfo::kIsProgramChange);
  for (int i = 0; i < 93; ++i) EXPECT_EQ(params[1 + i].id, static_cast<ParamID>(i));

  auto keyAssign = instance->findParameter("Key Assign");
  ASSERT_TRUE(keyAssign);
  EXPECT_EQ(keyAssign->stepCount, 1);
  EXPECT_EQ(keyAssign->flags, ParameterInfo::kCanAutomate | ParameterInfo::kIsList);
  EXPECT_EQ(keyAssign->unitId, 0);
  auto volume = instance->findParameter("Total Volume");
  ASSERT_TRUE(volume);
  EXPECT_EQ(volume->stepCount, 0);
  EXPECT_EQ(volume->flags, ParameterInfo::kCanAutomate);

  struct MidiCase {
    ParamID id;
    const char* title;
    double defaultValue;
  } midi[] = {
      {kFirstMidiParam, "BankSel.MSB", 0.0},      {kFirstMidiParam + 7, "MainVolume", 0.0},
      {kFirstMidiParam + 66, "Sostenuto ", 0.0},  {kFirstMidiParam + 79, "SoundCont 10", 0.0},
      {kFirstMidiParam + 127, "PolyModeOn", 0.0}, {kAftertouchParam, "Channel Aftertouch", 0.0},
      {kPitchBendParam, "Pitch Bend", 0.5}};
  for (const MidiCase& c : midi) {
    const auto& p = params[94 + (c.id - kFirstMidiParam)];
    EXPECT_EQ(p.id, c.id);
    EXPECT_EQ(p.title, c.title);
    EXPECT_EQ(p.defaultNormalized, c.defaultValue) << c.title;
    EXPECT_EQ(p.stepCount, 0);
    EXPECT_EQ(p.flags, 0);
    EXPECT_EQ(p.unitId, 3);
  }
}

TEST_F(Bundle, ValuesConvertToAndFromText) {
  const ParamID volume = paramId("Total Volume");
  auto text = instance->valueToText(volume, 0.5);
  ASSERT_TRUE(text);
  EXPECT_EQ(*text, "-6.0");

  const ParamID keyAssign = paramId("Key Assign");
  EXPECT_EQ(*instance->valueToText(keyAssign, 0.0), "2");
  EXPECT_EQ(*instance->valueToText(keyAssign, 1.0), "1");
  EXPECT_DOUBLE_EQ(*instance->textToValue(keyAssign, "1"), 1.0);
  EXPECT_DOUBLE_EQ(*instance->textToValue(keyAssign, "2"), 0.0);

  // The program selector rounds halves away from zero.
  EXPECT_EQ(instance->toPlain(kPresetParam, 0.5), 32.0);
  EXPECT_EQ(instance->toPlain(kPresetParam, 1.0), 63.0);
  EXPECT_DOUBLE_EQ(instance->toNormalized(kPresetParam, 63.0), 1.0);

  EXPECT_FALSE(instance->valueToText(12345, 0.5));
}

TEST_F(Bundle, UnitsAndTheFactoryProgramList) {
  auto units = instance->units();
  ASSERT_EQ(units.size(), 3u);
  EXPECT_EQ(units[0].id, 0);
  EXPECT_EQ(units[0].parentId, -1);
  EXPECT_EQ(units[0].name, "Root");
  EXPECT_EQ(units[0].programListId, 65537);
  EXPECT_EQ(units[1].id, 2);
  EXPECT_EQ(units[1].parentId, 0);
  EXPECT_EQ(units[1].name, "MIDI CCs");
  EXPECT_EQ(units[2].id, 3);
  EXPECT_EQ(units[2].parentId, 2);
  EXPECT_EQ(units[2].name, "CH1");

  auto lists = instance->programLists();
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(lists[0].id, 65537);
  EXPECT_EQ(lists[0].name, "Factory Presets");
  EXPECT_EQ(lists[0].programCount, 64);
  EXPECT_TRUE(instance->programName(65537, 0));
  EXPECT_TRUE(instance->programName(65537, 63));
  EXPECT_FALSE(instance->programName(65537, 64));
  EXPECT_FALSE(instance->programName(65536, 0));
}

TEST_F(Bundle, MidiControllersMapOnChannelOneOnly) {
  struct Case {
    int32 bus;
    int16 channel;
    CtrlNumber cc;
    bool maps;
    ParamID id;
  } cases[] = {{0, 0, 7, true, 65545},
               {0, 0, kPitchBend, true, kPitchBendParam},
               {0, 0, kAfterTouch, true, kAftertouchParam},
               {0, 1, 7, false, 0},
               {1, 0, 7, false, 0},
               {0, 0, kCtrlProgramChange, false, 0}};
  for (const Case& c : cases) {
    auto id = instance->midiControllerAssignment(c.bus, c.channel, c.cc);
    EXPECT_EQ(static_cast<bool>(id), c.maps) << c.bus << "/" << c.channel << "/" << c.cc;
    if (id && c.maps) {
      EXPECT_EQ(*id, c.id);
    }
  }
}

TEST_F(Bundle, StateRoundTripIsByteIdentical) {
  ASSERT_TRUE(instance->setNormalized(paramId("Total Volume"), 0.25));
  const std::vector<uint8_t> saved = state();
  ASSERT_GE(saved.size(), 4u);
  // The last word is the bypass flag, off.
  EXPECT_EQ(std::vector<uint8_t>(saved.end() - 4, saved.end()), std::vector<uint8_t>(4, 0));
  ASSERT_TRUE(instance->setState(saved));
  EXPECT_EQ(state(), saved);
}

TEST_F(Bundle, StateRestoresParameterValues) {
  const ParamID volume = paramId("Total Volume");
  ASSERT_TRUE(instance->setNormalized(volume, 0.25));
  const std::vector<uint8_t> saved = state();
  if (saved.size() <= 4) GTEST_SKIP() << "the instrument writes no settings into its state yet";
  ASSERT_TRUE(instance->setNormalized(volume, 0.75));
  ASSERT_TRUE(instance->setState(saved));
  EXPECT_NEAR(instance->normalized(volume), 0.25, 1e-9);
}

TEST_F(Bundle, StateWithoutItsBypassWordFailsAndKeepsHostValues) {
  const ParamID volume = paramId("Total Volume");
  ASSERT_TRUE(instance->setNormalized(volume, 0.25));
  std::vector<uint8_t> truncated = state();
  ASSERT_GE(truncated.size(), 4u);
  truncated.resize(truncated.size() - 4);
  ASSERT_TRUE(instance->setNormalized(volume, 0.75));

  EXPECT_FALSE(instance->setState(truncated));
  // The host-side copy is only refreshed by a complete state.
  EXPECT_DOUBLE_EQ(instance->normalized(volume), 0.75);

  vst3host::MemoryStream failing(state());
  failing.setFailReads(true);
  EXPECT_FALSE(instance->setState(failing));
  // The instance still works afterwards.
  EXPECT_EQ(state().size(), truncated.size() + 4);
}

TEST_F(Bundle, PresetParameterSelectsAProgram) {
  ASSERT_TRUE(instance->setNormalized(kPresetParam, 0.5));
  EXPECT_DOUBLE_EQ(instance->normalized(kPresetParam), 0.5);
  EXPECT_FALSE(instance->setNormalized(99999, 0.5));
  EXPECT_DOUBLE_EQ(instance->normalized(99999), 0.0);
}

TEST_F(Bundle, OnlyTheLastPointOfAParameterQueueApplies) {
  startProcessing();
  const ParamID volume = paramId("Total Volume");
  vst3host::BlockProcessor block(*instance);
  ASSERT_TRUE(block.addParameterChange(volume, 0, 0.1));
  ASSERT_TRUE(block.addParameterChange(volume, 10, 0.9));
  ASSERT_TRUE(block.addParameterChange(volume, 20, 0.3));
  ASSERT_TRUE(block.process(64));
  EXPECT_DOUBLE_EQ(instance->normalized(volume), 0.3);
}

TEST_F(Bundle, ZeroSampleFlushAppliesChangesAndRendersNothing) {
  startProcessing();
  const ParamID volume = paramId("Total Volume");
  vst3host::BlockProcessor block(*instance);
  ASSERT_TRUE(block.addParameterChange(volume, 0, 0.6));
  ASSERT_TRUE(block.addMidiController(0, 0, kPitchBend, 0.5));
  block.addNoteOn(0, 0, 60, 1.0f);
  ASSERT_TRUE(block.flushParameters());
  EXPECT_DOUBLE_EQ(instance->normalized(volume), 0.6);
  ASSERT_TRUE(block.process(32));
}

struct ProcessCase {
  SymbolicSampleSizes size;
  int buses;
};

class BundleProcessing : public Bundle, public ::testing::WithParamInterface<ProcessCase> {};

TEST_P(BundleProcessing, WritesEveryConnectedChannelForAnyBlockSize) {
  const ProcessCase c = GetParam();
  ASSERT_TRUE(instance->setBusArrangements(
      {}, std::vector<SpeakerArrangement>(static_cast<size_t>(c.buses), SpeakerArr::kStereo)));
  // Auxiliary buses stay as the host left them: inactive.
  startProcessing(c.size, 256);
  vst3host::BlockProcessor block(*instance);
  ASSERT_EQ(block.outputBusCount(), c.buses);
  for (int32 frames : {1, 17, 256}) {
    block.addNoteOn(0, 0, 60, 1.0f);
    ASSERT_TRUE(block.process(frames)) << frames;
    for (int32 b = 0; b < c.buses; ++b) {
      for (int32 ch = 0; ch < 2; ++ch) {
        if (c.size == kSample64) {
          for (double v : block.output64(b, ch)) ASSERT_TRUE(std::isfinite(v));
        } else {
          for (float v : block.output32(b, ch)) ASSERT_TRUE(std::isfinite(v));
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(SampleSizesAndBuses, BundleProcessing,
                         ::testing::Values(ProcessCase{kSample64, 1}, ProcessCase{kSample64, 2},
                                           ProcessCase{kSample64, 4}, ProcessCase{kSample32, 1},
                                           ProcessCase{kSample32, 3}, ProcessCase{kSample32, 4}));

TEST_F(Bundle, SurvivesLifecycleTogglesAndStateCallsBetweenBlocks) {
  startProcessing(kSample32, 128);
  vst3host::BlockProcessor block(*instance);
  const std::vector<uint8_t> saved = state();
  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(block.process(128));
    ASSERT_TRUE(instance->setState(saved));
    ASSERT_TRUE(block.process(1));
    ASSERT_TRUE(instance->setProcessing(false));
    ASSERT_TRUE(instance->setActive(false));
    ASSERT_TRUE(instance->setActive(true));
    ASSERT_TRUE(instance->setProcessing(true));
    ASSERT_TRUE(block.flushParameters());
  }
  // Terminate and initialise again, as hosts do when they reuse an instance.
  ASSERT_TRUE(instance->setProcessing(false));
  ASSERT_TRUE(instance->setActive(false));
  ASSERT_EQ(instance->component()->terminate(), kResultOk);
  ASSERT_EQ(instance->component()->initialize(
                static_cast<IHostApplication*>(&instance->hostApplication())),
            kResultOk);
  EXPECT_EQ(instance->parameterCount(), 224);
  EXPECT_EQ(instance->buses(kAudio, kOutput).size(), 4u);
}

} // namespace
