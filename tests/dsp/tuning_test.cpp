#include "dsp/tuning.h"

#include "dsp/pitch.h"
#include "fake_master.h"

#include <cmath>
#include <limits>
#include <string>

namespace {

void expectEqualTemperament(Tuning& tuning) {
  EXPECT_FALSE(tuning.hasMTSMaster());
  EXPECT_STREQ(tuning.getTuningName(), "");
  for (int note : {0, 1, 48, 60, 69, 127}) {
    EXPECT_EQ(tuning.getFrequency(note), note * 128) << note;
    EXPECT_FALSE(tuning.noteShouldBeSkipped(note)) << note;
  }
}

TEST(TuningWithoutLibrary, PlaysEqualTemperament) {
  ASSERT_EQ(mts_testing::loadLibrary("/nonexistent/libMTS.so"), mts_testing::LoadResult::NotFound);
  Tuning tuning;
  expectEqualTemperament(tuning);
}

using TuningWithFake = FakeMaster;

TEST_F(TuningWithFake, WithoutMasterPlaysEqualTemperamentEvenIfTheTableDiffers) {
  setFrequency(60, 1000.0);
  setFiltered(60, true);
  setScaleName("Pythagorean");
  Tuning tuning;
  expectEqualTemperament(tuning);
}

TEST_F(TuningWithFake, EqualTemperedMasterMapsNotesToTheirPitchIndex) {
  setHasMaster(true);
  Tuning tuning;
  ASSERT_TRUE(tuning.hasMTSMaster());
  // Exact hits where the rounded Hz table holds the exact frequency; note 0
  // cannot be reached by the search and lands on its lowest result.
  struct Case {
    int note;
    int index;
  };
  const Case exact[] = {{69, 8832}, {57, 7296}, {81, 10368}, {45, 5760}, {0, 4}};
  for (const auto& c : exact) EXPECT_EQ(tuning.getFrequency(c.note), c.index) << c.note;
  // Elsewhere the search's uneven steps (135 halves to 67) leave it within
  // two units (1/64 semitone) of the note.
  for (int note = 1; note < 128; ++note)
    EXPECT_NEAR(tuning.getFrequency(note), note * 128, 2) << note;
}

TEST_F(TuningWithFake, RetunedNotesFollowTheMaster) {
  setHasMaster(true);
  struct Case {
    int note;
    double hz;
    int index;
  };
  const Case cases[] = {
      {60, 440.0, 8832},                                    // a tuning that moves a note
      {61, pitch::convert2Hz(7777), 7777},                  // any reachable index is exact
      {62, 0.0, 4},                                         // below the range
      {63, 1e9, 17276},                                     // above the range
      {64, std::numeric_limits<double>::quiet_NaN(), 8640}, // nonsense stops at the start
  };
  for (const auto& c : cases) setFrequency(c.note, c.hz);
  Tuning tuning;
  for (const auto& c : cases) EXPECT_EQ(tuning.getFrequency(c.note), c.index) << c.note;
  // Notes outside 0..127 wrap like bytes instead of reading outside the table.
  EXPECT_EQ(tuning.getFrequency(60 + 256), 8832);
  EXPECT_EQ(tuning.getFrequency(60 - 128), 8832);
}

TEST_F(TuningWithFake, FilteredNoteIsSkippedOnlyWhileMasterIsConnected) {
  setFiltered(60, true);
  Tuning tuning;
  EXPECT_FALSE(tuning.noteShouldBeSkipped(60));
  setHasMaster(true);
  EXPECT_TRUE(tuning.noteShouldBeSkipped(60));
  EXPECT_FALSE(tuning.noteShouldBeSkipped(61));
  EXPECT_FALSE(tuning.noteShouldBeSkipped(59));
}

TEST_F(TuningWithFake, TuningNameShowsTheScaleWithinTheBufferLimit) {
  Tuning tuning;
  setScaleName("Werckmeister III");
  EXPECT_STREQ(tuning.getTuningName(), "");
  setHasMaster(true);
  EXPECT_STREQ(tuning.getTuningName(), "Micro Tuning: Werckmeister III");

  const std::string longName(400, 'x');
  setScaleName(longName.c_str());
  const std::string shown = tuning.getTuningName();
  EXPECT_EQ(shown.size(), 254u);
  EXPECT_EQ(shown, ("Micro Tuning: " + longName).substr(0, 254));

  setHasMaster(false);
  EXPECT_STREQ(tuning.getTuningName(), "");
}

TEST_F(TuningWithFake, EachInstanceRegistersWithTheLibraryForItsLifetime) {
  EXPECT_EQ(clients(), 0);
  {
    Tuning a;
    Tuning b;
    EXPECT_EQ(clients(), 2);
    // Swapping the library under registered clients would unbalance it.
    EXPECT_EQ(mts_testing::loadLibrary(FAKE_MTS_MASTER_PATH), mts_testing::LoadResult::Refused);
  }
  EXPECT_EQ(clients(), 0);
}

} // namespace
