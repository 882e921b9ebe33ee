// Set-up, notes, pedal and parameters of the voice; the per-sample and
// control-rate paths are in voice.process.cpp.
#include "dsp/voice.h"

#include "core/param_ids.h"
#include "dsp/pitch.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kInvVelocity = 0.007874015748031496; // 1/127
constexpr int kMaxVelocity = 127;
constexpr double kMaxCutoff = 17280.0;        // pitch-index units
constexpr double kMaxKeyTrack = 192.0;        // pitch-index units per key
constexpr double kMaxEnvAmount = 12289.0;     // pitch-index units
constexpr double kVco2DetuneRange = 128.0;    // one semitone
constexpr double kSectionDetuneRange = 896.0; // seven semitones
constexpr double kSwitchOn = 0.5;
constexpr int kLowestKey = 24;                       // tone filter tracking starts here
constexpr double kInvKeySpan = 0.013888888888888888; // 1/72: up to note 96
constexpr int kMiddleC = 60;

// Switch positions arrive as reals; clamping before the conversion keeps a
// stray value from being an out-of-range cast.
int32_t position(double value, int highest) {
  return static_cast<int32_t>(std::clamp(std::floor(value), 0.0, static_cast<double>(highest)));
}

// The Brass and Strings detune follow a signed square law, finer near 0.
double detuneLaw(double value) {
  const double v = std::clamp(value, -1.0, 1.0);
  return v * std::abs(v);
}

} // namespace

bool Voice::setSampleRate(double rate) {
  if (!(rate > 0.0 && std::isfinite(rate))) return false;
  sampleRate_ = rate;
  velocity_ = 0.0;
  keyFollow_ = 0.0;
  active_ = gate_ = sustainPedal_ = brassPending_ = false;
  dampCountdown_ = 0;
  pitch_ = 6144;
  note_ = 48;

  vco1_.setSampleRate(rate);
  // Only VCO 1 has a modulation source.
  for (VCO* vco : {&vco2_, &vcoBrass_, &vcoStrings_}) {
    vco->setSampleRate(rate);
    vco->setPwmEnabled(false);
  }
  vcf_.setSampleRate(rate);
  stringsFilter_.setSampleRate(rate);
  stringsFilter_.setQ(0.5);

  for (EG* eg : {&egSynthGate_, &egBrassGate_, &egVCF_, &egVCA_, &egStrings_})
    eg->setSampleRate(rate);
  for (EG* eg : {&egSynthGate_, &egBrassGate_}) {
    eg->setAttack(kGateTime);
    eg->setDecay(0.0);
    eg->setSustain(1.0);
    eg->setRelease(kGateTime);
  }
  egStrings_.setDecay(0.0);
  egStrings_.setSustain(1.0);
  return true;
}

void Voice::setNoteOn(int note, int velocity, int sequence, bool synthe, bool brass, bool strings,
                      bool brassPending) {
  pitch_ = parent_ ? parent_->getFrequency(note) : note * pitch::kUnitsPerSemitone;
  active_ = true;
  gate_ = true;
  brassPending_ = brassPending;
  note_ = note;
  sequence_ = sequence;
  // A countdown left from this voice's previous release would otherwise run
  // on at the next key-up and cut the note even while the pedal holds it.
  dampCountdown_ = 0;

  velocity_ = std::clamp(velocity, 0, kMaxVelocity) * kInvVelocity;
  vcfEnvDepth_ =
      velSyntheVCF_ > 0.0 ? ((velocity_ - 1.0) * velSyntheVCF_ + 1.0) * envAmount_ : envAmount_;
  const double k = std::clamp((note - kLowestKey) * kInvKeySpan, 0.0, 1.0);
  keyFollow_ = k * k;
  keyTrackOffset_ = (note - kMiddleC) * keyTrack_;

  // Envelopes restart from where they are; phases and filter states run on.
  synthOn_ = synthe;
  if (synthe) {
    egSynthGate_.start();
    egVCF_.start();
    egVCA_.start();
  }
  brassOn_ = brass;
  if (brass) egBrassGate_.start();
  stringsOn_ = strings;
  if (strings) egStrings_.start();

  // Offset 1 until the next control block brings the global one.
  update(1, false);
}

void Voice::release() {
  brassPending_ = false;
  egVCF_.stop();
  egVCA_.stop();
  egStrings_.stop();
  dampCountdown_ = kDampBlocks;
}

