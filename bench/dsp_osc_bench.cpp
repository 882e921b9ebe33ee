// Cost per sample of the oscillator and the envelope, and what building
// them costs when the plug-in loads or meets a new sample rate.
#include "dsp/eg.h"
#include "dsp/saw_tables.h"
#include "dsp/vco.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int kBlock = 44; // one control block at 44.1 kHz

// What a voice reads from VCO 1: three sawtooth footages and one pulse, with
// one update per control block.
void BM_VcoSample(benchmark::State& state) {
  VCO vco;
  double lfo = 0.3;
  vco.setSampleRate(44100.0);
  vco.setPwmEnabled(true);
  vco.setPwmSource(&lfo);
  vco.setPulseWidth(0.5);
  int pitch = 6000;
  for (auto _ : state) {
    vco.update(pitch);
    pitch = pitch == 9000 ? 6000 : pitch + 1;
    double sum = 0.0;
    for (int i = 0; i < kBlock; ++i) {
      sum += vco.getSaw16() + vco.getSaw8() + vco.getSaw4() + vco.getPWM8();
      vco.next();
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kBlock);
}
BENCHMARK(BM_VcoSample);

void BM_EgStep(benchmark::State& state) {
  EG eg;
  eg.setSampleRate(44100.0);
  eg.setAttack(0.2);
  eg.setDecay(0.3);
  eg.setSustain(0.5);
  eg.setRelease(0.2);
  eg.start();
  int n = 0;
  for (auto _ : state) {
    for (int i = 0; i < kBlock; ++i) eg.update();
    benchmark::DoNotOptimize(eg.value());
    if (++n == 2000) { // keep cycling through every segment
      n = 0;
      if (eg.state() == EG::kRelease || !eg.isOn())
        eg.start();
      else
        eg.stop();
    }
  }
  state.SetItemsProcessed(state.iterations() * kBlock);
}
BENCHMARK(BM_EgStep);

// The instrument builds 256 VCOs (4 per voice, 64 voices) and sets them up at
// the host's rate; the rate's increment table already exists here.
void BM_Construct256VcosAtKnownRate(benchmark::State& state) {
  VCO warm;
  warm.setSampleRate(44100.0);
  for (auto _ : state) {
    std::vector<VCO> vcos(256);
    for (auto& vco : vcos) vco.setSampleRate(44100.0);
    benchmark::DoNotOptimize(vcos.data());
  }
}
BENCHMARK(BM_Construct256VcosAtKnownRate)->Unit(benchmark::kMicrosecond);

// The one-time cost of meeting a new sample rate: the phase-increment table.
void BM_BuildIncrementTableForNewRate(benchmark::State& state) {
  double rate = 44100.0;
  for (auto _ : state) {
    VcoIncrements table(rate);
    benchmark::DoNotOptimize(table.inc.data());
    rate += 1.0;
  }
}
BENCHMARK(BM_BuildIncrementTableForNewRate)->Unit(benchmark::kMicrosecond);

// What loading would cost if the sawtooth tables were computed at run time
// instead of compiled in.
void BM_SawTablesAtRunTime(benchmark::State& state) {
  std::vector<double> table(saw_tables::kLength);
  for (auto _ : state) {
    for (int k = 0; k < saw_tables::kCount; ++k) saw_tables::build(k, table.data());
    benchmark::DoNotOptimize(table.data());
  }
}
BENCHMARK(BM_SawTablesAtRunTime)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
