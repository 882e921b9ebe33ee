// The host's process call: owns the ProcessData of a block, the audio
// buffers of every bus (32- or 64-bit, as the instance was set up), the
// input parameter changes and events, the output events and parameter
// changes the plug-in writes, and a ProcessContext that moves on per block.
//
//   BlockProcessor block(instance);            // after setupProcessing
//   block.addParameterChange(0, 10, 0.5);
//   block.addNoteOn(0, 0, 60, 1.0f);
//   block.process(64);
//   block.output64(0, 0);                      // left channel of bus 0
//
// Input changes and events belong to the next block and are emptied after
// it runs; what the plug-in wrote stays readable until the next block.
#pragma once

#include <memory>
#include <span>
#include <vector>

#include "host/event_list.h"
#include "host/instance.h"
#include "host/parameter_changes.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"

namespace vst3host {

class BlockProcessor {
public:
  // Reads the bus layout and sample size now; re-create after changing them.
  explicit BlockProcessor(Instance& instance);

  Steinberg::int32 outputBusCount() const { return static_cast<Steinberg::int32>(outputs_.size()); }
  Steinberg::int32 outputChannelCount(Steinberg::int32 bus) const;
  // Empty spans for a bus or channel that does not exist.
  std::span<const double> output64(Steinberg::int32 bus, Steinberg::int32 channel) const;
  std::span<const float> output32(Steinberg::int32 bus, Steinberg::int32 channel) const;
  // Input audio, silent unless the caller writes into it before a block.
  std::span<double> input64(Steinberg::int32 bus, Steinberg::int32 channel);
  std::span<float> input32(Steinberg::int32 bus, Steinberg::int32 channel);

  // Input of the next block. Offsets are checked against its length in process.
  bool addParameterChange(Steinberg::Vst::ParamID id, Steinberg::int32 sampleOffset,
                          double normalized);
  void addNoteOn(Steinberg::int32 sampleOffset, Steinberg::int16 channel, Steinberg::int16 pitch,
                 float velocity, Steinberg::int32 noteId = -1, Steinberg::int32 bus = 0);
  void addNoteOff(Steinberg::int32 sampleOffset, Steinberg::int16 channel, Steinberg::int16 pitch,
                  float velocity = 0.0f, Steinberg::int32 noteId = -1, Steinberg::int32 bus = 0);
  // A MIDI controller (0..127, or kAfterTouch, kPitchBend, ...) as the
  // parameter the plug-in maps it to; fails when it maps it to none.
  Status addMidiController(Steinberg::int32 sampleOffset, Steinberg::int16 channel,
                           Steinberg::Vst::CtrlNumber controller, double normalized,
                           Steinberg::int32 bus = 0);
  void addLegacyMidiEvent(Steinberg::int32 sampleOffset, Steinberg::int8 channel,
                          Steinberg::uint8 controlNumber, Steinberg::int8 value,
                          Steinberg::int8 value2 = 0, Steinberg::int32 bus = 0);
  void addEvent(const Steinberg::Vst::Event& event) { inputEvents_->add(event); }

  // Transport; tempo, time signature and position are valid in every block.
  Steinberg::Vst::ProcessContext& context() { return context_; }
  void setTempo(double bpm) { context_.tempo = bpm; }
  void setPlaying(bool playing);

  // Runs one block of numSamples (1..max block size). Fails without calling
  // the plug-in when a queued offset lies outside the block.
  Status process(Steinberg::int32 numSamples);
  // A block of zero samples and no buffers: delivers the queued parameter
  // changes (and events at offset 0) while nothing plays.
  Status flushParameters();

  const EventList& outputEvents() const { return *outputEvents_; }
  const ParameterChanges& outputParameterChanges() const { return *outputChanges_; }
  Steinberg::int64 blocksProcessed() const { return blocks_; }

private:
  struct Bus {
    std::vector<std::vector<double>> samples64;
    std::vector<std::vector<float>> samples32;
    std::vector<double*> pointers64;
    std::vector<float*> pointers32;
  };

  void allocate(std::vector<Bus>& buses, const std::vector<BusDescription>& layout);
  Status checkOffsets(Steinberg::int32 numSamples) const;
  Status run(Steinberg::int32 numSamples, bool withBuffers);
  void advanceContext(Steinberg::int32 numSamples);

  Instance& instance_;
  ProcessSettings settings_;
  std::vector<Bus> inputs_;
  std::vector<Bus> outputs_;
  std::vector<Steinberg::Vst::AudioBusBuffers> inputBuffers_;
  std::vector<Steinberg::Vst::AudioBusBuffers> outputBuffers_;
  Steinberg::IPtr<ParameterChanges> inputChanges_;
  Steinberg::IPtr<ParameterChanges> outputChanges_;
  Steinberg::IPtr<EventList> inputEvents_;
  Steinberg::IPtr<EventList> outputEvents_;
  Steinberg::Vst::ProcessContext context_{};
  Steinberg::int64 blocks_ = 0;
};

} // namespace vst3host
