// Pitch index: the sound engine's pitch unit, 1/128 semitone. MIDI note n is
// n * 128 and index 0 is 8.176 Hz (MIDI note 0 at A4 = 440 Hz).
//
// convert2Hz() interpolates linearly in Hz between the neighbouring semitones
// of two rounded tables, one upward from note 0 and one downward. The rounding
// (three decimals up, two for notes 124..127, ten decimals down) is part of
// the instrument's sound, so the tables are rebuilt from exactly those rules.
#pragma once

namespace pitch {

constexpr int kUnitsPerSemitone = 128;
constexpr int kTableSize = 136;
constexpr int kHighestIndex = 17279; // above this the conversion saturates
constexpr double kLowestHz = 8.176;
constexpr double kHighestHz = 19912.127;
constexpr double kBottomHz = 0.0033570162;

// Hz of MIDI note n in equal temperament, rounded as stored (n = 0..135).
double upTable(int n);
// 8.176 * 2^(-n / 12), rounded as stored (n = 0..135).
double downTable(int n);

double convert2Hz(int index);

} // namespace pitch
