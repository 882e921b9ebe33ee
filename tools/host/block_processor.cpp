#include "host/block_processor.h"

#include <algorithm>
#include <cmath>

#include "host/tresult_text.h"

namespace vst3host {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {
constexpr double kDefaultTempo = 120.0;
constexpr double kQuarterNotesPerWhole = 4.0;
} // namespace

BlockProcessor::BlockProcessor(Instance& instance)
    : instance_(instance), settings_(instance.processSettings()),
      inputChanges_(makeHostObject<ParameterChanges>()),
      outputChanges_(makeHostObject<ParameterChanges>()), inputEvents_(makeHostObject<EventList>()),
      outputEvents_(makeHostObject<EventList>()) {
  allocate(inputs_, instance.buses(kAudio, kInput));
  allocate(outputs_, instance.buses(kAudio, kOutput));
  inputBuffers_.resize(inputs_.size());
  outputBuffers_.resize(outputs_.size());

  context_.state = ProcessContext::kTempoValid | ProcessContext::kTimeSigValid |
                   ProcessContext::kProjectTimeMusicValid | ProcessContext::kBarPositionValid |
                   ProcessContext::kContTimeValid | ProcessContext::kPlaying;
  context_.sampleRate = settings_.sampleRate;
  context_.tempo = kDefaultTempo;
  context_.timeSigNumerator = 4;
  context_.timeSigDenominator = 4;
}

void BlockProcessor::allocate(std::vector<Bus>& buses, const std::vector<BusDescription>& layout) {
  // Every bus gets buffers, active or not: plug-ins may touch them all.
  const auto frames = static_cast<size_t>(settings_.maxBlockSize);
  buses.resize(layout.size());
  for (size_t b = 0; b < layout.size(); ++b) {
    Bus& bus = buses[b];
    const auto channels = static_cast<size_t>(std::max(layout[b].channelCount, 0));
    bus.samples64.assign(channels, std::vector<double>(frames, 0.0));
    bus.samples32.assign(channels, std::vector<float>(frames, 0.0f));
    for (size_t c = 0; c < channels; ++c) {
      bus.pointers64.push_back(bus.samples64[c].data());
      bus.pointers32.push_back(bus.samples32[c].data());
    }
  }
}

int32 BlockProcessor::outputChannelCount(int32 bus) const {
  if (bus < 0 || bus >= outputBusCount()) return 0;
  return static_cast<int32>(outputs_[static_cast<size_t>(bus)].samples64.size());
}

std::span<const double> BlockProcessor::output64(int32 bus, int32 channel) const {
  if (channel < 0 || channel >= outputChannelCount(bus)) return {};
  return outputs_[static_cast<size_t>(bus)].samples64[static_cast<size_t>(channel)];
}

std::span<const float> BlockProcessor::output32(int32 bus, int32 channel) const {
  if (channel < 0 || channel >= outputChannelCount(bus)) return {};
  return outputs_[static_cast<size_t>(bus)].samples32[static_cast<size_t>(channel)];
}

std::span<double> BlockProcessor::input64(int32 bus, int32 channel) {
  if (bus < 0 || bus >= static_cast<int32>(inputs_.size())) return {};
  auto& channels = inputs_[static_cast<size_t>(bus)].samples64;
  if (channel < 0 || channel >= static_cast<int32>(channels.size())) return {};
  return channels[static_cast<size_t>(channel)];
}

std::span<float> BlockProcessor::input32(int32 bus, int32 channel) {
  if (bus < 0 || bus >= static_cast<int32>(inputs_.size())) return {};
  auto& channels = inputs_[static_cast<size_t>(bus)].samples32;
  if (channel < 0 || channel >= static_cast<int32>(channels.size())) return {};
  return channels[static_cast<size_t>(channel)];
}

bool BlockProcessor::addParameterChange(ParamID id, int32 sampleOffset, double normalized) {
  return inputChanges_->add(id, sampleOffset, normalized);
}

void BlockProcessor::addNoteOn(int32 sampleOffset, int16 channel, int16 pitch, float velocity,
                               int32 noteId, int32 bus) {
  Event e{};
  e.busIndex = bus;
  e.sampleOffset = sampleOffset;
  e.type = Event::kNoteOnEvent;
  e.noteOn.channel = channel;
  e.noteOn.pitch = pitch;
  e.noteOn.velocity = std::clamp(velocity, 0.0f, 1.0f);
  e.noteOn.noteId = noteId;
  inputEvents_->add(e);
}

void BlockProcessor::addNoteOff(int32 sampleOffset, int16 channel, int16 pitch, float velocity,
                                int32 noteId, int32 bus) {
  Event e{};
  e.busIndex = bus;
  e.sampleOffset = sampleOffset;
  e.type = Event::kNoteOffEvent;
  e.noteOff.channel = channel;
  e.noteOff.pitch = pitch;
  e.noteOff.velocity = std::clamp(velocity, 0.0f, 1.0f);
  e.noteOff.noteId = noteId;
  inputEvents_->add(e);
}

Status BlockProcessor::addMidiController(int32 sampleOffset, int16 channel, CtrlNumber controller,
                                         double normalized, int32 bus) {
  Result<ParamID> id = instance_.midiControllerAssignment(bus, channel, controller);
  if (!id) return id.status();
  if (!addParameterChange(*id, sampleOffset, normalized)) {
    return Status::fail("controller value " + std::to_string(normalized) + " at sample " +
                        std::to_string(sampleOffset) + " is out of range");
  }
  return Status::ok();
}

void BlockProcessor::addLegacyMidiEvent(int32 sampleOffset, int8 channel, uint8 controlNumber,
                                        int8 value, int8 value2, int32 bus) {
  Event e{};
  e.busIndex = bus;
  e.sampleOffset = sampleOffset;
  e.type = Event::kLegacyMIDICCOutEvent;
  e.midiCCOut.channel = channel;
  e.midiCCOut.controlNumber = controlNumber;
  e.midiCCOut.value = value;
  e.midiCCOut.value2 = value2;
  inputEvents_->add(e);
}

void BlockProcessor::setPlaying(bool playing) {
  if (playing) {
    context_.state |= ProcessContext::kPlaying;
  } else {
    context_.state &= ~static_cast<uint32>(ProcessContext::kPlaying);
  }
}

Status BlockProcessor::checkOffsets(int32 numSamples) const {
  // A zero-sample block still admits offset 0.
  const int32 last = std::max(numSamples - 1, 0);
  for (int32 q = 0; q < inputChanges_->count(); ++q) {
    const ParameterValueQueue& queue = inputChanges_->queue(q);
    for (const ParameterPoint& p : queue.points()) {
      if (p.sampleOffset > last) {
        return Status::fail("parameter " + std::to_string(queue.id()) + " changes at sample " +
                            std::to_string(p.sampleOffset) + ", outside a block of " +
                            std::to_string(numSamples));
      }
    }
  }
  for (const Event& e : inputEvents_->events()) {
    if (e.sampleOffset < 0 || e.sampleOffset > last) {
      return Status::fail("event at sample " + std::to_string(e.sampleOffset) +
                          " is outside a block of " + std::to_string(numSamples));
    }
  }
  return Status::ok();
}

Status BlockProcessor::process(int32 numSamples) {
  if (numSamples <= 0 || numSamples > settings_.maxBlockSize) {
    return Status::fail("process: " + std::to_string(numSamples) + " samples is not in 1.." +
                        std::to_string(settings_.maxBlockSize));
  }
  return run(numSamples, true);
}

Status BlockProcessor::flushParameters() {
  return run(0, false);
}

Status BlockProcessor::run(int32 numSamples, bool withBuffers) {
  if (!instance_.isProcessing()) return Status::fail("process: processing is not switched on");
  if (Status s = checkOffsets(numSamples); !s) return s;
  inputEvents_->sortByOffset();
  outputEvents_->clear();
  outputChanges_->clear();

  const bool is64 = settings_.sampleSize == kSample64;
  auto attach = [&](std::vector<Bus>& buses, std::vector<AudioBusBuffers>& buffers, bool clear) {
    for (size_t b = 0; b < buses.size(); ++b) {
      Bus& bus = buses[b];
      buffers[b].numChannels = static_cast<int32>(bus.pointers64.size());
      buffers[b].silenceFlags = 0;
      if (is64) {
        buffers[b].channelBuffers64 = bus.pointers64.data();
      } else {
        buffers[b].channelBuffers32 = bus.pointers32.data();
      }
      if (!clear) continue;
      for (auto& channel : bus.samples64) std::fill(channel.begin(), channel.end(), 0.0);
      for (auto& channel : bus.samples32) std::fill(channel.begin(), channel.end(), 0.0f);
    }
  };

  ProcessData data;
  data.processMode = settings_.mode;
  data.symbolicSampleSize = settings_.sampleSize;
  data.numSamples = numSamples;
  if (withBuffers) {
    attach(inputs_, inputBuffers_, false);
    attach(outputs_, outputBuffers_, true);
    data.numInputs = static_cast<int32>(inputBuffers_.size());
    data.numOutputs = static_cast<int32>(outputBuffers_.size());
    data.inputs = inputBuffers_.empty() ? nullptr : inputBuffers_.data();
    data.outputs = outputBuffers_.empty() ? nullptr : outputBuffers_.data();
  }
  data.inputParameterChanges = inputChanges_.get();
  data.outputParameterChanges = outputChanges_.get();
  data.inputEvents = inputEvents_.get();
  data.outputEvents = outputEvents_.get();
  data.processContext = &context_;

  const tresult r = instance_.processor()->process(data);
  // The block happened either way: its input is spent.
  inputChanges_->clear();
  inputEvents_->clear();
  if (numSamples > 0) {
    advanceContext(numSamples);
    ++blocks_;
  }
  if (r != kResultOk) return Status::fail(callFailed("process", r));
  return Status::ok();
}

void BlockProcessor::advanceContext(int32 numSamples) {
  context_.continousTimeSamples += numSamples;
  if ((context_.state & ProcessContext::kPlaying) == 0) return;
  context_.projectTimeSamples += numSamples;
  context_.projectTimeMusic += numSamples / context_.sampleRate * context_.tempo / 60.0;
  const double quarterNotesPerBar =
      context_.timeSigDenominator > 0
          ? context_.timeSigNumerator * kQuarterNotesPerWhole / context_.timeSigDenominator
          : kQuarterNotesPerWhole;
  context_.barPositionMusic =
      std::floor(context_.projectTimeMusic / quarterNotesPerBar) * quarterNotesPerBar;
}

} // namespace vst3host
