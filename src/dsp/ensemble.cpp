#include "dsp/ensemble.h"

#include <algorithm>
#include <cmath>

namespace {

// The delay covers 99.9 % of the way to its target within one control block
// of sampleRate / 1000 samples.
constexpr double kGlidePerMillisecond = 999.0;
constexpr double kSlowWeight = 12.0;
constexpr double kShortestDelaySeconds = 0.001;
constexpr double kDelaySweepSeconds = 0.02;

double targetSeconds(double m) {
  if (!(m >= 0.0)) return kShortestDelaySeconds; // also not a number
  if (m > 1.0) return kShortestDelaySeconds + kDelaySweepSeconds;
  return kShortestDelaySeconds + kDelaySweepSeconds * m;
}

} // namespace

Ensemble::Ensemble() {
  setSampleRate(kDefaultSampleRate);
}

void Ensemble::setSampleRate(double rate) {
  sampleRate_ = rate;
  glideFactor_ = kGlidePerMillisecond / rate;
  length_ = std::max(1, static_cast<int>(rate * kLineSeconds + 1.0));
  line_.assign(static_cast<std::size_t>(length_), 0.0);
  writeIndex_ = 0;
  for (int i = 0; i < kTaps; ++i) {
    delay_[i] = 0.0;
    step_[i] = 0.0;
    amount_[i] = 0.0;
  }
}

void Ensemble::setAmount(int tap, double amount) {
  if (tap < 0 || tap >= kTaps) return;
  amount_[tap] = std::isnan(amount) ? 0.0 : amount;
}

void Ensemble::cleanUp() {
  line_.clear();
  line_.shrink_to_fit();
  length_ = 0;
  writeIndex_ = 0;
}

void Ensemble::update() {
  lfo1_.update();
  lfo2_.update();
  const double m[kTaps] = {
      (kSlowWeight * lfo2_.unipolar1() + lfo1_.unipolar1()) * amount_[0],
      (kSlowWeight * lfo2_.unipolar3() + lfo1_.unipolar2()) * amount_[1],
      (kSlowWeight * lfo2_.unipolar2() + lfo1_.unipolar3()) * amount_[2],
  };
  for (int i = 0; i < kTaps; ++i)
    step_[i] = (sampleRate_ * targetSeconds(m[i]) - delay_[i]) * glideFactor_;
}

void Ensemble::process(double in, Stereo* out) {
  const int length = length_;
  if (length <= 0) {
    out->left = out->right = in;
    return;
  }
  double* line = line_.data();
  const int write = writeIndex_;
  line[write] = in;

  // Only reachable with amounts beyond the parameters' range or with update
  // withheld for a long time; keeps the read inside the line.
  const double longest = length - 1.0;
  double tap[kTaps];
  for (int i = 0; i < kTaps; ++i) {
    const double d = std::clamp(delay_[i], 0.0, longest);
    const double whole = std::floor(d);
    int k = write - static_cast<int>(whole);
    if (k < 0) k += length;
    const int k2 = k + 1 == length ? 0 : k + 1;
    tap[i] = line[k2] + (d - whole) * (line[k] - line[k2]);
  }

  if (stereo_) {
    const double centre = 0.25 * (in + tap[2]);
    out->left = centre + 0.5 * tap[0];
    out->right = centre + 0.5 * tap[1];
  } else {
    out->left = out->right = 0.5 * (in + tap[0] + tap[1] + tap[2]);
  }

  writeIndex_ = write + 1 == length ? 0 : write + 1;
  for (int i = 0; i < kTaps; ++i) delay_[i] += step_[i];
}
