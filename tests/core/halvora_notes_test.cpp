#include "core_fixture.h"

namespace {

using test_support::CoreTest;

class NotesTest : public CoreTest {};

TEST_F(NotesTest, SplitKeySendsEachSectionItsRange) {
  set(kSplitKey, 60);
  set(kOutputBrass, 1);
  set(kRangeSynthe, 0); // "Lower"
  set(kRangeBrass, 2);  // "Upper"
  noteOn(59);
  EXPECT_EQ(plug.syntheKeys, 1);
  EXPECT_EQ(plug.brassKeys, 0);
  noteOn(60);
  EXPECT_EQ(plug.syntheKeys, 1);
  EXPECT_EQ(plug.brassKeys, 1);
  EXPECT_TRUE(plug.brassEG.isOn());
}

TEST_F(NotesTest, KeyAssignOneReusesTheKeysVoiceAndStealsTheOldest) {
  ASSERT_EQ(plug.getNumVoices(), 8);
  noteOn(70);
  const int first = [&] {
    for (int v = 0; v < 8; ++v)
      if (voice(v).note() == 70) return v;
    return -1;
  }();
  ASSERT_GE(first, 0);
  for (int repeat = 0; repeat < 3; ++repeat) {
    noteOff(70); // still releasing when the key comes back
    noteOn(70);
    EXPECT_EQ(voice(first).note(), 70);
    EXPECT_EQ(voice(first).sequence(), plug.noteSerial);
  }
  noteOff(70);

  // Fill all eight voices, oldest first on voice 0 ... then a ninth key.
  set(kVCARelease, 1);
  for (int k = 0; k < 8; ++k) noteOn(80 + k);
  int oldest = 0;
  for (int v = 1; v < 8; ++v)
    if (voice(v).sequence() < voice(oldest).sequence()) oldest = v;
  for (int v = 0; v < 8; ++v) ASSERT_TRUE(voice(v).isActive());
  noteOn(100);
  EXPECT_EQ(voice(oldest).note(), 100);
}

TEST_F(NotesTest, KeyAssignTwoCountsHeldKeys) {
  set(kKeyAssign, 0); // "2"
  noteOn(60);         // A on voice 0
  noteOn(64);         // B on voice 1
  EXPECT_EQ(voice(0).note(), 60);
  EXPECT_EQ(voice(1).note(), 64);
  noteOff(60);
  noteOn(67); // one key held: C takes voice 1, B's voice
  EXPECT_EQ(voice(1).note(), 67);
  EXPECT_TRUE(voice(1).gate());
  noteOff(64); // B finds no voice to release
  EXPECT_TRUE(voice(1).gate());
}

TEST_F(NotesTest, TriggerSelectStartsTheBrassEnvelopeFromTheFourthKey) {
  set(kOutputBrass, 1);
  set(kBrassTriggerSelect, 1);
  set(kBrassSilentNotes, 1); // "4"
  set(kBrassSustain, 0.5);
  ASSERT_EQ(plug.brassSilentNotes, 3);
  for (int note : {60, 62, 64}) {
    noteOn(note);
    EXPECT_FALSE(plug.brassEG.isOn()) << note;
  }
  noteOn(65);
  EXPECT_EQ(plug.brassEG.state(), EG::kAttack);
  render(44100); // into the decay
  ASSERT_EQ(plug.brassEG.state(), EG::kDecay);
  noteOn(67);
  EXPECT_EQ(plug.brassEG.state(), EG::kAttack);
}

TEST_F(NotesTest, SingleTriggerStartsOnceForLegatoAndPerNoteWhenDetached) {
  set(kOutputBrass, 1);
  set(kBrassSustain, 0.5);
  set(kBrassRelease, 1);
  auto startsAfter = [&](auto play) {
    render(44100);
    const bool before = plug.brassEG.state() == EG::kAttack;
    play();
    return !before && plug.brassEG.state() == EG::kAttack;
  };
  noteOn(60);
  render(44100);
  // Legato: the next key goes down before the previous comes up.
  EXPECT_FALSE(startsAfter([&] {
    noteOn(62);
    noteOff(60);
  }));
  EXPECT_FALSE(startsAfter([&] {
    noteOn(64);
    noteOff(62);
  }));
  // Detached: every note starts it again.
  EXPECT_TRUE(startsAfter([&] {
    noteOff(64);
    noteOn(65);
  }));
  EXPECT_TRUE(startsAfter([&] {
    noteOff(65);
    noteOn(67);
  }));
}

TEST_F(NotesTest, SustainPedalKeepsTheSharedEnvelopesUntilItIsLifted) {
  set(kOutputBrass, 1);
  set(kOutputStrings, 1);
  set(kStringsBowing, 1);
  set(kBrassSustain, 1);
  midi(qm::IMidiMsg::ControlChange(64, 1, 0));
  noteOn(60);
  noteOff(60);
  EXPECT_TRUE(plug.sustainPedal);
  EXPECT_TRUE(plug.brassEG.isOn());
  EXPECT_NE(plug.brassEG.state(), EG::kRelease);
  EXPECT_TRUE(plug.bowingEG.isOn());
  EXPECT_NE(plug.bowingEG.state(), EG::kRelease);
  midi(qm::IMidiMsg::ControlChange(64, 0, 0));
  render(44);
  EXPECT_FALSE(plug.sustainPedal);
  EXPECT_EQ(plug.brassEG.state(), EG::kRelease);
  EXPECT_TRUE(plug.bowingEG.state() == EG::kRelease || !plug.bowingEG.isOn());
}

TEST_F(NotesTest, AutoDampClosesOtherGatesOnANewPhrase) {
  set(kVCAAutoDamp, 1);
  set(kVCARelease, 1);
  noteOn(60);
  noteOff(60);
  ASSERT_TRUE(voice(0).isActive());
  ASSERT_TRUE(voice(0).egSynthGate().state() == EG::kAttack ||
              voice(0).egSynthGate().state() == EG::kDecay);
  noteOn(64);
  // The releasing voice's gate envelope was stopped by the new phrase.
  EXPECT_NE(voice(0).egSynthGate().state(), EG::kAttack);
  EXPECT_NE(voice(0).egSynthGate().state(), EG::kDecay);
}

TEST_F(NotesTest, RepeatedNoteOnsShareOneHeldKeyButCountTwice) {
  noteOn(64);
  noteOn(64);
  noteOff(64);
  EXPECT_EQ(plug.pressedKeys.count(64), 0u);
  EXPECT_EQ(plug.syntheKeys, 1);
  // The next note with no key held starts counting afresh.
  noteOff(64);
  noteOff(64);
  EXPECT_EQ(plug.syntheKeys, -1);
  noteOn(50);
  EXPECT_EQ(plug.syntheKeys, 1);
}

TEST_F(NotesTest, AllNotesOffReleasesEveryVoiceAndForgetsTheKeys) {
  for (int note : {60, 64, 67}) noteOn(note);
  midi(qm::IMidiMsg::ControlChange(123, 0, 0));
  EXPECT_TRUE(plug.pressedKeys.empty());
  for (int v = 0; v < 8; ++v) EXPECT_FALSE(voice(v).gate()) << v;
  EXPECT_EQ(plug.syntheKeys, 3); // left for the next note to clear
}

TEST(NotesBeforeParameters, NoteOnWithoutAVoicePoolIsIgnored) {
  const test_support::InstanceFixture scratch;
  test_support::InspectableHalvora fresh;
  fresh.SetupProcessing(64, 44100.0, 512); // set up, never activated
  ASSERT_EQ(fresh.getNumVoices(), 0);
  fresh.ProcessMidiMsg(qm::IMidiMsg::NoteOn(60, 100, 0));
  test_support::Block block(128);
  fresh.ProcessBlock(nullptr, block.pointers.data(), block.frames);
  EXPECT_TRUE(fresh.pressedKeys.empty());
  for (const auto& ch : block.channels)
    for (double x : ch) ASSERT_EQ(x, 0.0);
}

} // namespace
