// The voice's control-rate update and its per-sample rendering.
#include "dsp/voice.h"

#include <cmath>

namespace {

// Tone filter: 400 Hz plus up to 11600 Hz following the key; at balance 0 it
// sits at a quarter of the way, 3300 Hz, for every key.
constexpr double kStringsLowestHz = 400.0;
constexpr double kStringsSpanHz = 11600.0;
constexpr double kStringsFixedFollow = 0.25;

// Full gain at velocity 127; sensitivity s scales the drop below it.
double velocityGain(double sensitivity, double velocity) {
  return sensitivity > 0.0 ? sensitivity * (velocity - 1.0) + 1.0 : 1.0;
}

} // namespace

void Voice::update(int pitchOffset, bool force) {
  if (!active_ && !force) return;

  const int p = pitchOffset + pitch_;
  vco1_.update(p);
  vco2_.update(p);

  if (synthOn_) gainSynthe_ = volumeSynthe_ * attenuator_ * velocityGain(velSynthe_, velocity_);
  if (brassOn_) {
    if (brassDetuneOn_) vcoBrass_.update(p);
    gainBrass_ = volumeBrass_ * velocityGain(velBrass_, velocity_);
  }
  if (stringsOn_) {
    if (stringsDetuneOn_) vcoStrings_.update(p);
    stringsFilter_.setCutoff(
        ((keyFollow_ - kStringsFixedFollow) * kbdBalance_ + kStringsFixedFollow) * kStringsSpanHz +
        kStringsLowestHz);
    gainStrings_ = volumeStrings_ * velocityGain(velStrings_, velocity_);
  }

  // A key released while others of its section are held loses its gate.
  if (!gate_ && dampCountdown_ > 0 && --dampCountdown_ == 0) {
    if (syntheKeysHeld() > 0) egSynthGate_.stop();
    if (brassKeysHeld() > 0) egBrassGate_.stop();
  }

  updateEGs();

  const bool brassRunning = brassEnvelopeRunning();
  if (brassOn_) brassPending_ = brassPending_ && !brassRunning;

  if (egVCA_.isOn() || egStrings_.isOn())
    active_ = true;
  else if (egBrassGate_.isOn())
    active_ = brassPending_ || brassRunning;
  else
    active_ = false;
  // A silent filter need not finish a glide; the next note starts on target.
  if (!active_) vcf_.endGlide();
}

VoiceOutput Voice::render() {
  VoiceOutput out;
  const double s16 = vco1_.getSaw16();
  const double s8 = vco1_.getSaw8();
  const double s4 = vco1_.getSaw4();

  if (synthOn_) {
    double source;
    if (wave_ != 0)
      source = octave_ == 2 ? vco1_.getPWM4() : octave_ == 1 ? vco1_.getPWM8() : vco1_.getPWM16();
    else
      source = octave_ == 2 ? s4 : octave_ == 1 ? s8 : s16;
    if (vco2On_) {
      source += vco2Octave_ == 3   ? vco2_.getSaw4()
                : vco2Octave_ == 2 ? vco2_.getSaw8()
                                   : vco2_.getSaw16();
      vco2_.next();
    }
    const double y = vcf_.process(
        source, static_cast<int>(std::floor(vcfEnvDepth_ * egVCF_.value() + keyTrackOffset_)));
    const double gate = autoDamp_ ? egSynthGate_.value() : 1.0;
    out.synthe = y * gainSynthe_ * gate * egVCA_.value();
  }

  if (brassOn_) {
    double source = 0.0;
    if (brassDetuneOn_) {
      if (brass16_) source += vcoBrass_.getSaw16();
      if (brass8_) source += vcoBrass_.getSaw8();
      vcoBrass_.next();
    } else {
      if (brass16_) source += s16;
      if (brass8_) source += s8;
    }
    out.brass = gainBrass_ * egBrassGate_.value() * source;
  }

  if (stringsOn_) {
    double source = 0.0;
    if (stringsDetuneOn_) {
      if (strings16_) source += vcoStrings_.getSaw16();
      if (strings8_) source += vcoStrings_.getSaw8();
      if (strings4_) source += vcoStrings_.getSaw4();
      vcoStrings_.next();
    } else {
      if (strings16_) source += s16;
      if (strings8_) source += s8;
      if (strings4_) source += s4;
    }
    out.strings = stringsFilter_.process(source * gainStrings_ * egStrings_.value());
  }

  vco1_.next();
  return out;
}
