#include "programs/program_store.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "programs/state_chunk.h"

namespace programs {

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

} // namespace

ProgramStore::ProgramStore(qm::PluginAPIBase& plug) : plug_(plug) {
  for (int i = 0; i < plug_.NPresets(); ++i) {
    qm::IByteChunk& chunk = plug_.GetPreset(i)->mChunk;
    // Clear keeps the capacity.
    chunk.Resize(kReservedChunkBytes);
    chunk.Clear();
  }
}

// --- State chunk ------------------------------------------------------------

bool ProgramStore::serializeState(qm::IByteChunk& chunk) const {
  Lock lock(mutex_);
  return programs::serializeState(plug_, chunk);
}

int ProgramStore::unserializeState(const qm::IByteChunk& chunk, int startPos) {
  Lock lock(mutex_);
  return programs::unserializeState(plug_, chunk, startPos);
}

int ProgramStore::unserializeQuillmereState(const qm::IByteChunk& chunk, int startPos) {
  Lock lock(mutex_);
  plug_.SetRestoringState(true);
  const int pos = plug_.UnserializeState(chunk, startPos);
  plug_.SetRestoringState(false);
  return pos;
}

// --- Programs ---------------------------------------------------------------

bool ProgramStore::RestorePreset(int idx) {
  Lock lock(mutex_);
  return restore(idx, true);
}

bool ProgramStore::restore(int idx, bool notifyEditor) {
  qm::IPreset* preset = plug_.GetPreset(idx);
  if (!preset) return false;
  if (!preset->mInitialized) {
    int users = 0;
    for (int i = 0; i < plug_.NPresets(); ++i)
      if (std::strstr(plug_.GetPreset(i)->mName, kUserPresetName)) ++users;
    char name[qm::IPreset::kMaxNameLen + 1];
    std::snprintf(name, sizeof(name), "%s %d", kUserPresetName, users + 1);
    // Named first: when the program is the current one, its chunk carries
    // the new name.
    char oldName[sizeof(preset->mName)];
    std::memcpy(oldName, preset->mName, sizeof(oldName));
    preset->mInitialized = true;
    setProgramName(*preset, name);
    preset->mChunk.Clear();
    if (!plug_.SerializeState(preset->mChunk)) {
      preset->mChunk.Clear();
      preset->mInitialized = false;
      setProgramName(*preset, oldName);
      return false;
    }
  } else if (plug_.UnserializeState(preset->mChunk, 0) < 1) {
    return false;
  }
  plug_.SetCurrentPresetIdx(idx);
  if (notifyEditor) {
    plug_.OnPresetsModified();
    plug_.OnRestoreState();
  }
  return true;
}

std::string ProgramStore::GetPresetName(int idx) const {
  Lock lock(mutex_);
  const qm::IPreset* preset = plug_.GetPreset(idx);
  return preset ? preset->mName : "";
}

void ProgramStore::ModifyCurrentPreset(const char* name) {
  Lock lock(mutex_);
  storeCurrent(name);
}

void ProgramStore::storeCurrent(const char* name) {
  qm::IPreset* preset = plug_.GetPreset(plug_.GetCurrentPresetIdx());
  if (!preset) return;
  // The name may be the program's own (paste onto the copied-from program),
  // so it is copied before the program changes.
  const std::string newName = name ? name : "";
  preset->mChunk.Clear();
  plug_.SerializeState(preset->mChunk);
  if (!newName.empty()) setProgramName(*preset, newName.c_str());
}

bool ProgramStore::SerializePresets(qm::IByteChunk& chunk) const {
  Lock lock(mutex_);
  for (int i = 0; i < plug_.NPresets(); ++i) {
    const qm::IPreset* preset = plug_.GetPreset(i);
    // Settings follow without a length, so a used program whose settings
    // could not be read must not claim any: the next record would be read
    // as them.
    const uint8_t initialized = preset->mInitialized && preset->mChunk.Size() > 0 ? 1 : 0;
    if (chunk.PutStr(preset->mName) < 0 || chunk.Put(&initialized) < 0) return false;
    if (initialized && chunk.PutChunk(preset->mChunk) < 0) return false;
  }
  return true;
}

