#include "settings/midi_learn.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

constexpr int kParams = 93;
constexpr int kNone = ConfigSettings::kNoAssignment;

struct Step {
  enum Kind { kParameter, kController, kSwitchOff, kSwitchOn } kind;
  int number = 0;
};
Step param(int n) {
  return {Step::kParameter, n};
}
Step cc(int n) {
  return {Step::kController, n};
}

using Entries = std::vector<std::pair<int, int>>; // controller -> parameter

struct Case {
  const char* name;
  bool unlearn;
  Entries before;
  std::vector<Step> steps;
  Entries after; // every other controller must hold kNone
  bool stillLearning;
};

void play(MidiLearn& learn, bool unlearn, const std::vector<Step>& steps) {
  auto toggle = [&](bool on) { unlearn ? learn.doMidiUnlearn(on) : learn.doMidiLearn(on); };
  toggle(true);
  for (const Step& s : steps) {
    switch (s.kind) {
    case Step::kParameter:
      learn.parameterChanged(s.number);
      break;
    case Step::kController:
      // The MIDI input only hands controllers over while a request waits.
      if (learn.learning()) learn.setMidiLearnCC(s.number);
      break;
    case Step::kSwitchOff:
      toggle(false);
      break;
    case Step::kSwitchOn:
      toggle(true);
      break;
    }
  }
}

TEST(MidiLearn, RequestsCompleteAsTheSwitchExpects) {
  const Case cases[] = {
      {"parameter then controller", false, {}, {param(12), cc(7)}, {{7, 12}}, false},
      {"controller then parameter", false, {}, {cc(7), param(12)}, {{7, 12}}, false},
      {"relearn moves the parameter", false, {{7, 12}}, {param(12), cc(9)}, {{9, 12}}, false},
      {"relearn replaces the controller's parameter",
       false,
       {{5, 12}},
       {param(20), cc(5)},
       {{5, 20}},
       false},
      {"last parameter before the controller wins",
       false,
       {},
       {param(3), param(4), cc(7)},
       {{7, 4}},
       false},
      {"parameter alone waits", false, {{2, 40}}, {param(12)}, {{2, 40}}, true},
      {"controller alone waits", false, {{2, 40}}, {cc(7)}, {{2, 40}}, true},
      {"switching off abandons the request",
       false,
       {},
       {param(12), {Step::kSwitchOff}, {Step::kSwitchOn}, cc(7)},
       {},
       true},
      {"out-of-range parameter is not learned",
       false,
       {},
       {param(kParams), param(-1), cc(7)},
       {},
       true},
      {"channel mode controller is not learned",
       false,
       {},
       {param(12), cc(120), cc(127)},
       {},
       true},
      {"unlearn by controller", true, {{9, 30}, {4, 12}}, {cc(9)}, {{4, 12}}, false},
      {"unlearn an empty controller", true, {{4, 12}}, {cc(9)}, {{4, 12}}, false},
      {"unlearn by parameter clears every entry",
       true,
       {{3, 12}, {7, 12}, {8, 13}},
       {param(12)},
       {{8, 13}},
       false},
      {"unlearn takes the first half it gets",
       true,
       {{3, 12}, {7, 13}},
       {cc(3), param(13)},
       {{7, 13}},
       false},
  };
  for (const Case& c : cases) {
    ConfigSettings map;
    for (auto [n, p] : c.before) map.setController(n, p);
    MidiLearn learn(map, kParams);
    play(learn, c.unlearn, c.steps);

    std::vector<int> expected(ConfigSettings::kControllerCount, kNone);
    for (auto [n, p] : c.after) expected[size_t(n)] = p;
    for (int n = 0; n < ConfigSettings::kControllerCount; ++n)
      EXPECT_EQ(map.controller(n), expected[size_t(n)]) << c.name << ", controller " << n;
    EXPECT_EQ(learn.learning(), c.stillLearning) << c.name;
    EXPECT_EQ(learn.applyMidiLearn(), c.stillLearning) << c.name;
    EXPECT_EQ(learn.takeCompleted(), !c.stillLearning) << c.name;
    EXPECT_FALSE(learn.takeCompleted()) << c.name << ": the flag is taken once";
    EXPECT_FALSE(learn.unlearnMode() && !learn.learning()) << c.name;
  }
}

TEST(MidiLearn, CompletedRequestIgnoresLaterChanges) {
  ConfigSettings map;
  MidiLearn learn(map, kParams);
  learn.doMidiLearn(true);
  learn.parameterChanged(12);
  learn.setMidiLearnCC(7);
  learn.parameterChanged(30);
  for (int n = 0; n < ConfigSettings::kControllerCount; ++n)
    EXPECT_EQ(map.controller(n), n == 7 ? 12 : kNone) << n;
}

} // namespace
