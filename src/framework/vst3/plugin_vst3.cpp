#include "framework/vst3/plugin_vst3.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "framework/vst3/utf16.h"
#include "framework/vst3/vst3_midi.h"
#include "framework/vst3/vst3_streams.h"
#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "pluginterfaces/vst/vstspeaker.h"

namespace qm {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {
constexpr int kHostNameUnits = 128;

// The program store and the state reader arrive with the programs code; until
// then the binding falls back on the plain program records.
template <class P>
bool restorePreset(P& plug, int idx) {
  if constexpr (requires { plug.RestorePreset(idx); }) {
    return plug.RestorePreset(idx);
  } else {
    return plug.SetCurrentPresetIdx(idx);
  }
}

template <class P>
std::string presetName(P& plug, int idx) {
  if constexpr (requires { plug.GetPresetName(idx); }) {
    return std::string(plug.GetPresetName(idx));
  } else {
    const IPreset* preset = plug.GetPreset(idx);
    return preset ? std::string(preset->mName) : std::string();
  }
}

template <class P>
int unserializeHostState(P& plug, const IByteChunk& chunk) {
  if constexpr (requires { plug.unserializeQuillmereState(chunk, 0); }) {
    return plug.unserializeQuillmereState(chunk, 0);
  } else {
    plug.SetRestoringState(true);
    const int pos = plug.UnserializeState(chunk, 0);
    plug.SetRestoringState(false);
    return pos;
  }
}

SpeakerArrangement arrangementFor(int channels) {
  switch (channels) {
  case 1:
    return SpeakerArr::kMono;
  case 2:
  case IOConfig::kWildcard:
    return SpeakerArr::kStereo;
  default:
    return channels > 0 && channels < 64 ? (SpeakerArrangement{1} << channels) - 1 : 0;
  }
}

// "Input"/"Output" for a single bus, "Main"/"Aux" for two inputs, otherwise
// numbered from 0.
std::string busName(ERoute dir, int idx, int nBuses) {
  const char* side = dir == kInput ? "Input" : "Output";
  if (nBuses == 1) return side;
  if (dir == kInput && nBuses == 2) return idx == 0 ? "Main" : "Aux";
  char name[32];
  std::snprintf(name, sizeof name, "%s %i", side, idx);
  return name;
}

void setUnit(UnitInfo& unit, UnitID id, UnitID parent, const char* name, ProgramListID list) {
  unit.id = id;
  unit.parentUnitId = parent;
  vst3::copyToUtf16(name, unit.name, 128);
  unit.programListId = list;
}

std::string readAttributeString(IAttributeList* list, IAttributeList::AttrID key) {
  String128 text{};
  if (list->getString(key, text, sizeof text) != kResultTrue) return {};
  char utf8[128 * 4];
  vst3::copyToUtf8(text, 128, utf8, sizeof utf8);
  return utf8;
}
} // namespace

PluginVST3::PluginVST3(Halvora* plug) : plug_(plug) {
  plug_->SetHostLink(this);
}

PluginVST3::~PluginVST3() {
  terminate();
  plug_->SetHostLink(nullptr);
}

// ---------------------------------------------------------------- FUnknown

tresult PLUGIN_API PluginVST3::queryInterface(const TUID iid, void** obj) {
  if (!obj) return kInvalidArgument;
  *obj = nullptr;
  auto is = [&](const TUID other) { return FUnknownPrivate::iidEqual(iid, other); };
  if (is(FUnknown::iid) || is(IPluginBase::iid) || is(IComponent::iid)) {
    *obj = static_cast<IComponent*>(this);
  } else if (is(IAudioProcessor::iid)) {
    *obj = static_cast<IAudioProcessor*>(this);
  } else if (is(IProcessContextRequirements::iid)) {
    *obj = static_cast<IProcessContextRequirements*>(this);
  } else if (is(IEditController::iid)) {
    *obj = static_cast<IEditController*>(this);
  } else if (is(IEditController2::iid)) {
    *obj = static_cast<IEditController2*>(this);
  } else if (is(IMidiMapping::iid)) {
    *obj = static_cast<IMidiMapping*>(this);
  } else if (is(IUnitInfo::iid)) {
    *obj = static_cast<IUnitInfo*>(this);
  } else if (is(ChannelContext::IInfoListener::iid)) {
    *obj = static_cast<ChannelContext::IInfoListener*>(this);
  } else if (is(IConnectionPoint::iid)) {
    *obj = static_cast<IConnectionPoint*>(this);
  } else {
    return kNoInterface;
  }
  addRef();
  return kResultOk;
}

uint32 PLUGIN_API PluginVST3::addRef() {
  return ++refCount_;
}

uint32 PLUGIN_API PluginVST3::release() {
  const uint32 left = --refCount_;
  if (left == 0) delete this;
  return left;
}

// ---------------------------------------------------------------- set-up

tresult PLUGIN_API PluginVST3::initialize(FUnknown* context) {
  // Component and controller are one object: the second call (hosts make
  // it on the controller interface) finds everything in place.
  if (hostContext_) return context == hostContext_ ? kResultOk : kResultFalse;
  if (!context) return kInvalidArgument;
  hostContext_ = context;
  hostContext_->addRef();

  int configIdx = -1;
  plug_->MaxNBuses(kOutput, &configIdx);
  buildAudioBuses(configIdx);
  buildEventBuses();
  buildUnitsAndParameters();

  const int nIn = plug_->NChannels(kInput);
  const int nOut = plug_->NChannels(kOutput);
  inputPtrs_.assign(static_cast<size_t>(std::max(nIn, 1)), nullptr);
  outputPtrs_.assign(static_cast<size_t>(std::max(nOut, 1)), nullptr);
  outputs32_.assign(static_cast<size_t>(std::max(nOut, 1)), nullptr);

  if (plug_->GetHost() == kHostUninit) {
    identifyHost(context);
  } else {
    plug_->OnHostIdentified();
  }
  plug_->OnParamReset(kReset);
  return kResultOk;
}

tresult PLUGIN_API PluginVST3::terminate() {
  audioInputs_.clear();
  audioOutputs_.clear();
  eventInputs_.clear();
  eventOutputs_.clear();
  units_.clear();
  params_.clear();
  setComponentHandler(nullptr);
  if (hostContext_) {
    hostContext_->release();
    hostContext_ = nullptr;
  }
  return kResultOk;
}

void PluginVST3::identifyHost(FUnknown* context) {
  IHostApplication* app = nullptr;
  char name[kHostNameUnits * 4] = {};
  if (context->queryInterface(IHostApplication::iid, reinterpret_cast<void**>(&app)) == kResultOk &&
      app) {
    String128 text{};
    if (app->getName(text) == kResultOk) {
      text[kHostNameUnits - 1] = 0;
      vst3::copyToUtf8(text, kHostNameUnits, name, sizeof name);
    }
    app->release();
  }
  plug_->SetHost(name, 0);
}

void PluginVST3::buildAudioBuses(int configIdx) {
  audioInputs_.clear();
  audioOutputs_.clear();
  const IOConfig* config = plug_->GetIOConfig(configIdx);
  if (!config) return;
  for (ERoute dir : {kInput, kOutput}) {
    std::vector<Bus>& list = dir == kInput ? audioInputs_ : audioOutputs_;
    const int nBuses = config->NBuses(dir);
    for (int i = 0; i < nBuses; ++i) {
      const int channels = config->buses[dir][static_cast<size_t>(i)];
      Bus bus;
      bus.name = busName(dir, i, nBuses);
      bus.type = i == 0 ? kMain : kAux;
      bus.arrangement = arrangementFor(channels);
      bus.channels = SpeakerArr::getChannelCount(bus.arrangement);
      bus.defaultActive = i == 0;
      bus.active = bus.defaultActive;
      list.push_back(bus);
    }
  }
}

void PluginVST3::buildEventBuses() {
  eventInputs_.clear();
  eventOutputs_.clear();
  auto eventBus = [](const char* name) {
    Bus bus;
    bus.name = name;
    bus.type = kMain;
    bus.channels = 1;
    bus.defaultActive = true;
    bus.active = true;
    return bus;
  };
  if (plug_->DoesMIDIIn()) eventInputs_.push_back(eventBus("MIDI Input"));
  if (plug_->DoesMIDIOut()) eventOutputs_.push_back(eventBus("MIDI Output"));
}

void PluginVST3::buildUnitsAndParameters() {
  units_.clear();
  UnitInfo unit{};
  setUnit(unit, kRootUnitID, kNoParentUnitId, "Root",
          plug_->NPresets() > 0 ? kProgramListID : kNoProgramListId);
  units_.push_back(unit);
  const bool withMidi = plug_->DoesMIDIIn();
  if (withMidi) {
    setUnit(unit, kMidiUnitID, kRootUnitID, "MIDI CCs", kNoProgramListId);
    units_.push_back(unit);
    setUnit(unit, kMidiChannelUnitID, kMidiUnitID, "CH1", kNoProgramListId);
    units_.push_back(unit);
  }
  params_.build(*plug_, kRootUnitID, kMidiChannelUnitID, withMidi);
}

// ---------------------------------------------------------------- IComponent

tresult PLUGIN_API PluginVST3::getControllerClassId(TUID) {
  return kNotImplemented;
}

tresult PLUGIN_API PluginVST3::setIoMode(IoMode) {
  return kNotImplemented;
}

std::vector<PluginVST3::Bus>* PluginVST3::busList(MediaType type, BusDirection dir) {
  if (type == kAudio) return dir == Vst::kInput ? &audioInputs_ : &audioOutputs_;
  if (type == kEvent) return dir == Vst::kInput ? &eventInputs_ : &eventOutputs_;
  return nullptr;
}

int32 PLUGIN_API PluginVST3::getBusCount(MediaType type, BusDirection dir) {
  const std::vector<Bus>* list = busList(type, dir);
  return list ? static_cast<int32>(list->size()) : 0;
}

tresult PLUGIN_API PluginVST3::getBusInfo(MediaType type, BusDirection dir, int32 index,
                                          BusInfo& info) {
  const std::vector<Bus>* list = busList(type, dir);
  if (!list || index < 0 || index >= static_cast<int32>(list->size())) return kInvalidArgument;
  const Bus& bus = (*list)[static_cast<size_t>(index)];
  info.mediaType = type;
  info.direction = dir;
  info.channelCount = bus.channels;
  vst3::copyToUtf16(bus.name.c_str(), info.name, 128);
  info.busType = bus.type;
  info.flags = bus.defaultActive ? BusInfo::kDefaultActive : 0;
  return kResultOk;
}

tresult PLUGIN_API PluginVST3::getRoutingInfo(RoutingInfo&, RoutingInfo&) {
  return kNotImplemented;
}

tresult PLUGIN_API PluginVST3::activateBus(MediaType type, BusDirection dir, int32 index,
                                           TBool state) {
  std::vector<Bus>* list = busList(type, dir);
  if (!list || index < 0 || index >= static_cast<int32>(list->size())) return kInvalidArgument;
  (*list)[static_cast<size_t>(index)].active = state != 0;
  return kResultOk;
}

tresult PLUGIN_API PluginVST3::setActive(TBool state) {
  plug_->SetActive(state != 0);
  return kResultOk;
}

// ---------------------------------------------------------------- state

tresult PluginVST3::getComponentStateForHost(IBStream* stream) {
  if (!stream) return kInvalidArgument;
  IByteChunk chunk;
  if (!plug_->SerializeState(chunk)) return kResultFalse;
  const int32 bypass = plug_->GetBypassed() ? 1 : 0;
  if (!vst3::writeAll(stream, chunk.GetData(), chunk.Size())) return kResultFalse;
  if (!vst3::writeAll(stream, &bypass, sizeof bypass)) return kResultFalse;
  return kResultOk;
}

tresult PluginVST3::setComponentStateFromHost(IBStream* stream) {
  if (!stream) return kInvalidArgument;
  int64 start = 0;
  if (stream->tell(&start) != kResultOk || start < 0) start = 0;

  IByteChunk chunk;
  const bool keepReadingOnFailure = plug_->GetHost() == kHostWaveLab;
  if (!vst3::readAll(stream, chunk, keepReadingOnFailure, kMaxStateBytes)) return kResultFalse;

  const int pos = unserializeHostState(*plug_, chunk);
  int32 bypass = 0;
  // The parameters already applied stay; the host-side copies and the
  // editor are only refreshed for a complete state.
  if (pos < 0 || !readBypassWord(stream, start, pos, chunk, bypass)) return kResultFalse;

  for (int i = 0; i < plug_->NParams(); ++i) {
    if (vst3::HostParameter* param = params_.find(static_cast<ParamID>(i))) {
      param->setNormalized(plug_->GetParam(i)->GetNormalized());
    }
  }
  if (vst3::HostParameter* param = params_.find(vst3::kBypassParamID)) {
    param->setNormalized(bypass != 0 ? 1.0 : 0.0);
  }
  plug_->OnRestoreState();
  return kResultOk;
}

bool PluginVST3::readBypassWord(IBStream* stream, int64 start, int pos, const IByteChunk& chunk,
                                int32& bypass) {
  // Usually the word came in with the chunk; a stream that stopped early may
  // still hand it over after a seek.
  if (chunk.Get(&bypass, pos) >= 0) return true;
  int64 reached = 0;
  if (stream->seek(start + pos, IBStream::kIBSeekSet, &reached) != kResultOk) return false;
  int32 read = 0;
  return stream->read(&bypass, sizeof bypass, &read) == kResultOk && read == sizeof bypass;
}

// ---------------------------------------------------------------- IAudioProcessor

tresult PLUGIN_API PluginVST3::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                  SpeakerArrangement* outputs, int32 numOuts) {
  if (plug_->GetHost() == kHostArdour || plug_->GetHost() == kHostMixbus) return kResultOk;
  if (numIns < 0 || numOuts < 0 || (numIns > 0 && !inputs) || (numOuts > 0 && !outputs)) {
    return kInvalidArgument;
  }
  plug_->SetChannelsConnected(kInput, false);
  plug_->SetChannelsConnected(kOutput, false);
  if (numIns > plug_->MaxNBuses(kInput) || numOuts > plug_->MaxNBuses(kOutput)) return kResultFalse;

  std::vector<int> inCounts, outCounts;
  for (int32 i = 0; i < numIns; ++i) inCounts.push_back(SpeakerArr::getChannelCount(inputs[i]));
  for (int32 i = 0; i < numOuts; ++i) outCounts.push_back(SpeakerArr::getChannelCount(outputs[i]));
  const int configIdx = plug_->FindIOConfig(inCounts, outCounts);
  if (configIdx < 0) return kResultFalse;
  buildAudioBuses(configIdx);
  return kResultOk;
}