void Voice::setNoteOff(bool immediate) {
  gate_ = false;
  brassPending_ = false;
  if (sustainPedal_) return;
  release();
  if (immediate) {
    dampCountdown_ = 0;
    egSynthGate_.stop();
    egBrassGate_.stop();
  }
}

void Voice::setSustain(bool down) {
  sustainPedal_ = down;
  if (!down && !gate_) release();
}

bool Voice::setParam(int index, double value) {
  if (!std::isfinite(value)) return false;
  switch (index) {
  case kVCO1Octave:
    octave_ = position(value, 2);
    break;
  case kVCO1Wave:
    wave_ = position(value, 2);
    vco1_.setPwmEnabled(wave_ == 2);
    break;
  case kVCO1PW:
    vco1_.setPulseWidth(1.0 - std::clamp(value, 0.0, 1.0));
    break;
  case kVCO2Octave:
    vco2Octave_ = position(value, 3);
    vco2On_ = vco2Octave_ != 0;
    break;
  case kVCO2Detune:
    vco2_.setPitchOffset(static_cast<int>(std::clamp(value, -1.0, 1.0) * kVco2DetuneRange));
    break;
  case kVCFCutoff:
    vcf_.setCutoff(static_cast<int>(std::floor(std::clamp(value, 0.0, 1.0) * kMaxCutoff)),
                   egVCA_.isOn());
    break;
  case kVCFResonance:
    vcf_.setResonance(value);
    break;
  case kVCFKBFTrack:
    keyTrack_ = std::clamp(value, 0.0, kMaxKeyTrack);
    break;
  case kVCFEGIntensity:
    envAmount_ = std::clamp(value, -kMaxEnvAmount, kMaxEnvAmount);
    break;
  case kVCFAttack:
    egVCF_.setAttack(value);
    break;
  case kVCFDecay:
    egVCF_.setDecay(value);
    break;
  case kVCFSustain:
    egVCF_.setSustain(value);
    break;
  case kVCFRelease:
    egVCF_.setRelease(value);
    break;
  case kVCAAttack:
    egVCA_.setAttack(value);
    break;
  case kVCADecay:
    egVCA_.setDecay(value);
    break;
  case kVCASustain:
    egVCA_.setSustain(value);
    break;
  case kVCARelease:
    egVCA_.setRelease(value);
    break;
  case kVCAAttenuator:
    attenuator_ = value;
    break;
  case kVCAAutoDamp:
    autoDamp_ = value >= kSwitchOn;
    break;
  case kBrass16:
    brass16_ = value >= kSwitchOn;
    break;
  case kBrass8:
    brass8_ = value >= kSwitchOn;
    break;
  case kStringsAttack:
    egStrings_.setAttack(value);
    break;
  case kStringsRelease:
    egStrings_.setRelease(value);
    break;
  case kStringsKBDBalance:
    kbdBalance_ = std::clamp(value, 0.0, 1.0);
    break;
  case kStrings16:
    strings16_ = value >= kSwitchOn;
    break;
  case kStrings8:
    strings8_ = value >= kSwitchOn;
    break;
  case kStrings4:
    strings4_ = value >= kSwitchOn;
    break;
  case kVolumeSynthe:
    volumeSynthe_ = value;
    break;
  case kVolumeBrass:
    volumeBrass_ = value;
    break;
  case kVolumeStrings:
    volumeStrings_ = value;
    break;
  case kVelocitySynthe:
    velSynthe_ = std::clamp(value, 0.0, 1.0);
    break;
  case kVelocityBrass:
    velBrass_ = std::clamp(value, 0.0, 1.0);
    break;
  case kVelocityStrings:
    velStrings_ = std::clamp(value, 0.0, 1.0);
    break;
  case kVelocitySyntheVCF:
    velSyntheVCF_ = std::clamp(value, 0.0, 1.0);
    break;
  case kDetuneBrass: {
    const double d = detuneLaw(value);
    vcoBrass_.setPitchOffset(static_cast<int>(d * kSectionDetuneRange));
    brassDetuneOn_ = d != 0.0;
    break;
  }
  case kDetuneStrings: {
    const double d = detuneLaw(value);
    vcoStrings_.setPitchOffset(static_cast<int>(d * kSectionDetuneRange));
    stringsDetuneOn_ = d != 0.0;
    break;
  }
  default:
    return false;
  }
  return true;
}
