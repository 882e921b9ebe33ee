#include "host/instance.h"

#include <cmath>
#include <cstring>

#include "host/tresult_text.h"
#include "host/utf16.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/vstspeaker.h"

namespace vst3host {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr std::size_t kString128 = 128;

bool isSameObject(FUnknown* a, FUnknown* b) {
  FUnknownPtr<FUnknown> ua(a);
  FUnknownPtr<FUnknown> ub(b);
  return ua && ub && ua.get() == ub.get();
}

} // namespace

Result<std::unique_ptr<Instance>> Instance::load(const std::string& path, InstanceOptions options) {
  Result<std::shared_ptr<Module>> module = Module::load(path);
  if (!module) return module.status();
  return create(*module, std::move(options));
}

Result<std::unique_ptr<Instance>> Instance::create(std::shared_ptr<Module> module,
                                                   InstanceOptions options) {
  if (!module) return Status::fail("no module");
  Result<ClassInfo> info = module->firstClassOf(kAudioModuleClass);
  if (!info) return info.status();
  std::unique_ptr<Instance> instance(new Instance());
  instance->module_ = std::move(module);
  instance->classInfo_ = *info;
  // On failure the destructor undoes whatever build got through.
  if (Status built = instance->build(options); !built) return built;
  return instance;
}

Status Instance::build(const InstanceOptions& options) {
  host_ = makeHostObject<HostApplication>(options.hostName);
  handler_ = makeHostObject<ComponentHandler>();
  // Plug-ins may refuse a context; that only costs them the run loop.
  (void)module_->setHostContext(static_cast<IHostApplication*>(host_.get()));

  IPluginFactory* factory = module_->factory();
  void* object = nullptr;
  tresult r = factory->createInstance(classInfo_.cid.data(), IComponent::iid, &object);
  if (r != kResultOk || object == nullptr) {
    return Status::fail(callFailed("creating component \"" + classInfo_.name + "\"", r));
  }
  component_ = owned(static_cast<IComponent*>(object));

  r = component_->initialize(static_cast<IHostApplication*>(host_.get()));
  if (r != kResultOk) return Status::fail(callFailed("component initialize", r));
  componentInitialized_ = true;

  processor_ = FUnknownPtr<IAudioProcessor>(component_);
  if (!processor_) return Status::fail("\"" + classInfo_.name + "\" has no IAudioProcessor");

  if (FUnknownPtr<IEditController> same(component_); same) {
    controller_ = same;
    singleComponent_ = true;
  } else {
    TUID controllerId{};
    if (component_->getControllerClassId(controllerId) == kResultOk) {
      object = nullptr;
      r = factory->createInstance(controllerId, IEditController::iid, &object);
      if (r != kResultOk || object == nullptr) {
        return Status::fail(callFailed("creating the edit controller", r));
      }
      controller_ = owned(static_cast<IEditController*>(object));
      // Some plug-ins hand back their component here; treat it as single.
      if (isSameObject(controller_, component_)) {
        singleComponent_ = true;
      } else {
        r = controller_->initialize(static_cast<IHostApplication*>(host_.get()));
        if (r != kResultOk) return Status::fail(callFailed("controller initialize", r));
        controllerInitialized_ = true;
        FUnknownPtr<IConnectionPoint> componentPoint(component_);
        FUnknownPtr<IConnectionPoint> controllerPoint(controller_);
        if (componentPoint && controllerPoint) {
          componentPoint->connect(controllerPoint);
          controllerPoint->connect(componentPoint);
          connected_ = true;
        }
      }
    }
  }

  // Hosts turn on the buses the plug-in asks to start active.
  for (MediaType type : {kAudio, kEvent}) {
    for (BusDirection direction : {kInput, kOutput}) {
      for (const BusDescription& bus : buses(type, direction)) {
        if ((bus.flags & BusInfo::kDefaultActive) != 0) {
          if (Status s = activateBus(type, direction, bus.index, true); !s) return s;
        }
      }
    }
  }

  if (controller_) {
    r = controller_->setComponentHandler(handler_.get());
    if (r != kResultOk) return Status::fail(callFailed("setComponentHandler", r));
    handlerSet_ = true;
    midiMapping_ = FUnknownPtr<IMidiMapping>(controller_);
    unitInfo_ = FUnknownPtr<IUnitInfo>(controller_);
    // The controller starts from the component's state, as after loading a project.
    auto stream = makeHostObject<MemoryStream>();
    if (component_->getState(stream.get()) == kResultOk) {
      stream->seek(0, IBStream::kIBSeekSet, nullptr);
      controller_->setComponentState(stream.get());
    }
  }
  return Status::ok();
}