int ProgramStore::UnserializePresets(const qm::IByteChunk& chunk, int startPos) {
  Lock lock(mutex_);
  int pos = startPos;
  for (int i = 0; i < plug_.NPresets() && pos >= 0; ++i) {
    qm::IPreset* preset = plug_.GetPreset(i);
    int32_t nameLen = 0;
    pos = chunk.Get(&nameLen, pos);
    if (pos < 0) break;
    char name[qm::IPreset::kMaxNameLen + 1] = {};
    if (nameLen > 0) {
      if (nameLen > chunk.Size() - pos) {
        // A record cut inside its name leaves the program as it was.
        pos = -1;
        break;
      }
      std::memcpy(name, chunk.GetData() + pos,
                  static_cast<size_t>(std::min<int32_t>(nameLen, qm::IPreset::kMaxNameLen)));
      pos += nameLen;
    }
    setProgramName(*preset, name);

    uint8_t initialized = 0;
    pos = chunk.Get(&initialized, pos);
    if (pos < 0) break;
    preset->mInitialized = initialized != 0;
    if (preset->mInitialized) {
      pos = plug_.UnserializeState(chunk, pos);
      // Rewritten from the live parameters, so every program ends up in the
      // current layout whatever layout the bank held.
      if (pos > 0) {
        preset->mChunk.Clear();
        plug_.SerializeState(preset->mChunk);
      }
    }
  }
  restore(plug_.GetCurrentPresetIdx(), true);
  return pos;
}

void ProgramStore::initPreset() {
  Lock lock(mutex_);
  for (int i = 0; i < plug_.NParams(); ++i) {
    const qm::IParam* param = plug_.GetParam(i);
    plug_.SetParameterValue(i, param->ToNormalized(param->Constrain(param->GetDefault())));
  }
  storeCurrent(kInitName);
  pushValuesToEditor();
}

void ProgramStore::copyPreset() {
  Lock lock(mutex_);
  copiedFrom_ = plug_.GetCurrentPresetIdx();
  copyBuffer_.Clear();
  plug_.SerializeState(copyBuffer_);
}

void ProgramStore::pastePreset() {
  Lock lock(mutex_);
  if (copyBuffer_.Size() == 0) return;
  plug_.UnserializeState(copyBuffer_, 0);
  const std::string name = GetPresetName(copiedFrom_);
  storeCurrent(name.c_str());
  pushValuesToEditor();
}

bool ProgramStore::changePreset(int idx) {
  Lock lock(mutex_);
  if (!plug_.GetPreset(idx)) return false;
  storeCurrent(nullptr);
  const double normalized = idx / kProgramParamDivisor;
  if (qm::IHostLink* host = plug_.GetHostLink()) {
    host->SetHostParamValue(kHostProgramParamID, normalized);
    host->InformHostOfParamChange(kHostProgramParamID, normalized);
  }
  restore(idx, true);
  pushValuesToEditor();
  return true;
}

void ProgramStore::pushValuesToEditor() {
  for (int i = 0; i < plug_.NParams(); ++i)
    plug_.SendParameterValueFromDelegate(i, plug_.GetParam(i)->GetNormalized(), true);
}

// --- MIDI program change ----------------------------------------------------

void ProgramStore::requestProgramChange(int idx) {
  if (!plug_.GetPreset(idx)) return;
  pendingProgram_.store(idx, std::memory_order_release);
  tryApplyPendingProgramChange();
}

bool ProgramStore::tryApplyPendingProgramChange() {
  if (pendingProgram_.load(std::memory_order_acquire) == kNoProgramChange) return false;
  std::unique_lock<std::recursive_mutex> lock(mutex_, std::try_to_lock);
  if (!lock.owns_lock()) return false;
  const int idx = pendingProgram_.exchange(kNoProgramChange, std::memory_order_acq_rel);
  if (idx == kNoProgramChange || !restore(idx, false)) return false;
  editorRefreshPending_.store(true, std::memory_order_release);
  return true;
}

void ProgramStore::refreshEditorAfterRecall() {
  if (!editorRefreshPending_.exchange(false, std::memory_order_acq_rel)) return;
  Lock lock(mutex_);
  plug_.OnPresetsModified();
  plug_.OnRestoreState();
}

} // namespace programs
