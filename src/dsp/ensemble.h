// String ensemble: three short modulated delay taps on the mono Strings
// signal, mixed with the dry signal to mono or stereo.
//
//   in --+---------------------------------------------> dry
//        +--> [line] --tap1 (fast 0 deg, slow 0 deg)----->
//                    --tap2 (fast 120 deg, slow 240 deg)->  mix
//                    --tap3 (fast 240 deg, slow 120 deg)->
//
// Each tap's delay is set by a fast and a slow triangle (the slow one weighs
// twelve times more) once per control block and moves toward it in a
// straight line per sample, so the modulation stays smooth without per-
// sample LFO work. The taps read linear interpolations from one shared line.
#pragma once

#include "dsp/phase_lfo.h"
#include "dsp/stereo.h"

#include <vector>

class Ensemble {
public:
  static constexpr int kTaps = 3;
  static constexpr double kDefaultSampleRate = 44100.0;
  static constexpr double kLineSeconds = 0.02;
  static constexpr double kMaxAmount = 0.05; // the amount parameters, halved

  Ensemble();

  // Set-up only (allocates): clears the line, the delays and the amounts.
  void setSampleRate(double rate);

  void setStereo(bool stereo) { stereo_ = stereo; }
  // tap 0..2; amount 0..0.05.
  void setAmount(int tap, double amount);
  void setLFO1Speed(double hz) { lfo1_.setSpeed(hz); }
  void setLFO2Speed(double hz) { lfo2_.setSpeed(hz); }

  // Once per control block.
  void update();
  // Once per sample.
  void process(double in, Stereo* out);

  // Frees the line; setSampleRate brings it back.
  void cleanUp();

  int length() const { return length_; }
  double delay(int tap) const { return delay_[tap]; }
  bool stereo() const { return stereo_; }

private:
  PhaseLFO lfo1_;
  PhaseLFO lfo2_;
  double sampleRate_ = kDefaultSampleRate;
  double glideFactor_ = 0.0;
  // The three taps would see identical lines written at the same index, so
  // they share one.
  std::vector<double> line_;
  int length_ = 0;
  int writeIndex_ = 0;
  double delay_[kTaps] = {};
  double step_[kTaps] = {};
  bool stereo_ = false;
  double amount_[kTaps] = {};
};
