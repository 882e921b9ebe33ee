#include "host/host_application.h"

#include "host/message.h"
#include "host/utf16.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "pluginterfaces/vst/ivstunits.h"

namespace vst3host {

using namespace Steinberg;
using namespace Steinberg::Vst;

tresult PLUGIN_API HostApplication::getName(String128 name) {
  if (name == nullptr) return kInvalidArgument;
  copyUtf16(name_, name, 128);
  return kResultOk;
}

tresult PLUGIN_API HostApplication::createInstance(TUID cid, TUID iid, void** obj) {
  if (obj == nullptr) return kInvalidArgument;
  *obj = nullptr;
  IPtr<FUnknown> made;
  if (FUnknownPrivate::iidEqual(cid, IMessage::iid)) {
    made = makeHostObject<Message>();
  } else if (FUnknownPrivate::iidEqual(cid, IAttributeList::iid)) {
    made = makeHostObject<AttributeList>();
  } else {
    return kNoInterface;
  }
  return made->queryInterface(iid, obj);
}

tresult PLUGIN_API HostApplication::isPlugInterfaceSupported(const TUID iid) {
  const TUID* const supported[] = {
      &IComponent::iid.toTUID(),
      &IAudioProcessor::iid.toTUID(),
      &IEditController::iid.toTUID(),
      &IConnectionPoint::iid.toTUID(),
      &IUnitInfo::iid.toTUID(),
      &IMidiMapping::iid.toTUID(),
      &IProcessContextRequirements::iid.toTUID(),
  };
  for (const TUID* known : supported) {
    if (FUnknownPrivate::iidEqual(iid, *known)) return kResultTrue;
  }
  return kResultFalse;
}

} // namespace vst3host