tresult PLUGIN_API PluginVST3::getBusArrangement(BusDirection dir, int32 index,
                                                 SpeakerArrangement& arr) {
  const std::vector<Bus>* list = busList(kAudio, dir);
  if (!list || index < 0 || index >= static_cast<int32>(list->size())) return kInvalidArgument;
  arr = (*list)[static_cast<size_t>(index)].arrangement;
  return kResultOk;
}

tresult PLUGIN_API PluginVST3::canProcessSampleSize(int32 size) {
  return size == kSample32 || size == kSample64 ? kResultTrue : kResultFalse;
}

uint32 PLUGIN_API PluginVST3::getLatencySamples() {
  return static_cast<uint32>(std::max(plug_->GetLatency(), 0));
}

uint32 PLUGIN_API PluginVST3::getTailSamples() {
  const int tail = plug_->GetTailSize();
  if (tail == kMaxInt32) return kInfiniteTail;
  return static_cast<uint32>(std::max(tail, 0));
}

tresult PLUGIN_API PluginVST3::setupProcessing(ProcessSetup& setup) {
  const int bits = setup.symbolicSampleSize == kSample32   ? 32
                   : setup.symbolicSampleSize == kSample64 ? 64
                                                           : 0;
  if (!plug_->SetupProcessing(bits, setup.sampleRate, setup.maxSamplesPerBlock))
    return kResultFalse;
  plug_->SetRenderingOffline(setup.processMode == kOffline);
  return kResultOk;
}

