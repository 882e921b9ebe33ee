// Cost per sample of the filters and effects. Each benchmark processes one
// block of kBlock samples per iteration; items processed = samples, so the
// reported time per item is the time per sample.
#include "dsp/ensemble.h"
#include "dsp/filter.h"
#include "dsp/mod_delay.h"
#include "dsp/shelf_eq.h"
#include "dsp/vcf.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kBlock = 44; // one control block at 44.1 kHz
constexpr double kRate = 44100.0;

std::vector<double> testSignal() {
  std::vector<double> s(kBlock);
  for (int n = 0; n < kBlock; ++n) s[n] = std::sin(n * 0.1) * 0.5;
  return s;
}

// The envelope moves the cutoff every sample, so the coefficients are
// recomputed every sample: the worst case for a voice.
void BM_VCFMovingEnvelope(benchmark::State& state) {
  VCF f;
  f.setSampleRate(kRate);
  f.setCutoff(6000, false);
  f.setResonance(0.7);
  const auto in = testSignal();
  int env = 0;
  for (auto _ : state) {
    for (int n = 0; n < kBlock; ++n) {
      env = (env + 7) % 6000;
      benchmark::DoNotOptimize(f.process(in[n], env));
    }
  }
  state.SetItemsProcessed(state.iterations() * kBlock);
}
BENCHMARK(BM_VCFMovingEnvelope);

void BM_VCFSteadyCutoff(benchmark::State& state) {
  VCF f;
  f.setSampleRate(kRate);
  f.setCutoff(9000, false);
  f.setResonance(0.7);
  const auto in = testSignal();
  for (auto _ : state) {
    for (int n = 0; n < kBlock; ++n) benchmark::DoNotOptimize(f.process(in[n], 0));
  }
  state.SetItemsProcessed(state.iterations() * kBlock);
}
BENCHMARK(BM_VCFSteadyCutoff);

// Period 0.125 is the shortest delay: eight slot writes per sample.
void BM_ModDelayShortestPeriod(benchmark::State& state) {
  const bool stereo = state.range(0) != 0;
  ModDelay d;
  d.init(kRate, 0.004);
  d.setLPFreq(8000.0);
  d.setManual(0.0);
  d.setFeedback(0.5);
  d.setStereo(stereo);
  d.update();
  const auto in = testSignal();
  for (auto _ : state) {
    for (int n = 0; n < kBlock; ++n) {
      Stereo pair{in[n], -in[n]};
      d.processFlanger(&pair);
      benchmark::DoNotOptimize(pair);
    }
  }
  state.SetItemsProcessed(state.iterations() * kBlock);
  state.SetLabel(stereo ? "stereo clocks" : "one clock");
}
BENCHMARK(BM_ModDelayShortestPeriod)->Arg(0)->Arg(1);

void BM_VibratoShortestPeriod(benchmark::State& state) {
  ModDelay d;
  d.init(kRate, 0.002);
  d.setLPFreq(8000.0);
  d.setManual(0.0);
  d.update();
  const auto in = testSignal();
  for (auto _ : state) {
    for (int n = 0; n < kBlock; ++n) {
      double s = in[n];
      d.processVibrato(&s);
      benchmark::DoNotOptimize(s);
    }
  }
  state.SetItemsProcessed(state.iterations() * kBlock);
}
BENCHMARK(BM_VibratoShortestPeriod);

void BM_Ensemble(benchmark::State& state) {
  const bool stereo = state.range(0) != 0;
  Ensemble e;
  e.setSampleRate(kRate);
  e.setLFO1Speed(6.26);
  e.setLFO2Speed(0.28);
  for (int tap = 0; tap < Ensemble::kTaps; ++tap) e.setAmount(tap, 0.015);
  e.setStereo(stereo);
  const auto in = testSignal();
  for (auto _ : state) {
    e.update(); // once per control block, as the instrument does
    for (int n = 0; n < kBlock; ++n) {
      Stereo out;
      e.process(in[n], &out);
      benchmark::DoNotOptimize(out);
    }
  }
  state.SetItemsProcessed(state.iterations() * kBlock);
  state.SetLabel(stereo ? "stereo" : "mono");
}
BENCHMARK(BM_Ensemble)->Arg(0)->Arg(1);

template <class F>
void BM_Biquad(benchmark::State& state) {
  F f;
  f.setSampleRate(kRate);
  f.setQ(0.8);
  f.setCutoff(2400.0);
  const auto in = testSignal();
  for (auto _ : state) {
    for (int n = 0; n < kBlock; ++n) benchmark::DoNotOptimize(f.process(in[n]));
  }
  state.SetItemsProcessed(state.iterations() * kBlock);
}
BENCHMARK_TEMPLATE(BM_Biquad, LowPass);
BENCHMARK_TEMPLATE(BM_Biquad, BandPass);

void BM_ShelfEQ(benchmark::State& state) {
  ShelfEQ eq;
  eq.setLowShelf(false);
  eq.setSampleRate(kRate);
  eq.setFrequency(1800.0);
  eq.setGain(6.0);
  const auto in = testSignal();
  for (auto _ : state) {
    for (int n = 0; n < kBlock; ++n) benchmark::DoNotOptimize(eq.process(in[n]));
  }
  state.SetItemsProcessed(state.iterations() * kBlock);
}
BENCHMARK(BM_ShelfEQ);

} // namespace

BENCHMARK_MAIN();
