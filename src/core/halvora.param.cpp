// Parameter changes: every change, whatever its source, arrives here with
// the parameter's real value and is turned into what the engine uses.
// Per-voice settings go to all 64 voices, also those outside the played
// pool, so a voice keeps its sound when "Trident Mode" changes the pool.
#include "core/halvora.h"

#include <algorithm>
#include <cmath>

namespace {

// Keyboard tracking per key, in pitch-index units, for "VCF KBF Track" 0..4.
constexpr double kKeyTrackSteps[] = {0.0, 32.0, 64.0, 128.0, 192.0};
constexpr int kKeyTrackLast = 4;
constexpr double kDecibelsToLog = 0.05;
// The Brass cutoff knob spans pitch index 0..17280.
constexpr double kCutoffSpan = 17280.0;
// Bowing band-pass: 600 Hz at 0, 3000 Hz at 1, square law between.
constexpr double kBowingToneLowHz = 600.0;
constexpr double kBowingToneSpanHz = 2400.0;
constexpr double kVibIntensitySemitones = 2.0;
constexpr double kWheelVibSemitones = 12.0;
constexpr double kEnsembleAmountScale = 0.5;

bool isOn(double v) {
  return v >= 0.5;
}

} // namespace

double Halvora::voiceParamValue(int paramIdx, double value) {
  switch (paramIdx) {
  case kVCFKBFTrack:
    return kKeyTrackSteps[std::clamp(static_cast<int>(value), 0, kKeyTrackLast)];
  case kVCAAttenuator:
    return std::pow(10.0, value * kDecibelsToLog);
  default:
    return value;
  }
}

void Halvora::applyTridentMode(bool on) {
  allNotesOff();
  tridentMode = on;
  numVoices = on ? kTridentVoices : kMaxVoices;
  updateGUI();
}

