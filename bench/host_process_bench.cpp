// What the host library itself costs per block: building ProcessData,
// clearing buffers, queuing a parameter point and two notes, against a
// plug-in that does almost nothing.
#include <benchmark/benchmark.h>

#include "host/block_processor.h"

namespace {

using namespace Steinberg::Vst;

void BM_HostBlock(benchmark::State& state) {
  auto instance = vst3host::Instance::load(FAKE_SYNTH_PATH);
  if (!instance) {
    state.SkipWithError(instance.message().c_str());
    return;
  }
  const auto frames = static_cast<Steinberg::int32>(state.range(0));
  (*instance)->setupProcessing(
      {.sampleSize = kSample64, .sampleRate = 48000.0, .maxBlockSize = frames});
  (*instance)->setActive(true);
  (*instance)->setProcessing(true);
  vst3host::BlockProcessor block(**instance);
  for (auto _ : state) {
    block.addParameterChange(0, frames / 2, 0.5);
    block.addNoteOn(0, 0, 60, 1.0f);
    block.addNoteOff(frames - 1, 0, 60);
    benchmark::DoNotOptimize(block.process(frames));
  }
  state.SetItemsProcessed(state.iterations() * frames);
}
BENCHMARK(BM_HostBlock)->Arg(64)->Arg(512);

} // namespace

BENCHMARK_MAIN();
