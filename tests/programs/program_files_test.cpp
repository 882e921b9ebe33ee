#include <cmath>
#include <cstring>
#include <limits>

#include "programs/halvora_fixture.h"
#include "programs/program_files.h"

namespace programs_test {
namespace {

namespace fx = programs::fx;

class ProgramFiles : public HalvoraTest {
protected:
  static std::string be32(uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
  }
  static std::string beFloat(float f) {
    uint32_t bits = 0;
    std::memcpy(&bits, &f, sizeof(bits));
    return be32(bits);
  }
  static std::string nameField(const std::string& name) {
    std::string field = name.substr(0, 28);
    field.resize(28, '\0');
    return field;
  }
  // A parameter-list program record with the given normalised values.
  static std::string paramListProgram(const std::string& name, const std::vector<float>& values,
                                      uint32_t count = kNumParams) {
    std::string out =
        "CcnK" + be32(0) + "FxCk" + be32(1) + "Hal3" + be32(10103) + be32(count) + nameField(name);
    for (float v : values) out += beFloat(v);
    return out;
  }
  static std::string paramListBank(const std::vector<std::string>& records, uint32_t current) {
    std::string out = "CcnK" + be32(0) + "FxBk" + be32(2) + "Hal3" + be32(10103) +
                      be32(static_cast<uint32_t>(records.size())) + be32(current) +
                      std::string(124, '\0');
    for (const std::string& r : records) out += r;
    return out;
  }
  std::string programFile() const {
    std::string out;
    EXPECT_TRUE(plug->programs().programFileBytes(out));
    return out;
  }
  std::string bankFile() const {
    std::string out;
    EXPECT_TRUE(plug->programs().bankFileBytes(out));
    return out;
  }

