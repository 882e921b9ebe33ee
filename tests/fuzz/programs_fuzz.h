// Shared set-up of the program fuzz targets: one instrument per process,
// built with its settings in a scratch folder, and the checks every input
// must leave true - whatever the bytes, no parameter is out of range or
// non-finite and the bank stays well formed.
#pragma once

#include <stdlib.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/halvora.h"

namespace fuzz_support {

inline Halvora& instrument() {
  static Halvora* plug = [] {
    char folder[] = "/tmp/halvora-fuzz-XXXXXX";
    if (!mkdtemp(folder)) std::abort();
    setenv("XDG_CONFIG_HOME", folder, 1);
    return new Halvora();
  }();
  return *plug;
}

inline void checkInvariants(const Halvora& plug) {
  for (int i = 0; i < plug.NParams(); ++i) {
    const qm::IParam* p = plug.GetParam(i);
    const double v = p->Value();
    if (!std::isfinite(v) || v < p->GetMin() || v > p->GetMax()) std::abort();
  }
  if (!plug.GetPreset(plug.GetCurrentPresetIdx())) std::abort();
  for (int i = 0; i < plug.NPresets(); ++i)
    if (strnlen(plug.GetPreset(i)->mName, sizeof(plug.GetPreset(i)->mName)) ==
        sizeof(plug.GetPreset(i)->mName))
      std::abort();
}

inline qm::IByteChunk chunkOf(const uint8_t* data, size_t size) {
  qm::IByteChunk chunk;
  chunk.PutBytes(data, static_cast<int>(size));
  return chunk;
}

} // namespace fuzz_support
