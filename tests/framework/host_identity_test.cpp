#include "framework/host_identity.h"

#include <string>

#include <gtest/gtest.h>

namespace {

TEST(IdentifyHost, FirstListedWordInTheLowerCasedNameDecides) {
  struct Case {
    const char* name;
    int host;
  };
  const Case cases[] = {
      {"Cubase Pro 12", 3},
      {"CUBASE", 3},
      {"cUbAsE LE", 3},
      {"WaveLab Elements 11", 32},
      {"WaveLab Pro", 31},
      {"WaveLab", 31},
      {"Ardour", 28},
      {"Mixbus32C", 45},
      {"REAPER", 1},
      {"Ableton Live 11", 9},
      {"Bitwig Studio", 34},
      {"Bitwig Studio Live", 9}, // "live" is tested before "bitwig studio"
      {"Studio One (PreSonus)", 26},
      {"VST3PluginTestHost", 27},
      {"Reaper standalone", 1}, // "standalone" comes late in the list
      {"Blue Cat's VST Host", 44},
      {"www.example.com", 35},
      {"Digital Performer", 23},
      {"Pro Tools", 0}, // the word is "protools", without a space
      {"", 0},
      {"Unknown DAW", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(qm::IdentifyHost(c.name), c.host) << c.name;
  EXPECT_EQ(qm::IdentifyHost(nullptr), 0);
}

TEST(IdentifyHost, LooksAtTheFirst255CharactersOnly) {
  const std::string padding(250, 'x');
  EXPECT_EQ(qm::IdentifyHost((padding + "reaper").c_str()), 0);
  EXPECT_EQ(qm::IdentifyHost((padding + "live").c_str()), 9);
}

} // namespace
