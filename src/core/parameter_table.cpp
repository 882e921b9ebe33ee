#include "core/parameter_table.h"

#include <cstring>

namespace {

using K = ParamKind;
using D = ParamDisplay;

constexpr ParamSpec onOff(const char* name, double def) {
  return {name, K::Enum, 0, 1, def, 1, 1, "", D::Plain, {"Off", "On"}};
}
constexpr ParamSpec onFirst(const char* name) {
  return {name, K::Enum, 0, 1, 0, 1, 1, "", D::Plain, {"On", "Off"}};
}
constexpr ParamSpec range(const char* name) {
  return {name, K::Enum, 0, 2, 1, 1, 1, "", D::Plain, {"Lower", "Both", "Upper"}};
}
constexpr ParamSpec unit(const char* name, double def, double step = 0.01) {
  return {name, K::Double, 0, 1, def, step, 1, "", D::Plain, {}};
}
constexpr ParamSpec bipolar(const char* name) {
  return {name, K::Double, -1, 1, 0, 0.005, 1, "", D::Plain, {}};
}
constexpr ParamSpec speed(const char* name, double def) {
  return {name, K::Double, 0.001, 24.999, def, 0.01, 2, "Hz", D::Plain, {}};
}
constexpr ParamSpec level(const char* name, D display) {
  return {name, K::Double, 0, 1, 0.5, 0.01, 1, "", display, {}};
}
constexpr ParamSpec cutoff(const char* name) {
  return {name, K::Double, 0, 1, 1, 0.001, 0.5, "", D::Frequency, {}};
}

constexpr std::array<ParamSpec, kNumParams> kTable = {{
    {"Trident Mode", K::Enum, 0, 1, 1, 1, 1, "", D::Plain, {"Off", "On"}},
    {"Key Assign", K::Enum, 0, 1, 1, 1, 1, "", D::Plain, {"2", "1"}},
    bipolar("Total Tune"),
    range("Range Synthe"),
    range("Range Brass"),
    range("Range Strings"),
    {"Split Key", K::Int, 0, 127, 60, 1, 1, "", D::Plain, {}},
    {"VCO 1 Octave", K::Enum, 0, 2, 1, 1, 1, "", D::Plain, {"16'", "8'", "4'"}},
    {"VCO 1 Wave", K::Enum, 0, 2, 0, 1, 1, "", D::Plain, {"Sawtooth", "Pulse", "Pulse Width Mod"}},
    unit("VCO 1 PW/PWM", 0),
    speed("VCO 1 PWM Speed", 0.8),
    {"VCO 2 Octave", K::Enum, 0, 3, 0, 1, 1, "", D::Plain, {"Off", "16'", "8'", "4'"}},
    bipolar("VCO 2 Detune"),
    cutoff("VCF Cutoff"),
    unit("VCF Resonance", 0),
    {"VCF KBF Track", K::Int, 0, 4, 0, 1, 1, "", D::Plain, {}},
    {"VCF EG Intensity", K::Double, -12289, 12289, 0, 0.01, 1, "", D::FreqMod, {}},
    unit("VCF Attack", 0),
    unit("VCF Decay", 0),
    unit("VCF Sustain", 0),
    unit("VCF Release", 0),
    unit("VCA Attack", 0),
    unit("VCA Decay", 0),
    unit("VCA Sustain", 1),
    unit("VCA Release", 0),
    {"VCA Attenuator", K::Double, -10, 10, 0, 0.01, 1, "", D::Plain, {}},
    onOff("VCA Auto Damp", 0),
    cutoff("Brass Cutoff"),
    unit("Brass Resonance", 0),
    {"Brass Silent Notes", K::Enum, 0, 3, 0, 1, 1, "", D::Plain, {"2", "4", "6", "8"}},
    {"Brass EG Intensity", K::Double, 0, 12289, 0, 0.01, 1, "", D::FreqMod, {}},
    unit("Brass Attack", 0),
    unit("Brass Decay", 0),
    unit("Brass Sustain", 1),
    unit("Brass Release", 0),
    onOff("Brass 16'", 1),
    onOff("Brass 8'", 0),
    onOff("Brass Multi Trigger", 0),
    onOff("Brass Trigger Select", 0),
    unit("Strings Attack", 0.3),
    unit("Strings Release", 0.4),
    {"Strings EQ High", K::Double, -12, 12, 0, 1.0 / 240, 1, "", D::Plain, {}},
    {"Strings EQ Low", K::Double, -12, 12, 0, 1.0 / 240, 1, "", D::Plain, {}},
    unit("Strings Bowing Level", 0.5),
    unit("Strings Bowing Tone", 0.5),
    unit("Strings Vibrato Delay", 0.5),
    speed("Strings Vibrato Speed", 5.5),
    unit("Strings Vibrato Intensity", 0),
    unit("Strings KBD Balance", 0),
    onOff("Strings 16'", 0),
    onOff("Strings 8'", 1),
    onOff("Strings 4'", 0),
    onFirst("Strings Bowing"),
    onFirst("Strings Vibrato"),
    onFirst("Strings Ensemble"),
    {"Vib. Intensity", K::Double, 0, 1, 0.1, 0.01, 2, "", D::Plain, {}},
    unit("Vib. Delay", 0),
    {"Wheel Vib. Intensity", K::Double, 0, 1, 0.1, 0.01, 2, "", D::Plain, {}},
    speed("Wheel Vib. Speed", 5.5),
    {"Wheel Mode", K::Enum, 0, 1, 1, 1, 1, "", D::Plain, {"Trill", "Vibrato"}},
    {"Pitch Bend", K::Double, -12, 12, 2, 1, 1, "", D::Plain, {}},
    speed("Flanger Speed", 0.7),
    unit("Flanger Feedback", 0.3),
    unit("Flanger Intensity", 0.5),
    unit("Flanger Manual", 0.5),
    onOff("Flanger Synthe", 0),
    onOff("Flanger Brass", 0),
    onOff("Flanger Strings", 0),
    level("Total Volume", D::Decibels),
    level("Volume Synthe", D::Decibels),
    level("Volume Brass", D::Decibels),
    level("Volume Strings", D::Decibels),
    onOff("Output Synthe", 1),
    onOff("Output Brass", 0),
    onOff("Output Strings", 0),
    level("Pan Synthe", D::Pan),
    level("Pan Brass", D::Pan),
    level("Pan Strings", D::Pan),
    unit("Velocity Synthe", 0),
    unit("Velocity Brass", 0),
    unit("Velocity Strings", 0),
    unit("Velocity Synthe VCF", 0),
    unit("Velocity Brass VCF", 0),
    onOff("Stereo Flanger", 0),
    onOff("Stereo Ensemble", 0),
    bipolar("Detune Brass"),
    bipolar("Detune Strings"),
    unit("Vib. Delay Time", 0.5),
    speed("Ens. LFO1 Speed", 6.26),
    speed("Ens. LFO2 Speed", 0.28),
    {"Ens.1 Amount", K::Double, 0, 0.1, 0.03, 0.01, 1, "", D::Plain, {}},
    {"Ens.2 Amount", K::Double, 0, 0.1, 0.03, 0.01, 1, "", D::Plain, {}},
    {"Ens.3 Amount", K::Double, 0, 0.1, 0.03, 0.01, 1, "", D::Plain, {}},
}};

} // namespace

std::span<const ParamSpec, kNumParams> parameterTable() {
  return kTable;
}

int findParameter(const char* name) {
  for (int i = 0; i < kNumParams; ++i)
    if (std::strcmp(kTable[i].name, name) == 0) return i;
  return -1;
}
