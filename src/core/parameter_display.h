// The instrument's own display texts for levels, cutoffs, envelope depths
// and pan positions.
#pragma once

#include "framework/bounded_string.h"

// "-oo" at 0 and below, else decibels with one decimal.
void setDisplayTextForDB(double value, qm::BoundedString& out);
// The cutoff in whole Hz of pitch index floor(value * 17281 + 0.5).
void setDisplayTextForFrequency(double value, qm::BoundedString& out);
// An envelope depth in pitch-index units shown in octaves.
void setDisplayTextForFreqMod(double value, qm::BoundedString& out);
// "left:right" percentages.
void setDisplayTextForPan(double value, qm::BoundedString& out);
