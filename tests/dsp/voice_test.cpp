#include "dsp/voice.h"

#include "core/param_ids.h"
#include "support/allocation_counter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double kRate = 44100.0;
constexpr int kBlock = 44; // one control block at 44.1 kHz

class FakeOwner : public VoiceOwner {
public:
  int getFrequency(int note) override { return note * 128 + tuningShift; }
  int syntheKeysHeld() const override { return syntheKeys; }
  int brassKeysHeld() const override { return brassKeys; }
  bool brassEnvelopeRunning() const override { return brassRunning; }

  int tuningShift = 0;
  int syntheKeys = 0;
  int brassKeys = 0;
  bool brassRunning = false;
};

// A voice with audible settings on every section, as a program would set it.
class VoiceTest : public ::testing::Test {
protected:
  void SetUp() override {
    voice.setParent(&owner);
    ASSERT_TRUE(voice.setSampleRate(kRate));
    const struct {
      int index;
      double value;
    } settings[] = {
        {kVCO1Octave, 1},        {kVCO1Wave, 0},
        {kVCO1PW, 0.5},          {kVCO2Octave, 0},
        {kVCFCutoff, 1.0},       {kVCFResonance, 0.0},
        {kVCFKBFTrack, 0},       {kVCFEGIntensity, 0},
        {kVCFAttack, 0.0},       {kVCFDecay, 0.5},
        {kVCFSustain, 0.5},      {kVCFRelease, 0.3},
        {kVCAAttack, 0.0},       {kVCADecay, 0.5},
        {kVCASustain, 1.0},      {kVCARelease, 0.5},
        {kVCAAttenuator, 1.0},   {kVCAAutoDamp, 1},
        {kBrass16, 1},           {kBrass8, 1},
        {kStringsAttack, 0.0},   {kStringsRelease, 0.5},
        {kStringsKBDBalance, 0}, {kStrings16, 1},
        {kStrings8, 1},          {kStrings4, 1},
        {kVolumeSynthe, 1.0},    {kVolumeBrass, 1.0},
        {kVolumeStrings, 1.0},   {kVelocitySynthe, 0},
        {kVelocityBrass, 0},     {kVelocityStrings, 0},
        {kVelocitySyntheVCF, 0}, {kDetuneBrass, 0},
        {kDetuneStrings, 0},
    };
    for (const auto& s : settings) ASSERT_TRUE(voice.setParam(s.index, s.value)) << s.index;
  }

  // Runs control blocks the way the instrument does: update at the first
  // sample, updateEGs on the others.
  void runBlocks(int blocks, VoiceOutput* sum = nullptr) {
    for (int b = 0; b < blocks; ++b) {
      voice.update(0, false);
      for (int i = 0; i < kBlock; ++i) {
        if (i > 0) voice.updateEGs();
        const VoiceOutput out = voice.process();
        if (sum) {
          sum->synthe += std::abs(out.synthe);
          sum->brass += std::abs(out.brass);
          sum->strings += std::abs(out.strings);
        }
      }
    }
  }

  FakeOwner owner;
  Voice voice;
};

VCO referenceVco(int pitch, int offset = 0) {
  VCO vco;
  vco.setSampleRate(kRate);
  vco.setPitchOffset(offset);
  vco.update(pitch);
  return vco;
}

TEST_F(VoiceTest, VelocityScalesEachSectionByItsSensitivity) {
  struct Case {
    int velocity;
    double sensitivity;
    double factor;
  };
  const Case cases[] = {
      {127, 0.0, 1.0}, {127, 0.3, 1.0}, {127, 1.0, 1.0},     {64, 1.0, 64.0 / 127},
      {64, 0.0, 1.0},  {1, 0.0, 1.0},   {1, 1.0, 1.0 / 127}, {64, 0.5, 0.5 * (64.0 / 127 - 1) + 1},
  };
  voice.setParam(kVolumeSynthe, 0.8);
  voice.setParam(kVCAAttenuator, 0.5);
  voice.setParam(kVolumeBrass, 0.6);
  voice.setParam(kVolumeStrings, 0.7);
  owner.brassRunning = true;
  for (const auto& c : cases) {
    for (int index : {kVelocitySynthe, kVelocityBrass, kVelocityStrings})
      voice.setParam(index, c.sensitivity);
    voice.setNoteOn(60, c.velocity, 1, true, true, true, false);
    EXPECT_NEAR(voice.gainSynthe(), 0.8 * 0.5 * c.factor, 1e-12)
        << c.velocity << " " << c.sensitivity;
    EXPECT_NEAR(voice.gainBrass(), 0.6 * c.factor, 1e-12) << c.velocity << " " << c.sensitivity;
    EXPECT_NEAR(voice.gainStrings(), 0.7 * c.factor, 1e-12) << c.velocity << " " << c.sensitivity;
  }
}

