#include "dsp/mod_delay.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPeriodSpan = ModDelay::kLongestPeriod - ModDelay::kShortestPeriod;

double clip(double v) {
  return std::clamp(v, -ModDelay::kFeedbackClip, ModDelay::kFeedbackClip);
}

} // namespace

ModDelay::ModDelay() {
  init(kDefaultSampleRate, kDefaultSeconds);
}

void ModDelay::init(double rate, double seconds) {
  const double slots = seconds * rate;
  length_ = slots >= 1.0 ? static_cast<int>(slots) : 0;
  for (Channel* c : {&left_, &right_}) {
    c->line.assign(static_cast<std::size_t>(length_), 0.0);
    c->write = 0;
    c->clock = 0.0;
    c->period = 1.0;
    c->invPeriod = 1.0;
    c->inFilter.setSampleRate(rate);
    c->outFilter.setSampleRate(rate);
  }
  update();
}

void ModDelay::setLPFreq(double hz) {
  left_.inFilter.setCutoff(hz);
  left_.outFilter.setCutoff(hz);
  right_.inFilter.setCutoff(hz);
  right_.outFilter.setCutoff(hz);
}

void ModDelay::cleanUp() {
  for (Channel* c : {&left_, &right_}) {
    c->line.clear();
    c->line.shrink_to_fit();
    c->write = 0;
  }
  length_ = 0;
}

// Settings outside 0..1 would push the period to zero or below, and the
// clock loop would never end on the audio thread.
double ModDelay::limitPeriod(double p) {
  if (!(p >= kShortestPeriod)) return kShortestPeriod; // also not a number
  return std::min(p, kLongestPeriod);
}

void ModDelay::update() {
  lfo_.update();
  const double manual = manual_;
  const double intensity = intensity_;
  auto period = [&](double u) {
    return limitPeriod(((std::exp2(u) - 1.0 - manual) * intensity + manual) * kPeriodSpan +
                       kShortestPeriod);
  };
  left_.period = period(lfo_.unipolar1());
  left_.invPeriod = 1.0 / left_.period;
  if (stereo_) {
    right_.period = period(lfo_.unipolar2());
    right_.invPeriod = 1.0 / right_.period;
  } else {
    right_.period = left_.period;
    right_.invPeriod = left_.invPeriod;
  }
}

template <bool kFeedback>
void ModDelay::clockChannel(Channel& c, double feedback, int length) {
  double* line = c.line.data();
  int write = c.write;
  double clock = c.clock;
  const double period = c.period;
  while (clock < 1.0) {
    write = write == 0 ? length - 1 : write - 1;
    const double y = c.outFilter.process(line[write]);
    push(c.outHist, y);
    double v = cubic(c.inHist, clock);
    if constexpr (kFeedback) v += feedback * clip(y);
    line[write] = v;
    clock += period;
  }
  c.write = write;
  c.clock = clock - 1.0;
}

// One clock, the left one, drives both lines at the same slot.
void ModDelay::clockBoth(Channel& l, Channel& r, double feedback, int length) {
  double* lineL = l.line.data();
  double* lineR = r.line.data();
  int write = l.write;
  double clock = l.clock;
  const double period = l.period;
  while (clock < 1.0) {
    write = write == 0 ? length - 1 : write - 1;
    const double yL = l.outFilter.process(lineL[write]);
    const double yR = r.outFilter.process(lineR[write]);
    push(l.outHist, yL);
    push(r.outHist, yR);
    lineL[write] = cubic(l.inHist, clock) + feedback * clip(yL);
    lineR[write] = cubic(r.inHist, clock) + feedback * clip(yR);
    clock += period;
  }
  l.write = write;
  l.clock = clock - 1.0;
}

void ModDelay::processVibrato(double* sample) {
  if (length_ <= 0) return;
  push(left_.inHist, left_.inFilter.process(*sample));
  clockChannel<false>(left_, 0.0, length_);
  *sample = output(left_, left_.clock, left_.invPeriod);
}

void ModDelay::processFlanger(Stereo* pair) {
  if (length_ <= 0) return;
  push(left_.inHist, left_.inFilter.process(pair->left));
  push(right_.inHist, right_.inFilter.process(pair->right));
  if (stereo_) {
    clockChannel<true>(left_, feedback_, length_);
    clockChannel<true>(right_, feedback_, length_);
    pair->left = output(left_, left_.clock, left_.invPeriod);
    pair->right = output(right_, right_.clock, right_.invPeriod);
  } else {
    clockBoth(left_, right_, feedback_, length_);
    pair->left = output(left_, left_.clock, left_.invPeriod);
    pair->right = output(right_, left_.clock, left_.invPeriod);
  }
}
