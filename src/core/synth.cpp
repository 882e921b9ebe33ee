#include "core/synth.h"

#include "core/param_ids.h"

Synth::Synth(const qm::Config& config)
    : qm::PluginProcessor(config), midiLearn_(config_.file.settings, kNumParams) {}

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
  midiLearn_.parameterChanged(paramIdx);
}

void Synth::addPressedKey(int note, int velocity) {
  if (velocity > 0)
    pressedKeys[note] = velocity;
  else
    pressedKeys.erase(note);
}

void Synth::removePressedKey(int note) {
  pressedKeys.erase(note);
}

void Synth::applyMidiController(int controller, int value) {
  constexpr double kMidiValueMax = 127.0;
  const int param = settings().controller(controller);
  if (param < 0 || param >= kNumParams) return;
  const qm::IParam* target = GetParam(param);
  if (!target) return;
  const double normalized = value / kMidiValueMax;
  // A controller resent at the same position must not spam the host.
  if (target->GetNormalized() == normalized) return;
  SetParameterValue(param, normalized);
}