tresult PLUGIN_API PluginVST3::setProcessing(TBool state) {
  plug_->SetProcessing(state != 0);
  return kResultOk;
}

uint32 PLUGIN_API PluginVST3::getProcessContextRequirements() {
  using R = IProcessContextRequirements;
  return R::kNeedProjectTimeMusic | R::kNeedBarPositionMusic | R::kNeedCycleMusic | R::kNeedTempo |
         R::kNeedTimeSignature | R::kNeedTransportState;
}

tresult PLUGIN_API PluginVST3::process(ProcessData& data) {
  readTimeInfo(data);
  applyParameterChanges(data.inputParameterChanges);
  if (plug_->DoesMIDIIn()) {
    takeMidiInput(data.inputEvents);
    plug_->ProcessMidiMsgsFromEditor();
  }
  renderAudio(data);
  writeMidiOutput(data.outputEvents, std::max(data.numSamples, 0));
  return kResultOk;
}

void PluginVST3::readTimeInfo(const ProcessData& data) {
  plug_->SetRenderingOffline(data.processMode == kOffline);
  const ProcessContext* context = data.processContext;
  if (!context) return;
  ITimeInfo info = plug_->GetTimeInfo();
  // Fields the host marks as missing keep their last value.
  if (context->state & ProcessContext::kTempoValid) info.mTempo = context->tempo;
  if (context->state & ProcessContext::kProjectTimeMusicValid) {
    info.mPPQPos = context->projectTimeMusic;
    info.mSamplePos = static_cast<double>(context->projectTimeSamples);
  } else {
    info.mSamplePos = -1.0;
  }
  if (context->state & ProcessContext::kBarPositionValid) info.mLastBar = context->barPositionMusic;
  if (context->state & ProcessContext::kCycleValid) {
    info.mCycleStart = context->cycleStartMusic;
    info.mCycleEnd = context->cycleEndMusic;
  }
  if ((context->state & ProcessContext::kTimeSigValid) && context->timeSigNumerator > 0 &&
      context->timeSigDenominator > 0) {
    info.mNumerator = context->timeSigNumerator;
    info.mDenominator = context->timeSigDenominator;
  }
  info.mTransportIsRunning = (context->state & ProcessContext::kPlaying) != 0;
  info.mTransportLoopEnabled = (context->state & ProcessContext::kCycleActive) != 0;
  plug_->SetTimeInfo(info);
}

