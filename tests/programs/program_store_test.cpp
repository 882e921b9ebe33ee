#include <thread>

#include "programs/halvora_fixture.h"
#include "support/allocation_counter.h"

namespace programs_test {
namespace {

using ProgramStore = HalvoraTest;

TEST_F(ProgramStore, UnusedProgramsAreNamedInTurnAndTakeCurrentSettings) {
  setValues(nonDefaultValues());
  ASSERT_TRUE(plug->RestorePreset(10));
  EXPECT_EQ(plug->GetCurrentPresetIdx(), 10);
  EXPECT_STREQ(plug->GetPreset(10)->mName, "user preset 1");
  EXPECT_TRUE(plug->GetPreset(10)->mInitialized);
  EXPECT_EQ(values(), nonDefaultValues());

  // The stored chunk applies back to the same settings.
  setValues(values());
  std::vector<double> other = nonDefaultValues();
  other[kSplitKey] = 30;
  setValues(other);
  ASSERT_TRUE(plug->RestorePreset(10));
  EXPECT_EQ(values(), nonDefaultValues());

  ASSERT_TRUE(plug->RestorePreset(11));
  EXPECT_STREQ(plug->GetPreset(11)->mName, "user preset 2");
}

TEST_F(ProgramStore, RecallOutsideBankChangesNothing) {
  plug->SetCurrentPresetIdx(3);
  for (int idx : {-1, 64, 127}) {
    EXPECT_FALSE(plug->RestorePreset(idx));
    EXPECT_EQ(plug->GetCurrentPresetIdx(), 3);
    EXPECT_EQ(plug->GetPresetName(idx), "");
  }
  EXPECT_EQ(plug->GetPresetName(0), "empty");
}

TEST_F(ProgramStore, RecallOfUsedProgramWithEmptyChunkFails) {
  plug->GetPreset(4)->mInitialized = true;
  plug->SetCurrentPresetIdx(1);
  EXPECT_FALSE(plug->RestorePreset(4));
  EXPECT_EQ(plug->GetCurrentPresetIdx(), 1);
}

TEST_F(ProgramStore, RecallTellsTheEditor) {
  plug->RestorePreset(2);
  EXPECT_EQ(plug->presetsModified, 1);
}

TEST_F(ProgramStore, ModifyStoresSettingsAndRenamesOnlyWithName) {
  plug->SetCurrentPresetIdx(6);
  setValues(nonDefaultValues());
  plug->ModifyCurrentPreset("Bright");
  EXPECT_STREQ(plug->GetPreset(6)->mName, "Bright");
  EXPECT_FALSE(plug->GetPreset(6)->mInitialized);
  plug->ModifyCurrentPreset("");
  plug->ModifyCurrentPreset();
  EXPECT_STREQ(plug->GetPreset(6)->mName, "Bright");
  qm::IByteChunk now;
  plug->SerializeState(now);
  EXPECT_TRUE(plug->GetPreset(6)->mChunk.IsEqual(now));
}

TEST_F(ProgramStore, PasteTakesCopiedSettingsAndTheSourcesNewName) {
  plug->RestorePreset(3);
  setValues(nonDefaultValues());
  plug->copyPreset();
  EXPECT_EQ(plug->programs().copiedFromIdx(), 3);
  plug->ModifyCurrentPreset("Renamed Three");

  setValues(values());
  plug->changePreset(7);
  for (int i = 0; i < plug->NParams(); ++i) plug->GetParam(i)->Set(plug->GetParam(i)->GetDefault());
  plug->pastePreset();
  EXPECT_EQ(values(), nonDefaultValues());
  EXPECT_STREQ(plug->GetPreset(7)->mName, "Renamed Three");
  EXPECT_STREQ(plug->GetPreset(3)->mName, "Renamed Three");
}

TEST_F(ProgramStore, PasteOntoCopiedProgramKeepsItsName) {
  plug->RestorePreset(3);
  plug->ModifyCurrentPreset("Same");
  plug->copyPreset();
  plug->pastePreset();
  EXPECT_STREQ(plug->GetPreset(3)->mName, "Same");
}

TEST_F(ProgramStore, PasteWithEmptyBufferDoesNothing) {
  setValues(nonDefaultValues());
  plug->paramChanges.clear();
  plug->pastePreset();
  EXPECT_EQ(values(), nonDefaultValues());
  EXPECT_TRUE(plug->paramChanges.empty());
  EXPECT_STREQ(plug->GetPreset(0)->mName, "empty");
}

TEST_F(ProgramStore, InitResetsEveryParameterAndTellsTheHost) {
  plug->SetCurrentPresetIdx(9);
  setValues(nonDefaultValues());
  host.calls.clear();
  plug->initPreset();
  int informed = 0;
  for (const std::string& call : host.calls) informed += call.rfind("inform ", 0) == 0;
  EXPECT_EQ(informed, kNumParams);
  // The default travels as a normalised value, as a host would hear it.
  for (int i = 0; i < plug->NParams(); ++i) {
    const qm::IParam* p = plug->GetParam(i);
    EXPECT_EQ(p->Value(), p->FromNormalized(p->ToNormalized(p->GetDefault()))) << i;
  }
  EXPECT_STREQ(plug->GetPreset(9)->mName, "Init");
}

TEST_F(ProgramStore, ChangeMovesHostProgramParameter) {
  struct Case {
    int program;
    const char* value;
  };
  for (const Case c : {Case{63, "1.000000"}, Case{0, "0.000000"}, Case{21, "0.333333"}}) {
    host.calls.clear();
    ASSERT_TRUE(plug->changePreset(c.program));
    const std::vector<std::string> expected = {std::string("set 65537 ") + c.value,
                                               std::string("inform 65537 ") + c.value};
    EXPECT_EQ(host.calls, expected) << c.program;
    EXPECT_EQ(plug->GetCurrentPresetIdx(), c.program);
  }
}

TEST_F(ProgramStore, ChangeStoresTheProgramBeingLeft) {
  plug->RestorePreset(1);
  setValues(nonDefaultValues());
  plug->changePreset(2);
  setValues(values());
  for (int i = 0; i < plug->NParams(); ++i) plug->GetParam(i)->Set(plug->GetParam(i)->GetDefault());
  plug->changePreset(1);
  EXPECT_EQ(values(), nonDefaultValues());
}

TEST_F(ProgramStore, ChangeOutsideBankIsRefused) {
  plug->RestorePreset(1);
  host.calls.clear();
  EXPECT_FALSE(plug->changePreset(64));
  EXPECT_FALSE(plug->changePreset(-1));
  EXPECT_TRUE(host.calls.empty());
  EXPECT_EQ(plug->GetCurrentPresetIdx(), 1);
}

TEST_F(ProgramStore, BankRecordsAreNameFlagAndSettings) {
  plug->RestorePreset(0);
  plug->ModifyCurrentPreset("Zero");
  qm::IByteChunk bank;
  ASSERT_TRUE(plug->programs().SerializePresets(bank));
  const int first = 4 + 4 + 1 + plug->GetPreset(0)->mChunk.Size();
  EXPECT_EQ(bank.Size(), first + 63 * (4 + 5 + 1));
  int32_t length = 0;
  bank.Get(&length, first);
  EXPECT_EQ(length, 5);
  EXPECT_TRUE(bank.HasBytesAt("empty\0", 6, first + 4));
}

TEST_F(ProgramStore, UsedProgramWithoutSettingsIsWrittenAsUnused) {
  plug->RestorePreset(9);
  plug->GetPreset(4)->mInitialized = true; // its settings never arrived
  qm::IByteChunk bank;
  ASSERT_TRUE(plug->programs().SerializePresets(bank));
  ProbeHalvora other;
  EXPECT_EQ(other.programs().UnserializePresets(bank, 0), bank.Size());
  EXPECT_FALSE(other.GetPreset(4)->mInitialized);
  EXPECT_TRUE(other.GetPreset(9)->mInitialized);
  EXPECT_STREQ(other.GetPreset(9)->mName, "user preset 1");
}

TEST_F(ProgramStore, BankSurvivesRoundTrip) {
  std::mt19937 rng(99);
  for (int p : {0, 5, 63}) {
    plug->changePreset(p);
    setValues(randomValues(*plug, rng));
    plug->ModifyCurrentPreset(("Program " + std::to_string(p)).c_str());
  }
  plug->changePreset(5);
  qm::IByteChunk bank;
  ASSERT_TRUE(plug->programs().SerializePresets(bank));

  ProbeHalvora other;
  other.SetCurrentPresetIdx(5);
  EXPECT_EQ(other.programs().UnserializePresets(bank, 0), bank.Size());
  for (int p = 0; p < 64; ++p) {
    EXPECT_STREQ(other.GetPreset(p)->mName, plug->GetPreset(p)->mName) << p;
    EXPECT_EQ(other.GetPreset(p)->mInitialized, plug->GetPreset(p)->mInitialized) << p;
    // Loading rewrites each chunk's header from the live instance; the
    // settings behind it are what must survive.
    const qm::IByteChunk& loaded = other.GetPreset(p)->mChunk;
    const qm::IByteChunk& saved = plug->GetPreset(p)->mChunk;
    ASSERT_EQ(loaded.Size() >= 744, saved.Size() >= 744) << p;
    if (saved.Size() >= 744) {
      EXPECT_EQ(bytes(loaded).substr(static_cast<size_t>(loaded.Size() - 744)),
                bytes(saved).substr(static_cast<size_t>(saved.Size() - 744)))
          << p;
    }
  }
  for (int i = 0; i < kNumParams; ++i)
    EXPECT_EQ(other.GetParam(i)->Value(), plug->GetParam(i)->Value()) << i;
}

TEST_F(ProgramStore, BankInEarlierLayoutIsRewritten) {
  qm::IByteChunk bank;
  bank.PutStr("Old");
  const uint8_t used = 1;
  bank.Put(&used);
  bank.PutChunk(doublesChunk(nonDefaultValues()));
  plug->SetCurrentPresetIdx(0);
  EXPECT_EQ(plug->programs().UnserializePresets(bank, 0), -1);
  EXPECT_STREQ(plug->GetPreset(0)->mName, "Old");
  EXPECT_TRUE(
      plug->GetPreset(0)->mChunk.HasBytesAt(programs::kStateMarker, programs::kStateMarkerLen, 0));
  EXPECT_EQ(values(), nonDefaultValues());
}

TEST_F(ProgramStore, BankCutInsideANameLeavesThatProgram) {
  qm::IByteChunk bank;
  bank.PutStr("First");
  const uint8_t unused = 0;
  bank.Put(&unused);
  const int32_t length = 20;
  bank.Put(&length);
  bank.PutBytes("Sec", 3);
  plug->GetPreset(1)->SetName("Keep me");
  plug->RestorePreset(9); // a used current program, recalled after the load
  EXPECT_EQ(plug->programs().UnserializePresets(bank, 0), -1);
  EXPECT_STREQ(plug->GetPreset(0)->mName, "First");
  EXPECT_STREQ(plug->GetPreset(1)->mName, "Keep me");
}

TEST_F(ProgramStore, BankNamesStopAtNulAndNonPositiveLengthsAreEmpty) {
  qm::IByteChunk bank;
  const int32_t withNul = 6;
  bank.Put(&withNul);
  bank.PutBytes("ab\0cd!", 6);
  const uint8_t unused = 0;
  bank.Put(&unused);
  const int32_t negative = -5;
  bank.Put(&negative);
  bank.Put(&unused);
  plug->RestorePreset(9);
  plug->programs().UnserializePresets(bank, 0);
  EXPECT_STREQ(plug->GetPreset(0)->mName, "ab");
  EXPECT_STREQ(plug->GetPreset(1)->mName, "");
}

// --- MIDI program change from the audio thread ---

TEST_F(ProgramStore, AudioRecallWaitsWhileMainThreadHoldsTheBank) {
  plug->RestorePreset(0);
  bool appliedWhileHeld = true;
  {
    std::lock_guard<std::recursive_mutex> held(plug->programs().mutex());
    std::thread audio([&] {
      plug->requestProgramChange(3);
      appliedWhileHeld = plug->GetCurrentPresetIdx() == 3;
    });
    audio.join();
  }
  EXPECT_FALSE(appliedWhileHeld);
  EXPECT_EQ(plug->GetCurrentPresetIdx(), 0);
  bool applied = false;
  std::thread audio([&] { applied = plug->tryApplyPendingProgramChange(); });
  audio.join();
  EXPECT_TRUE(applied);
  EXPECT_EQ(plug->GetCurrentPresetIdx(), 3);
  EXPECT_FALSE(plug->tryApplyPendingProgramChange());
}

TEST_F(ProgramStore, AudioRecallNeitherAllocatesNorTouchesTheEditor) {
  plug->RestorePreset(4);
  setValues(nonDefaultValues());
  plug->ModifyCurrentPreset();
  plug->RestorePreset(0);
  plug->presetsModified = 0;
  plug->paramChanges.reserve(1000);

  size_t allocations = 1;
  std::thread audio([&] {
    test_support::AllocationScope scope;
    plug->requestProgramChange(4);  // a used program
    plug->requestProgramChange(20); // an unused one, named and filled
    plug->requestProgramChange(99); // outside the bank
    allocations = scope.allocations();
  });
  audio.join();
  EXPECT_EQ(allocations, 0u);
  EXPECT_EQ(plug->GetCurrentPresetIdx(), 20);
  EXPECT_STREQ(plug->GetPreset(20)->mName, "user preset 3");
  EXPECT_EQ(plug->presetsModified, 0);

  plug->OnIdle();
  EXPECT_EQ(plug->presetsModified, 1);
  EXPECT_EQ(plug->presetsModifiedThread, std::this_thread::get_id());
  plug->OnIdle();
  EXPECT_EQ(plug->presetsModified, 1);
}

// --- Start-up ---

class StartupPrograms : public HalvoraTest {
protected:
  std::string writeBank(const std::string& path, const char* name) {
    ProbeHalvora source;
    source.RestorePreset(0);
    source.ModifyCurrentPreset(name);
    source.SaveBankAsFXB(path);
    return path;
  }
  testing_support::TempFolder folder;
};

TEST_F(StartupPrograms, StartupBankComesFirst) {
  std::string startup = writeBank(folder / "startup.fxb", "From Startup");
  platform::createFolders(folder / "Halvora.vst3/Contents/Resources");
  writeBank(folder / "Halvora.vst3/Contents/Resources/init.fxb", "From Init");
  EXPECT_TRUE(plug->programs().initAllPrograms(startup, folder.path()));
  EXPECT_EQ(startup, folder / "startup.fxb");
  EXPECT_STREQ(plug->GetPreset(0)->mName, "From Startup");
}

TEST_F(StartupPrograms, UnusableStartupBankFallsBackToInitialBank) {
  platform::createFolders(folder / "Halvora.vst3/Contents/Resources");
  writeBank(folder / "Halvora.vst3/Contents/Resources/init.fxb", "From Init");
  testing_support::writeText(folder / "broken.fxb", "not a bank");
  for (std::string startup : {std::string(), folder / "missing.fxb", folder / "broken.fxb"}) {
    EXPECT_TRUE(plug->programs().initAllPrograms(startup, folder.path()));
    EXPECT_EQ(startup, "");
    EXPECT_STREQ(plug->GetPreset(0)->mName, "From Init");
  }
}

TEST_F(StartupPrograms, WithoutAnyBankProgramsStayEmpty) {
  std::string startup = folder / "missing.fxb";
  const std::vector<double> before = values();
  EXPECT_FALSE(plug->programs().initAllPrograms(startup, folder.path()));
  for (int p = 0; p < 64; ++p) {
    EXPECT_STREQ(plug->GetPreset(p)->mName, "empty");
    EXPECT_FALSE(plug->GetPreset(p)->mInitialized);
  }
  EXPECT_EQ(values(), before);
}

} // namespace
} // namespace programs_test