TEST_F(VoiceTest, DetuneSettingsBecomePitchOffsets) {
  struct Case {
    int index;
    double value;
    int offset;
  };
  const Case cases[] = {
      {kDetuneBrass, 0.1, 8},     {kDetuneBrass, -0.1, -8},   {kDetuneBrass, 1.0, 896},
      {kDetuneBrass, -1.0, -896}, {kDetuneStrings, 0.5, 224}, {kDetuneStrings, -1.0, -896},
      {kVCO2Detune, 0.5, 64},     {kVCO2Detune, -0.3, -38},   {kVCO2Detune, 1.0, 128},
  };
  owner.brassRunning = true;
  for (const auto& c : cases) {
    ASSERT_TRUE(voice.setParam(c.index, c.value));
    voice.setNoteOn(60, 100, 1, true, true, true, false);
    const VCO& vco = c.index == kDetuneBrass     ? voice.vcoBrass()
                     : c.index == kDetuneStrings ? voice.vcoStrings()
                                                 : voice.vco2();
    // The note-on update runs at the note's pitch plus 1.
    EXPECT_EQ(vco.phaseInc(), referenceVco(60 * 128 + 1, c.offset).phaseInc())
        << c.index << " " << c.value;
  }
}

TEST_F(VoiceTest, ZeroSectionDetuneReadsTheMainOscillator) {
  voice.setParam(kDetuneBrass, 0.0);
  owner.brassRunning = true;
  voice.setNoteOn(60, 100, 1, false, true, false, false);
  runBlocks(3);
  EXPECT_EQ(voice.vcoBrass().phase(), 0);
  EXPECT_NE(voice.vco1().phase(), 0);
}

// Key tracking and the attenuator arrive converted: 128 units per key is
// exactly the same filter as the cutoff knob moved up by the same amount,
// and an attenuator of 0.5 halves the signal.
TEST(VoiceConversions, KeyTrackAndAttenuatorAreUsedAsGiven) {
  auto render = [](double cutoff, double keyTrack, double attenuator) {
    Voice v;
    v.setSampleRate(kRate);
    v.setParam(kVCFCutoff, cutoff);
    v.setParam(kVCFKBFTrack, keyTrack);
    v.setParam(kVCAAttenuator, attenuator);
    v.setParam(kVCFResonance, 0.3);
    v.setParam(kVCASustain, 1.0);
    v.setParam(kVolumeSynthe, 1.0);
    v.setNoteOn(72, 127, 1, true, false, false, false);
    std::vector<double> out;
    for (int i = 0; i < 2000; ++i) {
      if (i % kBlock == 0)
        v.update(0, false);
      else
        v.updateEGs();
      out.push_back(v.process().synthe);
    }
    return out;
  };
  const double base = (4000 + 0.5) / 17280;
  const double raised = (4000 + 12 * 128 + 0.5) / 17280;
  const auto tracked = render(base, 128, 1.0);
  const auto moved = render(raised, 0, 1.0);
  const auto halved = render(raised, 0, 0.5);
  const auto untracked = render(base, 0, 1.0);
  double diff = 0.0;
  for (size_t i = 0; i < tracked.size(); ++i) {
    ASSERT_EQ(tracked[i], moved[i]) << i;
    ASSERT_DOUBLE_EQ(halved[i], 0.5 * moved[i]) << i;
    diff += std::abs(tracked[i] - untracked[i]);
  }
  EXPECT_GT(diff, 1.0);
}