void PluginVST3::applyParameterChanges(IParameterChanges* changes) {
  if (!changes) return;
  const int32 nQueues = changes->getParameterCount();
  const auto nParams = static_cast<ParamID>(plug_->NParams());
  for (int32 q = 0; q < nQueues; ++q) {
    IParamValueQueue* queue = changes->getParameterData(q);
    if (!queue) continue;
    const int32 nPoints = queue->getPointCount();
    if (nPoints <= 0) continue;
    int32 offset = 0;
    ParamValue value = 0.0;
    if (queue->getPoint(nPoints - 1, offset, value) != kResultOk || std::isnan(value)) continue;
    offset = std::max(offset, 0);
    const ParamID id = queue->getParameterId();

    if (id == vst3::kBypassParamID) {
      plug_->SetBypassed(value > 0.5);
    } else if (id < nParams) {
      plug_->GetParam(static_cast<int>(id))->SetNormalized(value);
      // The host's copy follows the automation it sent.
      if (vst3::HostParameter* param = params_.find(id)) param->setNormalized(value);
      plug_->OnParamChange(static_cast<int>(id), kHost, offset);
    } else if (id > vst3::kPresetParamID) {
      IMidiMsg msg;
      if (vst3::midiFromControllerParam(id, value, offset, msg)) {
        plug_->ProcessMidiMsg(msg);
        plug_->PushMidiMsgFromProcessor(msg);
      }
    }
  }
}

