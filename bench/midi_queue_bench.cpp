// The MIDI intake path per host block: sorted insertion of a block's
// messages, then taking them and flushing the rest to the next block.
#include <benchmark/benchmark.h>

#include "framework/midi.h"

namespace {

constexpr int kBlockSize = 512;

void BM_MidiQueueBlock(benchmark::State& state) {
  const int nMessages = static_cast<int>(state.range(0));
  qm::IMidiQueue queue;
  queue.Resize(kBlockSize);
  for (auto _ : state) {
    // Offsets arrive mostly in order with a few stragglers, as hosts send them.
    for (int i = 0; i < nMessages; ++i) {
      const int offset = (i % 8 == 7) ? i / 2 : i * kBlockSize / nMessages;
      queue.Add(qm::IMidiMsg::NoteOn(i & 0x7F, 100, offset));
    }
    while (!queue.Empty()) {
      benchmark::DoNotOptimize(queue.Peek());
      queue.Remove();
    }
    queue.Flush(kBlockSize);
  }
  state.SetItemsProcessed(state.iterations() * nMessages);
}
BENCHMARK(BM_MidiQueueBlock)->Arg(16)->Arg(128)->Arg(512);

} // namespace

BENCHMARK_MAIN();
