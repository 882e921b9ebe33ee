// The instrument as one VST 3 object: component, audio processor and edit
// controller at once, plus the MIDI mapping, unit and channel-context
// interfaces hosts ask single-component plug-ins for. It owns the instrument
// and is its IHostLink, so the instrument reaches the host through it.
//
// process runs on the audio thread; everything else on the main thread.
// The audio path touches only buffers sized in initialize/setupProcessing,
// atomics and the framework's lock-free rings.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "core/halvora.h"
#include "framework/host_link.h"
#include "framework/vst3/vst3_parameters.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstchannelcontextinfo.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "pluginterfaces/vst/ivstunits.h"

namespace qm {

namespace vst3 {
// IComponent and IEditController both declare setState and getState with one
// signature; one override would serve both, handing the editor's state to
// the sound. These two give each side its own name.
class ComponentSide : public Steinberg::Vst::IComponent {
public:
  Steinberg::tresult PLUGIN_API setState(Steinberg::IBStream* state) final {
    return setComponentStateFromHost(state);
  }
  Steinberg::tresult PLUGIN_API getState(Steinberg::IBStream* state) final {
    return getComponentStateForHost(state);
  }
  virtual Steinberg::tresult setComponentStateFromHost(Steinberg::IBStream* state) = 0;
  virtual Steinberg::tresult getComponentStateForHost(Steinberg::IBStream* state) = 0;
};

class ControllerSide : public Steinberg::Vst::IEditController {
public:
  Steinberg::tresult PLUGIN_API setState(Steinberg::IBStream* state) final {
    return setEditorState(state);
  }
  Steinberg::tresult PLUGIN_API getState(Steinberg::IBStream* state) final {
    return getEditorState(state);
  }
  virtual Steinberg::tresult setEditorState(Steinberg::IBStream* state) = 0;
  virtual Steinberg::tresult getEditorState(Steinberg::IBStream* state) = 0;
};
} // namespace vst3

class PluginVST3 final : public vst3::ComponentSide,
                         public Steinberg::Vst::IAudioProcessor,
                         public Steinberg::Vst::IProcessContextRequirements,
                         public vst3::ControllerSide,
                         public Steinberg::Vst::IEditController2,
                         public Steinberg::Vst::IMidiMapping,
                         public Steinberg::Vst::IUnitInfo,
                         public Steinberg::Vst::ChannelContext::IInfoListener,
                         public Steinberg::Vst::IConnectionPoint,
                         public IHostLink {
public:
  static constexpr Steinberg::Vst::UnitID kRootUnitID = Steinberg::Vst::kRootUnitId;
  static constexpr Steinberg::Vst::UnitID kMidiUnitID = 2;
  static constexpr Steinberg::Vst::UnitID kMidiChannelUnitID = 3;
  static constexpr Steinberg::Vst::ProgramListID kProgramListID = 65537;
  static constexpr int kHostArdour = 28;
  static constexpr int kHostMixbus = 45;
  static constexpr int kHostWaveLab = 31;
  // A host state larger than this is refused rather than read into memory.
  static constexpr int kMaxStateBytes = 64 * 1024 * 1024;

  // Takes ownership of the instrument; reference count 1.
  explicit PluginVST3(Halvora* plug);

  Halvora& plug() { return *plug_; }

  // --- FUnknown ---
  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  Steinberg::uint32 PLUGIN_API addRef() override;
  Steinberg::uint32 PLUGIN_API release() override;

  // --- IPluginBase (component and controller alike) ---
  Steinberg::tresult PLUGIN_API initialize(Steinberg::FUnknown* context) override;
  Steinberg::tresult PLUGIN_API terminate() override;

  // --- IComponent ---
  Steinberg::tresult PLUGIN_API getControllerClassId(Steinberg::TUID classId) override;
  Steinberg::tresult PLUGIN_API setIoMode(Steinberg::Vst::IoMode mode) override;
  Steinberg::int32 PLUGIN_API getBusCount(Steinberg::Vst::MediaType type,
                                          Steinberg::Vst::BusDirection dir) override;
  Steinberg::tresult PLUGIN_API getBusInfo(Steinberg::Vst::MediaType type,
                                           Steinberg::Vst::BusDirection dir, Steinberg::int32 index,
                                           Steinberg::Vst::BusInfo& bus) override;
  Steinberg::tresult PLUGIN_API getRoutingInfo(Steinberg::Vst::RoutingInfo& inInfo,
                                               Steinberg::Vst::RoutingInfo& outInfo) override;
  Steinberg::tresult PLUGIN_API activateBus(Steinberg::Vst::MediaType type,
                                            Steinberg::Vst::BusDirection dir,
                                            Steinberg::int32 index,
                                            Steinberg::TBool state) override;
  Steinberg::tresult PLUGIN_API setActive(Steinberg::TBool state) override;
  // The host's state: the instrument's chunk, then a 32-bit bypass word.
  Steinberg::tresult setComponentStateFromHost(Steinberg::IBStream* state) override;
  Steinberg::tresult getComponentStateForHost(Steinberg::IBStream* state) override;

  // --- IAudioProcessor ---
  Steinberg::tresult PLUGIN_API setBusArrangements(Steinberg::Vst::SpeakerArrangement* inputs,
                                                   Steinberg::int32 numIns,
                                                   Steinberg::Vst::SpeakerArrangement* outputs,
                                                   Steinberg::int32 numOuts) override;
  Steinberg::tresult PLUGIN_API getBusArrangement(Steinberg::Vst::BusDirection dir,
                                                  Steinberg::int32 index,
                                                  Steinberg::Vst::SpeakerArrangement& arr) override;
  Steinberg::tresult PLUGIN_API canProcessSampleSize(Steinberg::int32 symbolicSampleSize) override;
  Steinberg::uint32 PLUGIN_API getLatencySamples() override;
  Steinberg::tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& setup) override;
  Steinberg::tresult PLUGIN_API setProcessing(Steinberg::TBool state) override;
  Steinberg::tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) override;
  Steinberg::uint32 PLUGIN_API getTailSamples() override;

  // --- IProcessContextRequirements ---
  Steinberg::uint32 PLUGIN_API getProcessContextRequirements() override;

  // --- IEditController ---
  Steinberg::tresult PLUGIN_API setComponentState(Steinberg::IBStream* state) override;
  // The controller's own state has no content: the component state
  // carries everything.
  Steinberg::tresult setEditorState(Steinberg::IBStream* state) override;
  Steinberg::tresult getEditorState(Steinberg::IBStream* state) override;
  Steinberg::int32 PLUGIN_API getParameterCount() override;
  Steinberg::tresult PLUGIN_API getParameterInfo(Steinberg::int32 paramIndex,
                                                 Steinberg::Vst::ParameterInfo& info) override;
  Steinberg::tresult PLUGIN_API getParamStringByValue(Steinberg::Vst::ParamID id,
                                                      Steinberg::Vst::ParamValue valueNormalized,
                                                      Steinberg::Vst::String128 string) override;
  Steinberg::tresult PLUGIN_API
  getParamValueByString(Steinberg::Vst::ParamID id, Steinberg::Vst::TChar* string,
                        Steinberg::Vst::ParamValue& valueNormalized) override;
  Steinberg::Vst::ParamValue PLUGIN_API normalizedParamToPlain(
      Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue valueNormalized) override;
  Steinberg::Vst::ParamValue PLUGIN_API plainParamToNormalized(
      Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue plainValue) override;
  Steinberg::Vst::ParamValue PLUGIN_API getParamNormalized(Steinberg::Vst::ParamID id) override;
  Steinberg::tresult PLUGIN_API setParamNormalized(Steinberg::Vst::ParamID id,
                                                   Steinberg::Vst::ParamValue value) override;
  Steinberg::tresult PLUGIN_API
  setComponentHandler(Steinberg::Vst::IComponentHandler* handler) override;
  Steinberg::IPlugView* PLUGIN_API createView(Steinberg::FIDString name) override;

  // --- IEditController2 ---
  Steinberg::tresult PLUGIN_API setKnobMode(Steinberg::Vst::KnobMode mode) override;
  Steinberg::tresult PLUGIN_API openHelp(Steinberg::TBool onlyCheck) override;
  Steinberg::tresult PLUGIN_API openAboutBox(Steinberg::TBool onlyCheck) override;

  // --- IMidiMapping ---
  Steinberg::tresult PLUGIN_API getMidiControllerAssignment(Steinberg::int32 busIndex,
                                                            Steinberg::int16 channel,
                                                            Steinberg::Vst::CtrlNumber midiCC,
                                                            Steinberg::Vst::ParamID& id) override;

  // --- IUnitInfo ---
  Steinberg::int32 PLUGIN_API getUnitCount() override;
  Steinberg::tresult PLUGIN_API getUnitInfo(Steinberg::int32 unitIndex,
                                            Steinberg::Vst::UnitInfo& info) override;
  Steinberg::int32 PLUGIN_API getProgramListCount() override;
  Steinberg::tresult PLUGIN_API getProgramListInfo(Steinberg::int32 listIndex,
                                                   Steinberg::Vst::ProgramListInfo& info) override;
  Steinberg::tresult PLUGIN_API getProgramName(Steinberg::Vst::ProgramListID listId,
                                               Steinberg::int32 programIndex,
                                               Steinberg::Vst::String128 name) override;
  Steinberg::tresult PLUGIN_API getProgramInfo(Steinberg::Vst::ProgramListID listId,
                                               Steinberg::int32 programIndex,
                                               Steinberg::Vst::CString attributeId,
                                               Steinberg::Vst::String128 attributeValue) override;
  Steinberg::tresult PLUGIN_API hasProgramPitchNames(Steinberg::Vst::ProgramListID listId,
                                                     Steinberg::int32 programIndex) override;
  Steinberg::tresult PLUGIN_API getProgramPitchName(Steinberg::Vst::ProgramListID listId,
                                                    Steinberg::int32 programIndex,
                                                    Steinberg::int16 midiPitch,
                                                    Steinberg::Vst::String128 name) override;
  Steinberg::Vst::UnitID PLUGIN_API getSelectedUnit() override;
  Steinberg::tresult PLUGIN_API selectUnit(Steinberg::Vst::UnitID unitId) override;
  Steinberg::tresult PLUGIN_API getUnitByBus(Steinberg::Vst::MediaType type,
                                             Steinberg::Vst::BusDirection dir,
                                             Steinberg::int32 busIndex, Steinberg::int32 channel,
                                             Steinberg::Vst::UnitID& unitId) override;
  Steinberg::tresult PLUGIN_API setUnitProgramData(Steinberg::int32 listOrUnitId,
                                                   Steinberg::int32 programIndex,
                                                   Steinberg::IBStream* data) override;

  // --- ChannelContext::IInfoListener ---
  Steinberg::tresult PLUGIN_API
  setChannelContextInfos(Steinberg::Vst::IAttributeList* list) override;

  // --- IConnectionPoint: accepted and ignored; component and controller are
  // one object, so there is nothing to tell the other side. ---
  Steinberg::tresult PLUGIN_API connect(Steinberg::Vst::IConnectionPoint* other) override;
  Steinberg::tresult PLUGIN_API disconnect(Steinberg::Vst::IConnectionPoint* other) override;
  Steinberg::tresult PLUGIN_API notify(Steinberg::Vst::IMessage* message) override;

  // --- IHostLink (main thread) ---
  void SetHostParamValue(int paramIdx, double normalized) override;
  void BeginInformHostOfParamChange(int paramIdx) override;
  void InformHostOfParamChange(int paramIdx, double normalized) override;
  void EndInformHostOfParamChange(int paramIdx) override;
  void BeginGroupEdit() override;
  void EndGroupEdit() override;
  bool ResizeEditor(int width, int height) override;
  void LatencyChanged(int samples) override;
  // Asks the host to reload parameter titles.
  void InformHostOfParameterDetailsChange();

  // What the host told us about the track we sit on.
  struct TrackInfo {
    std::string name;
    std::string uid;
    Steinberg::int64 index = -1;
    Steinberg::int64 color = 0;
    std::string indexNamespace;
  };
  const TrackInfo& trackInfo() const { return channelContext_; }

