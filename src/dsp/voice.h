// Voice: one key, rendered for all three sections at once.
//
//   VCO 1      +--> Synthe:  footage or pulse (+ VCO 2) -> VCF -> gate x VCA
//   16' 8' 4' -+--> Brass:   16' + 8' x Brass gate       (summed by the instrument)
//              +--> Strings: 16' + 8' + 4' x envelope -> tone low-pass  (summed)
//
// Brass and Strings read VCO 1's footages unless their own detune is set, in
// which case each section reads its own oscillator so that it beats against
// the others. A section that does not play the note costs nothing and leaves
// its oscillator where it was.
//
// Two rates: update() once per control block (pitch, gains, tone filter,
// damping, activity), process() and updateEGs() once per sample.
//
// Damping: a key released while other keys of its section are still held has
// its gate closed 40 control blocks later, so fast playing does not pile up
// releases; the last key of a phrase keeps its gate and rings out through its
// release envelope.
#pragma once

#include "dsp/eg.h"
#include "dsp/filter.h"
#include "dsp/vcf.h"
#include "dsp/vco.h"
#include "dsp/voice_owner.h"

#include <cstdint>

struct VoiceOutput {
  double synthe = 0.0;
  double brass = 0.0;
  double strings = 0.0;
};

class Voice {
public:
  // Control blocks between a normal release and the gate check.
  static constexpr int32_t kDampBlocks = 40;
  // Gate envelopes: as fast as the envelope goes (about 5.6 ms), full sustain.
  static constexpr double kGateTime = 0.01;

  // Not owned; without one a note plays at note * 128 and no other key
  // counts as held.
  void setParent(VoiceOwner* parent) { parent_ = parent; }
  // VCO 1's pulse-width modulation source, 0..1; read once per control block.
  void setPwmSource(const double* source) { vco1_.setPwmSource(source); }

  // Set-up only (may build the per-rate tables). Silences the voice. An
  // unusable rate (not finite, not positive) is refused and changes nothing.
  bool setSampleRate(double rate);

  // velocity 1..127 (clamped to 0..127); the three flags say which sections
  // play the note; brassPending that the shared Brass envelope was not
  // restarted for it.
  void setNoteOn(int note, int velocity, int sequence, bool synthe, bool brass, bool strings,
                 bool brassPending);
  // immediate: close both gates now instead of after the damping delay.
  void setNoteOff(bool immediate);
  void setSustain(bool down);
  void setGateSyntheOff() { egSynthGate_.stop(); }
  void setGateBrassOff() { egBrassGate_.stop(); }

  // index is an instrument parameter number, value its real value as the
  // instrument has converted it. Returns false, changing nothing, for an
  // index the voice does not use or a value that is not finite.
  bool setParam(int index, double value);

  // Control rate. pitchOffset is the global offset (tuning, bend, vibrato)
  // in pitch-index units; force runs the update on an inactive voice too.
  void update(int pitchOffset, bool force);

  // Per sample, on every sample of a control block but the first (update
  // has stepped the envelopes there).
  void updateEGs() {
    egSynthGate_.update();
    egBrassGate_.update();
    egVCF_.update();
    egVCA_.update();
    egStrings_.update();
  }

  // One sample. A silent voice returns zeros and advances nothing.
  VoiceOutput process() {
    if (!active_) return {};
    return render();
  }

  bool isActive() const { return active_; }
  bool gate() const { return gate_; }
  bool sustainPedal() const { return sustainPedal_; }
  bool brassPending() const { return brassPending_; }
  int32_t note() const { return note_; }
  int32_t pitch() const { return pitch_; }
  int32_t sequence() const { return sequence_; }
  double gainSynthe() const { return gainSynthe_; }
  double gainBrass() const { return gainBrass_; }
  double gainStrings() const { return gainStrings_; }

  const VCO& vco1() const { return vco1_; }
  const VCO& vco2() const { return vco2_; }
  const VCO& vcoBrass() const { return vcoBrass_; }
  const VCO& vcoStrings() const { return vcoStrings_; }
  const VCF& vcf() const { return vcf_; }
  const EG& egSynthGate() const { return egSynthGate_; }
  const EG& egBrassGate() const { return egBrassGate_; }
  const EG& egVCF() const { return egVCF_; }
  const EG& egVCA() const { return egVCA_; }
  const EG& egStrings() const { return egStrings_; }
  const LowPass& stringsFilter() const { return stringsFilter_; }

private:
  VoiceOutput render();
  void release();
  int syntheKeysHeld() const { return parent_ ? parent_->syntheKeysHeld() : 0; }
  int brassKeysHeld() const { return parent_ ? parent_->brassKeysHeld() : 0; }
  bool brassEnvelopeRunning() const { return parent_ && parent_->brassEnvelopeRunning(); }

  VoiceOwner* parent_ = nullptr;
  VCO vco1_;
  VCO vco2_;
  VCO vcoBrass_;
  VCO vcoStrings_;
  VCF vcf_;
  EG egSynthGate_;
  EG egBrassGate_;
  EG egVCF_;
  EG egVCA_;
  EG egStrings_;
  LowPass stringsFilter_;

  double velocity_ = 0.0;
  double keyFollow_ = 0.0;
  double keyTrackOffset_ = 0.0;
  double vcfEnvDepth_ = 0.0;
  bool synthOn_ = false, brassOn_ = false, stringsOn_ = false;
  bool autoDamp_ = false;
  bool brass16_ = false, brass8_ = false;
  bool strings16_ = false, strings8_ = false, strings4_ = false;
  int32_t wave_ = 0;
  int32_t octave_ = 0;
  int32_t vco2Octave_ = 0;
  double keyTrack_ = 0.0;
  double envAmount_ = 0.0;
  double attenuator_ = 1.0;
  double kbdBalance_ = 0.0;
  double volumeSynthe_ = 0.0, volumeBrass_ = 0.0, volumeStrings_ = 0.0;
  double velSynthe_ = 0.0, velBrass_ = 0.0, velStrings_ = 0.0, velSyntheVCF_ = 0.0;
  double sampleRate_ = 0.0;
  double gainSynthe_ = 0.0, gainBrass_ = 0.0, gainStrings_ = 0.0;
  bool active_ = false;
  bool gate_ = false;
  bool sustainPedal_ = false;
  bool vco2On_ = false;
  bool brassPending_ = false;
  bool brassDetuneOn_ = false, stringsDetuneOn_ = false;
  int32_t pitch_ = 6144;
  int32_t note_ = 48;
  int32_t sequence_ = 0;
  int32_t dampCountdown_ = 0;
};
