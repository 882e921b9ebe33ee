#include "framework/vst3/vst3_midi.h"

#include <gtest/gtest.h>

namespace {

using namespace Steinberg::Vst;
using qm::IMidiMsg;
namespace vst3 = qm::vst3;

struct ControllerCase {
  ParamID id;
  double value;
  IMidiMsg expected;
};

TEST(MidiControllerParams, BecomeControlChangePressureAndFourteenBitBend) {
  const ParamID pitchBend = vst3::kMidiCCParamID + vst3::kPitchBendController;
  const ParamID aftertouch = vst3::kMidiCCParamID + vst3::kAftertouchController;
  const ControllerCase cases[] = {
      {pitchBend, 0.5, {5, 0xE0, 0, 64}},
      {pitchBend, 0.0, {5, 0xE0, 0, 0}},
      {pitchBend, 1.0, {5, 0xE0, 127, 127}},
      {pitchBend, 0.75, {5, 0xE0, 0, 96}},
      {aftertouch, 1.0, {5, 0xD0, 127, 0}},
      {aftertouch, 0.5, {5, 0xD0, 63, 0}},
      {vst3::kMidiCCParamID + 7, 0.5, {5, 0xB0, 7, 63}},
      {vst3::kMidiCCParamID + 1, 1.0, {5, 0xB0, 1, 127}},
      // Channel 2's modulation wheel, and values outside 0..1 clamped.
      {vst3::kMidiCCParamID + 2 * vst3::kMidiParamsPerChannel + 1, 2.0, {5, 0xB2, 1, 127}},
      {vst3::kMidiCCParamID + 64, -1.0, {5, 0xB0, 64, 0}},
  };
  for (const ControllerCase& c : cases) {
    IMidiMsg msg;
    ASSERT_TRUE(vst3::midiFromControllerParam(c.id, c.value, 5, msg)) << c.id;
    EXPECT_EQ(msg, c.expected) << "id " << c.id << " value " << c.value;
  }
}

TEST(MidiControllerParams, OtherIdsAreNotMidi) {
  IMidiMsg msg;
  for (ParamID id : {ParamID{0}, ParamID{92}, vst3::kBypassParamID, vst3::kPresetParamID,
                     ParamID{vst3::kMidiCCParamID + 16 * vst3::kMidiParamsPerChannel}}) {
    EXPECT_FALSE(vst3::midiFromControllerParam(id, 0.5, 0, msg)) << id;
  }
}

Event noteOn(int channel, int pitch, float velocity, int offset = 0) {
  Event event{};
  event.type = Event::kNoteOnEvent;
  event.sampleOffset = offset;
  event.noteOn.channel = static_cast<Steinberg::int16>(channel);
  event.noteOn.pitch = static_cast<Steinberg::int16>(pitch);
  event.noteOn.velocity = velocity;
  return event;
}

TEST(MidiEvents, NoteOnVelocityIsScaledTo127AndTruncated) {
  struct Case {
    float velocity;
    uint8_t data2;
  } cases[] = {{1.0f, 127},
               {0.5f, 63},
               {0.0f, 0},
               {1.5f, 127},
               // A real but very quiet note stays a note-on.
               {0.001f, 1}};
  for (const Case& c : cases) {
    IMidiMsg msg;
    ASSERT_TRUE(vst3::midiFromEvent(noteOn(3, 60, c.velocity, 17), msg));
    EXPECT_EQ(msg, IMidiMsg(17, 0x93, 60, c.data2)) << c.velocity;
  }
}

TEST(MidiEvents, NoteOffAndPolyPressureConvertOthersAreSkipped) {
  Event off{};
  off.type = Event::kNoteOffEvent;
  off.sampleOffset = 9;
  off.noteOff.channel = 1;
  off.noteOff.pitch = 64;
  off.noteOff.velocity = 0.8f;
  IMidiMsg msg;
  ASSERT_TRUE(vst3::midiFromEvent(off, msg));
  EXPECT_EQ(msg, IMidiMsg(9, 0x81, 64, 0));

  Event pressure{};
  pressure.type = Event::kPolyPressureEvent;
  pressure.polyPressure.channel = 0;
  pressure.polyPressure.pitch = 40;
  pressure.polyPressure.pressure = 0.5f;
  ASSERT_TRUE(vst3::midiFromEvent(pressure, msg));
  EXPECT_EQ(msg, IMidiMsg(0, 0xA0, 40, 63));

  // Out-of-range notes and channels never become bytes with the wrong meaning.
  EXPECT_FALSE(vst3::midiFromEvent(noteOn(0, 128, 1.0f), msg));
  EXPECT_FALSE(vst3::midiFromEvent(noteOn(16, 60, 1.0f), msg));
  EXPECT_FALSE(vst3::midiFromEvent(noteOn(-1, 60, 1.0f), msg));
  Event legacy{};
  legacy.type = Event::kLegacyMIDICCOutEvent;
  EXPECT_FALSE(vst3::midiFromEvent(legacy, msg));
}

TEST(MidiOutput, MessagesBecomeNoteAndLegacyControllerEvents) {
  Event event{};
  ASSERT_TRUE(vst3::eventFromMidi(IMidiMsg(4, 0x92, 60, 127), event));
  EXPECT_EQ(event.type, Event::kNoteOnEvent);
  EXPECT_EQ(event.sampleOffset, 4);
  EXPECT_EQ(event.noteOn.channel, 2);
  EXPECT_EQ(event.noteOn.pitch, 60);
  EXPECT_FLOAT_EQ(event.noteOn.velocity, 1.0f);
  EXPECT_EQ(event.noteOn.noteId, -1);

  ASSERT_TRUE(vst3::eventFromMidi(IMidiMsg(0, 0x80, 61, 64), event));
  EXPECT_EQ(event.type, Event::kNoteOffEvent);
  EXPECT_FLOAT_EQ(event.noteOff.velocity, 64.0f / 127.0f);

  struct Case {
    IMidiMsg msg;
    int controller, value, value2;
  } cases[] = {
      {{0, 0xE0, 0, 64}, vst3::kLegacyPitchBend, 0, 64},
      {{0, 0xB1, 7, 100}, 7, 100, 0},
      {{0, 0xC0, 12, 0}, vst3::kLegacyProgramChange, 12, 0},
      {{0, 0xD0, 90, 0}, vst3::kLegacyChannelPressure, 90, 0},
      {{0, 0xA0, 60, 33}, vst3::kLegacyPolyPressure, 60, 33},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(vst3::eventFromMidi(c.msg, event));
    EXPECT_EQ(event.type, Event::kLegacyMIDICCOutEvent);
    EXPECT_EQ(event.midiCCOut.controlNumber, c.controller);
    EXPECT_EQ(event.midiCCOut.channel, c.msg.Channel());
    EXPECT_EQ(event.midiCCOut.value, c.value);
    EXPECT_EQ(event.midiCCOut.value2, c.value2);
  }
  EXPECT_FALSE(vst3::eventFromMidi(IMidiMsg(0, 0xF0, 1, 2), event));
  EXPECT_FALSE(vst3::eventFromMidi(IMidiMsg(0, 0x40, 1, 2), event));
}

} // namespace
