// Clocked delay line, like a bucket-brigade chip: a fixed number of slots
// written at a variable clock, so the delay is length * period samples and
// is changed by changing the clock, not the read position.
//
//   x -> LP -> [resample onto the clock] -> line (length slots) -> LP
//                                                                   |
//   y <------------------ [resample back to the sample rate] <------+
//
// Both resampling steps use a Catmull-Rom cubic over the last four samples.
// The clock period (in input samples) blends a manual setting with an
// exponential LFO sweep and runs 0.125..1, i.e. 1 to 8 slot writes per
// sample. The flanger feeds the read sample back, hard-clipped at +-3.
// Only the wet signal is returned.
#pragma once

#include "dsp/filter.h"
#include "dsp/phase_lfo.h"
#include "dsp/stereo.h"

#include <vector>

class ModDelay {
public:
  static constexpr double kDefaultSampleRate = 44100.0;
  static constexpr double kDefaultSeconds = 0.02;
  static constexpr double kShortestPeriod = 0.125;
  static constexpr double kLongestPeriod = 1.0;
  static constexpr double kFeedbackClip = 3.0;

  ModDelay();

  // Set-up only (allocates both lines). The smoothing filters lose their
  // cutoff: call setLPFreq afterwards.
  void init(double rate, double seconds);
  void setLPFreq(double hz);

  void setStereo(bool stereo) { stereo_ = stereo; }
  void setManual(double manual) { manual_ = manual; }
  void setFeedback(double feedback) { feedback_ = feedback; }
  void setIntensity(double intensity) { intensity_ = intensity; }
  void setSpeed(double hz) { lfo_.setSpeed(hz); }

  // Once per control block.
  void update();
  void processVibrato(double* sample);
  void processFlanger(Stereo* pair);

  // Frees both lines; init brings them back. Processing then passes through.
  void cleanUp();

  // Catmull-Rom from h[1] at t = 0 to h[2] at t = 1, h oldest first.
  static double cubic(const double* h, double t) {
    return (h[2] - h[0]) * 0.5 * t + (2.0 * h[2] + (h[0] - 2.5 * h[1]) - 0.5 * h[3]) * t * t +
           ((h[3] - h[0]) * 0.5 + (h[1] - h[2]) * 1.5) * t * t * t + h[1];
  }

  int length() const { return length_; }
  double periodL() const { return left_.period; }
  double periodR() const { return right_.period; }

private:
  static constexpr int kHistory = 4;

  struct Channel {
    LowPass inFilter;
    LowPass outFilter;
    double inHist[kHistory] = {};
    double outHist[kHistory] = {};
    std::vector<double> line;
    int write = 0;
    double clock = 0.0;
    double period = 1.0;
    double invPeriod = 1.0;
  };

  static void push(double* hist, double v) {
    hist[0] = hist[1];
    hist[1] = hist[2];
    hist[2] = hist[3];
    hist[3] = v;
  }
  static double limitPeriod(double p);
  // Writes the slots due for one input sample; x is already in inHist.
  template <bool kFeedback>
  static void clockChannel(Channel& c, double feedback, int length);
  static void clockBoth(Channel& l, Channel& r, double feedback, int length);
  static double output(const Channel& c, double clock, double invPeriod) {
    return cubic(c.outHist, 1.0 - clock * invPeriod);
  }

  PhaseLFO lfo_;
  Channel left_;
  Channel right_;
  int length_ = 0;
  bool stereo_ = false;
  double manual_ = 0.0;
  double feedback_ = 0.0;
  double intensity_ = 0.0;
};
