// Second-order shelving equaliser after Zoelzer, low or high shelf.
//
// The cut is built as the exact inverse of the boost of the same size (poles
// and zeros swap), so +6 dB followed by -6 dB on one shelf is flat. The gain
// is folded to V >= 1 and its sign picks boost or cut; 0 dB is a plain wire.
#pragma once

class ShelfEQ {
public:
  static constexpr double kDefaultSampleRate = 44100.0;
  static constexpr double kDefaultFrequency = 600.0;
  static constexpr double kDither = 1e-13;

  // Each setter recomputes the coefficients; the states are kept.
  void setSampleRate(double rate);
  void setFrequency(double hz);
  void setGain(double dB);
  // Set before setFrequency; the instrument chooses it at reset.
  void setLowShelf(bool low) { lowShelf_ = low; }
  bool lowShelf() const { return lowShelf_; }

  double process(double x);

private:
  void calcCoeff();

  double sampleRate_ = kDefaultSampleRate;
  bool lowShelf_ = false;
  double frequency_ = kDefaultFrequency;
  double gain_ = 0.0;
  double a1_ = 0.0, a2_ = 0.0, b0_ = 1.0, b1_ = 0.0, b2_ = 0.0;
  double x1_ = 0.0, x2_ = 0.0, y1_ = 0.0, y2_ = 0.0;
  double dither_ = kDither;
};