TEST_F(VoiceTest, PulseWidthOneIsSilentAndZeroIsSquare) {
  voice.setParam(kVCO1Wave, 1);
  struct Case {
    double pw;
    double positiveShare; // < 0: silent
  };
  for (const Case c : {Case{1.0, -1.0}, Case{0.0, 0.5}}) {
    voice.setSampleRate(kRate);
    voice.setParam(kVCO1PW, c.pw);
    voice.setNoteOn(57, 127, 1, true, false, false, false);
    runBlocks(50); // past the filter's start-up transient
    double peak = 0.0, mean = 0.0;
    int positive = 0;
    const int n = 44100;
    for (int i = 0; i < n; ++i) {
      if (i % kBlock == 0)
        voice.update(0, false);
      else
        voice.updateEGs();
      const double y = voice.process().synthe;
      peak = std::max(peak, std::abs(y));
      mean += y / n;
      positive += y > 0.0;
    }
    if (c.positiveShare < 0) {
      EXPECT_LT(peak, 1e-6) << c.pw;
    } else {
      EXPECT_GT(peak, 0.3) << c.pw;
      EXPECT_NEAR(static_cast<double>(positive) / n, c.positiveShare, 0.02) << c.pw;
      EXPECT_NEAR(mean, 0.0, 0.01) << c.pw;
    }
  }
}

TEST_F(VoiceTest, SecondOscillatorOffIsTunedButNeverAdvanced) {
  voice.setParam(kVCO2Detune, 0.25);
  for (int octave : {0, 1, 2, 3}) {
    voice.setSampleRate(kRate);
    voice.setParam(kVCO2Octave, octave);
    voice.setNoteOn(60, 127, 1, true, false, false, false);
    runBlocks(2);
    EXPECT_EQ(voice.vco2().phaseInc(), referenceVco(60 * 128, 32).phaseInc()) << octave;
    if (octave == 0)
      EXPECT_EQ(voice.vco2().phase(), 0);
    else
      EXPECT_NE(voice.vco2().phase(), 0) << octave;
  }
}

TEST_F(VoiceTest, SectionThatIsOffIsSilentAndLeavesItsOscillator) {
  voice.setParam(kVCO2Octave, 2);
  voice.setParam(kDetuneBrass, 0.2);
  voice.setParam(kDetuneStrings, -0.2);
  owner.brassRunning = true;
  struct Case {
    bool synthe, brass, strings;
  };
  for (const Case c : {Case{true, false, false}, Case{false, true, false}, Case{false, false, true},
                       Case{true, true, true}}) {
    voice.setSampleRate(kRate);
    const int32_t vco1 = voice.vco1().phase(), vco2 = voice.vco2().phase();
    const int32_t brass = voice.vcoBrass().phase(), strings = voice.vcoStrings().phase();
    voice.setNoteOn(60, 127, 1, c.synthe, c.brass, c.strings, false);
    VoiceOutput sum;
    runBlocks(20, &sum);
    EXPECT_EQ(sum.synthe > 0.0, c.synthe);
    EXPECT_EQ(sum.brass > 0.0, c.brass);
    EXPECT_EQ(sum.strings > 0.0, c.strings);
    EXPECT_EQ(voice.vco2().phase() != vco2, c.synthe);
    EXPECT_EQ(voice.vcoBrass().phase() != brass, c.brass);
    EXPECT_EQ(voice.vcoStrings().phase() != strings, c.strings);
    EXPECT_NE(voice.vco1().phase(), vco1);
  }
}

TEST_F(VoiceTest, SustainedNoteReleasesWhenThePedalLifts) {
  voice.setNoteOn(60, 100, 1, true, false, true, false);
  voice.setSustain(true);
  runBlocks(5);
  voice.setNoteOff(false);
  runBlocks(100);
  EXPECT_EQ(voice.egVCA().state(), EG::kDecay);
  EXPECT_EQ(voice.egStrings().state(), EG::kDecay);
  voice.setSustain(false);
  EXPECT_EQ(voice.egVCA().state(), EG::kRelease);
  EXPECT_EQ(voice.egVCF().state(), EG::kRelease);
  EXPECT_EQ(voice.egStrings().state(), EG::kRelease);
}

