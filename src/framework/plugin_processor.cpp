#include "framework/plugin_processor.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace qm {

namespace {
std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return parts;
}

// A bus token: "*" for any count, else a leading decimal number; 0 (no bus)
// when it holds none or a negative one.
int busChannels(const std::string& token) {
  if (token == "*") return IOConfig::kWildcard;
  char* end = nullptr;
  const long n = std::strtol(token.c_str(), &end, 10);
  if (end == token.c_str() || n <= 0) return 0;
  return static_cast<int>(std::min<long>(n, 1024));
}

std::vector<int> parseSide(const std::string& side) {
  std::vector<int> buses;
  for (const auto& token : split(side, '.')) {
    const int n = busChannels(token);
    if (n != 0) buses.push_back(n);
  }
  return buses;
}
} // namespace

int IOConfig::NChannels(ERoute dir) const {
  int n = 0;
  for (int bus : buses[dir]) n += std::max(bus, 0);
  return n;
}

std::vector<IOConfig> ParseChannelIO(const char* text) {
  std::vector<IOConfig> configs;
  if (!text) return configs;
  for (const auto& token : split(text, ' ')) {
    const std::size_t dash = token.find('-');
    if (token.empty() || dash == std::string::npos) continue;
    IOConfig config;
    config.buses[kInput] = parseSide(token.substr(0, dash));
    config.buses[kOutput] = parseSide(token.substr(dash + 1));
    configs.push_back(std::move(config));
  }
  return configs;
}

PluginProcessor::PluginProcessor(const Config& config)
    : PluginAPIBase(config), plugType_(config.plugType), doesMidiIn_(config.plugDoesMidiIn),
      doesMidiOut_(config.plugDoesMidiOut), doesMPE_(config.plugDoesMPE), latency_(config.latency),
      ioConfigs_(ParseChannelIO(config.channelIOStr)) {
  for (ERoute dir : {kInput, kOutput}) {
    channels_[dir].resize(static_cast<std::size_t>(MaxNChannels(dir)));
    for (int i = 0; i < NChannels(dir); ++i) {
      SetChannelLabel(dir, i, dir == kInput ? "Input %i" : "Output %i");
    }
  }
}

bool PluginProcessor::SetupProcessing(int sampleSize, double sampleRate, int maxBlockSize) {
  if (sampleSize != 32 && sampleSize != 64) return false;
  if (!std::isfinite(sampleRate) || sampleRate <= 0.0 || maxBlockSize < 0) return false;

  sampleSize_ = sampleSize;
  sampleRate_ = sampleRate;
  if (maxBlockSize != blockSize_) {
    blockSize_ = maxBlockSize;
    for (auto& records : channels_) {
      for (auto& channel : records)
        channel.mScratchBuf.assign(static_cast<std::size_t>(blockSize_), 0.0);
    }
  }
  midiOut_.Resize(blockSize_);
  OnReset();
  return true;
}

void PluginProcessor::SetLatency(int samples) {
  latency_ = samples;
  if (IHostLink* link = GetHostLink()) link->LatencyChanged(samples);
}

const IOConfig* PluginProcessor::GetIOConfig(int idx) const {
  return idx >= 0 && idx < NIOConfigs() ? &ioConfigs_[idx] : nullptr;
}

int PluginProcessor::MaxNBuses(ERoute dir, int* pConfigIdx) const {
  int most = 0;
  int mostIdx = -1;
  for (int i = 0; i < NIOConfigs(); ++i) {
    const int n = ioConfigs_[i].NBuses(dir);
    if (n >= most) {
      most = n;
      mostIdx = i;
    }
  }
  if (pConfigIdx) *pConfigIdx = mostIdx;
  return most;
}

int PluginProcessor::MaxNChannels(ERoute dir) const {
  int most = 0;
  for (const auto& config : ioConfigs_) most = std::max(most, config.NChannels(dir));
  return most;
}

int PluginProcessor::FindIOConfig(const std::vector<int>& inputs,
                                  const std::vector<int>& outputs) const {
  auto matches = [](const std::vector<int>& buses, const std::vector<int>& counts) {
    if (buses.size() != counts.size()) return false;
    for (std::size_t i = 0; i < buses.size(); ++i) {
      if (buses[i] != IOConfig::kWildcard && buses[i] != counts[i]) return false;
    }
    return true;
  };
  for (int i = 0; i < NIOConfigs(); ++i) {
    if (matches(ioConfigs_[i].buses[kInput], inputs) &&
        matches(ioConfigs_[i].buses[kOutput], outputs)) {
      return i;
    }
  }
  return -1;
}

IChannelData* PluginProcessor::GetChannel(ERoute dir, int idx) {
  return idx >= 0 && idx < NChannels(dir) ? &channels_[dir][idx] : nullptr;
}

const IChannelData* PluginProcessor::GetChannel(ERoute dir, int idx) const {
  return idx >= 0 && idx < NChannels(dir) ? &channels_[dir][idx] : nullptr;
}

bool PluginProcessor::SetChannelLabel(ERoute dir, int idx, const char* format, bool zeroBased) {
  IChannelData* channel = GetChannel(dir, idx);
  if (!channel) return false;
  // The number is put in by hand rather than by printf, so a label can never
  // be read as a format asking for arguments that are not there.
  const std::string text = format ? format : "";
  const std::string number = std::to_string(zeroBased ? idx : idx + 1);
  std::string label;
  bool numbered = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size()) {
      const char next = text[i + 1];
      if (next == '%') {
        label += '%';
        ++i;
        continue;
      }
      if (!numbered && (next == 'd' || next == 'i')) {
        label += number;
        numbered = true;
        ++i;
        continue;
      }
    }
    label += text[i];
  }
  channel->mLabel.Set(label.c_str());
  return true;
}

void PluginProcessor::SetChannelsConnected(ERoute dir, bool connected) {
  for (auto& channel : channels_[dir]) channel.mConnected = connected;
}

void PluginProcessor::ProcessMidiMsgsFromEditor() {
  IMidiMsg msg;
  while (PopMidiMsgFromEditor(msg)) ProcessMidiMsg(msg);
  SysExData data;
  while (PopSysexMsgFromEditor(data)) ProcessSysEx({data.mOffset, data.mData, data.mSize});
}

} // namespace qm
