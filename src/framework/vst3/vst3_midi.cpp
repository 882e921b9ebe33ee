#include "framework/vst3/vst3_midi.h"

#include <algorithm>
#include <cmath>

namespace qm::vst3 {

using namespace Steinberg::Vst;

namespace {
constexpr double kDataScale = 127.0;
constexpr int kWheelHalfRange = 8192;

bool validNote(int channel, int pitch) {
  return channel >= 0 && channel < kMidiChannels && pitch >= 0 && pitch <= 127;
}

uint8_t status(int type, int channel) {
  return static_cast<uint8_t>((type << 4) | channel);
}
} // namespace

uint8_t toDataByte(double normalized) {
  if (!(normalized > 0.0)) return 0; // also NaN
  return static_cast<uint8_t>(std::min(normalized, 1.0) * kDataScale);
}

bool midiFromControllerParam(ParamID id, double value, int offset, IMidiMsg& msg) {
  if (id < kMidiCCParamID) return false;
  const ParamID k = id - kMidiCCParamID;
  if (k >= static_cast<ParamID>(kMidiParamsPerChannel * kMidiChannels)) return false;
  const int channel = static_cast<int>(k / kMidiParamsPerChannel);
  const int controller = static_cast<int>(k % kMidiParamsPerChannel);
  if (!std::isfinite(value)) return false;
  value = std::clamp(value, 0.0, 1.0);

  if (controller == kPitchBendController) {
    const int bend = std::clamp(static_cast<int>((value * 2.0 - 1.0) * kWheelHalfRange),
                                -kWheelHalfRange, kWheelHalfRange - 1) +
                     kWheelHalfRange;
    msg = IMidiMsg(offset, status(IMidiMsg::kPitchWheel, channel),
                   static_cast<uint8_t>(bend & 0x7F), static_cast<uint8_t>(bend >> 7));
  } else if (controller == kAftertouchController) {
    msg = IMidiMsg(offset, status(IMidiMsg::kChannelAftertouch, channel), toDataByte(value), 0);
  } else {
    msg = IMidiMsg(offset, status(IMidiMsg::kControlChange, channel),
                   static_cast<uint8_t>(controller), toDataByte(value));
  }
  return true;
}

bool midiFromEvent(const Event& event, IMidiMsg& msg) {
  const int offset = std::max(event.sampleOffset, 0);
  switch (event.type) {
  case Event::kNoteOnEvent: {
    const NoteOnEvent& on = event.noteOn;
    if (!validNote(on.channel, on.pitch)) return false;
    uint8_t velocity = toDataByte(on.velocity);
    // A quiet but real note must not turn into a MIDI note-off (velocity 0).
    if (velocity == 0 && on.velocity > 0.0f) velocity = 1;
    msg = IMidiMsg(offset, status(IMidiMsg::kNoteOn, on.channel), static_cast<uint8_t>(on.pitch),
                   velocity);
    return true;
  }
  case Event::kNoteOffEvent: {
    const NoteOffEvent& off = event.noteOff;
    if (!validNote(off.channel, off.pitch)) return false;
    msg = IMidiMsg(offset, status(IMidiMsg::kNoteOff, off.channel), static_cast<uint8_t>(off.pitch),
                   0);
    return true;
  }
  case Event::kPolyPressureEvent: {
    const PolyPressureEvent& pressure = event.polyPressure;
    if (!validNote(pressure.channel, pressure.pitch)) return false;
    msg = IMidiMsg(offset, status(IMidiMsg::kPolyAftertouch, pressure.channel),
                   static_cast<uint8_t>(pressure.pitch), toDataByte(pressure.pressure));
    return true;
  }
  default:
    return false;
  }
}

bool eventFromMidi(const IMidiMsg& msg, Event& event) {
  event = Event{};
  event.busIndex = 0;
  event.sampleOffset = msg.mOffset;
  event.flags = 0;
  const auto channel = static_cast<Steinberg::int16>(msg.Channel());
  const uint8_t data1 = msg.mData1 & 0x7F;
  const uint8_t data2 = msg.mData2 & 0x7F;
  auto legacy = [&](int controller, uint8_t value, uint8_t value2) {
    event.type = Event::kLegacyMIDICCOutEvent;
    event.midiCCOut.controlNumber = static_cast<Steinberg::uint8>(controller);
    event.midiCCOut.channel = static_cast<Steinberg::int8>(channel);
    event.midiCCOut.value = static_cast<Steinberg::int8>(value);
    event.midiCCOut.value2 = static_cast<Steinberg::int8>(value2);
  };
  switch (msg.StatusMsg()) {
  case IMidiMsg::kNoteOff:
    event.type = Event::kNoteOffEvent;
    event.noteOff.channel = channel;
    event.noteOff.pitch = data1;
    event.noteOff.velocity = static_cast<float>(data2 / kDataScale);
    event.noteOff.noteId = -1;
    return true;
  case IMidiMsg::kNoteOn:
    event.type = Event::kNoteOnEvent;
    event.noteOn.channel = channel;
    event.noteOn.pitch = data1;
    event.noteOn.velocity = static_cast<float>(data2 / kDataScale);
    event.noteOn.tuning = 0.0f;
    event.noteOn.length = 0;
    event.noteOn.noteId = -1;
    return true;
  case IMidiMsg::kPolyAftertouch:
    legacy(kLegacyPolyPressure, data1, data2);
    return true;
  case IMidiMsg::kControlChange:
    legacy(data1, data2, 0);
    return true;
  case IMidiMsg::kProgramChange:
    legacy(kLegacyProgramChange, data1, 0);
    return true;
  case IMidiMsg::kChannelAftertouch:
    legacy(kLegacyChannelPressure, data1, data2);
    return true;
  case IMidiMsg::kPitchWheel:
    legacy(kLegacyPitchBend, data1, data2);
    return true;
  default:
    return false;
  }
}

} // namespace qm::vst3
