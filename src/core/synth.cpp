#include "core/synth.h"

Synth::Synth(const qm::Config& config) : qm::PluginProcessor(config) {}

Synth::~Synth() = default;

void Synth::OnReset() {
  midiQueue.Resize(GetBlockSize());
  pressedKeys.clear();
  controlBlockSize = static_cast<int>(GetSampleRate()) / kControlBlocksPerSecond;
  controlBlockLeft = 0;
}

void Synth::OnActivate(bool active) {
  if (active) OnParamReset(qm::kHost);
}

void Synth::OnParamChange(int paramIdx) {
  (void)paramIdx;
}