void PluginVST3::takeMidiInput(IEventList* events) {
  if (!events) return;
  const int32 count = events->getEventCount();
  for (int32 i = 0; i < count; ++i) {
    Event event{};
    if (events->getEvent(i, event) != kResultOk) continue;
    if (event.type == Event::kDataEvent) {
      if (event.data.type == DataEvent::kMidiSysEx && event.data.bytes && event.data.size > 0) {
        plug_->ProcessSysEx(
            {std::max(event.sampleOffset, 0), event.data.bytes, static_cast<int>(event.data.size)});
      }
      continue;
    }
    IMidiMsg msg;
    if (!vst3::midiFromEvent(event, msg)) continue;
    plug_->ProcessMidiMsg(msg);
    plug_->PushMidiMsgFromProcessor(msg);
  }
}

void PluginVST3::renderAudio(ProcessData& data) {
  const int nFrames = data.numSamples;
  if (nFrames <= 0) return; // a parameter flush: nothing to render
  const bool is32 = data.symbolicSampleSize == kSample32;
  const int nOut = plug_->NChannels(kOutput);
  const int scratchFrames = plug_->GetBlockSize();
  const bool fits = nFrames <= scratchFrames;

  // Every channel starts unconnected, writing into its scratch buffer.
  for (int c = 0; c < nOut; ++c) {
    IChannelData* channel = plug_->GetChannel(kOutput, c);
    channel->mConnected = false;
    channel->mData = channel->mScratchBuf.data();
    outputs32_[static_cast<size_t>(c)] = nullptr;
  }
  int first = 0;
  const auto nBuses =
      std::min<int32>(data.outputs ? data.numOutputs : 0, static_cast<int32>(audioOutputs_.size()));
  for (int32 b = 0; b < nBuses; ++b) {
    const AudioBusBuffers& bus = data.outputs[b];
    const int busChannels = audioOutputs_[static_cast<size_t>(b)].channels;
    for (int k = 0; k < busChannels && first + k < nOut; ++k) {
      if (k >= bus.numChannels) break;
      IChannelData* channel = plug_->GetChannel(kOutput, first + k);
      if (is32) {
        float* out = bus.channelBuffers32 ? bus.channelBuffers32[k] : nullptr;
        if (!out) continue;
        channel->mConnected = true;
        outputs32_[static_cast<size_t>(first + k)] = out;
      } else {
        double* out = bus.channelBuffers64 ? bus.channelBuffers64[k] : nullptr;
        if (!out) continue;
        channel->mConnected = true;
        channel->mData = out;
      }
    }
    first += busChannels;
  }
  for (int32 b = 0; b < (data.outputs ? data.numOutputs : 0); ++b) data.outputs[b].silenceFlags = 0;

  if (!fits) {
    // A block longer than the host promised: silence rather than write past
    // the scratch buffers.
    for (int c = 0; c < nOut; ++c) {
      IChannelData* channel = plug_->GetChannel(kOutput, c);
      if (!channel->mConnected) continue;
      if (float* out = outputs32_[static_cast<size_t>(c)]) {
        std::fill(out, out + nFrames, 0.0f);
      } else {
        std::fill(channel->mData, channel->mData + nFrames, 0.0);
      }
    }
    return;
  }

  for (int c = 0; c < nOut; ++c) {
    IChannelData* channel = plug_->GetChannel(kOutput, c);
    std::fill(channel->mData, channel->mData + nFrames, 0.0);
    outputPtrs_[static_cast<size_t>(c)] = channel->mData;
  }
  // Bypassed, the outputs carry the inputs: there are none, so silence.
  if (!plug_->GetBypassed()) {
    plug_->ProcessBlock(inputPtrs_.data(), outputPtrs_.data(), nFrames);
  }
  if (is32) {
    for (int c = 0; c < nOut; ++c) {
      float* out = outputs32_[static_cast<size_t>(c)];
      if (!out) continue;
      const double* in = outputPtrs_[static_cast<size_t>(c)];
      for (int i = 0; i < nFrames; ++i) out[i] = static_cast<float>(in[i]);
    }
  }
}

