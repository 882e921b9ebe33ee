// Halvora: one plug-in instance. It owns the parameters (through the
// framework), the voice pool and every shared sound object of the three
// sections, all by value, so nothing is allocated while it plays.
#pragma once

#include "core/param_ids.h"
#include "core/synth.h"
#include "dsp/eg.h"
#include "dsp/ensemble.h"
#include "dsp/filter.h"
#include "dsp/mod_delay.h"
#include "dsp/phase_lfo.h"
#include "dsp/shelf_eq.h"
#include "dsp/stereo.h"
#include "dsp/vcf.h"
#include "framework/midi.h"
#include "programs/program_store.h"

#include <deque>

// The fixed description of the instrument handed to the framework.
qm::Config halvoraConfig();

class Halvora : public Synth {
public:
  static constexpr int kMaxVoices = 64;
  static constexpr int kTridentVoices = 8;
  static constexpr int kNumOutputs = 8;

  Halvora();
  ~Halvora() override;

  void initParameters() override;
  void OnReset() override;

  double getAppliedSampleRate() const { return appliedSampleRate; }
  int getNumVoices() const { return numVoices; }

  // --- Programs, banks and state: src/programs ---
  bool SerializeState(qm::IByteChunk& chunk) const override {
    return programStore.serializeState(chunk);
  }
  int UnserializeState(const qm::IByteChunk& chunk, int startPos) override {
    return programStore.unserializeState(chunk, startPos);
  }
  int unserializeQuillmereState(const qm::IByteChunk& chunk, int startPos) {
    return programStore.unserializeQuillmereState(chunk, startPos);
  }
  bool RestorePreset(int idx) { return programStore.RestorePreset(idx); }
  std::string GetPresetName(int idx) const { return programStore.GetPresetName(idx); }
  void ModifyCurrentPreset(const char* name = nullptr) { programStore.ModifyCurrentPreset(name); }
  void initPreset() { programStore.initPreset(); }
  void copyPreset() { programStore.copyPreset(); }
  void pastePreset() { programStore.pastePreset(); }
  bool changePreset(int idx) { return programStore.changePreset(idx); }
  bool SavePresetAsFXP(const std::string& path) { return programStore.SavePresetAsFXP(path); }
  bool SaveBankAsFXB(const std::string& path) { return programStore.SaveBankAsFXB(path); }
  bool LoadPresetFromFXP(const std::string& path) { return programStore.LoadPresetFromFXP(path); }
  bool LoadBankFromFXB(const std::string& path) { return programStore.LoadBankFromFXB(path); }
  bool initAllPrograms();
  // MIDI program change, from the audio thread; ProcessBlock calls
  // tryApplyPendingProgramChange at its start and OnIdle shows the result.
  void requestProgramChange(int idx) { programStore.requestProgramChange(idx); }
  bool tryApplyPendingProgramChange() { return programStore.tryApplyPendingProgramChange(); }
  void OnIdle() override { programStore.refreshEditorAfterRecall(); }
  programs::ProgramStore& programs() { return programStore; }

protected:
  // Shared sound objects.
  VCF brassFilter;
  PhaseLFO pwmLFO;
  PhaseLFO vibLFO;
  EG brassEG;
  EG bowingEG;
  EG stringsVibratoDelayEG;
  EG vibDelayEG;
  BandPass bowingFilterL, bowingFilterR;
  ShelfEQ eqHighL, eqHighR;
  ShelfEQ eqLowL, eqLowR;
  Ensemble ensemble;
  ModDelay stringsVibrato;
  ModDelay flanger;
  std::deque<qm::IMidiMsg> midiEvents; // notes and sustain due in this control block

  // Instance state written by parameter changes, note assignment and MIDI.
  int numVoices = 0;
  bool tridentMode = false;
  bool keyAssign1 = false;
  double totalTune = 0.0;
  int splitKey = 0;
  int rangeSynthe = 0, rangeBrass = 0, rangeStrings = 0;
  bool autoDamp = false;
  bool brassMultiTrigger = false, brassTriggerSelect = false;
  int brassSilentNotes = 0;
  double brassEGIntensity = 0.0;
  double velocityBrassVCF = 0.0;
  double brassVelocityFactor = 0.0;
  double brassFilterDepth = 0.0;
  bool brass16 = false, brass8 = false;
  bool strings16 = false, strings8 = false, strings4 = false;
  bool bowing = false, stringsVibratoOn = false, stringsEnsembleOn = false, stereoEnsemble = false;
  double bowingLevel = 0.0;
  double stringsVibratoIntensity = 0.0;
  double vibIntensity = 0.0;
  bool vibDelayOn = false;
  double wheelVibIntensity = 0.0;
  bool wheelTrill = false;
  double pitchBendRange = 0.0;
  bool flangerSynthe = false, flangerBrass = false, flangerStrings = false;
  bool flangerActive = false;
  double totalGain = 0.0;
  bool outputSynthe = false, outputBrass = false, outputStrings = false;
  double panBrass = 0.0, panStrings = 0.0;
  Stereo syntheLevel{}, brassLevel{}, stringsLevel{};
  bool detuneBrassOn = false, detuneStringsOn = false;
  int syntheKeys = 0, brassKeys = 0, stringsKeys = 0;
  int noteSerial = 0;
  double pitchBend = 0.0;
  double modWheel = 0.0;
  bool sustainPedal = false;
  double appliedSampleRate = -1.0;

  // Last: it reserves room in the programs the framework has built.
  programs::ProgramStore programStore{*this};
};

namespace qm {
// The factory's create function: builds one instance under the process-wide
// construction mutex.
Halvora* MakePlug();
} // namespace qm
