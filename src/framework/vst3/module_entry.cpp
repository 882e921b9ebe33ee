// The three symbols a Linux VST 3 host looks up in Halvora.so; everything
// else in the module stays hidden.
#include "framework/vst3/vst3_factory.h"
#include "pluginterfaces/base/fplatform.h"

extern "C" {

SMTG_EXPORT_SYMBOL bool ModuleEntry(void*) {
  return qm::vst3::EnterModule();
}

SMTG_EXPORT_SYMBOL bool ModuleExit() {
  return qm::vst3::ExitModule();
}

SMTG_EXPORT_SYMBOL Steinberg::IPluginFactory* PLUGIN_API GetPluginFactory() {
  return qm::vst3::GetFactory();
}

} // extern "C"