void PluginVST3::writeMidiOutput(IEventList* events, int nFrames) {
  IMidiQueue& queue = plug_->GetMidiOutQueue();
  const int lastOffset = std::max(nFrames - 1, 0);
  while (!queue.Empty()) {
    IMidiMsg msg = queue.Peek();
    queue.Remove();
    if (!events || !plug_->DoesMIDIOut()) continue;
    msg.mOffset = std::clamp(msg.mOffset, 0, lastOffset);
    Event event{};
    if (vst3::eventFromMidi(msg, event)) events->addEvent(event);
  }
  queue.Flush(nFrames);
}

// ---------------------------------------------------------------- IEditController

tresult PluginVST3::setEditorState(IBStream*) {
  return kResultOk;
}
tresult PluginVST3::getEditorState(IBStream*) {
  return kResultOk;
}
tresult PLUGIN_API PluginVST3::setComponentState(IBStream*) {
  return kResultOk;
}

int32 PLUGIN_API PluginVST3::getParameterCount() {
  return params_.count();
}

tresult PLUGIN_API PluginVST3::getParameterInfo(int32 index, ParameterInfo& info) {
  const vst3::HostParameter* param = params_.at(index);
  if (!param) return kInvalidArgument;
  info = param->info();
  return kResultOk;
}

