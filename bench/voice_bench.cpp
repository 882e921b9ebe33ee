// Cost per sample of one voice: process() and updateEGs() on every sample,
// update() once per control block, for each section alone, all three, and a
// voice that is not sounding.
#include "core/param_ids.h"
#include "dsp/voice.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kBlock = 48; // one control block at 48 kHz

class BenchOwner : public VoiceOwner {
public:
  int getFrequency(int note) override { return note * 128; }
  int syntheKeysHeld() const override { return 1; }
  int brassKeysHeld() const override { return 1; }
  bool brassEnvelopeRunning() const override { return true; }
};

enum Sections { kSynthe = 1, kBrass = 2, kStrings = 4, kIdle = 0 };

void BM_Voice(benchmark::State& state) {
  const int sections = static_cast<int>(state.range(0));
  BenchOwner owner;
  double lfo = 0.3;
  Voice voice;
  voice.setParent(&owner);
  voice.setSampleRate(48000.0);
  voice.setPwmSource(&lfo);
  const struct {
    int index;
    double value;
  } settings[] = {
      {kVCO1Wave, 2},      {kVCO1PW, 0.4},
      {kVCO2Octave, 2},    {kVCO2Detune, 0.1},
      {kVCFCutoff, 0.5},   {kVCFResonance, 0.4},
      {kVCFKBFTrack, 64},  {kVCFEGIntensity, 3000},
      {kVCFSustain, 0.5},  {kVCASustain, 1.0},
      {kVCAAttenuator, 1}, {kVCAAutoDamp, 1},
      {kBrass16, 1},       {kBrass8, 1},
      {kStrings16, 1},     {kStrings8, 1},
      {kStrings4, 1},      {kStringsKBDBalance, 1},
      {kVolumeSynthe, 1},  {kVolumeBrass, 1},
      {kVolumeStrings, 1}, {kVelocitySynthe, 0.5},
      {kDetuneBrass, 0.2}, {kDetuneStrings, 0.1},
  };
  for (const auto& s : settings) voice.setParam(s.index, s.value);
  if (sections != kIdle)
    voice.setNoteOn(60, 100, 1, sections & kSynthe, sections & kBrass, sections & kStrings, false);

  int offset = 0;
  for (auto _ : state) {
    voice.update(offset, false);
    offset = (offset + 1) & 63; // a slow vibrato keeps the tuning moving
    double sum = 0.0;
    for (int i = 0; i < kBlock; ++i) {
      if (i > 0) voice.updateEGs();
      const VoiceOutput out = voice.process();
      sum += out.synthe + out.brass + out.strings;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kBlock);
  state.counters["ns/sample"] =
      benchmark::Counter(static_cast<double>(state.iterations() * kBlock),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Voice)
    ->ArgName("sections")
    ->Arg(kSynthe)
    ->Arg(kBrass)
    ->Arg(kStrings)
    ->Arg(kSynthe | kBrass | kStrings)
    ->Arg(kIdle);

} // namespace

BENCHMARK_MAIN();