  testing_support::TempFolder folder;
};

TEST_F(ProgramFiles, ProgramHeaderIsBigEndianWithOpaquePayload) {
  plug->SetCurrentPresetIdx(0);
  programs::setProgramName(*plug->GetPreset(0), "Warm Pad");
  const std::string file = programFile();
  qm::IByteChunk state;
  plug->SerializeState(state);
  const uint32_t payload = 8 + static_cast<uint32_t>(state.Size());

  const std::string expected = "CcnK" + be32(payload + 60) + "FPCh" + std::string("\0\0\0\x01", 4) +
                               "Hal3" + std::string("\0\0\x27\x77", 4) +
                               std::string("\0\0\0\x5d", 4) + nameField("Warm Pad") +
                               be32(payload) + "tffp" + std::string("\0\0\x01\0", 4) + bytes(state);
  EXPECT_EQ(file, expected);
}

TEST_F(ProgramFiles, BankHeaderCarriesCountCurrentAndReservedZeros) {
  plug->RestorePreset(12);
  const std::string file = bankFile();
  qm::IByteChunk store;
  plug->programs().SerializePresets(store);
  const uint32_t payload = 8 + static_cast<uint32_t>(store.Size());
  const std::string expected = "CcnK" + be32(payload + 160) + "FBCh" + be32(2) + "Hal3" +
                               be32(10103) + be32(64) + be32(12) + std::string(124, '\0') +
                               be32(payload) + "tffp" + std::string("\0\0\x01\0", 4) + bytes(store);
  EXPECT_EQ(file, expected);
}

TEST_F(ProgramFiles, LongProgramNamesAreCutTo27Characters) {
  const std::string name(40, 'L');
  programs::setProgramName(*plug->GetPreset(0), name.c_str());
  const std::string file = programFile();
  EXPECT_EQ(file.substr(28, 28), std::string(27, 'L') + '\0');
}

TEST_F(ProgramFiles, RandomProgramSurvivesFile) {
  std::mt19937 rng(7);
  const std::string path = folder / "p.fxp";
  for (int round = 0; round < 10; ++round) {
    const std::vector<double> saved = randomValues(*plug, rng);
    setValues(saved);
    plug->ModifyCurrentPreset("Round Trip");
    ASSERT_TRUE(plug->SavePresetAsFXP(path));
    setValues(nonDefaultValues());
    ASSERT_TRUE(plug->LoadPresetFromFXP(path));
    EXPECT_EQ(values(), saved);
    EXPECT_STREQ(plug->GetPreset(0)->mName, "Round Trip");
  }
}

TEST_F(ProgramFiles, RandomBankSurvivesFile) {
  std::mt19937 rng(8);
  for (int p : {0, 17, 63}) {
    plug->changePreset(p);
    setValues(randomValues(*plug, rng));
    plug->ModifyCurrentPreset(("Bank " + std::to_string(p)).c_str());
  }
  plug->changePreset(17);
  const std::string path = folder / "b.fxb";
  ASSERT_TRUE(plug->SaveBankAsFXB(path));

  ProbeHalvora other;
  other.SetCurrentPresetIdx(17);
  ASSERT_TRUE(other.LoadBankFromFXB(path));
  for (int p = 0; p < 64; ++p) {
    EXPECT_STREQ(other.GetPreset(p)->mName, plug->GetPreset(p)->mName) << p;
    EXPECT_EQ(other.GetPreset(p)->mInitialized, plug->GetPreset(p)->mInitialized) << p;
  }
  for (int i = 0; i < kNumParams; ++i)
    EXPECT_EQ(other.GetParam(i)->Value(), plug->GetParam(i)->Value()) << i;
  // Every stored program recalls to the same settings.
  for (int p : {0, 17, 63}) {
    ASSERT_TRUE(plug->RestorePreset(p));
    ASSERT_TRUE(other.RestorePreset(p));
    for (int i = 0; i < kNumParams; ++i)
      EXPECT_EQ(other.GetParam(i)->Value(), plug->GetParam(i)->Value()) << p << " " << i;
  }
}

TEST_F(ProgramFiles, OpaqueBankLoadKeepsCurrentProgramAndReappliesIt) {
  plug->RestorePreset(3);
  setValues(nonDefaultValues());
  plug->ModifyCurrentPreset("Three");
  const std::string bank = bankFile();

  plug->RestorePreset(8);
  plug->RestorePreset(3);
  for (int i = 0; i < kNumParams; ++i) plug->GetParam(i)->Set(plug->GetParam(i)->GetDefault());
  ASSERT_TRUE(plug->programs().loadBankFromBytes(bank));
  EXPECT_EQ(plug->GetCurrentPresetIdx(), 3);
  EXPECT_EQ(values(), nonDefaultValues());
}

// Files that are not ours, or not of a version we read, change nothing.
TEST_F(ProgramFiles, ForeignOrMalformedProgramFilesAreRefused) {
  plug->RestorePreset(2);
  setValues(nonDefaultValues());
  plug->ModifyCurrentPreset("Before");
  const std::string good = programFile();
  const std::string values93 = paramListProgram("List", std::vector<float>(93, 0.5f));
  auto with = [](std::string file, size_t offset, const std::string& field) {
    return file.replace(offset, field.size(), field);
  };
  struct Case {
    const char* what;
    std::string file;
  };
  const Case cases[] = {
      {"empty", ""},
      {"another product", with(good, 16, "Xyz1")},
      {"program format version 2", with(good, 12, be32(2))},
      {"not a chunk", with(good, 0, "RIFF")},
      {"unknown format", with(good, 8, "FBCh")},
      {"cut in the header", good.substr(0, 14)},
      {"opaque header without payload size", good.substr(0, 58)},
      {"parameter list without name", values93.substr(0, 40)},
  };
  const std::vector<double> before = values();
  const std::string beforeChunk = bytes(plug->GetPreset(2)->mChunk);
  for (const Case& c : cases) {
    EXPECT_FALSE(plug->programs().loadPresetFromBytes(c.file)) << c.what;
    EXPECT_EQ(values(), before) << c.what;
    EXPECT_STREQ(plug->GetPreset(2)->mName, "Before") << c.what;
    EXPECT_EQ(bytes(plug->GetPreset(2)->mChunk), beforeChunk) << c.what;
  }
  EXPECT_FALSE(plug->LoadPresetFromFXP(""));
  EXPECT_FALSE(plug->LoadPresetFromFXP(folder / "missing.fxp"));
  EXPECT_FALSE(plug->LoadBankFromFXB(folder / "missing.fxb"));
}

TEST_F(ProgramFiles, BankVersionIsNotChecked) {
  plug->RestorePreset(1);
  plug->ModifyCurrentPreset("Version One");
  std::string bank = bankFile();
  bank.replace(12, 4, be32(1));
  plug->ModifyCurrentPreset("Changed");
  EXPECT_TRUE(plug->programs().loadBankFromBytes(bank));
  EXPECT_STREQ(plug->GetPreset(1)->mName, "Version One");
}

TEST_F(ProgramFiles, ForeignBanksAreRefused) {
  const std::string good = bankFile();
  programs::setProgramName(*plug->GetPreset(0), "Untouched");
  const std::string bads[] = {std::string(good).replace(16, 4, "Xyz1"),
                              std::string(good).replace(0, 4, "RIFF"),
                              std::string(good).replace(8, 4, "FPCh"), good.substr(0, 100)};
  for (const std::string& bad : bads) {
    EXPECT_FALSE(plug->programs().loadBankFromBytes(bad));
    EXPECT_STREQ(plug->GetPreset(0)->mName, "Untouched");
  }
}

TEST_F(ProgramFiles, ParameterListProgramSetsNormalisedValues) {
  plug->RestorePreset(4);
  ASSERT_TRUE(plug->programs().loadPresetFromBytes(
      paramListProgram("Half Way", std::vector<float>(93, 0.5f))));
  for (int i = 0; i < kNumParams; ++i)
    EXPECT_EQ(plug->GetParam(i)->Value(), plug->GetParam(i)->FromNormalized(0.5)) << i;
  EXPECT_STREQ(plug->GetPreset(4)->mName, "Half Way");
  const std::vector<double> loaded = values();
  setValues(nonDefaultValues());
  ASSERT_TRUE(plug->RestorePreset(4));
  EXPECT_EQ(values(), loaded);
}

TEST_F(ProgramFiles, ShortParameterListLeavesTheRest) {
  setValues(nonDefaultValues());
  ASSERT_TRUE(
      plug->programs().loadPresetFromBytes(paramListProgram("", std::vector<float>(10, 0.0f))));
  for (int i = 0; i < kNumParams; ++i) {
    const double expected = i < 10 ? plug->GetParam(i)->GetMin() : nonDefaultValues()[i];
    EXPECT_EQ(plug->GetParam(i)->Value(), expected) << i;
  }
}

TEST_F(ProgramFiles, NonFiniteValuesNeverReachParameters) {
  constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
  constexpr float kInf = std::numeric_limits<float>::infinity();
  std::vector<float> list(93, 0.5f);
  list[0] = kNaN;
  list[1] = kInf;
  list[2] = -kInf;
  ASSERT_TRUE(plug->programs().loadPresetFromBytes(paramListProgram("", list)));
  for (int i = 0; i < kNumParams; ++i) EXPECT_TRUE(std::isfinite(plug->GetParam(i)->Value()));
  EXPECT_EQ(plug->GetParam(0)->Value(), plug->GetParam(0)->GetDefault());
  EXPECT_EQ(plug->GetParam(1)->Value(), plug->GetParam(1)->GetMax());
  EXPECT_EQ(plug->GetParam(2)->Value(), plug->GetParam(2)->GetMin());

  // The same through an opaque program file.
  std::string file = programFile();
  const double nan = std::nan("");
  const size_t firstValue = 60 + 8 + 13 + 4 + 4 + std::strlen(plug->GetPreset(0)->mName);
  for (int i = 0; i < kNumParams; ++i)
    file.replace(firstValue + 8 * static_cast<size_t>(i), 8, reinterpret_cast<const char*>(&nan),
                 8);
  ASSERT_TRUE(plug->programs().loadPresetFromBytes(file));
  for (int i = 0; i < kNumParams; ++i)
    EXPECT_EQ(plug->GetParam(i)->Value(), plug->GetParam(i)->GetDefault()) << i;
}

TEST_F(ProgramFiles, TruncatedOpaqueProgramAppliesWhatItHolds) {
  setValues(nonDefaultValues());
  std::string file = programFile();
  for (int i = 0; i < kNumParams; ++i) plug->GetParam(i)->Set(plug->GetParam(i)->GetDefault());
  const std::vector<double> defaults = values();
  file.resize(file.size() - 8 * 40);
  EXPECT_TRUE(plug->programs().loadPresetFromBytes(file));
  for (int i = 0; i < 53; ++i) EXPECT_EQ(values()[i], nonDefaultValues()[i]) << i;
  EXPECT_EQ(values()[53], plug->GetParam(53)->Constrain(0.0));
  for (int i = 54; i < kNumParams; ++i) EXPECT_EQ(values()[i], defaults[i]) << i;
}

TEST_F(ProgramFiles, ParameterListBankFillsProgramsInOrder) {
  const std::string bank = paramListBank({paramListProgram("Alpha", std::vector<float>(93, 0.0f)),
                                          paramListProgram("Beta", std::vector<float>(93, 1.0f))},
                                         1);
  ASSERT_TRUE(plug->programs().loadBankFromBytes(bank));
  EXPECT_STREQ(plug->GetPreset(0)->mName, "Alpha");
  EXPECT_STREQ(plug->GetPreset(1)->mName, "Beta");
  EXPECT_EQ(plug->GetCurrentPresetIdx(), 1);
  for (int i = 0; i < kNumParams; ++i)
    EXPECT_EQ(plug->GetParam(i)->Value(), plug->GetParam(i)->GetMax()) << i;
  plug->RestorePreset(0);
  for (int i = 0; i < kNumParams; ++i)
    EXPECT_EQ(plug->GetParam(i)->Value(), plug->GetParam(i)->GetMin()) << i;
}

TEST_F(ProgramFiles, ParameterListBankStopsAtBadRecord) {
  struct Case {
    const char* what;
    std::string record;
  };
  const std::string good = paramListProgram("Second", std::vector<float>(93, 1.0f));
  const Case cases[] = {
      {"wrong parameter count", paramListProgram("X", std::vector<float>(92, 1.0f), 92)},
      {"opaque record", std::string(good).replace(8, 4, "FPCh")},
      {"record version 2", std::string(good).replace(12, 4, be32(2))},
      {"not a chunk", std::string(good).replace(0, 4, "RIFF")},
      {"cut in its header", good.substr(0, 20)},
  };
  for (const Case& c : cases) {
    programs::setProgramName(*plug->GetPreset(1), "Untouched");
    const std::string bank =
        paramListBank({paramListProgram("First", std::vector<float>(93, 0.0f)), c.record}, 0);
    EXPECT_FALSE(plug->programs().loadBankFromBytes(bank)) << c.what;
    EXPECT_STREQ(plug->GetPreset(0)->mName, "First") << c.what;
    EXPECT_STREQ(plug->GetPreset(1)->mName, "Untouched") << c.what;
  }
}

TEST_F(ProgramFiles, FailedSaveKeepsTheOldFile) {
  const std::string program = folder / "old.fxp";
  const std::string bank = folder / "old.fxb";
  testing_support::writeText(program, "old program");
  testing_support::writeText(bank, "old bank");
  chmod(program.c_str(), 0644);
  chmod(bank.c_str(), 0644);
  const std::optional<bool> refused = testing_support::runWithoutWriteAccess(
      folder.path(), [&] { return !plug->SavePresetAsFXP(program) && !plug->SaveBankAsFXB(bank); });
  if (!refused) GTEST_SKIP() << "cannot take write access away here";
  EXPECT_TRUE(*refused);
  EXPECT_EQ(testing_support::readText(program), "old program");
  EXPECT_EQ(testing_support::readText(bank), "old bank");
  EXPECT_FALSE(plug->SavePresetAsFXP(""));
  EXPECT_FALSE(plug->SaveBankAsFXB(""));
}

} // namespace
} // namespace programs_test
