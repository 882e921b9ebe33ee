#include "core/halvora.h"
#include "core/parameter_table.h"
#include "instance_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

// Exposes the sound objects the reset tests look at.
class InspectableHalvora : public Halvora {
public:
  EG& brassEnvelope() { return brassEG; }
  int controlBlockLeft() const { return Synth::controlBlockLeft; }
};

class HalvoraTest : public ::testing::Test, protected test_support::InstanceFixture {
protected:
  InspectableHalvora plug;

  std::string display(int index, double value) {
    qm::BoundedString out;
    plug.GetParam(index)->GetDisplay(value, false, out);
    return out.Get();
  }
};

TEST_F(HalvoraTest, ParameterTableShowsTheInstrumentsTexts) {
  struct Case {
    int index;
    double value;
    const char* text;
  };
  const Case cases[] = {
      {kTotalVolume, 0.5, "-6.0"},
      {kTotalVolume, 0.0, "-oo"},
      {kTotalVolume, 1.0, "0.0"},
      {kVolumeBrass, 0.25, "-12.0"},
      {kPanSynthe, 0.25, "75:25"},
      {kPanStrings, 0.5, "50:50"},
      {kVCFEGIntensity, 1536, "1.00"},
      {kVCFEGIntensity, -3072, "-2.00"},
      {kBrassEGIntensity, 12289, "8.00"},
      {kVCFCutoff, 1.0, "19912"},
      {kVCFCutoff, 0.0, "8"},
      {kTridentMode, 1, "On"},
      {kKeyAssign, 0, "2"},
      {kKeyAssign, 1, "1"},
      {kStringsBowing, 0, "On"},
      {kStringsVibrato, 1, "Off"},
      {kStringsEnsemble, 0, "On"},
      {kWheelMode, 0, "Trill"},
      {kVCO1Wave, 2, "Pulse Width Mod"},
      {kVCO2Octave, 0, "Off"},
      {kVCO2Octave, 3, "4'"},
      {kBrassSilentNotes, 3, "8"},
      {kRangeBrass, 2, "Upper"},
      {kSplitKey, 60, "60"},
      {kVCFKBFTrack, 4, "4"},
      {kVCO2Detune, -0.0, "0.000"},
      {kStringsEQHigh, 0.5, "0.500000"},
      {kPitchBend, 2, "2"},
      {kVCO1PWMSpeed, 0.8, "0.80"},
  };
  for (const Case& c : cases) EXPECT_EQ(display(c.index, c.value), c.text) << c.index;
  // Mid-travel the cutoff shows the truncated Hz of pitch index 8641.
  EXPECT_EQ(display(kBrassCutoff, 0.5), std::to_string(int(Synth::convert2Hz(8641))));
}

TEST_F(HalvoraTest, EveryParameterStartsAtItsDefault) {
  const auto table = parameterTable();
  for (int i = 0; i < kNumParams; ++i) {
    const qm::IParam* param = plug.GetParam(i);
    EXPECT_STREQ(param->GetName(), table[i].name);
    EXPECT_EQ(param->Value(), table[i].defaultValue) << table[i].name;
    EXPECT_EQ(param->GetMin(), table[i].min) << table[i].name;
    EXPECT_EQ(param->GetMax(), table[i].max) << table[i].name;
    EXPECT_EQ(param->Unit(), qm::IParam::kUnitCustom);
    EXPECT_STREQ(param->GetGroup(), "");
  }
  EXPECT_EQ(plug.NParams(), 93);
  EXPECT_EQ(findParameter("Ens.3 Amount"), kEns3Amount);
  EXPECT_EQ(findParameter("No Such Knob"), -1);
}

