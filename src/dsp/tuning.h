// The instrument's tuning source: one MTS-ESP client per instance.
//
// getFrequency() turns a MIDI note into a pitch index (1/128 semitone, the
// sound engine's unit). With a tuning master connected it asks the master
// for the note's frequency in Hz and finds the matching pitch index by a
// halving search over pitch::convert2Hz (its uneven last steps land within
// two units of the exact index); without one it is simply note * 128. The
// instrument never asks per channel.
#pragma once

#include "dsp/mts_client.h"

class Tuning {
public:
  Tuning();
  ~Tuning();
  Tuning(const Tuning&) = delete;
  Tuning& operator=(const Tuning&) = delete;

  // Pitch index of the note; called at note-on, so a sounding note keeps its
  // pitch when the tuning changes.
  int getFrequency(int note);
  // True when a connected master asks for the note not to sound.
  bool noteShouldBeSkipped(int note);
  bool hasMTSMaster() const;
  // "Micro Tuning: <scale>" while a master is connected, else "". Valid until
  // the next call.
  const char* getTuningName();

private:
  static constexpr int kNameSize = 255;

  MTSClient* client_;
  char tuningName_[kNameSize + 1] = {};
};
