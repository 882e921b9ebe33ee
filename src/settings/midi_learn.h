// MIDI learn: assigning controllers 0..119 to parameters without a dialog.
// The editor's learn switch starts a request; the request completes once it
// has both a parameter change and a controller (in either order), or, when
// unlearning, either one of them. The result lands in the controller map of
// the configuration settings, which the MIDI input reads on the audio thread.
//
// Controllers arrive on the audio thread and parameter changes on either
// thread, so the request's fields are atomics. Whichever thread supplies the
// second half completes the request; the switch itself lives on the main
// thread, so completion only raises a flag the editor picks up on its timer.
#pragma once

#include "settings/config_file.h"

#include <atomic>

class MidiLearn {
public:
  static constexpr int kNone = -1;

  // map: where assignments go; parameterCount: valid indices are 0..count-1.
  MidiLearn(ConfigSettings& map, int parameterCount);

  // The learn switch in learn or unlearn mode turned on or off. Off abandons
  // the request.
  void doMidiLearn(bool on) { start(false, on); }
  void doMidiUnlearn(bool on) { start(true, on); }

  bool learning() const { return learning_.load(); }
  bool unlearnMode() const { return unlearnMode_.load(); }

  // A control change 0..119 reached the MIDI input while learning.
  void setMidiLearnCC(int controller);
  // A parameter changed, from any source.
  void parameterChanged(int parameter);

  // Completes the request when it has what it needs; returns whether it is
  // still pending.
  bool applyMidiLearn();

  // True once after a request completed: the switch should show off.
  bool takeCompleted() { return completed_.exchange(false); }

private:
  void start(bool unlearn, bool on);
  void removeParameter(int parameter);

  ConfigSettings& map_;
  const int parameterCount_;
  std::atomic<bool> learning_{false};
  std::atomic<bool> unlearnMode_{false};
  std::atomic<int> controller_{kNone};
  std::atomic<int> parameter_{kNone};
  std::atomic<bool> completed_{false};
};
