#include "core_fixture.h"
#include "support/allocation_counter.h"

namespace {

using test_support::CoreTest;

class RealtimeTest : public CoreTest {};

TEST_F(RealtimeTest, RenderingAllocatesOnlyForNewHeldKeys) {
  for (int index : {kOutputBrass, kOutputStrings, kBrass8, kStrings16, kStringsBowing,
                    kFlangerSynthe, kFlangerStrings, kVibDelay, kStereoEnsemble})
    set(index, 1);
  set(kTridentMode, 0);
  plug.configFile().settings.setController(7, kVCFCutoff);

  // One round: notes on and off, wheel, bend, sustain, a learned controller,
  // automation between blocks, and blocks of odd sizes.
  // Buffers made up front: the test measures the instrument, not itself.
  test_support::Block b256(256), b333(333), b17(17), b64(64), b19(19);
  auto renderInto = [&](test_support::Block& b) {
    plug.ProcessBlock(nullptr, b.pointers.data(), b.frames);
  };
  auto round = [&](int k) {
    for (int n = 0; n < 16; ++n) midi(qm::IMidiMsg::NoteOn(36 + n * 3, 30 + n * 5, n * 7));
    midi(qm::IMidiMsg::ControlChange(1, k % 128, 3));
    midi(qm::IMidiMsg::PitchWheel(4000 + 100 * k, 90));
    midi(qm::IMidiMsg::ControlChange(64, 127, 20));
    midi(qm::IMidiMsg::ControlChange(7, (k * 13) % 128, 50));
    set(kBrassCutoff, (k % 10) / 10.0);
    set(kPanStrings, (k % 7) / 7.0);
    renderInto(b256);
    for (int n = 0; n < 16; ++n) midi(qm::IMidiMsg::NoteOff(36 + n * 3, n * 11));
    midi(qm::IMidiMsg::ControlChange(64, 0, 100));
    renderInto(b333);
    renderInto(b17);
  };
  round(0); // warm-up: queues and tables reach their working size

  size_t allocations = 0;
  {
    const test_support::AllocationScope scope;
    for (int k = 1; k < 20; ++k) round(k);
    allocations = scope.allocations();
  }
  // Each round presses 16 new keys; the held-key map takes one node each.
  EXPECT_LE(allocations, 19u * 16u);

  // With keys already held (no new map nodes) nothing allocates at all.
  for (int n = 0; n < 8; ++n) midi(qm::IMidiMsg::NoteOn(60 + n, 100, 0));
  renderInto(b64);
  const test_support::AllocationScope held;
  for (int k = 0; k < 50; ++k) {
    midi(qm::IMidiMsg::ControlChange(7, k, 10));
    midi(qm::IMidiMsg::PitchWheel(8192 + k, 30));
    set(kFlangerManual, k / 50.0);
    renderInto(k % 2 ? b64 : b19);
  }
  EXPECT_EQ(held.allocations(), 0u);
}

} // namespace