private:
  // Keep these two private: VST 3 objects are released, never deleted.
  ~PluginVST3() override;
  struct Bus {
    std::string name;
    Steinberg::Vst::BusType type = Steinberg::Vst::kMain;
    Steinberg::int32 channels = 0;
    Steinberg::Vst::SpeakerArrangement arrangement = 0;
    bool defaultActive = false;
    bool active = false;
  };

  void buildAudioBuses(int configIdx);
  void buildEventBuses();
  void buildUnitsAndParameters();
  std::vector<Bus>* busList(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir);
  void identifyHost(Steinberg::FUnknown* context);
  bool readBypassWord(Steinberg::IBStream* stream, Steinberg::int64 streamStart, int position,
                      const IByteChunk& chunk, Steinberg::int32& bypass);

  // process, in its steps.
  void readTimeInfo(const Steinberg::Vst::ProcessData& data);
  void applyParameterChanges(Steinberg::Vst::IParameterChanges* changes);
  void takeMidiInput(Steinberg::Vst::IEventList* events);
  void renderAudio(Steinberg::Vst::ProcessData& data);
  void writeMidiOutput(Steinberg::Vst::IEventList* events, int nFrames);

  std::atomic<Steinberg::uint32> refCount_{1};
  std::unique_ptr<Halvora> plug_;
  Steinberg::FUnknown* hostContext_ = nullptr;
  Steinberg::Vst::IComponentHandler* handler_ = nullptr;
  Steinberg::Vst::IComponentHandler2* handler2_ = nullptr;

  std::vector<Bus> audioOutputs_;
  std::vector<Bus> audioInputs_;
  std::vector<Bus> eventInputs_;
  std::vector<Bus> eventOutputs_;
  std::vector<Steinberg::Vst::UnitInfo> units_;
  vst3::ParameterContainer params_;
  Steinberg::Vst::UnitID selectedUnit_ = kRootUnitID;

  // Channel pointers handed to ProcessBlock and the 32-bit buffers the
  // scratch buffers are copied into; sized outside processing.
  std::vector<double*> inputPtrs_;
  std::vector<double*> outputPtrs_;
  std::vector<float*> outputs32_;

  TrackInfo channelContext_;
};

} // namespace qm