TEST_F(VoiceTest, PedalLiftWithKeyStillDownChangesNothing) {
  voice.setNoteOn(60, 100, 1, true, false, false, false);
  voice.setSustain(true);
  voice.setSustain(false);
  runBlocks(5);
  EXPECT_EQ(voice.egVCA().state(), EG::kDecay);
  EXPECT_TRUE(voice.gate());
}

TEST_F(VoiceTest, ImmediateNoteOffClosesBothGatesAtOnce) {
  owner.brassRunning = true;
  for (int held : {0, 3}) {
    owner.syntheKeys = owner.brassKeys = held;
    voice.setNoteOn(60, 100, 1, true, true, false, false);
    runBlocks(5);
    voice.setNoteOff(true);
    EXPECT_EQ(voice.egSynthGate().state(), EG::kRelease) << held;
    EXPECT_EQ(voice.egBrassGate().state(), EG::kRelease) << held;
    EXPECT_EQ(voice.egVCA().state(), EG::kRelease) << held;
  }
}

TEST_F(VoiceTest, ReleasedKeyLosesItsGateAfterFortyBlocksOnlyWhileOthersAreHeld) {
  struct Case {
    int syntheKeys, brassKeys;
  };
  owner.brassRunning = true;
  for (const Case c : {Case{0, 0}, Case{1, 0}, Case{0, 2}, Case{-1, 1}, Case{2, 2}}) {
    owner.syntheKeys = c.syntheKeys;
    owner.brassKeys = c.brassKeys;
    voice.setSampleRate(kRate);
    voice.setNoteOn(60, 100, 1, true, true, false, false);
    runBlocks(5);
    voice.setNoteOff(false);
    runBlocks(Voice::kDampBlocks - 1);
    EXPECT_EQ(voice.egSynthGate().state(), EG::kDecay);
    EXPECT_EQ(voice.egBrassGate().state(), EG::kDecay);
    runBlocks(1);
    EXPECT_EQ(voice.egSynthGate().state() == EG::kRelease, c.syntheKeys > 0) << c.syntheKeys;
    EXPECT_EQ(voice.egBrassGate().state() == EG::kRelease, c.brassKeys > 0) << c.brassKeys;
    runBlocks(100);
    EXPECT_EQ(voice.egSynthGate().isOn(), c.syntheKeys <= 0);
  }
}

// A countdown left from an earlier release must not cut a later note that
// the pedal holds.
TEST_F(VoiceTest, RetriggeredNoteHeldByThePedalKeepsItsGate) {
  owner.syntheKeys = 2;
  voice.setNoteOn(60, 100, 1, true, false, false, false);
  voice.setNoteOff(false);
  runBlocks(10);
  voice.setNoteOn(60, 100, 2, true, false, false, false);
  voice.setSustain(true);
  voice.setNoteOff(false);
  runBlocks(2 * Voice::kDampBlocks);
  EXPECT_EQ(voice.egSynthGate().state(), EG::kDecay);
  EXPECT_EQ(voice.egVCA().state(), EG::kDecay);
}

TEST_F(VoiceTest, GateOffCallsCloseOnlyTheirOwnGate) {
  owner.brassRunning = true;
  voice.setNoteOn(60, 100, 1, true, true, false, false);
  voice.setGateSyntheOff();
  EXPECT_EQ(voice.egSynthGate().state(), EG::kRelease);
  EXPECT_EQ(voice.egBrassGate().state(), EG::kAttack);
  voice.setGateBrassOff();
  EXPECT_EQ(voice.egBrassGate().state(), EG::kRelease);
  EXPECT_EQ(voice.egVCA().state(), EG::kAttack);
}

TEST_F(VoiceTest, BrassOnlyVoiceLivesWhilePendingOrWhileTheBrassEnvelopeRuns) {
  struct Case {
    bool pending, running;
    bool active, pendingAfter;
  };
  const Case cases[] = {
      {true, false, true, true},
      {false, false, false, false},
      {false, true, true, false},
      {true, true, true, false}, // the shared envelope started: no longer waiting
  };
  for (const auto& c : cases) {
    voice.setSampleRate(kRate);
    owner.brassRunning = c.running;
    voice.setNoteOn(60, 100, 1, false, true, false, c.pending);
    runBlocks(1);
    EXPECT_EQ(voice.isActive(), c.active) << c.pending << c.running;
    EXPECT_EQ(voice.brassPending(), c.pendingAfter) << c.pending << c.running;
  }
}

