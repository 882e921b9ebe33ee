// EG: the instrument's one ADSR envelope.
//
// Every segment is a one-pole approach to a target, and attack, decay and
// release share one time law. Attack aims at 10/9 and release at -1/9, so the
// segment that covers 9/10 of the way to its target is exactly the full rise
// from 0 to 1 (or the full fall from 1 to 0): the envelope reaches its end in
// finite time and then changes state.
//
//   value
//   1 +     /\                         attack: towards 10/9 until 1
//     |    /  `-._______               decay:  towards sustain, forever
//     |   /             \              release: towards -1/9 until 0
//   0 +--/---------------`---->
//       start()        stop()
//
// The coefficient carries ln 10 divided by the update rate, so the times are
// the same whether the envelope is stepped per sample or once per millisecond
// (setSampleRate(1000.0) for control-rate use).
#pragma once

#include <cstdint>

class EG {
public:
  enum State : int32_t { kOff = 0, kAttack = 1, kDecay = 2, kRelease = 3 };

  // Resets to off at value 0; the settings are kept. An unusable rate (not
  // finite, not positive) is refused and changes nothing.
  bool setSampleRate(double rate);

  // Settings 0..1 (sustain is a level, the others time settings). A new time
  // takes effect at once in its own segment.
  void setAttack(double x);
  void setDecay(double x);
  void setSustain(double level);
  void setRelease(double x);

  // Attack from the current value (a restarted envelope does not drop to 0).
  void start();
  // Release from the current value; off at once if the value is not above 0.
  void stop();

  void update() {
    if (state_ <= kOff) return;
    double v = (target_ - value_) * coefficient_ + value_;
    if (state_ >= kDecay && v <= 0.0) {
      v = 0.0;
      state_ = kOff;
    } else if (state_ == kAttack && v >= 1.0) {
      v = 1.0;
      state_ = kDecay;
      coefficient_ = coefficientFor(decay_);
      target_ = sustain_;
    }
    value_ = v;
  }

  bool isOn() const { return state_ != kOff; }
  double value() const { return value_; }
  State state() const { return state_; }

  // Seconds to cover 9/10 of a segment for a time setting x.
  static double segmentSeconds(double x);

private:
  double coefficientFor(double x) const;

  double value_ = 0.0;
  double attack_ = 0.0;
  double decay_ = 0.0;
  double sustain_ = 0.0;
  double release_ = 0.0;
  State state_ = kOff;
  double rate_ = 0.002302585092994046; // ln 10 / 1000
  double target_ = 0.0;
  double coefficient_ = 0.0;
};
