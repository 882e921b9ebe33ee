#include <cmath>
#include <limits>

#include "programs/halvora_fixture.h"

namespace programs_test {
namespace {

using StateChunk = HalvoraTest;

constexpr int kMarkedInitChunkBytes = 13 + 4 + 4 + 4 + 744;

TEST_F(StateChunk, WritesMarkerIndexNameAndValues) {
  plug->SetCurrentPresetIdx(5);
  plug->GetPreset(5)->SetName("Init");
  setValues(nonDefaultValues());

  qm::IByteChunk chunk;
  ASSERT_TRUE(plug->SerializeState(chunk));
  ASSERT_EQ(chunk.Size(), kMarkedInitChunkBytes);
  const std::string head = bytes(chunk).substr(0, 25);
  EXPECT_EQ(head, std::string("Halvora_1.1.3\x05\0\0\0\x04\0\0\0Init", 25));
  for (int i = 0; i < plug->NParams(); ++i) {
    double stored = 0.0;
    chunk.Get(&stored, 25 + 8 * i);
    EXPECT_EQ(stored, plug->GetParam(i)->Value()) << i;
  }
}

TEST_F(StateChunk, AppendsWithoutClearing) {
  qm::IByteChunk chunk;
  const uint8_t existing = 0xAB;
  chunk.Put(&existing);
  plug->SerializeState(chunk);
  EXPECT_EQ(chunk.GetData()[0], 0xAB);
  EXPECT_TRUE(chunk.HasBytesAt(programs::kStateMarker, programs::kStateMarkerLen, 1));
}

TEST_F(StateChunk, ProgramReadAppliesValuesOnly) {
  const std::vector<double> saved = nonDefaultValues();
  const qm::IByteChunk chunk = markedChunk(5, "Init", saved);
  plug->SetCurrentPresetIdx(2);
  plug->paramChanges.clear();

  EXPECT_EQ(plug->UnserializeState(chunk, 0), kMarkedInitChunkBytes);
  EXPECT_EQ(values(), saved);
  EXPECT_EQ(plug->GetCurrentPresetIdx(), 2);
  EXPECT_STREQ(plug->GetPreset(5)->mName, "empty");
  EXPECT_EQ(plug->GetPreset(5)->mChunk.Size(), 0);
  // Every parameter reaches the engine once, in index order.
  std::vector<int> order(kNumParams);
  for (int i = 0; i < kNumParams; ++i) order[static_cast<size_t>(i)] = i;
  EXPECT_EQ(plug->paramChanges, order);
}

TEST_F(StateChunk, HostStateRenamesAndSwitchesToItsProgram) {
  const std::vector<double> saved = nonDefaultValues();
  const qm::IByteChunk chunk = markedChunk(5, "Init", saved);
  plug->SetCurrentPresetIdx(2);

  EXPECT_EQ(plug->unserializeQuillmereState(chunk, 0), kMarkedInitChunkBytes);
  EXPECT_FALSE(plug->GetRestoringState());
  EXPECT_EQ(values(), saved);
  EXPECT_EQ(plug->GetCurrentPresetIdx(), 5);
  EXPECT_STREQ(plug->GetPreset(5)->mName, "Init");
  EXPECT_TRUE(plug->GetPreset(5)->mInitialized);
  qm::IByteChunk rewritten;
  plug->SerializeState(rewritten);
  EXPECT_TRUE(plug->GetPreset(5)->mChunk.IsEqual(rewritten));
}

TEST_F(StateChunk, HostStateOfCurrentProgramKeepsItsStoredChunk) {
  plug->SetCurrentPresetIdx(5);
  qm::IByteChunk before;
  plug->SerializeState(before);
  plug->GetPreset(5)->mChunk.PutChunk(before);

  EXPECT_EQ(plug->unserializeQuillmereState(markedChunk(5, "Lead", nonDefaultValues()), 0),
            kMarkedInitChunkBytes);
  EXPECT_STREQ(plug->GetPreset(5)->mName, "Lead");
  EXPECT_TRUE(plug->GetPreset(5)->mChunk.IsEqual(before));
}

TEST_F(StateChunk, HostStateWithIndexOutsideBankAddressesNoProgram) {
  plug->SetCurrentPresetIdx(2);
  for (int32_t index : {-1, 64, 1000}) {
    EXPECT_EQ(plug->unserializeQuillmereState(markedChunk(index, "Init", nonDefaultValues()), 0),
              kMarkedInitChunkBytes);
    EXPECT_EQ(plug->GetCurrentPresetIdx(), 2);
    for (int p = 0; p < plug->NPresets(); ++p) EXPECT_STREQ(plug->GetPreset(p)->mName, "empty");
  }
}

TEST_F(StateChunk, TruncatedHostStateLeavesProgramsAlone) {
  plug->SetCurrentPresetIdx(2);
  qm::IByteChunk chunk = markedChunk(5, "Init", nonDefaultValues());
  chunk.Resize(chunk.Size() - 8);
  EXPECT_EQ(plug->unserializeQuillmereState(chunk, 0), -1);
  EXPECT_EQ(plug->GetCurrentPresetIdx(), 2);
  EXPECT_EQ(plug->GetPreset(5)->mChunk.Size(), 0);
}

TEST_F(StateChunk, ReadsEarlierLayout) {
  const std::vector<double> saved = nonDefaultValues();
  const qm::IByteChunk chunk = doublesChunk(saved);
  ASSERT_EQ(chunk.Size(), 744);
  EXPECT_EQ(plug->UnserializeState(chunk, 0), 744);
  EXPECT_EQ(values(), saved);
}

TEST_F(StateChunk, ReadsAtStartPosition) {
  qm::IByteChunk chunk;
  chunk.PutStr("bank record");
  const int start = chunk.Size();
  chunk.PutChunk(markedChunk(1, "x", nonDefaultValues()));
  EXPECT_EQ(plug->UnserializeState(chunk, start), chunk.Size());
  EXPECT_EQ(values(), nonDefaultValues());
}

TEST_F(StateChunk, ShortEarlierChunkSetsWhatItHoldsAndZeroesTheNext) {
  const std::vector<double> before = values();
  const std::vector<double> saved = nonDefaultValues();
  qm::IByteChunk chunk = doublesChunk(saved);
  chunk.Resize(400);
  plug->paramChanges.clear();

  EXPECT_EQ(plug->UnserializeState(chunk, 0), -1);
  const std::vector<double> after = values();
  for (int i = 0; i < 50; ++i) EXPECT_EQ(after[static_cast<size_t>(i)], saved[i]) << i;
  EXPECT_EQ(after[50], plug->GetParam(50)->Constrain(0.0));
  for (int i = 51; i < kNumParams; ++i) EXPECT_EQ(after[static_cast<size_t>(i)], before[i]) << i;
  EXPECT_EQ(plug->paramChanges.size(), static_cast<size_t>(kNumParams));
}

TEST_F(StateChunk, StoredValuesAreConstrained) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  struct Case {
    int param;
    double stored;
    double expected;
  };
  const qm::IParam* total = plug->GetParam(kTotalVolume);
  const Case cases[] = {
      {kVCAAttenuator, 25.0, 10.0},
      {kVCAAttenuator, -25.0, -10.0},
      {kSplitKey, 60.4, 60.0},
      {kSplitKey, 60.6, 61.0},
      {kSplitKey, 200.0, 127.0},
      {kRangeSynthe, 1.7, 2.0},
      {kTotalVolume, std::nan(""), total->GetDefault()},
      {kVCAAttenuator, kInf, 10.0},
      {kVCAAttenuator, -kInf, -10.0},
  };
  for (const Case& c : cases) {
    std::vector<double> stored = values();
    stored[static_cast<size_t>(c.param)] = c.stored;
    plug->GetParam(c.param)->Set(plug->GetParam(c.param)->GetMin());
    EXPECT_EQ(plug->UnserializeState(markedChunk(0, "", stored), 0), 21 + 744);
    EXPECT_EQ(plug->GetParam(c.param)->Value(), c.expected) << c.param << " " << c.stored;
  }
}

TEST_F(StateChunk, NamesUpToProgramLimitComeBack) {
  struct Case {
    int length;
    int kept;
  };
  for (const Case c :
       {Case{63, 63}, Case{64, 64}, Case{100, 100}, Case{255, 255}, Case{300, 255}}) {
    const std::string name(static_cast<size_t>(c.length), 'n');
    const qm::IByteChunk chunk = markedChunk(7, name, nonDefaultValues());
    plug->SetCurrentPresetIdx(0);
    EXPECT_EQ(plug->unserializeQuillmereState(chunk, 0), 21 + c.length + 744) << c.length;
    EXPECT_EQ(std::string(plug->GetPreset(7)->mName), name.substr(0, static_cast<size_t>(c.kept)));
    EXPECT_EQ(values(), nonDefaultValues());
  }
}

// Marked chunks that end inside their header, or say nothing sensible about
// their name, apply nothing.
TEST_F(StateChunk, MalformedHeaderChangesNothing) {
  const std::string marker(programs::kStateMarker, programs::kStateMarkerLen);
  const std::string index("\x05\0\0\0", 4);
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"empty", ""},
      {"part of the marker", marker.substr(0, 6)},
      {"marker only", marker},
      {"cut in the index", marker + index.substr(0, 2)},
      {"no name length", marker + index},
      {"name longer than the chunk", marker + index + std::string("\x0a\0\0\0abc", 7)},
      {"negative name length",
       marker + index + std::string("\xff\xff\xff\xff", 4) + std::string(744, '\0')},
      {"most negative name length",
       marker + index + std::string("\0\0\0\x80", 4) + std::string(744, '\0')},
  };
  setValues(nonDefaultValues());
  plug->SetCurrentPresetIdx(2);
  for (const Case& c : cases) {
    qm::IByteChunk chunk;
    chunk.PutBytes(c.bytes.data(), static_cast<int>(c.bytes.size()));
    EXPECT_EQ(plug->unserializeQuillmereState(chunk, 0), -1) << c.what;
    EXPECT_EQ(values(), nonDefaultValues()) << c.what;
    EXPECT_EQ(plug->GetCurrentPresetIdx(), 2) << c.what;
    EXPECT_STREQ(plug->GetPreset(5)->mName, "empty") << c.what;
  }
}

TEST_F(StateChunk, StartOutsideChunkFails) {
  const qm::IByteChunk chunk = doublesChunk(nonDefaultValues());
  setValues(values());
  const std::vector<double> before = values();
  for (int start : {-1, -100, chunk.Size() + 1}) {
    EXPECT_EQ(plug->UnserializeState(chunk, start), -1) << start;
    EXPECT_EQ(values(), before);
  }
}

TEST_F(StateChunk, RandomSettingsSurviveRoundTrip) {
  std::mt19937 rng(1234);
  for (int round = 0; round < 20; ++round) {
    const std::vector<double> saved = randomValues(*plug, rng);
    setValues(saved);
    qm::IByteChunk chunk;
    ASSERT_TRUE(plug->SerializeState(chunk));
    setValues(nonDefaultValues());
    EXPECT_EQ(plug->UnserializeState(chunk, 0), chunk.Size());
    EXPECT_EQ(values(), saved);
  }
}

} // namespace
} // namespace programs_test
