#include "dsp/mts_client.h"

#include "fake_master.h"

#include <cmath>

namespace {

using MtsClientWithFake = FakeMaster;

TEST_F(MtsClientWithFake, NullClientFallsBackToEqualTemperament) {
  setHasMaster(true);
  setFiltered(60, true);
  EXPECT_FALSE(MTS_HasMaster(nullptr));
  EXPECT_DOUBLE_EQ(MTS_NoteToFrequency(nullptr, 69, -1), 440.0);
  EXPECT_DOUBLE_EQ(MTS_NoteToFrequency(nullptr, 57, -1), 220.0);
  EXPECT_FALSE(MTS_ShouldFilterNote(nullptr, 60, -1));
  EXPECT_STREQ(MTS_GetScaleName(nullptr), "");
  MTS_DeregisterClient(nullptr);
  EXPECT_EQ(clients(), 0);
}

TEST_F(MtsClientWithFake, WithoutMasterTheClientAnswersWithItsOwnTuning) {
  setFrequency(69, 123.0);
  MTSClient* client = MTS_RegisterClient();
  ASSERT_NE(client, nullptr);
  EXPECT_FALSE(MTS_HasMaster(client));
  EXPECT_DOUBLE_EQ(MTS_NoteToFrequency(client, 69, -1), 440.0);
  EXPECT_NEAR(MTS_NoteToFrequency(client, 60, -1), 261.6255653005986, 1e-9);
  EXPECT_STREQ(MTS_GetScaleName(client), "12-TET");
  MTS_DeregisterClient(client);
}

TEST_F(MtsClientWithFake, ChannelMinusOneUsesTheSingleTableAndFilter) {
  setHasMaster(true);
  setFrequency(60, 250.0);
  setFiltered(60, true);
  MTSClient* client = MTS_RegisterClient();
  EXPECT_TRUE(MTS_ShouldFilterNote(client, 60, -1));
  EXPECT_FALSE(MTS_ShouldFilterNote(client, 61, -1));
  EXPECT_DOUBLE_EQ(MTS_NoteToFrequency(client, 60, -1), 250.0);
  EXPECT_FALSE(client->filterChannelValid);
  EXPECT_FALSE(client->tuningChannelValid);
  MTS_DeregisterClient(client);
}

TEST_F(MtsClientWithFake, ValidChannelOnBothQueriesUsesThatChannelsTable) {
  setHasMaster(true);
  setFrequency(60, 250.0);
  MTSClient* client = MTS_RegisterClient();
  // The fake's channel side: 1000 Hz everywhere, every note filtered.
  EXPECT_DOUBLE_EQ(MTS_NoteToFrequency(client, 60, 3), 250.0); // no filter query on a channel yet
  EXPECT_TRUE(MTS_ShouldFilterNote(client, 61, 3));
  EXPECT_DOUBLE_EQ(MTS_NoteToFrequency(client, 60, 3), 1000.0);
  EXPECT_DOUBLE_EQ(MTS_NoteToFrequency(client, 60, -1), 250.0);
  MTS_DeregisterClient(client);
}

} // namespace
