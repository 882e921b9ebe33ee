// The second layer: host identification, the parameter traffic between
// editor, processor and host, the idle tick and the lock-free message rings
// between the main thread and the audio thread.
//
// The host is reached through an IHostLink the binding attaches, an open
// editor through an IEditorConnection; with neither attached the calls that
// would reach them do nothing else.
#pragma once

#include <cstdint>

#include "framework/editor_connection.h"
#include "framework/host_identity.h"
#include "framework/host_link.h"
#include "framework/midi.h"
#include "framework/plugin_base.h"
#include "framework/spsc_ring.h"

namespace qm {

// A SysEx message copied into a ring slot; longer messages are not queued.
struct SysExData {
  static constexpr int kMaxBytes = 256;
  int mOffset = 0;
  int mSize = 0;
  uint8_t mData[kMaxBytes] = {};
};

struct ParamChange {
  int idx = 0;
  double value = 0.0;
};

class PluginAPIBase : public PluginBase {
public:
  static constexpr int kMidiRingCapacity = 32;
  static constexpr int kSysExRingCapacity = 4;
  static constexpr int kParamChangeRingCapacity = 512;

  explicit PluginAPIBase(const Config& config);

  void SetHostLink(IHostLink* link) { hostLink_ = link; }
  IHostLink* GetHostLink() const { return hostLink_; }
  // Attached while the editor window is open, null otherwise.
  void SetEditorConnection(IEditorConnection* editor) { editor_ = editor; }
  bool EditorIsOpen() const { return editor_ != nullptr; }

  // Identifies the host from its name (version encoded like ours), then runs
  // HostSpecificInit and OnHostIdentified.
  void SetHost(const char* name, int version);

  // --- Parameter traffic (main thread) ---
  // Set from a normalised value, tell the host (no gesture), then
  // OnParamChange(idx, kUI, -1).
  void SetParameterValue(int paramIdx, double normalized);
  // An editor control moved: host-side copy, SetParameterValue, then the
  // parameter set once more and OnParamChangeUI(idx, kUI).
  void SendParameterValueFromUI(int paramIdx, double normalized);
  void BeginInformHostOfParamChangeFromUI(int paramIdx);
  void EndInformHostOfParamChangeFromUI(int paramIdx);
  // Pushes a value to the editor's controls (if open), then
  // OnParamChangeUI(idx, kDelegate).
  void SendParameterValueFromDelegate(int paramIdx, double value, bool normalized);
  // OnParamChange(i, source, -1) then OnParamChangeUI(i, source), in index order.
  void OnParamReset(EParamSource source);
  // Every parameter's value pushed to the editor, in index order.
  virtual void OnRestoreState();
  void OnUIOpen();
  // Writes every value into the host-side copies and tells the host, inside
  // one group edit.
  void DirtyParametersFromUI();

  // Asks the host to resize the editor when the size differs from the stored
  // one; the size is stored either way.
  bool EditorResize(int width, int height);
  bool EditorResizeFromUI(int width, int height, bool needsPlatformResize);

  // --- MIDI between editor and processor ---
  // Main thread: queue a message for the audio thread; false when the ring is full.
  bool SendMidiMsgFromUI(const IMidiMsg& msg) { return midiFromEditor_.Push(msg); }
  bool SendSysexMsgFromUI(const ISysEx& msg);
  // Audio thread: queue a message for the editor; false when the ring is full.
  bool PushMidiMsgFromProcessor(const IMidiMsg& msg) { return midiFromProcessor_.Push(msg); }
  bool PushSysexMsgFromProcessor(const ISysEx& msg);
  bool PushParamChangeFromProcessor(int paramIdx, double value) {
    return paramChangesFromProcessor_.Push({paramIdx, value});
  }
  // Main thread: hand a message to the editor (if open), then the UI hook.
  void SendMidiMsgFromDelegate(const IMidiMsg& msg);
  void SendSysexMsgFromDelegate(const ISysEx& msg);

  // One tick of the 20 ms main-thread timer the binding runs: the
  // processor's queued MIDI and SysEx go to the editor, then OnIdle.
  void OnIdleTick();

  // --- Hooks ---
  virtual void OnIdle() {}
  virtual void OnHostIdentified() {}
  virtual void HostSpecificInit() {}
  virtual void OnMidiMsgUI(const IMidiMsg& msg) { (void)msg; }
  virtual void OnSysexMsgUI(const ISysEx& msg) { (void)msg; }
  virtual void OnParentWindowResize(int width, int height) { (void)width, (void)height; }
  virtual void OnUIClose() {}

protected:
  // Audio thread: the editor's queued messages.
  bool PopMidiMsgFromEditor(IMidiMsg& msg) { return midiFromEditor_.Pop(msg); }
  bool PopSysexMsgFromEditor(SysExData& msg) { return sysexFromEditor_.Pop(msg); }

private:
  static bool toSysExData(const ISysEx& msg, SysExData& data);

  IHostLink* hostLink_ = nullptr;
  IEditorConnection* editor_ = nullptr;

  SpscRing<IMidiMsg, kMidiRingCapacity + 1> midiFromEditor_;
  SpscRing<IMidiMsg, kMidiRingCapacity + 1> midiFromProcessor_;
  SpscRing<SysExData, kSysExRingCapacity + 1> sysexFromEditor_;
  SpscRing<SysExData, kSysExRingCapacity + 1> sysexFromProcessor_;
  SpscRing<ParamChange, kParamChangeRingCapacity + 1> paramChangesFromProcessor_;
};

} // namespace qm
