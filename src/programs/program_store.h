// The bank of 64 programs and the operations on it: recall, store, init,
// copy and paste, program change with host notification, the whole bank as
// one byte sequence, and the program (FXP) and bank (FXB) files.
//
// Every program keeps its settings as a state chunk (state_chunk.h). One is
// current; the parameters hold its values as edited since it was recalled.
//
// Threads: everything runs on the main thread except a MIDI program change,
// which arrives on the audio thread. The program list is guarded by one
// lock. The main thread takes it (briefly blocking an audio-side recall in
// progress); the audio thread only ever tries it, and when the main thread
// holds it the recall waits for the next block instead of the audio thread
// waiting. The lock is recursive because the operations nest (a bank load
// recalls, a recall reads a chunk, reading a host chunk stores one).
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <string_view>

#include "framework/byte_chunk.h"
#include "framework/plugin_api_base.h"

namespace programs {

class ProgramStore {
public:
  // The host-side program parameter the binding exposes beside the others.
  static constexpr int kHostProgramParamID = 65537;
  // Fixed, and equal to programs - 1 for this bank.
  static constexpr double kProgramParamDivisor = 63.0;
  static constexpr const char* kInitName = "Init";
  static constexpr const char* kUserPresetName = "user preset";
  // Beside the bundle, relative to the folder that holds it.
  static constexpr const char* kInitialBankPath = "Halvora.vst3/Contents/Resources/init.fxb";
  // Room for the largest chunk (255-character name), so that recalling an
  // unused program from the audio thread fills it without allocating.
  static constexpr int kReservedChunkBytes = 1024;

  // The plug-in must outlive the store; its programs exist already.
  explicit ProgramStore(qm::PluginAPIBase& plug);
  ProgramStore(const ProgramStore&) = delete;
  ProgramStore& operator=(const ProgramStore&) = delete;

  // --- State chunk, under the lock (the instrument's overrides) ---
  bool serializeState(qm::IByteChunk& chunk) const;
  int unserializeState(const qm::IByteChunk& chunk, int startPos);
  // The host's saved state: the stored name and program come back too.
  int unserializeQuillmereState(const qm::IByteChunk& chunk, int startPos);

  // --- Programs (main thread) ---
  // Makes a program current. An unused one is named "user preset N" and takes
  // the current settings; a used one applies its settings. False for an
  // index outside the bank or a chunk that does not apply completely.
  bool RestorePreset(int idx);
  // Empty for an index outside the bank.
  std::string GetPresetName(int idx) const;
  // Stores the current settings into the current program; a non-empty name
  // renames it.
  void ModifyCurrentPreset(const char* name = nullptr);
  bool SerializePresets(qm::IByteChunk& chunk) const;
  // Returns the position after the last program read, or -1.
  int UnserializePresets(const qm::IByteChunk& chunk, int startPos);

  void initPreset();
  void copyPreset();
  // Nothing while the copy buffer is empty.
  void pastePreset();
  // The editor's program change: stores the program being left, moves the
  // host's program parameter, recalls. False (and nothing changes) for an
  // index outside the bank.
  bool changePreset(int idx);

  // --- Files (main thread); false when the file was not usable ---
  bool SavePresetAsFXP(const std::string& path) const;
  bool SaveBankAsFXB(const std::string& path) const;
  bool LoadPresetFromFXP(const std::string& path);
  bool LoadBankFromFXB(const std::string& path);
  // The same loaders on a file's bytes.
  bool loadPresetFromBytes(std::string_view file);
  bool loadBankFromBytes(std::string_view file);
  // The files' bytes as the savers write them; false when the settings
  // cannot be serialised.
  bool programFileBytes(std::string& out) const;
  bool bankFileBytes(std::string& out) const;

  // Start-up: the startup bank, else (clearing the path in memory) the
  // initial bank beside the bundle, else 64 unused programs.
  bool initAllPrograms(std::string& startupBankPath, const std::string& pluginFolder);

  // --- MIDI program change (audio thread) ---
  // Never blocks and never allocates. Recalls at once when the main thread
  // is not using the bank, otherwise at the next tryApplyPendingProgramChange.
  void requestProgramChange(int idx);
  // Call at the start of every block; true when a pending recall happened.
  bool tryApplyPendingProgramChange();
  // Main thread (idle tick): shows a recall made on the audio thread in the
  // editor. The editor is never touched from the audio thread.
  void refreshEditorAfterRecall();

  // For a main-thread caller that runs several operations as one.
  std::recursive_mutex& mutex() const { return mutex_; }
  int copiedFromIdx() const { return copiedFrom_; }
  const qm::IByteChunk& copyBuffer() const { return copyBuffer_; }

private:
  static constexpr int kNoProgramChange = -1;

  bool restore(int idx, bool notifyEditor);
  void storeCurrent(const char* name);
  void pushValuesToEditor();
  void applyParameterList(std::string_view values);
  void storeLoadedProgram(const char* name);

  qm::PluginAPIBase& plug_;
  mutable std::recursive_mutex mutex_;
  qm::IByteChunk copyBuffer_;
  int copiedFrom_ = -1;
  std::atomic<int> pendingProgram_{kNoProgramChange};
  std::atomic<bool> editorRefreshPending_{false};
};

} // namespace programs
