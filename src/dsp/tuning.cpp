#include "dsp/tuning.h"

#include "dsp/pitch.h"

#include <cstdio>

namespace {
constexpr signed char kAnyChannel = -1;
constexpr int kSearchStart = 8640; // middle of the pitch-index range 0..17280
} // namespace

Tuning::Tuning() : client_(MTS_RegisterClient()) {}

Tuning::~Tuning() {
  MTS_DeregisterClient(client_);
}

bool Tuning::hasMTSMaster() const {
  return MTS_HasMaster(client_);
}

int Tuning::getFrequency(int note) {
  if (!hasMTSMaster()) return note * pitch::kUnitsPerSemitone;
  const double f = MTS_NoteToFrequency(client_, static_cast<signed char>(note), kAnyChannel);
  // Halving steps of 4320, 2160, ... 1, 0: the result lies in 4..17276. The
  // search order decides the rounding of frequencies between two indices, so
  // it stays exactly as it is.
  int r = kSearchStart;
  int step = kSearchStart;
  for (;;) {
    const double v = pitch::convert2Hz(r);
    const int half = step / 2;
    if (v > f)
      r -= half;
    else if (f > v)
      r += half;
    else
      return r; // exact hit, or f is not a number
    if (step >= -1 && step <= 1) return r;
    step = half;
  }
}

bool Tuning::noteShouldBeSkipped(int note) {
  return hasMTSMaster() &&
         MTS_ShouldFilterNote(client_, static_cast<signed char>(note), kAnyChannel);
}

const char* Tuning::getTuningName() {
  if (hasMTSMaster())
    std::snprintf(tuningName_, kNameSize, "Micro Tuning: %s", MTS_GetScaleName(client_));
  else
    tuningName_[0] = '\0';
  return tuningName_;
}
