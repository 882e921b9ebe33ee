// The fixed description of a plug-in, handed once to the base constructors,
// and the origin tag that travels with every parameter change.
#pragma once

#include <cstdint>

namespace qm {

// A four-character code such as 'Hal3', without relying on multi-character
// literals.
constexpr int32_t FourCC(const char (&code)[5]) {
  return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint8_t>(code[0])) << 24) |
                              (static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 16) |
                              (static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 8) |
                              static_cast<uint32_t>(static_cast<uint8_t>(code[3])));
}

enum EPlugType { kPlugTypeEffect = 0, kPlugTypeInstrument = 1, kPlugTypeMIDIEffect = 2 };

struct Config {
  int nParams = 0;
  int nPresets = 0;
  // Space-separated configurations "in-out", buses split by "." and "*" for
  // any channel count, e.g. " 0-2 0-2.2".
  const char* channelIOStr = "";
  const char* pluginName = "";
  const char* productName = "";
  const char* mfrName = "";
  // Major in bits 16-31, minor in bits 8-15, patch in bits 0-7.
  int vendorVersion = 0;
  int32_t uniqueID = 0;
  int32_t mfrID = 0;
  int latency = 0;
  bool plugDoesMidiIn = false;
  bool plugDoesMidiOut = false;
  bool plugDoesMPE = false;
  bool plugDoesChunks = false;
  int plugType = kPlugTypeEffect;
  bool plugHasUI = false;
  int plugWidth = 0;
  int plugHeight = 0;
  int plugMinWidth = 0;
  int plugMaxWidth = 0;
  int plugMinHeight = 0;
  int plugMaxHeight = 0;
  bool plugHostResize = false;
  const char* bundleID = "";
};

// Where a parameter change comes from.
enum EParamSource {
  kReset = 0,
  kHost = 1,
  kPresetRecall = 2,
  kUI = 3,
  kDelegate = 4,
};

} // namespace qm
