// The seam between the plug-in base and an open editor. The editor attaches
// an implementation while its window is open; the base pushes parameter
// values and MIDI through it and knows the editor is closed when none is
// attached. Every call comes from the main thread.
#pragma once

#include "framework/midi.h"

namespace qm {

class IEditorConnection {
public:
  virtual ~IEditorConnection() = default;

  // Every control bound to the parameter takes the value.
  virtual void SendParameterValueToControls(int paramIdx, double normalized) = 0;
  virtual void SendMidiMsgToControls(const IMidiMsg& msg) = 0;
  virtual void SendSysexMsgToControls(const ISysEx& msg) = 0;
};

} // namespace qm
