// A tiny instrument built only to be driven by the host library in tests.
// Two parameters, "Gain" (0..100 %) and "Polarity" (Positive/Negative); one
// stereo output whose left channel is the gain, stepping at each change's
// sample offset, and whose right channel is the gain times the polarity;
// MIDI in is copied to MIDI out; the state is "FAKE" and two doubles.
//
// Compile-time variants make the broken modules the loader must reject:
//   FAKE_ENTRY_FAILS     ModuleEntry returns false
//   FAKE_NO_FACTORY      no GetPluginFactory
//   FAKE_NO_INSTRUMENT   the only class is not an audio module
//   FAKE_SEPARATE        component and controller are two classes
//
// Exported Fake* functions let a test read what the host did to it.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "pluginterfaces/vst/ivstunits.h"
#include "pluginterfaces/vst/vstspeaker.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr TUID kComponentId = INLINE_UID(0x46414B45, 0x434F4D50, 0x4F4E454E, 0x54303031);
constexpr TUID kControllerId = INLINE_UID(0x46414B45, 0x434F4E54, 0x524F4C4C, 0x45523031);
constexpr ParamID kGain = 0;
constexpr ParamID kPolarity = 1;
constexpr int kParameterCount = 2;
constexpr double kDefaults[kParameterCount] = {0.5, 0.0};
constexpr ProgramListID kProgramList = 100;
constexpr const char* kProgramNames[] = {"Init", "Bright", "Dark"};
constexpr int kProgramCount = 3;
constexpr char kStateMagic[4] = {'F', 'A', 'K', 'E'};
constexpr int32 kStateSize = 4 + 2 * 8;
constexpr CtrlNumber kVolumeController = 7;

std::string callLog;
int moduleEntries = 0;
int liveObjects = 0;
std::string hostName;
double lastTempo = 0.0;
int64 lastProjectTime = -1;
int32 lastNumSamples = -1;
class FakePlugin;
FakePlugin* lastController = nullptr;

void log(const std::string& entry) {
  callLog += entry + ";";
}

void copyAscii(const char* text, char16* out, size_t capacity) {
  size_t i = 0;
  for (; text[i] != 0 && i + 1 < capacity; ++i) out[i] = static_cast<char16>(text[i]);
  out[i] = 0;
}

std::string asciiOf(const char16* text) {
  std::string out;
  for (size_t i = 0; i < 128 && text[i] != 0; ++i) out += static_cast<char>(text[i]);
  return out;
}

bool same(const TUID a, const TUID b) {
  return std::memcmp(a, b, sizeof(TUID)) == 0;
}

enum class Role { both, component, controller };

