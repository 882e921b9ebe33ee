// What the plug-in base needs from its host. The VST 3 binding implements
// it over the host's component handler and frame; tests fake it. Every call
// comes from the main thread.
//
// The host keeps its own copy of each parameter (the binding's host-side
// parameter objects); SetHostParamValue writes that copy without telling the
// host, InformHostOfParamChange tells it.
#pragma once

namespace qm {

class IHostLink {
public:
  virtual ~IHostLink() = default;

  virtual void SetHostParamValue(int paramIdx, double normalized) = 0;
  virtual void BeginInformHostOfParamChange(int paramIdx) = 0;
  virtual void InformHostOfParamChange(int paramIdx, double normalized) = 0;
  virtual void EndInformHostOfParamChange(int paramIdx) = 0;
  virtual void BeginGroupEdit() = 0;
  virtual void EndGroupEdit() = 0;
  // Asks the host to resize the editor view; false if it refuses.
  virtual bool ResizeEditor(int width, int height) = 0;
  virtual void LatencyChanged(int samples) = 0;
};

} // namespace qm
