// The per-sample and per-control-block paths of the filters and effects run
// on the audio thread and must never touch the heap.
#include "dsp/ensemble.h"
#include "dsp/filter.h"
#include "dsp/mod_delay.h"
#include "dsp/phase_lfo.h"
#include "dsp/shelf_eq.h"
#include "dsp/vcf.h"

#include "support/allocation_counter.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(DspFxRealtime, ProcessingAndControlUpdatesDoNotAllocate) {
  VCF vcf;
  vcf.setSampleRate(48000.0);
  LowPass lp;
  BandPass bp;
  lp.setSampleRate(48000.0);
  bp.setSampleRate(48000.0);
  ShelfEQ eq;
  eq.setSampleRate(48000.0);
  PhaseLFO lfo;
  Ensemble ensemble;
  ensemble.setSampleRate(48000.0);
  ModDelay flanger, vibrato;
  flanger.init(48000.0, 0.004);
  flanger.setLPFreq(8000.0);
  vibrato.init(48000.0, 0.002);
  vibrato.setLPFreq(8000.0);

  test_support::AllocationScope scope;
  for (int block = 0; block < 200; ++block) {
    // Control rate: the settings the instrument changes between blocks.
    lfo.setSpeed(block * 0.1);
    lfo.update();
    vcf.setCutoff(block * 50, true);
    vcf.setResonance(block / 200.0);
    lp.setCutoff(400.0 + block * 10);
    lp.setQ(0.5);
    bp.setCutoff(600.0 + block);
    bp.setQ(0.8);
    eq.setGain(block % 24 - 12.0);
    eq.setFrequency(1800.0);
    ensemble.setStereo(block % 2 == 0);
    ensemble.setAmount(block % 3, 0.02);
    ensemble.setLFO1Speed(6.26);
    ensemble.update();
    flanger.setStereo(block % 3 == 0);
    flanger.setIntensity(1.0);
    flanger.setFeedback(0.9);
    flanger.setSpeed(0.5);
    flanger.update();
    vibrato.setIntensity(lfo.unipolar1());
    vibrato.update();
    for (int n = 0; n < 48; ++n) {
      const double x = std::sin((block * 48 + n) * 0.03);
      double s = vcf.process(x, n * 10);
      s = bp.process(lp.process(s));
      s = eq.process(s);
      vibrato.processVibrato(&s);
      Stereo pair;
      ensemble.process(s, &pair);
      flanger.processFlanger(&pair);
    }
  }
  EXPECT_EQ(scope.allocations(), 0u);
}

} // namespace