void Halvora::OnParamChange(int paramIdx) {
  Synth::OnParamChange(paramIdx);
  const qm::IParam* param = GetParam(paramIdx);
  if (!param) return;
  const double v = param->Value();
  bool toVoices = false;

  switch (paramIdx) {
  case kTridentMode: {
    const std::thread::id audio = audioThread_.load(std::memory_order_relaxed);
    if (audio == std::thread::id{} || audio == std::this_thread::get_id())
      applyTridentMode(isOn(v));
    else
      pendingTridentMode_.store(isOn(v) ? 1 : 0);
    break;
  }
  case kKeyAssign:
    keyAssign1 = isOn(v);
    break;
  case kTotalTune:
    totalTune = v;
    break;
  case kRangeSynthe:
    rangeSynthe = static_cast<int>(v);
    break;
  case kRangeBrass:
    rangeBrass = static_cast<int>(v);
    break;
  case kRangeStrings:
    rangeStrings = static_cast<int>(v);
    break;
  case kSplitKey:
    splitKey = static_cast<int>(v);
    break;
  case kVCO1PWMSpeed:
    pwmLFO.setSpeed(v);
    break;
  case kVCAAutoDamp:
    autoDamp = isOn(v);
    toVoices = true;
    break;
  case kBrassCutoff:
    brassFilter.setCutoff(static_cast<int>(v * kCutoffSpan), brassEG.isOn());
    break;
  case kBrassResonance:
    brassFilter.setResonance(v);
    break;
  case kBrassSilentNotes:
    brassSilentNotes = 2 * static_cast<int>(v) + 1;
    break;
  case kBrassEGIntensity:
    brassEGIntensity = v;
    break;
  case kBrassAttack:
    brassEG.setAttack(v);
    break;
  case kBrassDecay:
    brassEG.setDecay(v);
    break;
  case kBrassSustain:
    brassEG.setSustain(v);
    break;
  case kBrassRelease:
    brassEG.setRelease(v);
    break;
  case kBrass16:
    brass16 = isOn(v);
    updateBrassLevel();
    toVoices = true;
    break;
  case kBrass8:
    brass8 = isOn(v);
    updateBrassLevel();
    toVoices = true;
    break;
  case kBrassMultiTrigger:
    brassMultiTrigger = isOn(v);
    break;
  case kBrassTriggerSelect:
    brassTriggerSelect = isOn(v);
    break;
  case kStringsEQHigh:
    eqHighL.setGain(v);
    eqHighR.setGain(v);
    break;
  case kStringsEQLow:
    eqLowL.setGain(v);
    eqLowR.setGain(v);
    break;
  case kStringsBowingLevel:
    bowingLevel = v;
    break;
  case kStringsBowingTone: {
    const double hz = kBowingToneSpanHz * v * v + kBowingToneLowHz;
    bowingFilterL.setCutoff(hz);
    bowingFilterR.setCutoff(hz);
    break;
  }
  case kStringsVibratoDelay:
    stringsVibratoDelayEG.setDecay(v);
    toVoices = true;
    break;
  case kStringsVibratoSpeed:
    stringsVibrato.setSpeed(v);
    toVoices = true;
    break;
  case kStringsVibratoIntensity:
    stringsVibratoIntensity = v;
    toVoices = true;
    break;
  case kStrings16:
    strings16 = isOn(v);
    updateStringsLevel();
    toVoices = true;
    break;
  case kStrings8:
    strings8 = isOn(v);
    updateStringsLevel();
    toVoices = true;
    break;
  case kStrings4:
    strings4 = isOn(v);
    updateStringsLevel();
    toVoices = true;
    break;
  // The three Strings switches list "On" first, but bowing sounds at 1 while
  // vibrato and ensemble sound at 0; stored programs depend on these senses.
  case kStringsBowing:
    bowing = v >= 0.5;
    break;
  case kStringsVibrato:
    stringsVibratoOn = v < 0.5;
    break;
  case kStringsEnsemble:
    stringsEnsembleOn = v < 0.5;
    break;
  case kVibIntensity:
    vibIntensity = kVibIntensitySemitones * v;
    break;
  case kVibDelay:
    vibDelayOn = isOn(v);
    break;
  case kWheelVibIntensity:
    wheelVibIntensity = kWheelVibSemitones * v;
    break;
  case kWheelVibSpeed:
    vibLFO.setSpeed(v);
    break;
  case kWheelMode:
    wheelTrill = v < 0.5; // "Trill" is the first entry
    break;
  case kPitchBend:
    pitchBendRange = v;
    break;
  case kFlangerSpeed:
    flanger.setSpeed(v);
    break;
  case kFlangerFeedback:
    flanger.setFeedback(v);
    break;
  case kFlangerIntensity:
    flanger.setIntensity(v);
    break;
  case kFlangerManual:
    flanger.setManual(v);
    break;
  case kFlangerSynthe:
    flangerSynthe = isOn(v);
    flangerActive = flangerSynthe || flangerBrass || flangerStrings;
    break;
  case kFlangerBrass:
    flangerBrass = isOn(v);
    flangerActive = flangerSynthe || flangerBrass || flangerStrings;
    break;
  case kFlangerStrings:
    flangerStrings = isOn(v);
    flangerActive = flangerSynthe || flangerBrass || flangerStrings;
    break;
  case kTotalVolume:
    totalGain = 2.0 * v;
    break;
  case kOutputSynthe:
    outputSynthe = isOn(v);
    break;
  case kOutputBrass:
    outputBrass = isOn(v);
    break;
  case kOutputStrings:
    outputStrings = isOn(v);
    break;
  case kPanSynthe:
    syntheLevel = {1.0 - v, v};
    break;
  case kPanBrass:
    panBrass = v;
    updateBrassLevel();
    break;
  case kPanStrings:
    panStrings = v;
    updateStringsLevel();
    break;
  case kVelocityBrassVCF:
    velocityBrassVCF = v;
    break;
  case kStereoFlanger:
    flanger.setStereo(isOn(v));
    break;
  case kStereoEnsemble:
    stereoEnsemble = isOn(v);
    ensemble.setStereo(stereoEnsemble);
    break;
  case kDetuneBrass:
    detuneBrassOn = v != 0.0;
    updateGUI();
    toVoices = true;
    break;
  case kDetuneStrings:
    detuneStringsOn = v != 0.0;
    updateGUI();
    toVoices = true;
    break;
  case kVibDelayTime:
    vibDelayEG.setDecay(v);
    toVoices = true;
    break;
  case kEnsLFO1Speed:
    ensemble.setLFO1Speed(v);
    break;
  case kEnsLFO2Speed:
    ensemble.setLFO2Speed(v);
    break;
  case kEns1Amount:
  case kEns2Amount:
  case kEns3Amount:
    ensemble.setAmount(paramIdx - kEns1Amount, kEnsembleAmountScale * v);
    break;
  // Plain per-voice settings.
  case kVCO1Octave:
  case kVCO1Wave:
  case kVCO1PW:
  case kVCO2Octave:
  case kVCO2Detune:
  case kVCFCutoff:
  case kVCFResonance:
  case kVCFKBFTrack:
  case kVCFEGIntensity:
  case kVCFAttack:
  case kVCFDecay:
  case kVCFSustain:
  case kVCFRelease:
  case kVCAAttack:
  case kVCADecay:
  case kVCASustain:
  case kVCARelease:
  case kVCAAttenuator:
  case kStringsAttack:
  case kStringsRelease:
  case kStringsKBDBalance:
  case kVolumeSynthe:
  case kVolumeBrass:
  case kVolumeStrings:
  case kVelocitySynthe:
  case kVelocityBrass:
  case kVelocityStrings:
  case kVelocitySyntheVCF:
    toVoices = true;
    break;
  default:
    break;
  }

  if (toVoices) {
    const double value = voiceParamValue(paramIdx, v);
    for (Voice& voice : voices) voice.setParam(paramIdx, value);
  }
}