TEST_F(HalvoraTest, KindsCurvesAndLabelsFollowTheTable) {
  using T = qm::IParam;
  EXPECT_EQ(plug.GetParam(kKeyAssign)->Type(), T::kTypeEnum);
  EXPECT_EQ(plug.GetParam(kSplitKey)->Type(), T::kTypeInt);
  EXPECT_EQ(plug.GetParam(kVibDelay)->Type(), T::kTypeDouble);
  EXPECT_EQ(plug.GetParam(kVCO2Octave)->NDisplayTexts(), 4);
  EXPECT_DOUBLE_EQ(plug.GetParam(kVCFCutoff)->FromNormalized(0.25), 0.5);    // power 0.5
  EXPECT_DOUBLE_EQ(plug.GetParam(kVibIntensity)->FromNormalized(0.5), 0.25); // power 2
  EXPECT_NEAR(plug.GetParam(kFlangerSpeed)->FromNormalized(0.5), 0.001 + 0.25 * 24.998, 0.005);
  EXPECT_STREQ(plug.GetParam(kWheelVibSpeed)->GetLabel(), "Hz");
  EXPECT_STREQ(plug.GetParam(kTotalVolume)->GetLabel(), "");
  EXPECT_EQ(plug.GetParam(kStringsEQLow)->GetDisplayPrecision(), 6);
  EXPECT_EQ(plug.GetParam(kVCFCutoff)->GetDisplayPrecision(), 3);
}

TEST_F(HalvoraTest, OutputChannelsAreLabelledInOrder) {
  const char* labels[] = {"Total L", "Total R", "Synth L",   "Synth R",
                          "Brass L", "Brass R", "Strings L", "Strings R"};
  for (int ch = 0; ch < 8; ++ch)
    EXPECT_STREQ(plug.GetChannel(qm::kOutput, ch)->mLabel.Get(), labels[ch]);
}

TEST_F(HalvoraTest, ControlBlockIsOneMillisecondTruncated) {
  struct Case {
    double rate;
    int samples;
  };
  const Case cases[] = {{44100, 44},   {22050, 22},   {48000, 48}, {96000, 96},
                        {192000, 192}, {44100.9, 44}, {999, 0}};
  for (const Case& c : cases) {
    ASSERT_TRUE(plug.SetupProcessing(64, c.rate, 512));
    EXPECT_EQ(plug.getControlBlockSize(), c.samples) << c.rate;
    EXPECT_EQ(plug.controlBlockLeft(), 0);
    EXPECT_EQ(plug.getAppliedSampleRate(), c.rate);
  }
}

TEST_F(HalvoraTest, ResetAtTheSameRateLeavesTheSoundObjectsAlone) {
  EXPECT_EQ(plug.getAppliedSampleRate(), -1.0);
  ASSERT_TRUE(plug.SetupProcessing(64, 44100, 512));
  EG& eg = plug.brassEnvelope();
  eg.setAttack(0.5);
  eg.start();
  for (int i = 0; i < 100; ++i) eg.update();
  const double level = eg.value();
  ASSERT_GT(level, 0.0);

  ASSERT_TRUE(plug.SetupProcessing(64, 44100, 256));
  plug.SetProcessing(false); // switching processing off resets too
  EXPECT_EQ(eg.value(), level);
  EXPECT_TRUE(eg.isOn());

  ASSERT_TRUE(plug.SetupProcessing(64, 48000, 256));
  EXPECT_EQ(eg.value(), 0.0);
  EXPECT_FALSE(eg.isOn());
}

TEST_F(HalvoraTest, NoVoiceIsPlayedBeforeTheParametersAreApplied) {
  EXPECT_EQ(plug.getNumVoices(), 0);
}

TEST(HalvoraFactory, BuildsInstancesOneAtATime) {
  test_support::InstanceFixture settings;
  std::unique_ptr<Halvora> a(qm::MakePlug());
  std::unique_ptr<Halvora> b(qm::MakePlug());
  ASSERT_TRUE(a && b);
  EXPECT_STREQ(a->GetPluginName(), "Halvora");
  EXPECT_EQ(a->GetPluginVersion(true), 10103);
  qm::BoundedString version;
  a->GetPluginVersionStr(version);
  EXPECT_STREQ(version.Get(), "v1.1.3");
}

} // namespace
