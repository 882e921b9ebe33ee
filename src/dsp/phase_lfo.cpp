#include "dsp/phase_lfo.h"

#include <cmath>

void PhaseLFO::update() {
  const double phase1 = phase1_;
  bipolar_ = 2.0 * std::abs(phase1) - 1.0;
  unipolar1_ = std::abs(phase1);
  unipolar2_ = std::abs(phase2_);
  unipolar3_ = std::abs(phase3_);

  // Each wrap tests the unwrapped sum so the three stay exactly a third
  // apart.
  const double p = phase1 + speed_;
  const double p2 = p + kThird;
  const double p3 = p + kTwoThirds;
  phase1_ = p >= 1.0 ? p - 2.0 : p;
  phase2_ = p2 >= 1.0 ? p2 - 2.0 : p2;
  phase3_ = p3 >= 1.0 ? p3 - 2.0 : p3;
}
