// Block rendering. Time runs in control blocks of about a millisecond: at
// each start the MIDI due in it is taken and everything slow (LFOs, delay
// envelopes, pitch offsets, voice updates) advances once; then every sample
// sums the pool into the three sections and runs each section's chain.
//
//   voices --S--> pan ---------------------------------+--> Synth L/R
//          --B--> Brass VCF x Brass EG -> pan ---------+--> Brass L/R
//          --T--> vibrato -> ensemble -> EQ -> bowing -+--> Strings L/R
//                                     sends -> flanger (wet) -> Total L/R
//
// A control block may straddle host blocks: the rest of it is rendered at
// the start of the next host block, without control-rate work. Samples are
// counted from the control block's start, not the run's, so envelopes and
// note events fall on the same samples whatever the host's block size.
#include "core/halvora.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr double kPitchIndexPerSemitone = 128.0;
} // namespace

void Halvora::ProcessBlock(double** inputs, double** outputs, int nFrames) {
  (void)inputs;
  audioThread_.store(std::this_thread::get_id(), std::memory_order_relaxed);
  const int pendingTrident = pendingTridentMode_.exchange(kNoPendingChange);
  if (pendingTrident != kNoPendingChange) applyTridentMode(pendingTrident != 0);
  // A program change that arrived while the main thread held the bank.
  tryApplyPendingProgramChange();

  if (nFrames <= 0) return;
  for (int ch = 0; ch < kNumOutputs; ++ch)
    std::memset(outputs[ch], 0, sizeof(double) * static_cast<size_t>(nFrames));
  // Below 1000 Hz a control block has no samples and time cannot advance.
  if (controlBlockSize <= 0) return;

  int offset = 0;
  int remaining = nFrames;
  while (remaining > 0) {
    int n;
    int position = 0; // of the run's first sample inside its control block
    if (controlBlockLeft > 0) {
      position = controlBlockSize - controlBlockLeft;
      n = std::min(controlBlockLeft, remaining);
      controlBlockLeft = std::max(controlBlockLeft - remaining, 0);
    } else {
      controlRateStep();
      n = controlBlockSize;
      if (controlBlockSize > remaining) {
        controlBlockLeft = controlBlockSize - remaining;
        n = remaining;
      }
    }
    remaining -= n;
    renderRun(outputs, offset, position, n);
    offset += n;
  }
}

void Halvora::controlRateStep() {
  handleMidiEvents();
  pwmLFO.update();
  brassEG.update();
  bowingEG.update();
  brassFilterDepth = brassVelocityFactor * brassEGIntensity;

  if (outputStrings) {
    if (stringsVibratoOn) {
      stringsVibratoDelayEG.update();
      stringsVibrato.setIntensity((1.0 - stringsVibratoDelayEG.value()) * stringsVibratoIntensity);
      stringsVibrato.update();
    }
    if (stringsEnsembleOn) ensemble.update();
  }

  vibLFO.update();
  // The general vibrato only sounds while "Vib. Delay" is on.
  double vibrato = 0.0;
  if (vibDelayOn) {
    vibDelayEG.update();
    vibrato = (1.0 - vibDelayEG.value()) * vibIntensity * vibLFO.bipolar();
  }
  if (modWheel > 0.0) {
    if (wheelTrill) {
      // A square trill taken from the triangle's sign.
      if (vibLFO.bipolar() > 0.0) vibrato += modWheel * wheelVibIntensity;
    } else {
      vibrato += modWheel * wheelVibIntensity * vibLFO.bipolar();
    }
  }

  if (flangerActive) flanger.update();

  const int voiceCount = numVoices;
  if (voiceCount > 0) {
    const int pitchOffset = static_cast<int>((pitchBendRange * pitchBend + (vibrato + totalTune)) *
                                             kPitchIndexPerSemitone);
    for (int v = 0; v < voiceCount; ++v) voices[static_cast<size_t>(v)].update(pitchOffset, false);
  }
}

