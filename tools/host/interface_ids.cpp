// The one definition of each VST 3 interface ID this host and its test
// plug-ins use beyond the core ones (FUnknown, IPluginBase, the factories,
// IBStream), which vst3_interfaces defines. The headers only declare them.
// A module that implements or queries these interfaces compiles this in, once.

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstattributes.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstchannelcontextinfo.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/ivstpluginterfacesupport.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "pluginterfaces/vst/ivstunits.h"

namespace Steinberg {
DEF_CLASS_IID(IPlugView)
DEF_CLASS_IID(IPlugFrame)
#if SMTG_OS_LINUX
DEF_CLASS_IID(Linux::IRunLoop)
DEF_CLASS_IID(Linux::IEventHandler)
DEF_CLASS_IID(Linux::ITimerHandler)
#endif

namespace Vst {
DEF_CLASS_IID(IAttributeList)
DEF_CLASS_IID(IStreamAttributes)
DEF_CLASS_IID(IAudioProcessor)
DEF_CLASS_IID(IAudioPresentationLatency)
DEF_CLASS_IID(IProcessContextRequirements)
DEF_CLASS_IID(IComponent)
DEF_CLASS_IID(IEditController)
DEF_CLASS_IID(IEditController2)
DEF_CLASS_IID(IComponentHandler)
DEF_CLASS_IID(IComponentHandler2)
DEF_CLASS_IID(IComponentHandlerBusActivation)
DEF_CLASS_IID(IMidiMapping)
DEF_CLASS_IID(IEventList)
DEF_CLASS_IID(IHostApplication)
DEF_CLASS_IID(IMessage)
DEF_CLASS_IID(IConnectionPoint)
DEF_CLASS_IID(IParamValueQueue)
DEF_CLASS_IID(IParameterChanges)
DEF_CLASS_IID(IPlugInterfaceSupport)
DEF_CLASS_IID(IUnitHandler)
DEF_CLASS_IID(IUnitInfo)
DEF_CLASS_IID(IProgramListData)
DEF_CLASS_IID(IUnitData)
namespace ChannelContext {
DEF_CLASS_IID(IInfoListener)
}
} // namespace Vst
} // namespace Steinberg