Instance::~Instance() {
  if (processing_) processor_->setProcessing(false);
  if (active_) component_->setActive(false);
  if (handlerSet_) controller_->setComponentHandler(nullptr);
  if (connected_) {
    FUnknownPtr<IConnectionPoint> componentPoint(component_);
    FUnknownPtr<IConnectionPoint> controllerPoint(controller_);
    componentPoint->disconnect(controllerPoint);
    controllerPoint->disconnect(componentPoint);
  }
  if (controllerInitialized_) controller_->terminate();
  if (componentInitialized_) component_->terminate();
  unitInfo_ = nullptr;
  midiMapping_ = nullptr;
  controller_ = nullptr;
  processor_ = nullptr;
  component_ = nullptr;
  handler_ = nullptr;
  host_ = nullptr;
}

Status Instance::needController(const char* call) const {
  if (controller_) return Status::ok();
  return Status::fail(std::string(call) + ": \"" + classInfo_.name + "\" has no edit controller");
}

// Buses ---------------------------------------------------------------------

std::vector<BusDescription> Instance::buses(MediaType type, BusDirection direction) const {
  std::vector<BusDescription> result;
  const int32 count = component_->getBusCount(type, direction);
  for (int32 i = 0; i < count; ++i) {
    BusInfo info{};
    if (component_->getBusInfo(type, direction, i, info) != kResultOk) continue;
    BusDescription bus;
    bus.index = i;
    bus.mediaType = type;
    bus.direction = direction;
    bus.name = toUtf8(info.name, kString128);
    bus.channelCount = info.channelCount;
    bus.busType = info.busType;
    bus.flags = info.flags;
    const auto known = busActive_.find({type, direction, i});
    bus.active = known != busActive_.end() && known->second;
    result.push_back(std::move(bus));
  }
  return result;
}

Status Instance::activateBus(MediaType type, BusDirection direction, int32 index, bool active) {
  if (index < 0 || index >= component_->getBusCount(type, direction)) {
    return Status::fail("activateBus: no bus " + std::to_string(index));
  }
  const tresult r = component_->activateBus(type, direction, index, active);
  if (r != kResultOk)
    return Status::fail(callFailed("activateBus(" + std::to_string(index) + ")", r));
  busActive_[{type, direction, index}] = active;
  return Status::ok();
}

Status Instance::setBusArrangements(std::vector<SpeakerArrangement> inputs,
                                    std::vector<SpeakerArrangement> outputs) {
  if (active_) return Status::fail("setBusArrangements: the instance is active");
  const tresult r = processor_->setBusArrangements(
      inputs.empty() ? nullptr : inputs.data(), static_cast<int32>(inputs.size()),
      outputs.empty() ? nullptr : outputs.data(), static_cast<int32>(outputs.size()));
  if (r != kResultOk) return Status::fail(callFailed("setBusArrangements", r));
  return Status::ok();
}

Result<SpeakerArrangement> Instance::busArrangement(BusDirection direction, int32 index) const {
  SpeakerArrangement arrangement = 0;
  const tresult r = processor_->getBusArrangement(direction, index, arrangement);
  if (r != kResultOk) return Status::fail(callFailed("getBusArrangement", r));
  return arrangement;
}

// Processing ----------------------------------------------------------------

bool Instance::canProcessSampleSize(SymbolicSampleSizes size) const {
  return processor_->canProcessSampleSize(size) == kResultTrue;
}

Status Instance::setupProcessing(const ProcessSettings& settings) {
  if (active_) return Status::fail("setupProcessing: the instance is active");
  if (!(settings.sampleRate > 0.0) || !std::isfinite(settings.sampleRate) ||
      settings.maxBlockSize <= 0) {
    return Status::fail("setupProcessing: sample rate and block size must be positive");
  }
  if (!canProcessSampleSize(settings.sampleSize)) {
    return Status::fail(std::string("\"") + classInfo_.name + "\" cannot process " +
                        (settings.sampleSize == kSample64 ? "64" : "32") + "-bit samples");
  }
  ProcessSetup setup{settings.mode, settings.sampleSize, settings.maxBlockSize,
                     settings.sampleRate};
  const tresult r = processor_->setupProcessing(setup);
  if (r != kResultOk) return Status::fail(callFailed("setupProcessing", r));
  settings_ = settings;
  setUp_ = true;
  return Status::ok();
}

