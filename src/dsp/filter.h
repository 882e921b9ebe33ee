// Second-order filters for the fixed-function parts of the sound.
//
// Filter is a one-sample-per-call biquad whose coefficients come from a
// virtual calcCoeffs(), run only when the cutoff or Q is set, never per
// sample. The feed-forward taps are b0 * (x + x2) + b1 * x1: symmetric, so a
// single b0 also weighs the input two samples back.
//
// LowPass is the audio-EQ cookbook low-pass. BandPass shares the cookbook
// band-pass denominator but has b2 = +b0 rather than -b0: its zeros sit at a
// quarter of the sample rate and it passes low frequencies (DC gain
// sin(w) / (4 (1 - cos w))). That numerator is the bowing sound of the
// Strings section, so it stays.
#pragma once

class Filter {
public:
  static constexpr double kDefaultSampleRate = 44100.0;
  static constexpr double kDefaultQ = 0.5;
  static constexpr double kDither = 1e-13;

  Filter() = default;
  Filter(const Filter&) = default;
  Filter& operator=(const Filter&) = default;
  virtual ~Filter() = default;

  // Clears states and coefficients: the output is 0 until setCutoff or setQ.
  void setSampleRate(double rate);
  void setCutoff(double hz);
  // setting 0..1, mapped to q = 0.9 * setting + 0.1.
  void setQ(double setting);

  double process(double x);

  double w() const { return w_; }
  double q() const { return q_; }
  double sampleRate() const { return sampleRate_; }

protected:
  virtual void calcCoeffs() {}

  double w_ = 0.0;
  double q_ = kDefaultQ;
  double sampleRate_ = kDefaultSampleRate;
  double a1_ = 0.0, a2_ = 0.0; // feedback, signs folded in (added)
  double b0_ = 0.0, b1_ = 0.0;

private:
  double x1_ = 0.0, x2_ = 0.0, y1_ = 0.0, y2_ = 0.0;
  double dither_ = kDither;
};

class LowPass : public Filter {
protected:
  void calcCoeffs() override;
};

class BandPass : public Filter {
protected:
  void calcCoeffs() override;
};
