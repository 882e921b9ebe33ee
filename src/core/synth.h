// Synth: the maker's reusable synthesizer base between the plug-in framework
// and the instrument. It owns what every instrument of the family shares:
// the configuration file, the tuning client, the incoming MIDI queue, the
// held-key map and the control-block timing.
#pragma once

#include "dsp/pitch.h"
#include "dsp/tuning.h"
#include "framework/midi.h"
#include "framework/plugin_processor.h"
#include "settings/config_file.h"
#include "settings/midi_learn.h"

#include <map>

class Synth : public qm::PluginProcessor {
public:
  static constexpr int kMidiQueueCapacity = 512;
  static constexpr int kControlBlocksPerSecond = 1000;

  explicit Synth(const qm::Config& config);
  ~Synth() override;

  // Pitch index (1/128 semitone, 0 = 8.176 Hz) to Hz.
  static double convert2Hz(int index) { return pitch::convert2Hz(index); }

  int getFrequency(int note) { return tuning_.getFrequency(note); }
  bool noteShouldBeSkipped(int note) { return tuning_.noteShouldBeSkipped(note); }
  bool hasMTSMaster() const { return tuning_.hasMTSMaster(); }
  const char* getTuningName() { return tuning_.getTuningName(); }

  // Reads the configuration file into the settings (all keys).
  bool loadConfig() { return config_.file.loadConfig(); }
  ConfigFile& configFile() { return config_.file; }
  const ConfigSettings& settings() const { return config_.file.settings; }

  int getControlBlockSize() const { return controlBlockSize; }
  int getControlBlockLeft() const { return controlBlockLeft; }

  // Instrument hooks; the base's are empty.
  virtual void createGraphics() {}
  virtual void resizeUI(int size) { (void)size; }
  virtual void allNotesOff() {}
  virtual void initParameters() {}

  void ProcessBlock(double** inputs, double** outputs, int nFrames) override {
    (void)inputs, (void)outputs, (void)nFrames;
  }
  void OnReset() override;
  void OnActivate(bool active) override;

  // Every change, whatever its source, ends in the one-argument form.
  void OnParamChange(int paramIdx, qm::EParamSource source, int sampleOffset) final {
    (void)source, (void)sampleOffset;
    OnParamChange(paramIdx);
  }
  virtual void OnParamChange(int paramIdx);

  // Held keys: note -> velocity. A velocity of 0 or less removes the note.
  void addPressedKey(int note, int velocity);
  void removePressedKey(int note);
  void clearKeyBuffer() { pressedKeys.clear(); }
  int pressedKeyCount() const { return static_cast<int>(pressedKeys.size()); }

  // MIDI learn, driven by the editor's learn switch. While a request waits,
  // the MIDI input hands controllers 0..119 to setMidiLearnCC instead of
  // playing them, and every parameter change is offered to the request.
  void doMidiLearn(bool on) { midiLearn_.doMidiLearn(on); }
  void doMidiUnlearn(bool on) { midiLearn_.doMidiUnlearn(on); }
  bool midiLearnWaiting() const { return midiLearn_.learning(); }
  void setMidiLearnCC(int controller) { midiLearn_.setMidiLearnCC(controller); }
  bool applyMidiLearn() { return midiLearn_.applyMidiLearn(); }
  // True once after a request completed, from either thread: the editor's
  // timer turns its learn switch off when it sees it.
  bool takeMidiLearnCompleted() { return midiLearn_.takeCompleted(); }
  // A learned controller moved: sets its parameter from value / 127 unless
  // it is already there. Unmapped controllers do nothing.
  void applyMidiController(int controller, int value);

  // A MIDI program change that is not ignored by the settings.
  virtual void midiProgramChange(int program) { (void)program; }

protected:
  int controlBlockSize = 0;
  int controlBlockLeft = 0;
  qm::IMidiQueue midiQueue{kMidiQueueCapacity, kMidiQueueCapacity};
  std::map<int, int> pressedKeys; // held note -> velocity

private:
  // Opening creates the file (or copies the default beside the bundle) and
  // reads it; declared before tuning_ so that happens before the tuning
  // client registers.
  struct OpenedConfig {
    OpenedConfig() { file.openDefault(); }
    ConfigFile file;
  };

  OpenedConfig config_;
  MidiLearn midiLearn_;
  Tuning tuning_;
};
