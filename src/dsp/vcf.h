// Four-pole resonant low-pass: a ladder of four identical bilinear one-pole
// sections with global resonance feedback, solved without a unit delay in
// the loop.
//
//   x --(+)--> [G,s1] --> [G,s2] --> [G,s3] --> [G,s4] --> (state only)
//        ^-(k * sat(y))<-------------------------------------+
//
// The output y is the linear estimate of the fourth stage, computed from the
// states before they advance; the states then advance with the feedback
// passed through a rational soft saturator (about 5 tanh(v / 5)).
//
// Cutoff is a pitch index (1/128 semitone), so envelope and key tracking add
// as integers and a glide moves one unit per sample. Coefficients are only
// recomputed when the total cutoff or the resonance changes; the angle and
// the resonance scaling come from per-rate tables shared by every filter
// running at that rate.
#pragma once

#include <cstdint>
#include <vector>

struct VCFTables {
  static constexpr int kHighestIndex = 17280;
  static constexpr int kSize = kHighestIndex + 1;

  explicit VCFTables(double sampleRate);

  double sampleRate;
  std::vector<double> freq2rad;   // cutoff as an angle per sample
  std::vector<double> resoScaler; // feedback gain at full resonance
};

class VCF {
public:
  static constexpr double kDefaultSampleRate = 44100.0;
  static constexpr double kDither = 1e-13;

  VCF();

  // Set-up only: takes the shared tables for this rate and resets the states.
  void setSampleRate(double rate);

  // With glide the current cutoff walks toward the target one unit per
  // sample; without it the cutoff jumps.
  void setCutoff(int cutoff, bool glide);

  // 0..1; takes effect on the next sample.
  void setResonance(double value);

  // Jumps to the target at once (used when the sound falls silent).
  void endGlide() { cutoffCurrent_ = cutoffTarget_; }

  // One sample; modulation is a pitch-index offset for this sample only.
  double process(double input, int modulation);

  double sampleRate() const { return sampleRate_; }
  const VCFTables& tables() const { return *tables_; }
  int cutoffCurrent() const { return cutoffCurrent_; }
  int cutoffTarget() const { return cutoffTarget_; }
  double resonance() const { return resonance_; }
  // Number of coefficient recomputations since construction (cheap to keep,
  // lets callers see that a steady cutoff costs none).
  std::uint64_t coefficientUpdates() const { return coefficientUpdates_; }

private:
  const VCFTables* tables_ = nullptr;
  double sampleRate_ = kDefaultSampleRate;
  int cutoffTarget_ = 0;
  double resonance_ = 0.0;
  double g4_ = 0.0;
  double g_ = 0.0;
  double pole_ = 0.0;
  double feedback_ = 0.0;
  double outputGain_ = 1.0;
  double norm_ = 1.0;
  int cutoffCurrent_ = 0;
  int cutoffCached_ = 0;
  // A flag rather than a cached value of -1: -1 is a cutoff a negative
  // modulation can reach, and would then skip the recomputation.
  bool coefficientsStale_ = true;
  int glideStep_ = 0;
  double s1_ = 0.0, s2_ = 0.0, s3_ = 0.0, s4_ = 0.0;
  double dither_ = kDither;
  std::uint64_t coefficientUpdates_ = 0;
};
