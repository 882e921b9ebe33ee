// The host end of a controller's edits: records every gesture, edit and
// restart request so tests and tools can see what the plug-in told its host.
// Calls may come from any thread; they are recorded under a lock.
#pragma once

#include <mutex>
#include <vector>

#include "host/host_object.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

namespace vst3host {

struct HandlerCall {
  enum class Kind {
    beginEdit,
    performEdit,
    endEdit,
    restartComponent,
    setDirty,
    requestOpenEditor,
    startGroupEdit,
    finishGroupEdit,
  };
  Kind kind;
  Steinberg::Vst::ParamID id = 0;
  Steinberg::Vst::ParamValue value = 0.0; // performEdit
  Steinberg::int32 flags = 0;             // restartComponent; setDirty (0 or 1)
  bool inGroupEdit = false;               // made between startGroupEdit and finishGroupEdit
};

class ComponentHandler : public HostObject<ComponentHandler, Steinberg::Vst::IComponentHandler,
                                           Steinberg::Vst::IComponentHandler2> {
public:
  std::vector<HandlerCall> calls() const;
  void clear();
  // The flags of every restartComponent since the last clear, or-ed together.
  Steinberg::int32 restartFlags() const;

  Steinberg::tresult PLUGIN_API beginEdit(Steinberg::Vst::ParamID id) override;
  Steinberg::tresult PLUGIN_API performEdit(Steinberg::Vst::ParamID id,
                                            Steinberg::Vst::ParamValue valueNormalized) override;
  Steinberg::tresult PLUGIN_API endEdit(Steinberg::Vst::ParamID id) override;
  Steinberg::tresult PLUGIN_API restartComponent(Steinberg::int32 flags) override;

  Steinberg::tresult PLUGIN_API setDirty(Steinberg::TBool state) override;
  Steinberg::tresult PLUGIN_API requestOpenEditor(Steinberg::FIDString name) override;
  Steinberg::tresult PLUGIN_API startGroupEdit() override;
  Steinberg::tresult PLUGIN_API finishGroupEdit() override;

private:
  Steinberg::tresult record(HandlerCall call);

  mutable std::mutex mutex_;
  std::vector<HandlerCall> calls_;
  int groupDepth_ = 0;
};

} // namespace vst3host