Status Instance::setActive(bool active) {
  if (active == active_) return Status::ok();
  if (active && !setUp_) return Status::fail("setActive: setupProcessing has not been called");
  if (!active && processing_) {
    if (Status s = setProcessing(false); !s) return s;
  }
  const tresult r = component_->setActive(active);
  if (r != kResultOk)
    return Status::fail(callFailed(active ? "setActive(true)" : "setActive(false)", r));
  active_ = active;
  return Status::ok();
}

Status Instance::setProcessing(bool processing) {
  if (processing == processing_) return Status::ok();
  if (processing && !active_) return Status::fail("setProcessing: the instance is not active");
  const tresult r = processor_->setProcessing(processing);
  // kNotImplemented is common and harmless: the plug-in has nothing to start.
  if (r != kResultOk && r != kNotImplemented) {
    return Status::fail(callFailed(processing ? "setProcessing(true)" : "setProcessing(false)", r));
  }
  processing_ = processing;
  return Status::ok();
}

// Parameters ----------------------------------------------------------------

int32 Instance::parameterCount() const {
  return controller_ ? controller_->getParameterCount() : 0;
}

Result<ParameterDescription> Instance::parameter(int32 index) const {
  if (Status s = needController("getParameterInfo"); !s) return s;
  ParameterInfo info{};
  const tresult r = controller_->getParameterInfo(index, info);
  if (r != kResultOk) {
    return Status::fail(callFailed("getParameterInfo(" + std::to_string(index) + ")", r));
  }
  ParameterDescription d;
  d.id = info.id;
  d.title = toUtf8(info.title, kString128);
  d.shortTitle = toUtf8(info.shortTitle, kString128);
  d.units = toUtf8(info.units, kString128);
  d.stepCount = info.stepCount;
  d.defaultNormalized = info.defaultNormalizedValue;
  d.unitId = info.unitId;
  d.flags = info.flags;
  return d;
}

std::vector<ParameterDescription> Instance::parameters() const {
  std::vector<ParameterDescription> result;
  const int32 count = parameterCount();
  for (int32 i = 0; i < count; ++i) {
    if (Result<ParameterDescription> p = parameter(i)) result.push_back(std::move(*p));
  }
  return result;
}

Result<ParameterDescription> Instance::findParameter(std::string_view title) const {
  for (ParameterDescription& p : parameters()) {
    if (p.title == title) return std::move(p);
  }
  return Status::fail("no parameter \"" + std::string(title) + "\"");
}

double Instance::normalized(ParamID id) const {
  return controller_ ? controller_->getParamNormalized(id) : 0.0;
}

Status Instance::setNormalized(ParamID id, double value) {
  if (Status s = needController("setParamNormalized"); !s) return s;
  if (!(value >= 0.0 && value <= 1.0)) {
    return Status::fail("setParamNormalized: " + std::to_string(value) + " is not in 0..1");
  }
  const tresult r = controller_->setParamNormalized(id, value);
  if (r != kResultOk) {
    return Status::fail(callFailed("setParamNormalized(" + std::to_string(id) + ")", r));
  }
  return Status::ok();
}

Result<std::string> Instance::valueToText(ParamID id, double normalized) const {
  if (Status s = needController("getParamStringByValue"); !s) return s;
  String128 text{};
  const tresult r = controller_->getParamStringByValue(id, normalized, text);
  if (r != kResultOk) {
    return Status::fail(callFailed("getParamStringByValue(" + std::to_string(id) + ")", r));
  }
  // A plug-in that fills all 128 units without a terminator is cut there.
  return toUtf8(text, kString128);
}

Result<double> Instance::textToValue(ParamID id, std::string_view text) const {
  if (Status s = needController("getParamValueByString"); !s) return s;
  std::u16string wide = toUtf16(text);
  double value = 0.0;
  const tresult r = controller_->getParamValueByString(id, wide.data(), value);
  if (r != kResultOk) {
    return Status::fail(callFailed(
        "getParamValueByString(" + std::to_string(id) + ", \"" + std::string(text) + "\")", r));
  }
  return value;
}

