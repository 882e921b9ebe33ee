// Cost of the program paths: writing and reading one program's state, the
// audio-thread recall a MIDI program change triggers (this one must stay
// well inside a block), and saving and loading a full bank.
#include "core/halvora.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <string>

namespace {

Halvora& instrument() {
  static Halvora* plug = [] {
    char folder[] = "/tmp/halvora-bench-XXXXXX";
    if (mkdtemp(folder)) setenv("XDG_CONFIG_HOME", folder, 1);
    auto* p = new Halvora();
    for (int i = 0; i < p->NPresets(); ++i) {
      p->changePreset(i);
      p->ModifyCurrentPreset(("Program " + std::to_string(i)).c_str());
    }
    p->changePreset(0);
    return p;
  }();
  return *plug;
}

void BM_SerializeState(benchmark::State& state) {
  Halvora& plug = instrument();
  qm::IByteChunk chunk;
  for (auto _ : state) {
    chunk.Clear();
    benchmark::DoNotOptimize(plug.SerializeState(chunk));
  }
}
BENCHMARK(BM_SerializeState);

void BM_UnserializeState(benchmark::State& state) {
  Halvora& plug = instrument();
  qm::IByteChunk chunk;
  plug.SerializeState(chunk);
  for (auto _ : state) benchmark::DoNotOptimize(plug.UnserializeState(chunk, 0));
}
BENCHMARK(BM_UnserializeState);

// What a MIDI program change costs the audio thread.
void BM_AudioThreadProgramChange(benchmark::State& state) {
  Halvora& plug = instrument();
  int program = 0;
  for (auto _ : state) {
    program = (program + 1) % 64;
    plug.requestProgramChange(program);
  }
  plug.OnIdle();
}
BENCHMARK(BM_AudioThreadProgramChange);

void BM_BankFileBytes(benchmark::State& state) {
  Halvora& plug = instrument();
  std::string bytes;
  for (auto _ : state) benchmark::DoNotOptimize(plug.programs().bankFileBytes(bytes));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_BankFileBytes);

void BM_LoadBank(benchmark::State& state) {
  Halvora& plug = instrument();
  std::string bytes;
  plug.programs().bankFileBytes(bytes);
  for (auto _ : state) benchmark::DoNotOptimize(plug.programs().loadBankFromBytes(bytes));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_LoadBank);

} // namespace

BENCHMARK_MAIN();
