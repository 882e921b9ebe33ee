// One program of the bank: a name and the state chunk of its settings.
#pragma once

#include <cstring>

#include "framework/byte_chunk.h"

namespace qm {

struct IPreset {
  static constexpr int kMaxNameLen = 255;

  bool mInitialized = false;
  char mName[kMaxNameLen + 1] = "empty";
  IByteChunk mChunk;

  // A null name counts as empty; longer names are cut to 255 characters.
  void SetName(const char* name) {
    std::memset(mName, 0, sizeof(mName));
    if (name) std::strncpy(mName, name, kMaxNameLen);
  }
};

} // namespace qm
