// The state chunk: the one byte layout in which a set of sound settings
// travels - host projects, every stored program, the copy buffer and the
// opaque data of program and bank files.
//
//   "Halvora_1.1.3" | int32 program | int32 n | n name bytes | 93 doubles
//
// Chunks written before the marker existed hold only the doubles; the reader
// takes both. Values are the parameters' real values, little-endian.
//
// These functions hold the logic only; the instrument's SerializeState and
// UnserializeState overrides call them under the program store's lock.
#pragma once

#include <cstring>

#include "framework/byte_chunk.h"
#include "framework/plugin_api_base.h"

namespace programs {

// Gives a program a name, cut to the 255 characters it holds; a null name
// counts as empty. The name may be the program's own.
inline void setProgramName(qm::IPreset& preset, const char* name) {
  char copy[qm::IPreset::kMaxNameLen + 1] = {};
  if (name) std::memcpy(copy, name, strnlen(name, qm::IPreset::kMaxNameLen));
  std::memcpy(preset.mName, copy, sizeof(copy));
}

inline constexpr char kStateMarker[] = "Halvora_1.1.3";
inline constexpr int kStateMarkerLen = static_cast<int>(sizeof(kStateMarker)) - 1;

// Appends the current layout: marker, current program index, that program's
// name and every parameter's value. False when the chunk cannot grow.
bool serializeState(const qm::PluginBase& plug, qm::IByteChunk& chunk);

// Reads either layout at startPos, stores every value it holds (constrained,
// so nothing non-finite gets through) and reapplies all parameters. Returns
// the position after the values, or -1 when the chunk ends early or is
// malformed. While the plug-in restores a host's state, the stored name and
// program index also come back (see the .cpp).
int unserializeState(qm::PluginAPIBase& plug, const qm::IByteChunk& chunk, int startPos);

} // namespace programs
