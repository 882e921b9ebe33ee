// MIDI input. Messages of a host block wait in midiQueue, sorted by offset.
// Each control block takes those due in it: bend, wheel and learned
// controllers act at its start, notes and sustain move to midiEvents and are
// applied at their own sample by the rendering loop.
#include "core/halvora.h"

namespace {
constexpr int kSustainController = 64;
constexpr int kModWheelController = 1;
constexpr int kAllSoundOff = 120;
constexpr int kAllNotesOff = 123;
constexpr int kFirstChannelMode = 120;
constexpr double kMidiValueMax = 127.0;
constexpr double kBendCentre = 8192.0;
constexpr uint8_t kNoteOffStatus = 0x80;
} // namespace

void Halvora::ProcessMidiMsg(const qm::IMidiMsg& msg) {
  if (settings().midiThru.load(std::memory_order_relaxed)) SendMidiMsg(msg);

  qm::IMidiMsg m = msg;
  switch (m.StatusMsg()) {
  case qm::IMidiMsg::kNoteOff:
    break;
  case qm::IMidiMsg::kNoteOn:
    if (m.mData2 == 0) m.mStatus = kNoteOffStatus;
    break;
  case qm::IMidiMsg::kControlChange: {
    const int controller = m.mData1;
    if (controller >= kFirstChannelMode) {
      if (controller == kAllSoundOff || controller == kAllNotesOff) allNotesOff();
      return;
    }
    if (midiLearnWaiting()) {
      setMidiLearnCC(controller);
      return;
    }
    if (controller == kSustainController) break;
    // A control message late in the host block acts at the control-block
    // start nearest to it rather than the one before.
    if (m.mOffset > controlBlockSize) m.mOffset += controlBlockSize / 2;
    break;
  }
  case qm::IMidiMsg::kPitchWheel:
    if (m.mOffset > controlBlockSize) m.mOffset += controlBlockSize / 2;
    break;
  case qm::IMidiMsg::kProgramChange:
    if (!settings().ignoreProgramChange.load(std::memory_order_relaxed))
      midiProgramChange(m.mData1);
    return;
  default:
    return;
  }
  midiQueue.Add(m);
}

void Halvora::handleMidiEvents() {
  while (!midiQueue.Empty() && midiQueue.Peek().mOffset < controlBlockSize) {
    qm::IMidiMsg m = midiQueue.Peek();
    midiQueue.Remove();
    switch (m.StatusMsg()) {
    case qm::IMidiMsg::kNoteOff:
    case qm::IMidiMsg::kNoteOn:
      if (m.mData2 == 0) m.mStatus = kNoteOffStatus;
      midiEvents.push(m);
      break;
    case qm::IMidiMsg::kControlChange:
      if (m.mData1 == kSustainController)
        midiEvents.push(m);
      else if (m.mData1 == kModWheelController)
        modWheel = m.mData2 / kMidiValueMax;
      else
        applyMidiController(m.mData1, m.mData2);
      break;
    case qm::IMidiMsg::kPitchWheel:
      pitchBend = (m.mData2 * 128.0 + m.mData1 - kBendCentre) / kBendCentre;
      break;
    default:
      break;
    }
  }
  midiQueue.Flush(controlBlockSize);
}
