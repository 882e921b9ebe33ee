// A prepared instance for the rendering, note and MIDI tests: set up at
// 44100 Hz (control block 44) and activated, with helpers to set
// parameters, send MIDI and render blocks into eight channels.
#pragma once

#include "core/halvora.h"
#include "instance_fixture.h"

#include <gtest/gtest.h>

#include <array>
#include <utility>
#include <vector>

namespace test_support {

// Opens the instance's internals to the tests.
class InspectableHalvora : public Halvora {
public:
  using Halvora::bowingEG;
  using Halvora::bowingFilterL;
  using Halvora::brassEG;
  using Halvora::brassFilter;
  using Halvora::brassKeys;
  using Halvora::brassLevel;
  using Halvora::brassSilentNotes;
  using Halvora::flangerActive;
  using Halvora::midiEvents;
  using Halvora::modWheel;
  using Halvora::noteSerial;
  using Halvora::numVoices;
  using Halvora::pitchBend;
  using Halvora::pressedKeys;
  using Halvora::stringsKeys;
  using Halvora::stringsLevel;
  using Halvora::sustainPedal;
  using Halvora::syntheKeys;
  using Halvora::totalGain;
  using Halvora::vibDelayEG;
  using Halvora::voices;
};

struct Block {
  explicit Block(int frames) : frames(frames) {
    for (auto& ch : channels) ch.assign(static_cast<size_t>(frames), 1.0);
    for (size_t c = 0; c < channels.size(); ++c) pointers[c] = channels[c].data();
  }
  int frames;
  std::array<std::vector<double>, Halvora::kNumOutputs> channels;
  std::array<double*, Halvora::kNumOutputs> pointers{};
};

using Settings = std::vector<std::pair<int, double>>;

// The eight channels of `total` samples from a fresh instance with these
// settings, MIDI handed over before the first block, rendered in blocks of
// the given sizes (repeated).
inline std::array<std::vector<double>, Halvora::kNumOutputs>
renderFresh(const Settings& settings, const std::vector<qm::IMidiMsg>& firstBlockMidi, int total,
            const std::vector<int>& blockSizes = {512}) {
  InspectableHalvora p;
  p.SetupProcessing(64, 44100.0, 512);
  p.SetActive(true);
  for (auto [index, value] : settings) {
    p.GetParam(index)->Set(value);
    p.OnParamChange(index);
  }
  for (const qm::IMidiMsg& m : firstBlockMidi) p.ProcessMidiMsg(m);
  std::array<std::vector<double>, Halvora::kNumOutputs> out;
  int done = 0;
  for (size_t next = 0; done < total; ++next) {
    const int n = std::min(blockSizes[next % blockSizes.size()], total - done);
    Block block(n);
    p.ProcessBlock(nullptr, block.pointers.data(), n);
    for (size_t c = 0; c < out.size(); ++c)
      out[c].insert(out[c].end(), block.channels[c].begin(), block.channels[c].end());
    done += n;
  }
  return out;
}

class CoreTest : public ::testing::Test, protected InstanceFixture {
protected:
  static constexpr double kSampleRate = 44100.0;
  static constexpr int kMaxBlock = 512;

  CoreTest() {
    plug.SetupProcessing(64, kSampleRate, kMaxBlock);
    plug.SetActive(true);
  }

  void set(int index, double value) {
    plug.GetParam(index)->Set(value);
    plug.OnParamChange(index);
  }
  void midi(const qm::IMidiMsg& msg) { plug.ProcessMidiMsg(msg); }
  Block render(int frames) {
    Block block(frames);
    plug.ProcessBlock(nullptr, block.pointers.data(), frames);
    return block;
  }
  // Plays a note at the start of a fresh block and renders that block.
  void noteOn(int note, int velocity = 100) {
    midi(qm::IMidiMsg::NoteOn(note, velocity, 0));
    render(plug.getControlBlockSize());
  }
  void noteOff(int note) {
    midi(qm::IMidiMsg::NoteOff(note, 0));
    render(plug.getControlBlockSize());
  }
  const Voice& voice(int i) { return plug.voices[static_cast<size_t>(i)]; }

  InspectableHalvora plug;
};

} // namespace test_support
