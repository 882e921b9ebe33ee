// Halvora: one plug-in instance. It owns the parameters (through the
// framework), the voice pool and every shared sound object of the three
// sections, all by value, so nothing is allocated while it plays.
#pragma once

#include "core/midi_event_ring.h"
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
#include "dsp/voice.h"
#include "dsp/voice_owner.h"
#include "framework/midi.h"
#include "programs/program_store.h"

#include <array>
#include <atomic>
#include <thread>

// The fixed description of the instrument handed to the framework.
qm::Config halvoraConfig();

class Halvora : public Synth, public VoiceOwner {
public:
  static constexpr int kMaxVoices = 64;
  static constexpr int kTridentVoices = 8;
  static constexpr int kNumOutputs = 8;

  Halvora();
  ~Halvora() override;

  void initParameters() override;
  void OnReset() override;

  // Rendering (halvora.process.cpp).
  void ProcessBlock(double** inputs, double** outputs, int nFrames) override;
  // MIDI input (halvora.midi.cpp).
  void ProcessMidiMsg(const qm::IMidiMsg& msg) override;
  // Parameter changes (halvora.param.cpp).
  using Synth::OnParamChange;
  void OnParamChange(int paramIdx) override;
  // Note assignment (halvora.notes.cpp).
  void allNotesOff() override;

  // The value a voice receives for a parameter's real value.
  static double voiceParamValue(int paramIdx, double value);

  // Set when the polyphony or detune indicators changed; the editor takes it
  // on the main thread.
  bool takeGUIUpdate() { return guiUpdate_.exchange(false); }

  double getAppliedSampleRate() const { return appliedSampleRate; }
  int getNumVoices() const { return numVoices; }

  // What the voices read from their owner.
  int getFrequency(int note) override { return Synth::getFrequency(note); }
  int syntheKeysHeld() const override { return syntheKeys; }
  int brassKeysHeld() const override { return brassKeys; }
  bool brassEnvelopeRunning() const override { return brassEG.isOn(); }

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
  void midiProgramChange(int program) override { requestProgramChange(program); }
  bool tryApplyPendingProgramChange() { return programStore.tryApplyPendingProgramChange(); }
  void OnIdle() override { programStore.refreshEditorAfterRecall(); }
  programs::ProgramStore& programs() { return programStore; }

protected:
  static bool isInRange(int range, int note, int splitKey);
  void setNoteOn(int note, int velocity);
  void setNoteOff(int note);
  void setSustain(bool down);
  void handleMidiEvents();
  void updateBrassLevel();
  void updateStringsLevel();
  void updateGUI() { guiUpdate_.store(true); }
  void applyTridentMode(bool on);
  void controlRateStep();
  void renderRun(double** outputs, int offset, int position, int n);

  std::array<Voice, kMaxVoices> voices; // only the first numVoices are played

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
  MidiEventRing midiEvents; // notes and sustain due in this control block

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

private:
  // "Trident Mode" changes the voice pool, which only the audio thread may
  // touch once it renders. The thread that ran the last block is the audio
  // thread; a change from any other thread is left here and taken at the
  // next block start. Before the first block after a reset nobody renders
  // (hosts set up outside processing), so set-up changes act at once.
  std::atomic<std::thread::id> audioThread_{};
  std::atomic<int> pendingTridentMode_{kNoPendingChange};
  static constexpr int kNoPendingChange = -1;
  std::atomic<bool> guiUpdate_{false};

  // Last: it reserves room in the programs the framework has built.
  programs::ProgramStore programStore{*this};
};

namespace qm {
// The factory's create function: builds one instance under the process-wide
// construction mutex.
Halvora* MakePlug();
} // namespace qm