TEST_F(VoiceTest, PendingBrassVoiceFallsSilentWhenItsKeyIsReleased) {
  voice.setNoteOn(60, 100, 1, false, true, false, true);
  runBlocks(3);
  ASSERT_TRUE(voice.isActive());
  voice.setNoteOff(false);
  runBlocks(1);
  EXPECT_TRUE(voice.egBrassGate().isOn()); // last key: the gate stays open
  EXPECT_FALSE(voice.isActive());
}

TEST_F(VoiceTest, BrassVoiceFallsSilentWhenTheSharedEnvelopeEnds) {
  owner.brassRunning = true;
  voice.setNoteOn(60, 100, 1, false, true, false, false);
  runBlocks(3);
  EXPECT_TRUE(voice.isActive());
  owner.brassRunning = false;
  runBlocks(1);
  EXPECT_FALSE(voice.isActive());
}

TEST_F(VoiceTest, VoiceFallsSilentWhenItsEnvelopesEndAndFinishesTheFilterGlide) {
  voice.setParam(kVCARelease, 0.0);
  voice.setParam(kStringsRelease, 0.0);
  voice.setNoteOn(60, 100, 1, true, false, true, false);
  runBlocks(5);
  voice.setParam(kVCFCutoff, 0.2); // glides while the VCA sounds
  EXPECT_NE(voice.vcf().cutoffCurrent(), voice.vcf().cutoffTarget());
  voice.setNoteOff(false);
  runBlocks(20);
  EXPECT_FALSE(voice.isActive());
  EXPECT_EQ(voice.vcf().cutoffCurrent(), voice.vcf().cutoffTarget());
}

TEST_F(VoiceTest, StringsToneFilterFollowsTheKeyByBalance) {
  struct Case {
    double balance;
    int note;
    double hz;
  };
  const Case cases[] = {
      {0.0, 0, 3300}, {0.0, 24, 3300}, {0.0, 60, 3300},  {0.0, 127, 3300},  {1.0, 0, 400},
      {1.0, 24, 400}, {1.0, 60, 3300}, {1.0, 96, 12000}, {1.0, 127, 12000}, {0.5, 96, 7650},
  };
  for (const auto& c : cases) {
    voice.setParam(kStringsKBDBalance, c.balance);
    voice.setNoteOn(c.note, 100, 1, false, false, true, false);
    const double hz = voice.stringsFilter().w() * kRate / (2 * M_PI);
    EXPECT_NEAR(hz, c.hz, 1e-6) << c.balance << " " << c.note;
  }
}

TEST_F(VoiceTest, NoteOnTunesToThePitchPlusOneAndStepsTheEnvelopesOnce) {
  owner.tuningShift = 37; // a tuning source moves the note
  voice.setNoteOn(64, 100, 9, true, false, false, false);
  EXPECT_EQ(voice.pitch(), 64 * 128 + 37);
  EXPECT_EQ(voice.note(), 64);
  EXPECT_EQ(voice.sequence(), 9);
  EXPECT_EQ(voice.vco1().phaseInc(), referenceVco(64 * 128 + 37 + 1).phaseInc());
  EG reference;
  reference.setSampleRate(kRate);
  reference.setAttack(0.0);
  reference.start();
  reference.update();
  EXPECT_EQ(voice.egVCA().value(), reference.value());
  voice.update(-300, false);
  EXPECT_EQ(voice.vco1().phaseInc(), referenceVco(64 * 128 + 37 - 300).phaseInc());
}

TEST_F(VoiceTest, InactiveVoiceReturnsZerosAndAdvancesNothing) {
  for (int i = 0; i < 100; ++i) {
    const VoiceOutput out = voice.process();
    EXPECT_EQ(out.synthe, 0.0);
    EXPECT_EQ(out.brass, 0.0);
    EXPECT_EQ(out.strings, 0.0);
  }
  EXPECT_EQ(voice.vco1().phase(), 0);
  // A finished note freezes the oscillator too.
  voice.setParam(kVCARelease, 0.0);
  voice.setParam(kStringsRelease, 0.0);
  voice.setNoteOn(60, 100, 1, true, false, true, false);
  runBlocks(5);
  voice.setNoteOff(false);
  runBlocks(20);
  ASSERT_FALSE(voice.isActive());
  const int32_t phase = voice.vco1().phase();
  runBlocks(5);
  EXPECT_EQ(voice.vco1().phase(), phase);
}

