// A plug-in with the instrument's configuration and 93 plain parameters
// that records every hook the framework calls, plus an editor stand-in.
#pragma once

#include <string>
#include <vector>

#include "framework/config.h"
#include "framework/editor_connection.h"
#include "framework/plugin_processor.h"

namespace test_support {

inline qm::Config instrumentConfig() {
  qm::Config config;
  config.nParams = 93;
  config.nPresets = 64;
  config.channelIOStr = " 0-2 0-2.2 0-2.2.2 0-2.2.2.2";
  config.pluginName = "Halvora";
  config.productName = "Halvora";
  config.mfrName = "Quillmere";
  config.vendorVersion = 65795;
  config.uniqueID = qm::FourCC("Hal3");
  config.mfrID = qm::FourCC("QuMe");
  config.latency = 0;
  config.plugDoesMidiIn = true;
  config.plugDoesMidiOut = true;
  config.plugDoesMPE = true;
  config.plugDoesChunks = true;
  config.plugType = qm::kPlugTypeInstrument;
  config.plugHasUI = true;
  config.plugWidth = 988;
  config.plugHeight = 696;
  config.plugMinWidth = 494;
  config.plugMaxWidth = 1976;
  config.plugMinHeight = 348;
  config.plugMaxHeight = 1392;
  config.plugHostResize = false;
  config.bundleID = "com.quillmere.vst3.Halvora";
  return config;
}

class RecordingPlugin : public qm::PluginProcessor {
public:
  std::vector<std::string> calls;
  std::vector<qm::IMidiMsg> midiIn;
  std::vector<qm::IMidiMsg> midiUI;

  explicit RecordingPlugin(const qm::Config& config = instrumentConfig())
      : qm::PluginProcessor(config) {
    for (int i = 0; i < NParams(); ++i) GetParam(i)->InitDouble("Param", 0.0, 0.0, 10.0, 0.01);
  }

  void OnParamChange(int idx, qm::EParamSource source, int offset) override {
    calls.push_back("change " + std::to_string(idx) + " " + std::to_string(source) + " " +
                    std::to_string(offset));
  }
  void OnParamChangeUI(int idx, qm::EParamSource source) override {
    calls.push_back("changeUI " + std::to_string(idx) + " " + std::to_string(source));
  }
  void OnHostIdentified() override { calls.push_back("hostIdentified"); }
  void OnIdle() override { calls.push_back("idle"); }
  void OnReset() override { calls.push_back("reset"); }
  void OnActivate(bool active) override { calls.push_back(active ? "activate" : "deactivate"); }
  void ProcessMidiMsg(const qm::IMidiMsg& msg) override { midiIn.push_back(msg); }
  void OnMidiMsgUI(const qm::IMidiMsg& msg) override { midiUI.push_back(msg); }
};

class RecordingEditor : public qm::IEditorConnection {
public:
  std::vector<std::pair<int, double>> values;
  std::vector<qm::IMidiMsg> midi;
  int sysex = 0;

  void SendParameterValueToControls(int idx, double normalized) override {
    values.emplace_back(idx, normalized);
  }
  void SendMidiMsgToControls(const qm::IMidiMsg& msg) override { midi.push_back(msg); }
  void SendSysexMsgToControls(const qm::ISysEx&) override { ++sysex; }
};

} // namespace test_support
