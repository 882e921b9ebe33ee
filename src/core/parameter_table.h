// The instrument's 93 parameters as data: name, kind, range, default, step,
// curve and display. Halvora::initParameters() declares them from this
// table; tools and tests read it to find parameters by name.
#pragma once

#include "core/param_ids.h"

#include <array>
#include <span>

enum class ParamKind { Enum, Int, Double };

// Which of the instrument's display functions formats the value, if any.
enum class ParamDisplay { Plain, Decibels, Frequency, FreqMod, Pan };

struct ParamSpec {
  const char* name;
  ParamKind kind;
  double min;
  double max;
  double defaultValue;
  double step;
  double power; // 1 is linear; otherwise value = min + n^power * (max - min)
  const char* label;
  ParamDisplay display;
  std::array<const char*, 4> texts; // enum display texts, value 0 first
};

std::span<const ParamSpec, kNumParams> parameterTable();

// The parameter index with this exact name, or -1.
int findParameter(const char* name);
