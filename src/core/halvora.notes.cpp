// Note assignment: which voice plays a note, which sections it sounds in,
// and what it does to the shared Brass and bowing envelopes.
//
// Each section counts its held keys. The counters are deliberately loose
// (signed, never clamped, zeroed when a note finds no key held): a count at
// or below zero means "first note of a phrase", which closes gates and
// restarts envelopes.
#include "core/halvora.h"

namespace {
constexpr int kRangeLower = 0;
constexpr int kRangeBoth = 1;
constexpr int kRangeUpper = 2;
constexpr double kMaxVelocity = 127.0;
} // namespace

bool Halvora::isInRange(int range, int note, int split) {
  switch (range) {
  case kRangeLower:
    return note < split;
  case kRangeBoth:
    return true;
  case kRangeUpper:
    return note >= split;
  default:
    return false;
  }
}

void Halvora::setNoteOn(int note, int velocity) {
  if (noteShouldBeSkipped(note)) return;
  const int voiceCount = numVoices;
  // Before "Trident Mode" is first applied there is no pool to play.
  if (voiceCount <= 0) return;

  int chosen = 0;
  if (keyAssign1) {
    // Same key again, else a free voice, else the oldest note.
    chosen = -1;
    for (int v = 0; v < voiceCount && chosen < 0; ++v)
      if (voices[size_t(v)].note() == note) chosen = v;
    for (int v = 0; v < voiceCount && chosen < 0; ++v)
      if (!voices[size_t(v)].isActive()) chosen = v;
    if (chosen < 0) {
      chosen = 0;
      for (int v = 1; v < voiceCount; ++v)
        if (voices[size_t(v)].sequence() < voices[size_t(chosen)].sequence()) chosen = v;
    }
  } else {
    chosen = pressedKeyCount() % voiceCount;
  }

  if (pressedKeys.empty()) {
    syntheKeys = brassKeys = stringsKeys = 0;
    vibDelayEG.start(); // legato notes do not restart the delayed vibrato
  }

  const bool syntheOn = outputSynthe && isInRange(rangeSynthe, note, splitKey);
  if (syntheOn) {
    if (!sustainPedal && autoDamp && syntheKeys <= 0)
      for (int v = 0; v < voiceCount; ++v)
        if (v != chosen) voices[size_t(v)].setGateSyntheOff();
    ++syntheKeys;
  }

  const bool brassOn = outputBrass && isInRange(rangeBrass, note, splitKey);
  bool brassPending = false;
  if (brassOn) {
    if (!sustainPedal && brassKeys <= 0)
      for (int v = 0; v < voiceCount; ++v) voices[size_t(v)].setGateBrassOff();
    bool restart;
    if (brassMultiTrigger)
      restart = true;
    else if (brassTriggerSelect)
      restart = brassKeys >= brassSilentNotes;
    else
      restart = brassKeys <= 0;
    if (restart) brassEG.start();
    brassPending = !restart;
    brassVelocityFactor =
        velocityBrassVCF > 0.0 ? (velocity / kMaxVelocity - 1.0) * velocityBrassVCF + 1.0 : 1.0;
    ++brassKeys;
  }

  const bool stringsOn = outputStrings && isInRange(rangeStrings, note, splitKey);
  if (stringsOn) {
    if (bowing && stringsKeys <= 0) bowingEG.start();
    if (stringsVibratoOn) stringsVibratoDelayEG.start();
    ++stringsKeys;
  }

  addPressedKey(note, velocity);
  ++noteSerial;
  voices[size_t(chosen)].setNoteOn(note, velocity, noteSerial, syntheOn, brassOn, stringsOn,
                                   brassPending);
}

void Halvora::setNoteOff(int note) {
  removePressedKey(note);
  if (outputSynthe && isInRange(rangeSynthe, note, splitKey)) --syntheKeys;
  if (outputBrass && isInRange(rangeBrass, note, splitKey)) --brassKeys;
  if (outputStrings && isInRange(rangeStrings, note, splitKey)) --stringsKeys;

  const int voiceCount = numVoices;
  for (int v = 0; v < voiceCount; ++v) {
    Voice& voice = voices[size_t(v)];
    if (voice.isActive() && voice.note() == note) voice.setNoteOff(false);
  }

  if (sustainPedal) return;
  if (outputBrass && brassKeys <= 0) brassEG.stop();
  if (outputStrings && stringsKeys <= 0) bowingEG.stop();
}

void Halvora::setSustain(bool down) {
  sustainPedal = down;
  for (Voice& voice : voices) voice.setSustain(down);
  if (down) return;
  if (outputBrass && brassKeys < 1) brassEG.stop();
  if (outputStrings && stringsKeys < 1) bowingEG.stop();
}

void Halvora::allNotesOff() {
  clearKeyBuffer();
  for (Voice& voice : voices) {
    voice.setSustain(false);
    voice.setNoteOff(true);
  }
}
