// The host's identity as the plug-in sees it: its name, the messages it can
// create, and which plug-in interfaces it knows how to drive.
#pragma once

#include <string>

#include "host/host_object.h"
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/ivstpluginterfacesupport.h"

namespace vst3host {

inline constexpr const char* kDefaultHostName = "Halvora Test Host";

class HostApplication : public HostObject<HostApplication, Steinberg::Vst::IHostApplication,
                                          Steinberg::Vst::IPlugInterfaceSupport> {
public:
  explicit HostApplication(std::string name = kDefaultHostName) : name_(std::move(name)) {}

  const std::string& name() const { return name_; }
  // Takes effect for plug-ins that ask after this call.
  void setName(std::string name) { name_ = std::move(name); }

  Steinberg::tresult PLUGIN_API getName(Steinberg::Vst::String128 name) override;
  Steinberg::tresult PLUGIN_API createInstance(Steinberg::TUID cid, Steinberg::TUID iid,
                                               void** obj) override;
  Steinberg::tresult PLUGIN_API isPlugInterfaceSupported(const Steinberg::TUID iid) override;

private:
  std::string name_;
};

} // namespace vst3host