void Halvora::renderRun(double** outputs, int offset, int position, int n) {
  double* totalL = outputs[0] + offset;
  double* totalR = outputs[1] + offset;
  double* syntheL = outputs[2] + offset;
  double* syntheR = outputs[3] + offset;
  double* brassL = outputs[4] + offset;
  double* brassR = outputs[5] + offset;
  double* stringsL = outputs[6] + offset;
  double* stringsR = outputs[7] + offset;

  for (int i = 0; i < n; ++i) {
    const int pos = position + i;
    // "<=" so that a message left over from an interrupted control block
    // (a reset in between) is applied late instead of holding up the rest.
    while (!midiEvents.empty() && midiEvents.front().mOffset <= pos) {
      const qm::IMidiMsg msg = midiEvents.front();
      midiEvents.pop();
      switch (msg.mStatus >> 4) {
      case qm::IMidiMsg::kNoteOff:
        setNoteOff(msg.mData1);
        break;
      case qm::IMidiMsg::kNoteOn:
        setNoteOn(msg.mData1, msg.mData2);
        break;
      case qm::IMidiMsg::kControlChange:
        setSustain(msg.mData2 != 0);
        break;
      default:
        break;
      }
    }

    // Switches are read per sample: a change from the editor is heard at
    // the next sample.
    const int voiceCount = numVoices;
    const bool playSynthe = outputSynthe, playBrass = outputBrass, playStrings = outputStrings;
    const bool bowingOn = bowing;

    // At the first sample of a control block the voices' update has just
    // stepped their envelopes.
    const bool stepEnvelopes = pos > 0;
    if (stepEnvelopes && playStrings && bowingOn) bowingEG.update();

    // One pass per voice: its envelopes and its sample depend on nobody
    // else's, and each voice is touched once per sample.
    double sumSynthe = 0.0, sumBrass = 0.0, sumStrings = 0.0;
    for (int v = 0; v < voiceCount; ++v) {
      Voice& voice = voices[static_cast<size_t>(v)];
      if (stepEnvelopes) voice.updateEGs();
      const VoiceOutput out = voice.process();
      sumSynthe += out.synthe;
      sumBrass += out.brass;
      sumStrings += out.strings;
    }

    Stereo flangerIn{};
    Stereo synthe{}, brass{}, strings{};
    if (playSynthe) {
      synthe = {sumSynthe * syntheLevel.left, sumSynthe * syntheLevel.right};
      if (flangerSynthe) flangerIn = synthe;
    }
    Stereo dry = synthe;

    if (playBrass) {
      if (pos > 0) brassEG.update();
      // No glide while the envelope is idle: the next note starts at the
      // knob's cutoff.
      if (!brassEG.isOn()) brassFilter.endGlide();
      const double env = brassEG.value();
      double y = brassFilter.process(sumBrass, static_cast<int>(brassFilterDepth * env));
      y *= env;
      brass = {y * brassLevel.left, y * brassLevel.right};
      if (flangerBrass) {
        flangerIn.left += brass.left;
        flangerIn.right += brass.right;
      }
      dry.left += brass.left;
      dry.right += brass.right;
    }

    if (playStrings) {
      double t = sumStrings;
      if (stringsVibratoOn) stringsVibrato.processVibrato(&t);
      Stereo st{t, t};
      if (stringsEnsembleOn) ensemble.process(t, &st);
      st.left = eqLowL.process(eqHighL.process(st.left));
      if (stereoEnsemble) {
        st.right = eqLowR.process(eqHighR.process(st.right));
        if (bowingOn) {
          if (pos > 0) bowingEG.update();
          const double g = bowingLevel * bowingEG.value();
          st.left += bowingFilterL.process(st.left) * g;
          st.right += bowingFilterR.process(st.right) * g;
        }
      } else {
        if (bowingOn) {
          if (pos > 0) bowingEG.update();
          const double g = bowingLevel * bowingEG.value();
          st.left += bowingFilterL.process(st.left) * g;
        }
        // Mono: both sides come from the left chain.
        st.right = st.left;
      }
      strings = {st.left * stringsLevel.left, st.right * stringsLevel.right};
      if (flangerStrings) {
        flangerIn.left += strings.left;
        flangerIn.right += strings.right;
      }
      dry.left += strings.left;
      dry.right += strings.right;
    }

    const double gain = totalGain;
    if (flangerActive) {
      flanger.processFlanger(&flangerIn);
      totalL[i] = (dry.left + flangerIn.left) * gain;
      totalR[i] = (dry.right + flangerIn.right) * gain;
    } else {
      totalL[i] = dry.left * gain;
      totalR[i] = dry.right * gain;
    }
    syntheL[i] = synthe.left;
    syntheR[i] = synthe.right;
    brassL[i] = brass.left;
    brassR[i] = brass.right;
    stringsL[i] = strings.left;
    stringsR[i] = strings.right;
  }
}

void Halvora::updateBrassLevel() {
  // Both footages together would double the level.
  const double factor = (brass16 && brass8) ? 0.5 : 1.0;
  brassLevel = {(1.0 - panBrass) * factor, panBrass * factor};
}

void Halvora::updateStringsLevel() {
  const int footages = int(strings16) + int(strings8) + int(strings4);
  if (footages > 0)
    stringsLevel = {(1.0 - panStrings) / footages, panStrings / footages};
  else
    stringsLevel = {0.0, 0.0};
}