class FakePlugin : public IComponent,
                   public IAudioProcessor,
                   public IEditController,
                   public IMidiMapping,
                   public IUnitInfo,
                   public IConnectionPoint {
public:
  explicit FakePlugin(Role role) : role_(role) {
    ++liveObjects;
    for (int i = 0; i < kParameterCount; ++i) values_[i] = kDefaults[i];
  }
  virtual ~FakePlugin() {
    --liveObjects;
    if (lastController == this) lastController = nullptr;
    log("destroyed");
  }

  bool hasComponent() const { return role_ != Role::controller; }
  bool hasController() const { return role_ != Role::component; }
  bool separate() const { return role_ != Role::both; }

  // FUnknown
  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override {
    *obj = nullptr;
    if (same(iid, FUnknown::iid) || same(iid, IPluginBase::iid)) {
      *obj = static_cast<IComponent*>(this);
    } else if (hasComponent() && same(iid, IComponent::iid)) {
      *obj = static_cast<IComponent*>(this);
    } else if (hasComponent() && same(iid, IAudioProcessor::iid)) {
      *obj = static_cast<IAudioProcessor*>(this);
    } else if (hasController() && same(iid, IEditController::iid)) {
      *obj = static_cast<IEditController*>(this);
    } else if (hasController() && same(iid, IMidiMapping::iid)) {
      *obj = static_cast<IMidiMapping*>(this);
    } else if (hasController() && same(iid, IUnitInfo::iid)) {
      *obj = static_cast<IUnitInfo*>(this);
    } else if (separate() && same(iid, IConnectionPoint::iid)) {
      *obj = static_cast<IConnectionPoint*>(this);
    }
    if (*obj == nullptr) return kNoInterface;
    addRef();
    return kResultOk;
  }
  uint32 PLUGIN_API addRef() override { return ++references_; }
  uint32 PLUGIN_API release() override {
    const uint32 left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // IPluginBase
  tresult PLUGIN_API initialize(FUnknown* context) override {
    log("initialize");
    IHostApplication* app = nullptr;
    if (context != nullptr &&
        context->queryInterface(IHostApplication::iid, reinterpret_cast<void**>(&app)) ==
            kResultOk) {
      String128 name{};
      if (app->getName(name) == kResultOk) hostName = asciiOf(name);
      app->release();
    }
    if (hasController()) lastController = this;
    return kResultOk;
  }
  tresult PLUGIN_API terminate() override {
    log("terminate");
    return kResultOk;
  }

  // IComponent
  tresult PLUGIN_API getControllerClassId(TUID classId) override {
    if (!separate()) return kNotImplemented;
    std::memcpy(classId, kControllerId, sizeof(TUID));
    return kResultOk;
  }
  tresult PLUGIN_API setIoMode(IoMode) override { return kNotImplemented; }
  int32 PLUGIN_API getBusCount(MediaType type, BusDirection dir) override {
    if (type == kAudio) return dir == kOutput ? 1 : 0;
    return 1; // one event bus each way
  }
  tresult PLUGIN_API getBusInfo(MediaType type, BusDirection dir, int32 index,
                                BusInfo& bus) override {
    if (index != 0 || getBusCount(type, dir) == 0) return kInvalidArgument;
    bus.mediaType = type;
    bus.direction = dir;
    bus.busType = kMain;
    bus.flags = BusInfo::kDefaultActive;
    if (type == kAudio) {
      bus.channelCount = 2;
      copyAscii("Output", bus.name, 128);
    } else {
      bus.channelCount = 1;
      copyAscii(dir == kInput ? "MIDI Input" : "MIDI Output", bus.name, 128);
    }
    return kResultOk;
  }
  tresult PLUGIN_API getRoutingInfo(RoutingInfo&, RoutingInfo&) override { return kNotImplemented; }
  tresult PLUGIN_API activateBus(MediaType type, BusDirection dir, int32 index,
                                 TBool state) override {
    if (index != 0 || getBusCount(type, dir) == 0) return kInvalidArgument;
    log(std::string("activateBus(") + (type == kAudio ? "audio" : "event") +
        (dir == kInput ? ",in," : ",out,") + (state ? "1)" : "0)"));
    return kResultOk;
  }
  tresult PLUGIN_API setActive(TBool state) override {
    log(state ? "setActive(1)" : "setActive(0)");
    return kResultOk;
  }

  // Shared by IComponent and IEditController, as in any single-object plug-in:
  // the controller half of a separate pair has no state of its own.
  tresult PLUGIN_API setState(IBStream* state) override {
    if (!hasComponent()) return kResultOk;
    double read[kParameterCount];
    if (!readState(state, read)) return kResultFalse;
    for (int i = 0; i < kParameterCount; ++i) values_[i] = read[i];
    log("setState");
    return kResultOk;
  }
  tresult PLUGIN_API getState(IBStream* state) override {
    if (!hasComponent()) return kResultOk;
    if (state == nullptr) return kInvalidArgument;
    char bytes[kStateSize];
    std::memcpy(bytes, kStateMagic, 4);
    std::memcpy(bytes + 4, &values_[kGain], 8);
    std::memcpy(bytes + 12, &values_[kPolarity], 8);
    int32 written = 0;
    return state->write(bytes, kStateSize, &written) == kResultOk && written == kStateSize
               ? kResultOk
               : kResultFalse;
  }

  // IAudioProcessor
  tresult PLUGIN_API setBusArrangements(SpeakerArrangement*, int32 numIns,
                                        SpeakerArrangement* outputs, int32 numOuts) override {
    if (numIns != 0 || numOuts != 1 || outputs[0] != SpeakerArr::kStereo) return kResultFalse;
    return kResultOk;
  }
  tresult PLUGIN_API getBusArrangement(BusDirection dir, int32 index,
                                       SpeakerArrangement& arr) override {
    if (dir != kOutput || index != 0) return kInvalidArgument;
    arr = SpeakerArr::kStereo;
    return kResultOk;
  }
  tresult PLUGIN_API canProcessSampleSize(int32 size) override {
    return size == kSample32 || size == kSample64 ? kResultTrue : kResultFalse;
  }
  uint32 PLUGIN_API getLatencySamples() override { return 0; }
  tresult PLUGIN_API setupProcessing(ProcessSetup& setup) override {
    log("setupProcessing(" + std::to_string(setup.symbolicSampleSize == kSample64 ? 64 : 32) + "," +
        std::to_string(static_cast<int>(setup.sampleRate)) + "," +
        std::to_string(setup.maxSamplesPerBlock) + ")");
    return kResultOk;
  }
  tresult PLUGIN_API setProcessing(TBool state) override {
    log(state ? "setProcessing(1)" : "setProcessing(0)");
    return kResultOk;
  }
  tresult PLUGIN_API process(ProcessData& data) override {
    lastNumSamples = data.numSamples;
    if (data.processContext != nullptr) {
      lastTempo = data.processContext->tempo;
      lastProjectTime = data.processContext->projectTimeSamples;
    }
    IParamValueQueue* queues[kParameterCount] = {};
    if (IParameterChanges* changes = data.inputParameterChanges) {
      for (int32 i = 0; i < changes->getParameterCount(); ++i) {
        IParamValueQueue* q = changes->getParameterData(i);
        if (q != nullptr && q->getParameterId() < kParameterCount) queues[q->getParameterId()] = q;
      }
    }
    int32 next[kParameterCount] = {};
    for (int32 s = 0; s <= data.numSamples; ++s) {
      // Points at offset s take effect from sample s; the pass at
      // s == numSamples applies whatever a zero-length block carried.
      for (int p = 0; p < kParameterCount; ++p) {
        IParamValueQueue* q = queues[p];
        int32 offset = 0;
        ParamValue value = 0;
        while (q != nullptr && next[p] < q->getPointCount() &&
               q->getPoint(next[p], offset, value) == kResultOk &&
               (offset <= s || s == data.numSamples)) {
          values_[p] = value;
          ++next[p];
        }
      }
      if (s == data.numSamples || data.numOutputs < 1) continue;
      const double left = values_[kGain];
      const double right = values_[kPolarity] >= 0.5 ? -left : left;
      AudioBusBuffers& out = data.outputs[0];
      if (out.numChannels < 2) continue;
      if (data.symbolicSampleSize == kSample64) {
        out.channelBuffers64[0][s] = left;
        out.channelBuffers64[1][s] = right;
      } else {
        out.channelBuffers32[0][s] = static_cast<float>(left);
        out.channelBuffers32[1][s] = static_cast<float>(right);
      }
    }
    if (data.inputEvents != nullptr && data.outputEvents != nullptr) {
      for (int32 i = 0; i < data.inputEvents->getEventCount(); ++i) {
        Event e{};
        if (data.inputEvents->getEvent(i, e) == kResultOk) data.outputEvents->addEvent(e);
      }
    }
    return kResultOk;
  }
  uint32 PLUGIN_API getTailSamples() override { return kNoTail; }

  // IEditController
  tresult PLUGIN_API setComponentState(IBStream* state) override {
    double read[kParameterCount];
    if (!readState(state, read)) return kResultFalse;
    if (separate()) {
      for (int i = 0; i < kParameterCount; ++i) values_[i] = read[i];
    }
    log("setComponentState");
    return kResultOk;
  }
  int32 PLUGIN_API getParameterCount() override { return kParameterCount; }
  tresult PLUGIN_API getParameterInfo(int32 index, ParameterInfo& info) override {
    if (index < 0 || index >= kParameterCount) return kInvalidArgument;
    info = {};
    info.id = static_cast<ParamID>(index);
    info.defaultNormalizedValue = kDefaults[index];
    info.unitId = kRootUnitId;
    if (index == kGain) {
      copyAscii("Gain", info.title, 128);
      copyAscii("Gain", info.shortTitle, 128);
      copyAscii("%", info.units, 128);
      info.flags = ParameterInfo::kCanAutomate;
    } else {
      copyAscii("Polarity", info.title, 128);
      copyAscii("Pol", info.shortTitle, 128);
      info.stepCount = 1;
      info.flags = ParameterInfo::kCanAutomate | ParameterInfo::kIsList;
    }
    return kResultOk;
  }
  tresult PLUGIN_API getParamStringByValue(ParamID id, ParamValue v, String128 string) override {
    char text[64];
    if (id == kGain) {
      std::snprintf(text, sizeof text, "%.1f", v * 100.0);
    } else if (id == kPolarity) {
      std::snprintf(text, sizeof text, "%s", v >= 0.5 ? "Negative" : "Positive");
    } else {
      return kInvalidArgument;
    }
    copyAscii(text, string, 128);
    return kResultOk;
  }
  tresult PLUGIN_API getParamValueByString(ParamID id, TChar* string, ParamValue& v) override {
    const std::string text = asciiOf(string);
    if (id == kGain) {
      char* end = nullptr;
      const double percent = std::strtod(text.c_str(), &end);
      if (text.empty() || *end != 0 || !(percent >= 0.0 && percent <= 100.0)) return kResultFalse;
      v = percent / 100.0;
      return kResultOk;
    }
    if (id == kPolarity && (text == "Positive" || text == "Negative")) {
      v = text == "Negative" ? 1.0 : 0.0;
      return kResultOk;
    }
    return kResultFalse;
  }
  ParamValue PLUGIN_API normalizedParamToPlain(ParamID id, ParamValue v) override {
    return id == kGain ? v * 100.0 : std::round(v);
  }
  ParamValue PLUGIN_API plainParamToNormalized(ParamID id, ParamValue plain) override {
    return id == kGain ? plain / 100.0 : plain;
  }
  ParamValue PLUGIN_API getParamNormalized(ParamID id) override {
    return id < kParameterCount ? values_[id] : 0.0;
  }
  tresult PLUGIN_API setParamNormalized(ParamID id, ParamValue value) override {
    if (id >= kParameterCount) return kResultFalse;
    values_[id] = value;
    return kResultOk;
  }
  tresult PLUGIN_API setComponentHandler(IComponentHandler* handler) override {
    log(handler != nullptr ? "setComponentHandler" : "setComponentHandler(null)");
    if (handler != nullptr) handler->addRef();
    if (handler_ != nullptr) handler_->release();
    handler_ = handler;
    return kResultOk;
  }
  IPlugView* PLUGIN_API createView(FIDString) override { return nullptr; }

  // IMidiMapping
  tresult PLUGIN_API getMidiControllerAssignment(int32 busIndex, int16 channel,
                                                 CtrlNumber midiControllerNumber,
                                                 ParamID& id) override {
    if (busIndex != 0 || channel != 0 || midiControllerNumber != kVolumeController) {
      return kResultFalse;
    }
    id = kGain;
    return kResultOk;
  }

  // IUnitInfo
  int32 PLUGIN_API getUnitCount() override { return 1; }
  tresult PLUGIN_API getUnitInfo(int32 index, UnitInfo& info) override {
    if (index != 0) return kInvalidArgument;
    info.id = kRootUnitId;
    info.parentUnitId = kNoParentUnitId;
    copyAscii("Root", info.name, 128);
    info.programListId = kProgramList;
    return kResultOk;
  }
  int32 PLUGIN_API getProgramListCount() override { return 1; }
  tresult PLUGIN_API getProgramListInfo(int32 index, ProgramListInfo& info) override {
    if (index != 0) return kInvalidArgument;
    info.id = kProgramList;
    copyAscii("Fake Presets", info.name, 128);
    info.programCount = kProgramCount;
    return kResultOk;
  }
  tresult PLUGIN_API getProgramName(ProgramListID list, int32 index, String128 name) override {
    if (list != kProgramList) return kResultFalse;
    if (index < 0 || index >= kProgramCount) return kInvalidArgument;
    copyAscii(kProgramNames[index], name, 128);
    return kResultOk;
  }
  tresult PLUGIN_API getProgramInfo(ProgramListID, int32, Steinberg::Vst::CString,
                                    String128) override {
    return kNotImplemented;
  }
  tresult PLUGIN_API hasProgramPitchNames(ProgramListID, int32) override { return kResultFalse; }
  tresult PLUGIN_API getProgramPitchName(ProgramListID, int32, int16, String128) override {
    return kNotImplemented;
  }
  UnitID PLUGIN_API getSelectedUnit() override { return kRootUnitId; }
  tresult PLUGIN_API selectUnit(UnitID) override { return kResultOk; }
  tresult PLUGIN_API getUnitByBus(MediaType, BusDirection, int32, int32, UnitID& unit) override {
    unit = kRootUnitId;
    return kResultOk;
  }
  tresult PLUGIN_API setUnitProgramData(int32, int32, IBStream*) override {
    return kNotImplemented;
  }

  // IConnectionPoint
  tresult PLUGIN_API connect(IConnectionPoint* other) override {
    if (other == nullptr) return kInvalidArgument;
    log(hasComponent() ? "connect(component)" : "connect(controller)");
    return kResultOk;
  }
  tresult PLUGIN_API disconnect(IConnectionPoint*) override {
    log(hasComponent() ? "disconnect(component)" : "disconnect(controller)");
    return kResultOk;
  }
  tresult PLUGIN_API notify(IMessage*) override { return kResultOk; }

  // Test hook: a knob turn inside one group edit.
  void edit(ParamID id, double value) {
    if (handler_ == nullptr) return;
    IComponentHandler2* handler2 = nullptr;
    handler_->queryInterface(IComponentHandler2::iid, reinterpret_cast<void**>(&handler2));
    if (handler2 != nullptr) handler2->startGroupEdit();
    handler_->beginEdit(id);
    handler_->performEdit(id, value);
    handler_->endEdit(id);
    if (handler2 != nullptr) {
      handler2->finishGroupEdit();
      handler2->release();
    }
    handler_->restartComponent(kParamValuesChanged);
  }

private:
  static bool readState(IBStream* state, double (&out)[kParameterCount]) {
    if (state == nullptr) return false;
    char bytes[kStateSize];
    int32 got = 0;
    if (state->read(bytes, kStateSize, &got) != kResultOk || got != kStateSize) return false;
    if (std::memcmp(bytes, kStateMagic, 4) != 0) return false;
    std::memcpy(&out[kGain], bytes + 4, 8);
    std::memcpy(&out[kPolarity], bytes + 12, 8);
    return true;
  }

  Role role_;
  uint32 references_ = 1;
  double values_[kParameterCount];
  IComponentHandler* handler_ = nullptr;
};

class FakeFactory : public IPluginFactory3 {
public:
  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override {
    if (same(iid, FUnknown::iid) || same(iid, IPluginFactory::iid) ||
        same(iid, IPluginFactory2::iid) || same(iid, IPluginFactory3::iid)) {
      *obj = this;
      addRef();
      return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
  }
  // One factory for the process: it lives as long as the library.
  uint32 PLUGIN_API addRef() override { return static_cast<uint32>(++references); }
  uint32 PLUGIN_API release() override { return static_cast<uint32>(--references); }

  tresult PLUGIN_API getFactoryInfo(PFactoryInfo* info) override {
    *info = PFactoryInfo("Fake Vendor", "https://example.org", "fake@example.org",
                         PFactoryInfo::kUnicode);
    return kResultOk;
  }
  int32 PLUGIN_API countClasses() override {
#ifdef FAKE_SEPARATE
    return 2;
#else
    return 1;
#endif
  }
  tresult PLUGIN_API getClassInfo(int32 index, PClassInfo* info) override {
    if (index < 0 || index >= countClasses()) return kInvalidArgument;
    *info = PClassInfo(index == 0 ? kComponentId : kControllerId, PClassInfo::kManyInstances,
                       category(index), index == 0 ? "Fake Synth" : "Fake Synth Controller");
    return kResultOk;
  }
  tresult PLUGIN_API createInstance(FIDString cid, FIDString iid, void** obj) override {
    *obj = nullptr;
    FakePlugin* made = nullptr;
#ifdef FAKE_SEPARATE
    if (same(cid, kComponentId)) made = new FakePlugin(Role::component);
    if (same(cid, kControllerId)) made = new FakePlugin(Role::controller);
#else
    if (same(cid, kComponentId)) made = new FakePlugin(Role::both);
#endif
    if (made == nullptr) return kInvalidArgument;
    const tresult r = made->queryInterface(iid, obj);
    made->release();
    return r;
  }
  tresult PLUGIN_API getClassInfo2(int32 index, PClassInfo2* info) override {
    if (index < 0 || index >= countClasses()) return kInvalidArgument;
    *info = PClassInfo2(index == 0 ? kComponentId : kControllerId, PClassInfo::kManyInstances,
                        category(index), "Fake Synth", 0, "Instrument|Synth", nullptr, "0.1.0",
                        kVstVersionString);
    return kResultOk;
  }
  tresult PLUGIN_API getClassInfoUnicode(int32 index, PClassInfoW* info) override {
    if (index < 0 || index >= countClasses()) return kInvalidArgument;
    *info = PClassInfoW(index == 0 ? kComponentId : kControllerId, PClassInfo::kManyInstances,
                        category(index), u"Fake Synth \u00e9", 0, "Instrument|Synth", nullptr,
                        u"0.1.0", u"" kVstVersionString);
    return kResultOk;
  }
  tresult PLUGIN_API setHostContext(FUnknown*) override {
    log("setHostContext");
    return kResultOk;
  }

  int references = 0;

private:
  static const char* category(int32 index) {
#ifdef FAKE_NO_INSTRUMENT
    (void)index;
    return "Service";
#else
    return index == 0 ? "Audio Module Class" : "Component Controller Class";
#endif
  }
};

FakeFactory factory;

} // namespace

FAKE_EXPORT bool ModuleEntry(void*) {
  ++moduleEntries;
  log("ModuleEntry");
#ifdef FAKE_ENTRY_FAILS
  return false;
#else
  return true;
#endif
}

FAKE_EXPORT bool ModuleExit() {
  --moduleEntries;
  log("ModuleExit");
  return true;
}

#ifndef FAKE_NO_FACTORY
FAKE_EXPORT IPluginFactory* GetPluginFactory() {
  factory.addRef();
  return &factory;
}
#endif

FAKE_EXPORT const char* FakeCallLog() {
  return callLog.c_str();
}
FAKE_EXPORT void FakeClearLog() {
  callLog.clear();
}
FAKE_EXPORT int FakeModuleEntries() {
  return moduleEntries;
}
FAKE_EXPORT int FakeLiveObjects() {
  return liveObjects;
}
FAKE_EXPORT int FakeFactoryReferences() {
  return factory.references;
}
FAKE_EXPORT const char* FakeHostName() {
  return hostName.c_str();
}
FAKE_EXPORT double FakeLastTempo() {
  return lastTempo;
}
FAKE_EXPORT long long FakeLastProjectTime() {
  return lastProjectTime;
}
FAKE_EXPORT int FakeLastNumSamples() {
  return lastNumSamples;
}
FAKE_EXPORT void FakeEditParameter(unsigned id, double value) {
  if (lastController != nullptr) lastController->edit(id, value);
}
