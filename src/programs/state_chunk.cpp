#include "programs/state_chunk.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace programs {

namespace {

constexpr int kValueBytes = static_cast<int>(sizeof(double));

} // namespace

bool serializeState(const qm::PluginBase& plug, qm::IByteChunk& chunk) {
  if (chunk.PutBytes(kStateMarker, kStateMarkerLen) < 0) return false;
  const int32_t index = plug.GetCurrentPresetIdx();
  if (chunk.Put(&index) < 0) return false;
  const qm::IPreset* preset = plug.GetPreset(index);
  if (chunk.PutStr(preset ? preset->mName : "") < 0) return false;
  for (int i = 0; i < plug.NParams(); ++i) {
    const double value = plug.GetParam(i)->Value();
    if (chunk.Put(&value) < 0) return false;
  }
  return true;
}

int unserializeState(qm::PluginAPIBase& plug, const qm::IByteChunk& chunk, int startPos) {
  if (startPos < 0 || startPos > chunk.Size()) return -1;
  const bool fromHost = plug.GetRestoringState();
  int pos = startPos;
  int32_t storedIdx = plug.GetCurrentPresetIdx();

  // A chunk that ends inside the marker counts as marked: with too few bytes
  // for index and name it then fails without touching any parameter.
  const int markerBytes = std::min(kStateMarkerLen, chunk.Size() - pos);
  const bool marked =
      markerBytes == 0 || std::memcmp(chunk.GetData() + pos, kStateMarker, markerBytes) == 0;
  bool haveName = false;
  char name[qm::IPreset::kMaxNameLen + 1] = {};
  if (marked) {
    pos = chunk.Get(&storedIdx, pos + markerBytes);
    if (pos < 0) storedIdx = plug.GetCurrentPresetIdx();
    int32_t nameLen = 0;
    if (pos >= 0) pos = chunk.Get(&nameLen, pos);
    // A negative length cannot say where the values start.
    if (pos >= 0 && nameLen < 0) return -1;
    if (pos >= 0) {
      if (nameLen > chunk.Size() - pos) {
        pos = -1;
      } else {
        // Names longer than a program holds keep their first characters; the
        // stored length still decides where the values begin.
        std::memcpy(name, chunk.GetData() + pos, std::min<int>(nameLen, qm::IPreset::kMaxNameLen));
        pos += nameLen;
        haveName = true;
      }
    }
    if (fromHost && haveName) {
      if (qm::IPreset* preset = plug.GetPreset(storedIdx)) setProgramName(*preset, name);
    }
  }

  for (int i = 0; i < plug.NParams() && pos >= 0; ++i) {
    double value = 0.0;
    if (chunk.Size() - pos >= kValueBytes) {
      pos = chunk.Get(&value, pos);
    } else {
      pos = -1;
    }
    plug.GetParam(i)->Set(value);
  }

  plug.OnParamReset(qm::kPresetRecall);

  // The project reopens on the program it was saved with. Only a complete
  // chunk may overwrite a stored program: a truncated one would leave it
  // holding half of the project's settings.
  if (fromHost && marked && pos >= 0 && storedIdx != plug.GetCurrentPresetIdx()) {
    if (qm::IPreset* preset = plug.GetPreset(storedIdx)) {
      preset->mChunk.Clear();
      plug.SetCurrentPresetIdx(storedIdx);
      preset->mInitialized = true;
      plug.SerializeState(preset->mChunk);
    }
  }
  return pos;
}

} // namespace programs
