// The third layer: the processing context. Sample rate, block size, the
// channel configurations parsed from the configuration text, the channel
// records with their scratch buffers, latency, tail, bypass, the host's time
// information, the outgoing MIDI queue and the processing hooks.
#pragma once

#include <vector>

#include "framework/bounded_string.h"
#include "framework/midi.h"
#include "framework/plugin_api_base.h"

namespace qm {

enum ERoute { kInput = 0, kOutput = 1 };

// One parsed configuration: the channel count of each bus, per direction.
// A wildcard bus ("*") accepts any channel count and is stored as kWildcard.
struct IOConfig {
  static constexpr int kWildcard = -64;

  std::vector<int> buses[2];

  int NBuses(ERoute dir) const { return static_cast<int>(buses[dir].size()); }
  // Channels of the fixed-size buses; a wildcard bus adds none.
  int NChannels(ERoute dir) const;
  int NBusesTotal() const { return NBuses(kInput) + NBuses(kOutput); }
};

// Parses e.g. " 0-2 0-2.2": configurations split at spaces, each at its first
// "-" into inputs and outputs, each side at "." into buses. Buses of 0 (or an
// unreadable count) channels are not created; a token without "-" is skipped.
std::vector<IOConfig> ParseChannelIO(const char* text);

struct IChannelData {
  bool mConnected = false;
  BoundedString mLabel;
  double* mData = nullptr;
  std::vector<double> mScratchBuf;
};

struct ITimeInfo {
  double mTempo = 120.0;
  double mSamplePos = -1.0;
  double mPPQPos = -1.0;
  double mLastBar = -1.0;
  double mCycleStart = -1.0;
  double mCycleEnd = -1.0;
  int mNumerator = 4;
  int mDenominator = 4;
  bool mTransportIsRunning = false;
  bool mTransportLoopEnabled = false;
};

class PluginProcessor : public PluginAPIBase {
public:
  static constexpr double kDefaultSampleRate = 48000.0;
  // The outgoing MIDI queue is sized in whole steps of this many messages.
  static constexpr int kMidiQueueStep = 512;

  explicit PluginProcessor(const Config& config);

  // --- Set-up, called by the binding outside processing ---
  // sampleSize 32 or 64 bits; anything else (or a rate that is not a positive
  // finite number, or a negative block size) is refused and changes nothing.
  bool SetupProcessing(int sampleSize, double sampleRate, int maxBlockSize);
  void SetActive(bool active) { OnActivate(active); }
  // Switching processing off resets; switching it on needs nothing.
  void SetProcessing(bool processing) {
    if (!processing) OnReset();
  }

  double GetSampleRate() const { return sampleRate_; }
  int GetBlockSize() const { return blockSize_; }
  int GetSampleSize() const { return sampleSize_; }
  int GetLatency() const { return latency_; }
  int GetTailSize() const { return tailSize_; }
  bool GetBypassed() const { return bypassed_; }
  bool GetRenderingOffline() const { return renderingOffline_; }
  int GetPlugType() const { return plugType_; }
  bool IsInstrument() const { return plugType_ == kPlugTypeInstrument; }
  bool DoesMIDIIn() const { return doesMidiIn_; }
  bool DoesMIDIOut() const { return doesMidiOut_; }
  bool DoesMPE() const { return doesMPE_; }
  const ITimeInfo& GetTimeInfo() const { return timeInfo_; }

  void SetBypassed(bool bypassed) { bypassed_ = bypassed; }
  void SetRenderingOffline(bool offline) { renderingOffline_ = offline; }
  void SetTimeInfo(const ITimeInfo& info) { timeInfo_ = info; }
  void SetTailSize(int samples) { tailSize_ = samples; }
  // Stores the latency and tells the host.
  void SetLatency(int samples);

  // --- Channels ---
  int NIOConfigs() const { return static_cast<int>(ioConfigs_.size()); }
  const IOConfig* GetIOConfig(int idx) const;
  // The most buses in a direction over all configurations; pConfigIdx gets
  // the configuration that has them, the later one on a tie (-1 if none).
  int MaxNBuses(ERoute dir, int* pConfigIdx = nullptr) const;
  int MaxNChannels(ERoute dir) const;
  // The configuration whose buses have exactly these channel counts (a
  // wildcard bus matches any count), or -1.
  int FindIOConfig(const std::vector<int>& inputs, const std::vector<int>& outputs) const;

  int NChannels(ERoute dir) const { return static_cast<int>(channels_[dir].size()); }
  IChannelData* GetChannel(ERoute dir, int idx);
  const IChannelData* GetChannel(ERoute dir, int idx) const;
  // Stores a label; the first "%d" or "%i" in it becomes the channel number,
  // counted from 1 unless zeroBased. False for a channel that does not exist.
  bool SetChannelLabel(ERoute dir, int idx, const char* format, bool zeroBased = false);
  // Marks every channel of a direction as connected or not.
  void SetChannelsConnected(ERoute dir, bool connected);

  // --- Outgoing MIDI (audio thread) ---
  // Queued by offset for the host's MIDI output; false if it was dropped.
  bool SendMidiMsg(const IMidiMsg& msg) { return midiOut_.Add(msg); }
  IMidiQueue& GetMidiOutQueue() { return midiOut_; }

  // Hands every message the editor queued to ProcessMidiMsg, and its SysEx to
  // ProcessSysEx; the binding calls this after the host's own events.
  void ProcessMidiMsgsFromEditor();

  // --- Hooks ---
  virtual void ProcessBlock(double** inputs, double** outputs, int nFrames) {
    (void)inputs, (void)outputs, (void)nFrames;
  }
  virtual void ProcessMidiMsg(const IMidiMsg& msg) { (void)msg; }
  virtual void ProcessSysEx(const ISysEx& msg) { (void)msg; }
  virtual void OnReset() {}
  virtual void OnActivate(bool active) { (void)active; }

private:
  int plugType_;
  bool doesMidiIn_;
  bool doesMidiOut_;
  bool doesMPE_;
  int latency_;
  int tailSize_ = 0;
  double sampleRate_ = kDefaultSampleRate;
  int blockSize_ = 0;
  int sampleSize_ = 0;
  bool bypassed_ = false;
  bool renderingOffline_ = false;
  ITimeInfo timeInfo_;

  std::vector<IOConfig> ioConfigs_;
  std::vector<IChannelData> channels_[2];
  IMidiQueue midiOut_;
};

} // namespace qm
