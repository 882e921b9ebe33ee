#include "core_fixture.h"

#include <cmath>

namespace {

using test_support::Block;
using test_support::CoreTest;

double peak(const std::vector<double>& channel) {
  double p = 0.0;
  for (double x : channel) p = std::max(p, std::abs(x));
  return p;
}

class ProcessTest : public CoreTest {
protected:
  // Every section on, every footage that feeds them.
  void allSections() {
    set(kOutputBrass, 1);
    set(kOutputStrings, 1);
    set(kBrass8, 1);
    set(kStrings16, 1);
    set(kStrings4, 1);
  }
  Block playChord(int frames) {
    for (int note : {48, 55, 60, 64}) midi(qm::IMidiMsg::NoteOn(note, 100, 0));
    return render(frames);
  }
};

TEST_F(ProcessTest, AllOutputsOffGiveEightSilentChannels) {
  allSections();
  set(kOutputSynthe, 0);
  set(kOutputBrass, 0);
  set(kOutputStrings, 0);
  const Block block = playChord(2048);
  for (const auto& channel : block.channels) EXPECT_EQ(peak(channel), 0.0);
}

TEST_F(ProcessTest, SyntheHardLeftReachesTotalLeftTimesTwiceTheVolume) {
  set(kPanSynthe, 0);
  set(kTotalVolume, 0.3);
  const Block block = playChord(2048);
  ASSERT_GT(peak(block.channels[2]), 0.01);
  for (int i = 0; i < block.frames; ++i) {
    EXPECT_DOUBLE_EQ(block.channels[0][size_t(i)], 2 * 0.3 * block.channels[2][size_t(i)]) << i;
    EXPECT_EQ(block.channels[1][size_t(i)], 0.0);
    EXPECT_EQ(block.channels[3][size_t(i)], 0.0);
  }
}

TEST(ProcessFlanger, SendsLeaveTheSectionChannelsDry) {
  const test_support::Settings sections = {
      {kOutputBrass, 1}, {kOutputStrings, 1}, {kBrass8, 1}, {kStrings16, 1}, {kStrings4, 1}};
  test_support::Settings sends = sections;
  for (int index : {kFlangerSynthe, kFlangerBrass, kFlangerStrings}) sends.push_back({index, 1});
  const std::vector<qm::IMidiMsg> chord = {qm::IMidiMsg::NoteOn(48, 100, 0),
                                           qm::IMidiMsg::NoteOn(60, 100, 0)};
  const test_support::InstanceFixture scratch;
  const auto dry = test_support::renderFresh(sections, chord, 4096);
  const auto wet = test_support::renderFresh(sends, chord, 4096);

  ASSERT_GT(peak(dry[4]), 0.001);
  ASSERT_GT(peak(dry[6]), 0.001);
  for (size_t ch = 2; ch < 8; ++ch) EXPECT_EQ(wet[ch], dry[ch]) << ch;
  EXPECT_NE(wet[0], dry[0]);
  EXPECT_NE(wet[1], dry[1]);
}

TEST_F(ProcessTest, StringsWithoutFootagesAreSilent) {
  set(kOutputSynthe, 0);
  set(kOutputStrings, 1);
  set(kStrings8, 0);
  EXPECT_EQ(plug.stringsLevel.left, 0.0);
  EXPECT_EQ(plug.stringsLevel.right, 0.0);
  const Block block = playChord(2048);
  for (const auto& channel : block.channels) EXPECT_EQ(peak(channel), 0.0);
}

TEST_F(ProcessTest, MonoEnsembleGivesIdenticalStringsChannels) {
  set(kOutputSynthe, 0);
  set(kOutputStrings, 1);
  set(kStringsBowing, 1);
  set(kStereoEnsemble, 0);
  const Block block = playChord(4096);
  ASSERT_GT(peak(block.channels[6]), 0.001);
  EXPECT_EQ(block.channels[6], block.channels[7]);

  set(kStereoEnsemble, 1);
  const Block stereo = render(4096);
  EXPECT_NE(stereo.channels[6], stereo.channels[7]);
}

TEST_F(ProcessTest, ShortHostBlocksContinueTheControlBlock) {
  ASSERT_EQ(plug.getControlBlockSize(), 44);
  // The fourth note-on lands in blocks that do no control-rate work: it is
  // only taken at the next control-block start.
  render(10);
  EXPECT_EQ(plug.getControlBlockLeft(), 34);
  midi(qm::IMidiMsg::NoteOn(60, 100, 0));
  for (int expected : {24, 14, 4}) {
    render(10);
    EXPECT_EQ(plug.getControlBlockLeft(), expected);
    EXPECT_FALSE(voice(0).isActive());
  }
  // Fifth block: 4 samples of continuation, then a new control block whose
  // intake finds the note; it sounds at position 0 of that control block.
  render(10);
  EXPECT_EQ(plug.getControlBlockLeft(), 38);
  EXPECT_TRUE(voice(0).isActive());
}

TEST_F(ProcessTest, RenderedAudioDoesNotDependOnHostBlockSizes) {
  const test_support::Settings settings = {{kTridentMode, 0},        {kOutputBrass, 1},
                                           {kOutputStrings, 1},      {kBrass8, 1},
                                           {kStrings16, 1},          {kStringsBowing, 1},
                                           {kFlangerStrings, 1},     {kFlangerSynthe, 1},
                                           {kVibDelay, 1},           {kStereoEnsemble, 1},
                                           {kBrassAttack, 0.4},      {kVCFEGIntensity, 3000},
                                           {kVelocityBrassVCF, 0.5}, {kBrassEGIntensity, 2000}};
  // All MIDI arrives with the first block, which may be a single sample.
  std::vector<qm::IMidiMsg> midi;
  for (int k = 0; k < 12; ++k) midi.push_back(qm::IMidiMsg::NoteOn(48 + 3 * k, 40 + 7 * k, 0));
  midi.push_back(qm::IMidiMsg::ControlChange(64, 127, 0));
  midi.push_back(qm::IMidiMsg::NoteOff(51, 0));
  midi.push_back(qm::IMidiMsg::PitchWheel(9000, 0));
  midi.push_back(qm::IMidiMsg::ControlChange(1, 90, 0));
  const int total = 6000;

  const auto reference = test_support::renderFresh(settings, midi, total, {512});
  ASSERT_GT(peak(reference[0]), 0.01);
  const std::vector<std::vector<int>> variants = {{1}, {7}, {44}, {64}, {5, 130, 1, 44, 77, 300}};
  for (const auto& sizes : variants) {
    const auto out = test_support::renderFresh(settings, midi, total, sizes);
    for (size_t c = 0; c < 8; ++c) EXPECT_EQ(out[c], reference[c]) << "channel " << c;
  }
}

} // namespace