TEST_F(VoiceTest, ForcedUpdateRetunesAnInactiveVoice) {
  const int32_t before = voice.vco1().phaseInc();
  voice.update(500, false);
  EXPECT_EQ(voice.vco1().phaseInc(), before);
  voice.update(500, true);
  EXPECT_EQ(voice.vco1().phaseInc(), referenceVco(6144 + 500).phaseInc());
}

TEST_F(VoiceTest, RefusedParametersChangeNothing) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_FALSE(voice.setParam(kVCFCutoff, nan));
  EXPECT_FALSE(voice.setParam(kVolumeSynthe, inf));
  EXPECT_FALSE(voice.setParam(kVCO1Octave, -inf));
  EXPECT_FALSE(voice.setParam(kTotalVolume, 0.5)); // not a voice parameter
  EXPECT_FALSE(voice.setParam(-1, 0.5));
  EXPECT_FALSE(voice.setParam(kNumParams, 0.5));
  voice.setNoteOn(60, 127, 1, true, false, false, false);
  EXPECT_EQ(voice.gainSynthe(), 1.0);
  EXPECT_EQ(voice.vcf().cutoffTarget(), 17280);
  // Out-of-range values are held to their range rather than cast blindly.
  EXPECT_TRUE(voice.setParam(kVCFCutoff, 1e300));
  EXPECT_EQ(voice.vcf().cutoffTarget(), 17280);
  EXPECT_TRUE(voice.setParam(kVCFCutoff, -5));
  EXPECT_EQ(voice.vcf().cutoffTarget(), 0);
  EXPECT_TRUE(voice.setParam(kDetuneBrass, -1e300));
  EXPECT_FALSE(voice.setSampleRate(0.0));
  EXPECT_FALSE(voice.setSampleRate(nan));
  EXPECT_TRUE(voice.isActive());
  EXPECT_EQ(voice.vco1().sampleRate(), kRate);
}

TEST(VoiceWithoutOwner, PlaysInEqualTemperamentWithNoOtherKeysHeld) {
  Voice voice;
  ASSERT_TRUE(voice.setSampleRate(kRate));
  voice.setParam(kVCASustain, 1.0);
  voice.setParam(kVolumeBrass, 1.0);
  voice.setNoteOn(62, 100, 1, true, true, false, true);
  EXPECT_EQ(voice.pitch(), 62 * 128);
  voice.setNoteOff(false);
  for (int b = 0; b < 2 * Voice::kDampBlocks; ++b) voice.update(0, false);
  EXPECT_TRUE(voice.egSynthGate().isOn());
}

TEST_F(VoiceTest, NotesControlBlocksAndSamplesDoNotAllocate) {
  double lfo = 0.4;
  voice.setPwmSource(&lfo);
  voice.setParam(kVCO1Wave, 2);
  voice.setParam(kVCO2Octave, 3);
  voice.setParam(kDetuneBrass, 0.3);
  voice.setParam(kDetuneStrings, 0.3);
  owner.brassRunning = true;
  owner.syntheKeys = owner.brassKeys = 2;
  test_support::AllocationScope scope;
  double sum = 0.0;
  for (int note = 30; note < 90; note += 7) {
    voice.setNoteOn(note, 90, note, true, true, true, note % 2 == 0);
    voice.setParam(kVCFCutoff, note / 127.0);
    for (int b = 0; b < 50; ++b) {
      voice.update(b, false);
      for (int i = 0; i < kBlock; ++i) {
        if (i > 0) voice.updateEGs();
        const VoiceOutput out = voice.process();
        sum += out.synthe + out.brass + out.strings;
      }
      if (b == 20) voice.setNoteOff(false);
    }
  }
  EXPECT_EQ(scope.allocations(), 0u);
  EXPECT_TRUE(std::isfinite(sum));
}

} // namespace
