// VCO: a divide-down oscillator reading band-limited sawtooth tables.
//
// One phase accumulator drives three footages, the way a divide-down organ
// derives its octaves from one master clock:
//
//   phase (28 bits) --+--> x1 --> 16'  table16
//                     +--> x2 --> 8'   table8    (wrapped to 28 bits)
//                     +--> x4 --> 4'   table4
//
// so the octaves can never drift apart. A pulse is the difference of two
// sawtooth reads pulseOffset apart, taken in each footage's own phase, so all
// three footages share one duty cycle.
//
// Each footage reads the table whose top partial sits near half the sample
// rate for that footage's frequency. The phase increment is proportional to
// the frequency over the rate, so the table index is found from the increment
// alone (one lookup per control block), not from Hz.
//
// The pitch given to update() is that of the 8' footage; the 16' phase runs
// an octave (1536 pitch-index units) below it.
#pragma once

#include "dsp/saw_tables.h"

#include <array>
#include <cstdint>

// Phase increment per pitch index of the 16' footage at one sample rate;
// built once per rate (RateTables) and shared read-only by every VCO at it.
struct VcoIncrements {
  static constexpr int kSize = 17281; // pitch index 0..17280
  explicit VcoIncrements(double sampleRate);
  std::array<int32_t, kSize> inc;
};

class VCO {
public:
  static constexpr int kPhaseBits = 28;
  static constexpr uint32_t kPhaseMask = (1u << kPhaseBits) - 1;
  static constexpr int kIndexShift = kPhaseBits - saw_tables::kLengthBits;
  static constexpr int kOctave = 1536;               // pitch-index units
  static constexpr int kPitchRange = 17280;          // highest table index
  static constexpr double kHalfPeriod = 134217728.0; // 2^27, phase units
  static constexpr int kShift16 = 16, kShift8 = 15, kShift4 = 14;

  VCO();

  // Takes the phase-increment table of the rate and refreshes the derived
  // fields. Set-up only: may build the table the first time a rate is seen.
  // An unusable rate (not finite, not positive) is refused and changes nothing.
  bool setSampleRate(double rate);

  // Control rate: increment, pulse offset and tables from pitch + pitchOffset.
  void update(int pitch);

  double getSaw16() const { return table16_[phase_ >> kIndexShift]; }
  double getSaw8() const { return table8_[twice() >> kIndexShift]; }
  double getSaw4() const { return table4_[fourTimes() >> kIndexShift]; }
  double getPWM16() const { return pulse(table16_, phase_); }
  double getPWM8() const { return pulse(table8_, twice()); }
  double getPWM4() const { return pulse(table4_, fourTimes()); }

  // Once per output sample, after the outputs have been read.
  void next() { phase_ = (phase_ + phaseInc_) & kPhaseMask; }

  void setPwmEnabled(bool on) { pwmEnabled_ = on; }
  void setPitchOffset(int offset) { pitchOffset_ = offset; }
  // Static width 0..1: 1 is a square, 0 a pulse of no width (silence).
  void setPulseWidth(double width) { pulseWidth_ = width; }
  // The PWM LFO's output, 0..1; read at each update while PWM is enabled.
  void setPwmSource(const double* source) { pwmSource_ = source; }

  int32_t phase() const { return static_cast<int32_t>(phase_); }
  void setPhase(int32_t phase) { phase_ = static_cast<uint32_t>(phase) & kPhaseMask; }
  int32_t phaseInc() const { return static_cast<int32_t>(phaseInc_); }
  int32_t pulseOffset() const { return static_cast<int32_t>(pulseOffset_); }
  double sampleRate() const { return sampleRate_; }
  int table16() const { return tableIndex(table16_); }
  int table8() const { return tableIndex(table8_); }
  int table4() const { return tableIndex(table4_); }

  // The table a footage reads for a phase increment; shift is kShift16,
  // kShift8 or kShift4.
  static int tableFor(uint32_t phaseInc, int shift);

private:
  uint32_t twice() const { return (phase_ << 1) & kPhaseMask; }
  uint32_t fourTimes() const { return (phase_ << 2) & kPhaseMask; }
  double pulse(const double* table, uint32_t p) const {
    return table[p >> kIndexShift] - table[((p + pulseOffset_) & kPhaseMask) >> kIndexShift];
  }
  static int tableIndex(const double* table) {
    return static_cast<int>((table - saw_tables::kData[0]) / saw_tables::kLength);
  }

  bool pwmEnabled_ = false;
  int pitchOffset_ = 0;
  double pulseWidth_ = 0.0;
  const double* pwmSource_ = nullptr;
  double sampleRate_ = 0.0;
  const VcoIncrements* increments_ = nullptr; // null until the first setSampleRate
  const double* table16_;
  const double* table8_;
  const double* table4_;
  uint32_t phase_ = 0;
  uint32_t pulseOffset_ = 0;
  uint32_t phaseInc_ = 0;
  int lastPitch_ = 0;
};
