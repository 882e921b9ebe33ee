#include "dsp/eg.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kLn10 = 2.302585092994046;
constexpr double kAttackTarget = 1.1111111111111112;   // 10/9
constexpr double kReleaseTarget = -0.1111111111111111; // -1/9

// Settings arrive as parameter values 0..1; anything else would give a
// coefficient outside 0..1 and an envelope that never settles, and NaN would
// stick in the value for good.
double sanitised(double x) {
  return std::isnan(x) ? 0.0 : std::clamp(x, 0.0, 1.0);
}

double timeLaw(double x) {
  return std::pow(5.0, 3.3 - 7.5 * x) + 0.05;
}

} // namespace

double EG::segmentSeconds(double x) {
  return 1.0 / timeLaw(x);
}

double EG::coefficientFor(double x) const {
  return timeLaw(x) * rate_;
}

bool EG::setSampleRate(double rate) {
  if (!(rate > 0.0 && std::isfinite(rate))) return false;
  rate_ = kLn10 / rate;
  state_ = kOff;
  value_ = 0.0;
  return true;
}

void EG::setAttack(double x) {
  attack_ = sanitised(x);
  if (state_ == kAttack) coefficient_ = coefficientFor(attack_);
}

void EG::setDecay(double x) {
  decay_ = sanitised(x);
  if (state_ == kDecay) coefficient_ = coefficientFor(decay_);
}

void EG::setSustain(double level) {
  sustain_ = sanitised(level);
  if (state_ == kDecay) target_ = sustain_;
}

void EG::setRelease(double x) {
  release_ = sanitised(x);
  if (state_ == kRelease) coefficient_ = coefficientFor(release_);
}

void EG::start() {
  state_ = kAttack;
  target_ = kAttackTarget;
  // Attack 0 has its own, slightly slower law (about 5.01 ms instead of
  // 4.94 ms); only the start of an attack uses it, as stored sounds expect.
  coefficient_ =
      attack_ <= 0.0 ? rate_ * std::pow(10.0, 2.3 - 4.5 * attack_) : coefficientFor(attack_);
}

void EG::stop() {
  if (value_ > 0.0) {
    target_ = kReleaseTarget;
    coefficient_ = coefficientFor(release_);
    state_ = kRelease;
  } else {
    state_ = kOff;
  }
}
