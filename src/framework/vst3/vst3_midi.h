// MIDI between the host's VST 3 forms and our three-byte messages: the host's
// MIDI-controller parameters and note events come in as messages, the
// messages we send (MIDI thru) go out as note and legacy controller events.
#pragma once

#include "framework/midi.h"
#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/vsttypes.h"

namespace qm::vst3 {

// Host parameter IDs around the instrument's own 0..N-1.
constexpr Steinberg::Vst::ParamID kBypassParamID = 65536;
constexpr Steinberg::Vst::ParamID kPresetParamID = 65537;
constexpr Steinberg::Vst::ParamID kMidiCCParamID = 65538;
// Per channel: controllers 0..127, channel aftertouch, pitch bend.
constexpr int kMidiParamsPerChannel = 130;
constexpr int kMidiChannels = 16;
constexpr int kAftertouchController = 128;
constexpr int kPitchBendController = 129;
// Controller numbers of VST 3's legacy controller-out events.
constexpr int kLegacyChannelPressure = 128;
constexpr int kLegacyPitchBend = 129;
constexpr int kLegacyProgramChange = 130;
constexpr int kLegacyPolyPressure = 131;

// A 0..1 value as a 7-bit data byte, truncated as hosts expect.
uint8_t toDataByte(double normalized);

// The message a MIDI-controller parameter change stands for; false for an ID
// that is not one of them.
bool midiFromControllerParam(Steinberg::Vst::ParamID id, double value, int offset, IMidiMsg& msg);

// The message of a host event; false for events we do not take as MIDI.
bool midiFromEvent(const Steinberg::Vst::Event& event, IMidiMsg& msg);

// The host event of one of our messages, on bus 0; false for status bytes
// VST 3 has no event for.
bool eventFromMidi(const IMidiMsg& msg, Steinberg::Vst::Event& event);

} // namespace qm::vst3