double Instance::toPlain(ParamID id, double normalized) const {
  return controller_ ? controller_->normalizedParamToPlain(id, normalized) : 0.0;
}

double Instance::toNormalized(ParamID id, double plain) const {
  return controller_ ? controller_->plainParamToNormalized(id, plain) : 0.0;
}

Result<ParamID> Instance::midiControllerAssignment(int32 bus, int16 channel,
                                                   CtrlNumber controller) const {
  if (!midiMapping_) return Status::fail("\"" + classInfo_.name + "\" has no IMidiMapping");
  ParamID id = 0;
  const tresult r = midiMapping_->getMidiControllerAssignment(bus, channel, controller, id);
  if (r != kResultOk) {
    return Status::fail(callFailed("getMidiControllerAssignment(bus " + std::to_string(bus) +
                                       ", channel " + std::to_string(channel) + ", controller " +
                                       std::to_string(controller) + ")",
                                   r));
  }
  return id;
}

// Units and program lists ---------------------------------------------------

std::vector<UnitDescription> Instance::units() const {
  std::vector<UnitDescription> result;
  if (!unitInfo_) return result;
  const int32 count = unitInfo_->getUnitCount();
  for (int32 i = 0; i < count; ++i) {
    UnitInfo info{};
    if (unitInfo_->getUnitInfo(i, info) != kResultOk) continue;
    result.push_back(
        {info.id, info.parentUnitId, toUtf8(info.name, kString128), info.programListId});
  }
  return result;
}

std::vector<ProgramListDescription> Instance::programLists() const {
  std::vector<ProgramListDescription> result;
  if (!unitInfo_) return result;
  const int32 count = unitInfo_->getProgramListCount();
  for (int32 i = 0; i < count; ++i) {
    ProgramListInfo info{};
    if (unitInfo_->getProgramListInfo(i, info) != kResultOk) continue;
    result.push_back({info.id, toUtf8(info.name, kString128), info.programCount});
  }
  return result;
}

Result<std::string> Instance::programName(ProgramListID list, int32 index) const {
  if (!unitInfo_) return Status::fail("\"" + classInfo_.name + "\" has no IUnitInfo");
  String128 name{};
  const tresult r = unitInfo_->getProgramName(list, index, name);
  if (r != kResultOk) {
    return Status::fail(callFailed(
        "getProgramName(" + std::to_string(list) + ", " + std::to_string(index) + ")", r));
  }
  return toUtf8(name, kString128);
}

// State ---------------------------------------------------------------------

Result<std::vector<std::uint8_t>> Instance::getState() const {
  auto stream = makeHostObject<MemoryStream>();
  const tresult r = component_->getState(stream.get());
  if (r != kResultOk) return Status::fail(callFailed("getState", r));
  return stream->bytes();
}

Status Instance::setState(const std::vector<std::uint8_t>& bytes) {
  auto stream = makeHostObject<MemoryStream>(bytes);
  return setState(*stream);
}

Status Instance::setState(MemoryStream& stream) {
  const tresult r = component_->setState(&stream);
  if (r != kResultOk) return Status::fail(callFailed("setState", r));
  if (controller_) {
    // The controller reads the same bytes, with the same faults, from the start.
    stream.seek(0, IBStream::kIBSeekSet, nullptr);
    const tresult c = controller_->setComponentState(&stream);
    if (c != kResultOk && c != kNotImplemented) {
      return Status::fail(callFailed("setComponentState", c));
    }
  }
  return Status::ok();
}

Result<std::vector<std::uint8_t>> Instance::getControllerState() const {
  if (Status s = needController("getState"); !s) return s;
  auto stream = makeHostObject<MemoryStream>();
  const tresult r = controller_->getState(stream.get());
  if (r != kResultOk) return Status::fail(callFailed("controller getState", r));
  return stream->bytes();
}

Status Instance::setControllerState(const std::vector<std::uint8_t>& bytes) {
  if (Status s = needController("setState"); !s) return s;
  auto stream = makeHostObject<MemoryStream>(bytes);
  const tresult r = controller_->setState(stream.get());
  if (r != kResultOk) return Status::fail(callFailed("controller setState", r));
  return Status::ok();
}

} // namespace vst3host
