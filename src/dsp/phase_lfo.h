// Triangle LFO stepped once per control block (about 1 ms). One phase in
// -1..1 drives a bipolar triangle and three unipolar triangles spaced by a
// third of a period; a unipolar output is |phase|, 1 at the ends of the
// period and 0 in its middle.
//
// Outputs describe the phases as they stood before the update that wrote
// them. The unipolar outputs have stable addresses, so an oscillator can
// read one as its pulse-width source without a copy per block.
#pragma once

class PhaseLFO {
public:
  static constexpr double kUpdatesPerSecond = 1000.0;

  // Triangle frequency in Hz at one update per millisecond; keeps the phase.
  void setSpeed(double hz) { speed_ = (hz + hz) / kUpdatesPerSecond; }
  void update();

  double speed() const { return speed_; }
  double bipolar() const { return bipolar_; }
  const double& unipolar1() const { return unipolar1_; }
  const double& unipolar2() const { return unipolar2_; }
  const double& unipolar3() const { return unipolar3_; }

private:
  static constexpr double kThird = 0.6666666666666666;     // 120 degrees
  static constexpr double kTwoThirds = 1.3333333333333333; // 240 degrees

  double bipolar_ = 0.0;
  double unipolar1_ = 0.0, unipolar2_ = 0.0, unipolar3_ = 0.0;
  double phase1_ = 0.0, phase2_ = kThird, phase3_ = kTwoThirds;
  double speed_ = 0.0;
};
