// What the binding costs per block around the instrument: parameter points,
// a MIDI controller, two notes and the 32-bit conversion, through the built
// bundle. Compare with bench_host_process for the host library's own share.
#include <stdlib.h>

#include <benchmark/benchmark.h>

#include <filesystem>

#include "host/block_processor.h"

namespace {

using namespace Steinberg::Vst;

void BM_BindingBlock(benchmark::State& state) {
  // Never the user's settings.
  const auto settings = std::filesystem::temp_directory_path() / "halvora-bench-settings";
  std::filesystem::create_directories(settings);
  setenv("XDG_CONFIG_HOME", settings.c_str(), 1);

  auto instance = vst3host::Instance::load(HALVORA_BUNDLE_PATH);
  if (!instance) {
    state.SkipWithError(instance.message().c_str());
    return;
  }
  const auto frames = static_cast<Steinberg::int32>(state.range(0));
  const auto size = state.range(1) == 32 ? kSample32 : kSample64;
  (*instance)->setupProcessing({.sampleSize = size, .sampleRate = 48000.0, .maxBlockSize = frames});
  (*instance)->setActive(true);
  (*instance)->setProcessing(true);
  vst3host::BlockProcessor block(**instance);
  for (auto _ : state) {
    block.addParameterChange(0, frames / 2, 0.5);
    block.addParameterChange(65538 + 1, 0, 0.25);
    block.addNoteOn(0, 0, 60, 1.0f);
    block.addNoteOff(frames - 1, 0, 60);
    benchmark::DoNotOptimize(block.process(frames));
  }
  state.SetItemsProcessed(state.iterations() * frames);
}
BENCHMARK(BM_BindingBlock)->Args({64, 64})->Args({512, 64})->Args({64, 32})->Args({512, 32});

} // namespace

BENCHMARK_MAIN();