tresult PLUGIN_API PluginVST3::getParamStringByValue(ParamID id, ParamValue value, String128 text) {
  const vst3::HostParameter* param = params_.find(id);
  if (!param || !text || std::isnan(value)) return kInvalidArgument;
  param->toString(std::clamp(value, 0.0, 1.0), text);
  return kResultOk;
}

tresult PLUGIN_API PluginVST3::getParamValueByString(ParamID id, TChar* text, ParamValue& value) {
  const vst3::HostParameter* param = params_.find(id);
  if (!param || !text) return kInvalidArgument;
  return param->fromString(text, value) ? kResultOk : kResultFalse;
}

ParamValue PLUGIN_API PluginVST3::normalizedParamToPlain(ParamID id, ParamValue value) {
  const vst3::HostParameter* param = params_.find(id);
  return param ? param->toPlain(value) : value;
}

ParamValue PLUGIN_API PluginVST3::plainParamToNormalized(ParamID id, ParamValue plain) {
  const vst3::HostParameter* param = params_.find(id);
  return param ? param->toNormalized(plain) : plain;
}

ParamValue PLUGIN_API PluginVST3::getParamNormalized(ParamID id) {
  const vst3::HostParameter* param = params_.find(id);
  return param ? param->normalized() : 0.0;
}

tresult PLUGIN_API PluginVST3::setParamNormalized(ParamID id, ParamValue value) {
  vst3::HostParameter* param = params_.find(id);
  if (!param || !param->setNormalized(value)) return kResultFalse;
  value = param->normalized();
  if (id < static_cast<ParamID>(plug_->NParams())) {
    const int idx = static_cast<int>(id);
    plug_->GetParam(idx)->SetNormalized(value);
    plug_->OnParamChangeUI(idx, kHost);
    plug_->SendParameterValueFromDelegate(idx, value, true);
  } else if (id == vst3::kPresetParamID) {
    restorePreset(*plug_, params_.preset()->program(value));
  }
  return kResultOk;
}

tresult PLUGIN_API PluginVST3::setComponentHandler(IComponentHandler* handler) {
  if (handler == handler_) return kResultOk;
  if (handler2_) handler2_->release();
  if (handler_) handler_->release();
  handler_ = handler;
  handler2_ = nullptr;
  if (handler_) {
    handler_->addRef();
    if (handler_->queryInterface(IComponentHandler2::iid, reinterpret_cast<void**>(&handler2_)) !=
        kResultOk) {
      handler2_ = nullptr;
    }
  }
  return kResultOk;
}

// The editor view comes with the graphics code.
IPlugView* PLUGIN_API PluginVST3::createView(FIDString) {
  return nullptr;
}

tresult PLUGIN_API PluginVST3::setKnobMode(KnobMode) {
  return kResultFalse;
}
tresult PLUGIN_API PluginVST3::openHelp(TBool) {
  return kResultFalse;
}
tresult PLUGIN_API PluginVST3::openAboutBox(TBool) {
  return kResultFalse;
}

// ---------------------------------------------------------------- IMidiMapping

tresult PLUGIN_API PluginVST3::getMidiControllerAssignment(int32 busIndex, int16 channel,
                                                           CtrlNumber midiCC, ParamID& id) {
  if (!plug_->DoesMIDIIn() || busIndex != 0 || channel != 0) return kResultFalse;
  if (midiCC < 0 || midiCC >= vst3::kMidiParamsPerChannel) return kResultFalse;
  id = vst3::kMidiCCParamID + static_cast<ParamID>(channel * vst3::kMidiParamsPerChannel + midiCC);
  return kResultTrue;
}

// ---------------------------------------------------------------- IUnitInfo

int32 PLUGIN_API PluginVST3::getUnitCount() {
  return static_cast<int32>(units_.size());
}

tresult PLUGIN_API PluginVST3::getUnitInfo(int32 index, UnitInfo& info) {
  if (index < 0 || index >= getUnitCount()) return kInvalidArgument;
  info = units_[static_cast<size_t>(index)];
  return kResultOk;
}

int32 PLUGIN_API PluginVST3::getProgramListCount() {
  return plug_->NPresets() > 0 ? 1 : 0;
}

