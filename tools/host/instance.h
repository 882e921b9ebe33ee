// One plug-in instance driven through the VST 3 ABI: component, audio
// processor and edit controller (one object or two), our host application
// and component handler, and the calls a host makes on them, each wrapped
// so a failure returns a sentence instead of a bare result code.
//
// Teardown runs in the destructor, in the order hosts use: processing off,
// inactive, handler and connections removed, controller and component
// terminated, interfaces released, then the module (ModuleExit, dlclose)
// once no instance holds it.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "host/component_handler.h"
#include "host/host_application.h"
#include "host/memory_stream.h"
#include "host/module.h"
#include "host/status.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "pluginterfaces/vst/ivstunits.h"

namespace vst3host {

struct InstanceOptions {
  std::string hostName = kDefaultHostName;
};

struct BusDescription {
  Steinberg::int32 index = 0;
  Steinberg::Vst::MediaType mediaType = Steinberg::Vst::kAudio;
  Steinberg::Vst::BusDirection direction = Steinberg::Vst::kOutput;
  std::string name;
  Steinberg::int32 channelCount = 0;
  Steinberg::Vst::BusType busType = Steinberg::Vst::kMain;
  Steinberg::uint32 flags = 0;
  bool active = false; // as this host last set it
};

struct ProcessSettings {
  Steinberg::Vst::SymbolicSampleSizes sampleSize = Steinberg::Vst::kSample64;
  double sampleRate = 48000.0;
  Steinberg::int32 maxBlockSize = 512;
  Steinberg::Vst::ProcessModes mode = Steinberg::Vst::kRealtime;
};

struct ParameterDescription {
  Steinberg::Vst::ParamID id = 0;
  std::string title;
  std::string shortTitle;
  std::string units;
  Steinberg::int32 stepCount = 0;
  double defaultNormalized = 0.0;
  Steinberg::Vst::UnitID unitId = 0;
  Steinberg::int32 flags = 0;
};

struct UnitDescription {
  Steinberg::Vst::UnitID id = 0;
  Steinberg::Vst::UnitID parentId = 0;
  std::string name;
  Steinberg::Vst::ProgramListID programListId = Steinberg::Vst::kNoProgramListId;
};

struct ProgramListDescription {
  Steinberg::Vst::ProgramListID id = 0;
  std::string name;
  Steinberg::int32 programCount = 0;
};

class Instance {
public:
  // Creates and initialises the module's first audio-module class.
  static Result<std::unique_ptr<Instance>> create(std::shared_ptr<Module> module,
                                                  InstanceOptions options = {});
  // Loads the module at path and creates its instrument.
  static Result<std::unique_ptr<Instance>> load(const std::string& path,
                                                InstanceOptions options = {});

  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;
  ~Instance();

  const ClassInfo& classInfo() const { return classInfo_; }
  Module& module() const { return *module_; }
  // True when component and controller are one object.
  bool isSingleComponent() const { return singleComponent_; }

  Steinberg::Vst::IComponent* component() const { return component_.get(); }
  Steinberg::Vst::IAudioProcessor* processor() const { return processor_.get(); }
  Steinberg::Vst::IEditController* controller() const { return controller_.get(); }
  HostApplication& hostApplication() const { return *host_; }
  ComponentHandler& componentHandler() const { return *handler_; }

  // Buses.
  std::vector<BusDescription> buses(Steinberg::Vst::MediaType type,
                                    Steinberg::Vst::BusDirection direction) const;
  Status activateBus(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection direction,
                     Steinberg::int32 index, bool active);
  Status setBusArrangements(std::vector<Steinberg::Vst::SpeakerArrangement> inputs,
                            std::vector<Steinberg::Vst::SpeakerArrangement> outputs);
  Result<Steinberg::Vst::SpeakerArrangement> busArrangement(Steinberg::Vst::BusDirection direction,
                                                            Steinberg::int32 index) const;

  // Processing state. setupProcessing needs the instance inactive.
  bool canProcessSampleSize(Steinberg::Vst::SymbolicSampleSizes size) const;
  Status setupProcessing(const ProcessSettings& settings);
  const ProcessSettings& processSettings() const { return settings_; }
  bool isSetUp() const { return setUp_; }
  Status setActive(bool active);
  bool isActive() const { return active_; }
  Status setProcessing(bool processing);
  bool isProcessing() const { return processing_; }

  // Parameters (through the edit controller).
  Steinberg::int32 parameterCount() const;
  Result<ParameterDescription> parameter(Steinberg::int32 index) const;
  std::vector<ParameterDescription> parameters() const;
  Result<ParameterDescription> findParameter(std::string_view title) const;
  double normalized(Steinberg::Vst::ParamID id) const;
  Status setNormalized(Steinberg::Vst::ParamID id, double value);
  Result<std::string> valueToText(Steinberg::Vst::ParamID id, double normalized) const;
  Result<double> textToValue(Steinberg::Vst::ParamID id, std::string_view text) const;
  double toPlain(Steinberg::Vst::ParamID id, double normalized) const;
  double toNormalized(Steinberg::Vst::ParamID id, double plain) const;
  Result<Steinberg::Vst::ParamID>
  midiControllerAssignment(Steinberg::int32 bus, Steinberg::int16 channel,
                           Steinberg::Vst::CtrlNumber controller) const;

  // Units and program lists (IUnitInfo); empty when the plug-in has none.
  std::vector<UnitDescription> units() const;
  std::vector<ProgramListDescription> programLists() const;
  Result<std::string> programName(Steinberg::Vst::ProgramListID list, Steinberg::int32 index) const;

  // Component state. A successful setState is passed on to the controller
  // (setComponentState) as hosts do; a failed one is not.
  Result<std::vector<std::uint8_t>> getState() const;
  Status setState(const std::vector<std::uint8_t>& bytes);
  Status setState(MemoryStream& stream);
  // Controller-only state (editor settings).
  Result<std::vector<std::uint8_t>> getControllerState() const;
  Status setControllerState(const std::vector<std::uint8_t>& bytes);

private:
  Instance() = default;
  Status build(const InstanceOptions& options);
  Status needController(const char* call) const;

  // Declared first so it is destroyed last: the library must outlive every
  // interface pointer below.
  std::shared_ptr<Module> module_;
  ClassInfo classInfo_;
  Steinberg::IPtr<HostApplication> host_;
  Steinberg::IPtr<ComponentHandler> handler_;
  Steinberg::IPtr<Steinberg::Vst::IComponent> component_;
  Steinberg::IPtr<Steinberg::Vst::IAudioProcessor> processor_;
  Steinberg::IPtr<Steinberg::Vst::IEditController> controller_;
  Steinberg::IPtr<Steinberg::Vst::IMidiMapping> midiMapping_;
  Steinberg::IPtr<Steinberg::Vst::IUnitInfo> unitInfo_;
  bool singleComponent_ = false;
  bool componentInitialized_ = false;
  bool controllerInitialized_ = false;
  bool connected_ = false;
  bool handlerSet_ = false;
  bool setUp_ = false;
  bool active_ = false;
  bool processing_ = false;
  ProcessSettings settings_;
  std::map<std::tuple<int, int, int>, bool> busActive_;
};

} // namespace vst3host
