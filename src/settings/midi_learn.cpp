#include "settings/midi_learn.h"

MidiLearn::MidiLearn(ConfigSettings& map, int parameterCount)
    : map_(map), parameterCount_(parameterCount) {}

void MidiLearn::start(bool unlearn, bool on) {
  unlearnMode_.store(unlearn);
  controller_.store(kNone);
  parameter_.store(kNone);
  learning_.store(on);
}

void MidiLearn::setMidiLearnCC(int controller) {
  if (controller < 0 || controller >= ConfigSettings::kLearnableControllers) return;
  controller_.store(controller);
  applyMidiLearn();
}

void MidiLearn::parameterChanged(int parameter) {
  if (!learning_.load()) return;
  if (parameter < 0 || parameter >= parameterCount_) return;
  parameter_.store(parameter);
  applyMidiLearn();
}

void MidiLearn::removeParameter(int parameter) {
  for (int n = 0; n < ConfigSettings::kLearnableControllers; ++n)
    if (map_.controller(n) == parameter) map_.setController(n, ConfigSettings::kNoAssignment);
}

bool MidiLearn::applyMidiLearn() {
  if (!learning_.load()) return false;
  const int controller = controller_.load();
  const int parameter = parameter_.load();
  const bool unlearn = unlearnMode_.load();
  if (!unlearn && (controller == kNone || parameter == kNone)) return true;
  if (unlearn && controller == kNone && parameter == kNone) return true;

  // Both threads may see the request complete at once; only the one that
  // ends it changes the map.
  bool expected = true;
  if (!learning_.compare_exchange_strong(expected, false)) return false;
  if (!unlearn) {
    removeParameter(parameter);
    map_.setController(controller, parameter);
  } else if (controller != kNone) {
    map_.setController(controller, ConfigSettings::kNoAssignment);
  } else {
    removeParameter(parameter);
  }
  unlearnMode_.store(false);
  completed_.store(true);
  return false;
}