tresult PLUGIN_API PluginVST3::getProgramListInfo(int32 index, ProgramListInfo& info) {
  if (index != 0 || getProgramListCount() == 0) return kInvalidArgument;
  info.id = kProgramListID;
  vst3::copyToUtf16("Factory Presets", info.name, 128);
  info.programCount = plug_->NPresets();
  return kResultOk;
}

tresult PLUGIN_API PluginVST3::getProgramName(ProgramListID list, int32 index, String128 name) {
  if (list != kProgramListID || index < 0 || index >= plug_->NPresets() || !name) {
    return kInvalidArgument;
  }
  vst3::copyToUtf16(presetName(*plug_, index).c_str(), name, 128);
  return kResultOk;
}

tresult PLUGIN_API PluginVST3::getProgramInfo(ProgramListID, int32, Vst::CString, String128) {
  return kResultFalse;
}

tresult PLUGIN_API PluginVST3::hasProgramPitchNames(ProgramListID, int32) {
  return kResultFalse;
}

tresult PLUGIN_API PluginVST3::getProgramPitchName(ProgramListID, int32, int16, String128) {
  return kResultFalse;
}

UnitID PLUGIN_API PluginVST3::getSelectedUnit() {
  return selectedUnit_;
}

tresult PLUGIN_API PluginVST3::selectUnit(UnitID unitId) {
  selectedUnit_ = unitId;
  return kResultOk;
}

tresult PLUGIN_API PluginVST3::getUnitByBus(MediaType, BusDirection, int32, int32, UnitID&) {
  return kResultFalse;
}

tresult PLUGIN_API PluginVST3::setUnitProgramData(int32, int32, IBStream*) {
  return kResultFalse;
}

// ---------------------------------------------------------------- channel context

tresult PLUGIN_API PluginVST3::setChannelContextInfos(IAttributeList* list) {
  if (!list) return kInvalidArgument;
  channelContext_.name = readAttributeString(list, ChannelContext::kChannelNameKey);
  channelContext_.uid = readAttributeString(list, ChannelContext::kChannelUIDKey);
  channelContext_.indexNamespace =
      readAttributeString(list, ChannelContext::kChannelIndexNamespaceKey);
  int64 value = 0;
  if (list->getInt(ChannelContext::kChannelIndexKey, value) == kResultTrue) {
    channelContext_.index = value;
  }
  if (list->getInt(ChannelContext::kChannelColorKey, value) == kResultTrue) {
    channelContext_.color = value;
  }
  return kResultOk;
}

// ---------------------------------------------------------------- connection point

tresult PLUGIN_API PluginVST3::connect(IConnectionPoint* other) {
  return other ? kResultOk : kInvalidArgument;
}

tresult PLUGIN_API PluginVST3::disconnect(IConnectionPoint* other) {
  return other ? kResultOk : kInvalidArgument;
}

tresult PLUGIN_API PluginVST3::notify(IMessage* message) {
  return message ? kResultFalse : kInvalidArgument;
}

// ---------------------------------------------------------------- IHostLink

void PluginVST3::SetHostParamValue(int paramIdx, double normalized) {
  if (vst3::HostParameter* param = params_.find(static_cast<ParamID>(paramIdx))) {
    param->setNormalized(normalized);
  }
}

void PluginVST3::BeginInformHostOfParamChange(int paramIdx) {
  if (handler_) handler_->beginEdit(static_cast<ParamID>(paramIdx));
}

void PluginVST3::InformHostOfParamChange(int paramIdx, double normalized) {
  if (handler_) handler_->performEdit(static_cast<ParamID>(paramIdx), normalized);
}

void PluginVST3::EndInformHostOfParamChange(int paramIdx) {
  if (handler_) handler_->endEdit(static_cast<ParamID>(paramIdx));
}

void PluginVST3::BeginGroupEdit() {
  if (handler2_) handler2_->startGroupEdit();
}

void PluginVST3::EndGroupEdit() {
  if (handler2_) handler2_->finishGroupEdit();
}

// No view yet, so no frame to ask.
bool PluginVST3::ResizeEditor(int, int) {
  return false;
}

void PluginVST3::LatencyChanged(int) {
  if (handler_) handler_->restartComponent(kLatencyChanged);
}

void PluginVST3::InformHostOfParameterDetailsChange() {
  if (handler_) handler_->restartComponent(kParamTitlesChanged);
}

} // namespace qm
