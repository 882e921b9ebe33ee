#include "core_fixture.h"
#include "framework/fake_host_link.h"

#include <algorithm>

namespace {

using test_support::CoreTest;

class MidiTest : public CoreTest {};

TEST_F(MidiTest, PitchBendActsAtTheNearestControlBlockStart) {
  struct Case {
    int offset;
    int appliedAt; // first sample rendered with the new bend
  };
  const Case cases[] = {{30, 0}, {60, 44}, {70, 88}};
  for (const Case& c : cases) {
    midi(qm::IMidiMsg::PitchWheel(8192, 0));
    render(44);
    ASSERT_EQ(plug.pitchBend, 0.0);
    midi(qm::IMidiMsg::PitchWheel(16383, c.offset));
    // Render one control block at a time and note when the bend changed.
    int seenAt = -1;
    for (int start = 0; start < 132; start += 44) {
      render(44);
      if (seenAt < 0 && plug.pitchBend != 0.0) seenAt = start;
    }
    EXPECT_EQ(seenAt, c.appliedAt) << c.offset;
  }
}

TEST_F(MidiTest, PitchBendDataGivesThePosition) {
  struct Case {
    uint8_t lsb, msb;
    double bend;
  };
  const Case cases[] = {{0, 64, 0.0}, {0, 0, -1.0}, {127, 127, 8191.0 / 8192.0}, {0, 96, 0.5}};
  for (const Case& c : cases) {
    midi(qm::IMidiMsg(0, 0xE3, c.lsb, c.msb));
    render(44);
    EXPECT_EQ(plug.pitchBend, c.bend);
  }
}

TEST_F(MidiTest, NoteSoundsAtItsOwnSample) {
  midi(qm::IMidiMsg::NoteOn(60, 100, 100));
  const test_support::Block block = render(128);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(block.channels[2][size_t(i)], 0.0) << i;
  EXPECT_TRUE(voice(0).isActive());
  double after = 0.0;
  for (int i = 100; i < 128; ++i) after += std::abs(block.channels[2][size_t(i)]);
  EXPECT_GT(after, 0.0);
}

TEST_F(MidiTest, SameOffsetNoteOffThenNoteOnEndsSounding) {
  noteOn(60);
  midi(qm::IMidiMsg::NoteOff(60, 10));
  midi(qm::IMidiMsg::NoteOn(60, 90, 10));
  render(44);
  EXPECT_EQ(plug.pressedKeys.count(60), 1u);
  EXPECT_TRUE(voice(0).gate());
}

TEST_F(MidiTest, VelocityZeroNoteOnIsANoteOff) {
  noteOn(60);
  midi(qm::IMidiMsg(0, 0x95, 60, 0));
  render(44);
  EXPECT_TRUE(plug.pressedKeys.empty());
  EXPECT_EQ(plug.syntheKeys, 0);
}

TEST_F(MidiTest, ChannelModeControllersActAtOnceOrNotAtAll) {
  struct Case {
    int controller;
    bool clears;
  };
  for (const Case c : {Case{120, true}, Case{123, true}, Case{121, false}, Case{127, false}}) {
    noteOn(60);
    midi(qm::IMidiMsg::ControlChange(c.controller, 0, 20));
    EXPECT_EQ(plug.pressedKeys.empty(), c.clears) << c.controller; // before rendering
    noteOff(60);
  }
}

TEST_F(MidiTest, SustainAndWheelFollowTheirControllers) {
  midi(qm::IMidiMsg::ControlChange(64, 1, 0));
  midi(qm::IMidiMsg::ControlChange(1, 127, 0));
  render(44);
  EXPECT_TRUE(plug.sustainPedal);
  EXPECT_EQ(plug.modWheel, 1.0);
  midi(qm::IMidiMsg::ControlChange(64, 0, 0));
  render(44);
  EXPECT_FALSE(plug.sustainPedal);
}

TEST_F(MidiTest, LearnedControllerSetsItsParameterOnce) {
  plug.configFile().settings.setController(7, kPitchBend);
  set(kPitchBend, 1);
  midi(qm::IMidiMsg::ControlChange(7, 127, 0));
  render(44);
  EXPECT_EQ(plug.GetParam(kPitchBend)->Value(), 12.0);
  // Unmapped and channel-independent: controller 8 changes nothing.
  midi(qm::IMidiMsg(0, 0xB9, 8, 0));
  render(44);
  EXPECT_EQ(plug.GetParam(kPitchBend)->Value(), 12.0);
}

TEST_F(MidiTest, ThruPassesEverythingAndIgnoredProgramChangesRecallNothing) {
  plug.configFile().settings.midiThru = true;
  plug.configFile().settings.ignoreProgramChange = true;
  const qm::IMidiMsg messages[] = {qm::IMidiMsg::ProgramChange(5, 3), qm::IMidiMsg(4, 0xF8, 0, 0),
                                   qm::IMidiMsg::ControlChange(121, 0, 6)};
  for (const auto& m : messages) midi(m);
  auto& out = plug.GetMidiOutQueue();
  ASSERT_EQ(out.ToDo(), 3);
  for (const auto& m : messages) {
    EXPECT_EQ(out.Peek(), m);
    out.Remove();
  }
}

class MidiLearnTest : public CoreTest {
protected:
  int informs(int param) const {
    const std::string prefix = "inform " + std::to_string(param) + " ";
    return int(std::count_if(host.calls.begin(), host.calls.end(),
                             [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
  }
  test_support::RecordingHostLink host;
};

TEST_F(MidiLearnTest, ControllerFromTheMidiInputCompletesTheRequestWithoutPlaying) {
  plug.SetHostLink(&host);
  set(kPitchBend, 1);
  plug.doMidiLearn(true);
  set(kPitchBend, 2); // the musician moves the control
  midi(qm::IMidiMsg::ControlChange(7, 127, 0));
  render(44);
  EXPECT_EQ(plug.settings().controller(7), kPitchBend);
  EXPECT_FALSE(plug.midiLearnWaiting());
  EXPECT_TRUE(plug.takeMidiLearnCompleted());
  EXPECT_EQ(plug.GetParam(kPitchBend)->Value(), 2.0) << "the learning message is not played";
  EXPECT_EQ(informs(kPitchBend), 0);

  // From now on the controller plays the parameter, and once only per value.
  for (int repeat = 0; repeat < 2; ++repeat) {
    midi(qm::IMidiMsg::ControlChange(7, 127, 0));
    render(44);
  }
  EXPECT_EQ(plug.GetParam(kPitchBend)->Value(), 12.0);
  EXPECT_EQ(informs(kPitchBend), 1);
}

TEST_F(MidiLearnTest, ChannelModeMessagesWhileLearningAreNotLearned) {
  plug.doMidiLearn(true);
  set(kPitchBend, 3);
  for (int controller : {120, 123}) {
    noteOn(60);
    midi(qm::IMidiMsg::ControlChange(controller, 0, 0));
    EXPECT_TRUE(plug.pressedKeys.empty()) << controller;
    EXPECT_TRUE(plug.midiLearnWaiting()) << controller;
    EXPECT_EQ(plug.settings().controller(controller), ConfigSettings::kNoAssignment);
  }
  EXPECT_FALSE(plug.takeMidiLearnCompleted());
}

TEST_F(MidiLearnTest, ProgramRecallWhileLearningLearnsTheLastParameter) {
  ASSERT_TRUE(plug.RestorePreset(0)); // the first recall only names the program
  plug.doMidiLearn(true);
  ASSERT_TRUE(plug.RestorePreset(0));
  midi(qm::IMidiMsg::ControlChange(21, 64, 0));
  EXPECT_EQ(plug.settings().controller(21), kNumParams - 1);
}

TEST_F(MidiLearnTest, WheelAndSustainAssignmentsHaveNoEffect) {
  plug.configFile().settings.setController(1, kPitchBend);
  plug.configFile().settings.setController(64, kPitchBend);
  set(kPitchBend, 1);
  midi(qm::IMidiMsg::ControlChange(1, 127, 0));
  midi(qm::IMidiMsg::ControlChange(64, 127, 0));
  render(44);
  EXPECT_EQ(plug.GetParam(kPitchBend)->Value(), 1.0);
  EXPECT_EQ(plug.modWheel, 1.0);
  EXPECT_TRUE(plug.sustainPedal);
}

} // namespace
