// The whole instrument rendering at 48 kHz. "rt" is the real-time factor:
// seconds of audio rendered per second of CPU time.
#include "core/halvora.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr double kSampleRate = 48000.0;
constexpr int kMaxBlock = 512;

struct Rig {
  explicit Rig(const std::vector<std::pair<int, double>>& settings) {
    plug = std::make_unique<Halvora>();
    plug->SetupProcessing(64, kSampleRate, kMaxBlock);
    plug->SetActive(true);
    for (auto [index, value] : settings) {
      plug->GetParam(index)->Set(value);
      plug->OnParamChange(index);
    }
    for (auto& ch : channels) ch.assign(kMaxBlock, 0.0);
    for (size_t c = 0; c < channels.size(); ++c) pointers[c] = channels[c].data();
  }
  void hold(int notes) {
    for (int n = 0; n < notes; ++n) plug->ProcessMidiMsg(qm::IMidiMsg::NoteOn(30 + n, 100, 0));
    render(kMaxBlock);
  }
  void render(int frames) { plug->ProcessBlock(nullptr, pointers.data(), frames); }

  std::unique_ptr<Halvora> plug;
  std::array<std::vector<double>, Halvora::kNumOutputs> channels;
  std::array<double*, Halvora::kNumOutputs> pointers{};
};

const std::vector<std::pair<int, double>> kFullSettings = {
    {kTridentMode, 0},   {kOutputBrass, 1},  {kOutputStrings, 1},  {kBrass8, 1},
    {kStrings16, 1},     {kStrings4, 1},     {kStringsBowing, 1},  {kStereoEnsemble, 1},
    {kFlangerSynthe, 1}, {kFlangerBrass, 1}, {kFlangerStrings, 1}, {kVCO2Octave, 2},
    {kVibDelay, 1}};

void run(benchmark::State& state, Rig& rig, int block) {
  for (auto _ : state) {
    rig.render(block);
    benchmark::DoNotOptimize(rig.channels[0].data());
  }
  state.counters["rt"] =
      benchmark::Counter(block / kSampleRate, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_SixtyFourVoicesAllSections(benchmark::State& state) {
  Rig rig(kFullSettings);
  rig.hold(64);
  run(state, rig, static_cast<int>(state.range(0)));
}
BENCHMARK(BM_SixtyFourVoicesAllSections)->Arg(64)->Arg(16)->Arg(512);

void BM_TridentEightVoices(benchmark::State& state) {
  auto settings = kFullSettings;
  settings.front() = {kTridentMode, 1};
  Rig rig(settings);
  rig.hold(8);
  run(state, rig, 64);
}
BENCHMARK(BM_TridentEightVoices);

void BM_Idle(benchmark::State& state) {
  Rig rig({});
  run(state, rig, 64);
}
BENCHMARK(BM_Idle);

} // namespace

int main(int argc, char** argv) {
  // Keep the user's own configuration out of the measurement.
  char folder[] = "/tmp/halvora-bench-XXXXXX";
  if (mkdtemp(folder)) setenv("XDG_CONFIG_HOME", folder, 1);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  const std::string cleanup = std::string("rm -rf ") + folder;
  return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
