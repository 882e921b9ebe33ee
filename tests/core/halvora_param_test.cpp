#include "core_fixture.h"

#include <thread>

namespace {

using test_support::CoreTest;

class ParamTest : public CoreTest {};

TEST(VoiceParamValue, ConvertsTrackingStepsAndDecibels) {
  struct Case {
    int index;
    double value;
    double sent;
  };
  const Case cases[] = {
      {kVCFKBFTrack, 0, 0},     {kVCFKBFTrack, 1, 32},
      {kVCFKBFTrack, 2, 64},    {kVCFKBFTrack, 3, 128},
      {kVCFKBFTrack, 4, 192},   {kVCAAttenuator, -10, 0.31622776601683794},
      {kVCAAttenuator, 0, 1},   {kVCAAttenuator, 10, 3.1622776601683795},
      {kVCFCutoff, 0.25, 0.25},
  };
  for (const Case& c : cases)
    EXPECT_DOUBLE_EQ(Halvora::voiceParamValue(c.index, c.value), c.sent)
        << c.index << " " << c.value;
}

TEST_F(ParamTest, SilentNotesStoreOddThresholds) {
  const int expected[] = {1, 3, 5, 7};
  for (int index = 0; index < 4; ++index) {
    set(kBrassSilentNotes, index);
    EXPECT_EQ(plug.brassSilentNotes, expected[index]);
  }
}

TEST_F(ParamTest, BowingToneFollowsASquareLawFrom600To3000Hz) {
  BandPass reference;
  reference.setSampleRate(kSampleRate);
  reference.setQ(0.8);
  for (auto [tone, hz] : {std::pair{0.0, 600.0}, {0.5, 1200.0}, {1.0, 3000.0}}) {
    set(kStringsBowingTone, tone);
    reference.setCutoff(hz);
    EXPECT_DOUBLE_EQ(plug.bowingFilterL.w(), reference.w()) << tone;
  }
}

TEST_F(ParamTest, BrassFootagesTogetherHalveTheLevel) {
  struct Case {
    bool b16, b8;
    double gain;
  };
  set(kPanBrass, 0.25);
  for (const Case c :
       {Case{true, true, 0.5}, Case{true, false, 1}, Case{false, true, 1}, Case{false, false, 1}}) {
    set(kBrass16, c.b16);
    set(kBrass8, c.b8);
    EXPECT_DOUBLE_EQ(plug.brassLevel.left, 0.75 * c.gain);
    EXPECT_DOUBLE_EQ(plug.brassLevel.right, 0.25 * c.gain);
  }
}

TEST_F(ParamTest, FlangerRunsWhileAnySendIsOn) {
  set(kFlangerSynthe, 1);
  set(kFlangerBrass, 1);
  set(kFlangerBrass, 0);
  EXPECT_TRUE(plug.flangerActive);
  set(kFlangerSynthe, 0);
  EXPECT_FALSE(plug.flangerActive);
  set(kFlangerStrings, 1);
  EXPECT_TRUE(plug.flangerActive);
}

TEST_F(ParamTest, TotalVolumeIsDoubled) {
  set(kTotalVolume, 0.8);
  EXPECT_DOUBLE_EQ(plug.totalGain, 1.6);
}

TEST_F(ParamTest, TridentModeOffReleasesAllAndSpreadsOver64Voices) {
  set(kVCARelease, 1);
  for (int k = 0; k < 8; ++k) noteOn(60 + k);
  for (int v = 0; v < 8; ++v) ASSERT_TRUE(voice(v).gate());
  plug.takeGUIUpdate(); // clear what activation left
  set(kTridentMode, 0);
  EXPECT_EQ(plug.getNumVoices(), 64);
  EXPECT_TRUE(plug.takeGUIUpdate());
  EXPECT_TRUE(plug.pressedKeys.empty());
  for (int v = 0; v < 8; ++v) EXPECT_FALSE(voice(v).gate()) << v;
  for (int k = 0; k < 20; ++k) noteOn(80 + k);
  int sounding = 0;
  for (int v = 0; v < 64; ++v) sounding += voice(v).gate();
  EXPECT_EQ(sounding, 20);
}

TEST_F(ParamTest, TridentModeFromAnotherThreadWaitsForTheNextBlock) {
  render(44); // this thread now renders
  noteOn(60);
  std::thread editor([&] { set(kTridentMode, 0); });
  editor.join();
  EXPECT_EQ(plug.getNumVoices(), 8);
  EXPECT_TRUE(voice(0).gate());
  render(44);
  EXPECT_EQ(plug.getNumVoices(), 64);
  EXPECT_FALSE(voice(0).gate());
}

TEST_F(ParamTest, PerVoiceSettingsReachVoicesOutsideThePool) {
  ASSERT_EQ(plug.getNumVoices(), 8);
  set(kVolumeSynthe, 0.0);
  set(kTridentMode, 0);
  // A note on voice 40 would be silent if it had missed the change.
  for (int k = 0; k < 41; ++k) midi(qm::IMidiMsg::NoteOn(20 + k, 100, 0));
  const test_support::Block block = render(2048);
  for (double x : block.channels[2]) ASSERT_EQ(x, 0.0);
}

} // namespace
