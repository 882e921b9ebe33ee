#include "framework/vst3/vst3_parameters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/bounded_string.h"
#include "framework/vst3/utf16.h"
#include "framework/vst3/vst3_midi.h"

namespace qm::vst3 {

using namespace Steinberg::Vst;

namespace {
constexpr int kTextBytes = 128 * 4; // a String128 in UTF-8, worst case

// Controllers without a name of their own read "Contr. <n>".
const char* const kControllerTitles[128] = {
    "BankSel.MSB", "Modulation",   "BreathCtrl",  "Contr. 3",    "Foot Ctrl",   "Porta.Time",
    "DataEntMSB",  "MainVolume",   "Balance",     "Contr. 9",    "Pan",         "Expression",
    "FXControl1",  "FXControl2",   "Contr. 14",   "Contr. 15",   "Gen.Purp.1",  "Gen.Purp.2",
    "Gen.Purp.3",  "Gen.Purp.4",   "Contr. 20",   "Contr. 21",   "Contr. 22",   "Contr. 23",
    "Contr. 24",   "Contr. 25",    "Contr. 26",   "Contr. 27",   "Contr. 28",   "Contr. 29",
    "Contr. 30",   "Contr. 31",    "BankSel.LSB", "Modul. LSB",  "BrthCt LSB",  "Contr. 35",
    "FootCt LSB",  "Port.T LSB",   "DataEntLSB",  "MainVolLSB",  "BalanceLSB",  "Contr. 41",
    "Pan LSB",     "Expr. LSB",    "Contr. 44",   "Contr. 45",   "Contr. 46",   "Contr. 47",
    "Gen.P.1LSB",  "Gen.P.2LSB",   "Gen.P.3LSB",  "Gen.P.4LSB",  "Contr. 52",   "Contr. 53",
    "Contr. 54",   "Contr. 55",    "Contr. 56",   "Contr. 57",   "Contr. 58",   "Contr. 59",
    "Contr. 60",   "Contr. 61",    "Contr. 62",   "Contr. 63",   "Damper Ped",  "Porta. Ped",
    "Sostenuto ",  "Soft Pedal",   "Legato Sw",   "Hold 2",      "SoundCont 1", "SoundCont 2",
    "SoundCont 3", "SoundCont 4",  "SoundCont 5", "SoundCont 6", "SoundCont 7", "SoundCont 8",
    "SoundCont 9", "SoundCont 10", "Gen.Purp.5",  "Gen.Purp.6",  "Gen.Purp.7",  "Gen.Purp.8",
    "Portamento",  "Contr. 85",    "Contr. 86",   "Contr. 87",   "Contr. 88",   "Contr. 89",
    "Contr. 90",   "FX 1 Depth",   "FX 2 Depth",  "FX 3 Depth",  "FX 4 Depth",  "FX 5 Depth",
    "Data Incr",   "Data Decr",    "Non-RegLSB",  "Non-RegMSB",  "Reg LSB",     "Reg MSB",
    "Contr. 102",  "Contr. 103",   "Contr. 104",  "Contr. 105",  "Contr. 106",  "Contr. 107",
    "Contr. 108",  "Contr. 109",   "Contr. 110",  "Contr. 111",  "Contr. 112",  "Contr. 113",
    "Contr. 114",  "Contr. 115",   "Contr. 116",  "Contr. 117",  "Contr. 118",  "Contr. 119",
    "Contr. 120",  "Reset Ctrl",   "Local Ctrl",  "AllNoteOff",  "OmniModOff",  "OmniModeOn",
    "MonoModeOn",  "PolyModeOn",
};

ParameterInfo blankInfo(ParamID id, const char* title, UnitID unit) {
  ParameterInfo info{};
  info.id = id;
  copyToUtf16(title, info.title, 128);
  info.shortTitle[0] = 0;
  info.units[0] = 0;
  info.unitId = unit;
  return info;
}

ParameterInfo midiInfo(ParamID id, const char* title, UnitID unit, double defaultValue) {
  ParameterInfo info = blankInfo(id, title, unit);
  info.stepCount = 0;
  info.defaultNormalizedValue = defaultValue;
  info.flags = ParameterInfo::kNoFlags;
  return info;
}

bool parseNumber(const char* text, double& value) {
  char* end = nullptr;
  value = std::strtod(text, &end);
  return end != text && std::isfinite(value);
}
} // namespace

const char* controllerTitle(int controller) {
  return controller >= 0 && controller < 128 ? kControllerTitles[controller] : "";
}

bool HostParameter::setNormalized(double value) {
  if (std::isnan(value)) return false;
  value_.store(std::clamp(value, 0.0, 1.0), std::memory_order_relaxed);
  return true;
}

void HostParameter::toString(double normalized, String128 text) const {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.2f", normalized);
  copyToUtf16(buffer, text, 128);
}

bool HostParameter::fromString(const TChar* text, double& normalized) const {
  char buffer[kTextBytes];
  copyToUtf8(text, 128, buffer, sizeof buffer);
  double value = 0.0;
  if (!parseNumber(buffer, value)) return false;
  normalized = std::clamp(value, 0.0, 1.0);
  return true;
}

VST3Parameter::VST3Parameter(const IParam& param, ParamID id, UnitID unit)
    : HostParameter(describe(param, id, unit)), param_(param) {}

ParameterInfo VST3Parameter::describe(const IParam& param, ParamID id, UnitID unit) {
  ParameterInfo info = blankInfo(id, param.GetName(), unit);
  copyToUtf16(param.GetLabel(), info.units, 128);
  info.stepCount =
      param.Type() == IParam::kTypeDouble ? 0 : static_cast<Steinberg::int32>(param.GetRange());
  info.defaultNormalizedValue = param.GetDefault(true);
  info.flags = ParameterInfo::kNoFlags;
  if (param.GetCanAutomate()) info.flags |= ParameterInfo::kCanAutomate;
  if (param.Type() == IParam::kTypeEnum) info.flags |= ParameterInfo::kIsList;
  return info;
}

void VST3Parameter::toString(double normalized, String128 text) const {
  BoundedString display;
  param_.GetDisplay(normalized, true, display, true);
  copyToUtf16(display.Get(), text, 128);
}

bool VST3Parameter::fromString(const TChar* text, double& normalized) const {
  char buffer[kTextBytes];
  copyToUtf8(text, 128, buffer, sizeof buffer);
  normalized = param_.ToNormalized(param_.Constrain(param_.StringToValue(buffer)));
  return true;
}

VST3PresetParameter::VST3PresetParameter(const PluginBase& plug, UnitID unit)
    : HostParameter([&] {
        ParameterInfo info = blankInfo(kPresetParamID, "Preset", unit);
        info.stepCount = std::max(plug.NPresets() - 1, 0);
        info.defaultNormalizedValue = 0.0;
        info.flags = ParameterInfo::kIsProgramChange;
        return info;
      }()),
      plug_(plug), lastProgram_(std::max(plug.NPresets() - 1, 0)) {}

int VST3PresetParameter::program(double normalized) const {
  if (!(normalized > 0.0)) return 0;
  return static_cast<int>(std::lround(std::min(normalized, 1.0) * lastProgram_));
}

double VST3PresetParameter::toNormalized(double plain) const {
  if (lastProgram_ == 0 || !std::isfinite(plain)) return 0.0;
  return std::clamp(plain / lastProgram_, 0.0, 1.0);
}

void VST3PresetParameter::toString(double normalized, String128 text) const {
  const IPreset* preset = plug_.GetPreset(program(normalized));
  if (preset && preset->mName[0] != 0) {
    copyToUtf16(preset->mName, text, 128);
  } else {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%d", program(normalized));
    copyToUtf16(buffer, text, 128);
  }
}

bool VST3PresetParameter::fromString(const TChar* text, double& normalized) const {
  char buffer[kTextBytes];
  copyToUtf8(text, 128, buffer, sizeof buffer);
  for (int i = 0; i < plug_.NPresets(); ++i) {
    if (std::strcmp(plug_.GetPreset(i)->mName, buffer) == 0) {
      normalized = toNormalized(i);
      return true;
    }
  }
  double number = 0.0;
  if (!parseNumber(buffer, number)) return false;
  normalized = toNormalized(std::round(number));
  return true;
}

void ParameterContainer::build(const PluginBase& plug, UnitID rootUnit, UnitID midiUnit,
                               bool withMidi) {
  clear();
  auto preset = std::make_unique<VST3PresetParameter>(plug, rootUnit);
  preset_ = preset.get();
  list_.push_back(std::move(preset));

  firstPlugParam_ = count();
  nPlugParams_ = plug.NParams();
  for (int i = 0; i < nPlugParams_; ++i) {
    list_.push_back(
        std::make_unique<VST3Parameter>(*plug.GetParam(i), static_cast<ParamID>(i), rootUnit));
  }

  if (!withMidi) return;
  firstMidiParam_ = count();
  for (int cc = 0; cc < 128; ++cc) {
    list_.push_back(std::make_unique<HostParameter>(
        midiInfo(kMidiCCParamID + cc, controllerTitle(cc), midiUnit, 0.0)));
  }
  list_.push_back(std::make_unique<HostParameter>(
      midiInfo(kMidiCCParamID + kAftertouchController, "Channel Aftertouch", midiUnit, 0.0)));
  list_.push_back(std::make_unique<HostParameter>(
      midiInfo(kMidiCCParamID + kPitchBendController, "Pitch Bend", midiUnit, 0.5)));
}

void ParameterContainer::clear() {
  list_.clear();
  preset_ = nullptr;
  nPlugParams_ = 0;
  firstMidiParam_ = -1;
}

HostParameter* ParameterContainer::at(int index) const {
  return index >= 0 && index < count() ? list_[static_cast<size_t>(index)].get() : nullptr;
}

HostParameter* ParameterContainer::find(ParamID id) const {
  if (id < static_cast<ParamID>(nPlugParams_)) return at(firstPlugParam_ + static_cast<int>(id));
  if (id == kPresetParamID) return preset_;
  if (firstMidiParam_ >= 0 && id >= kMidiCCParamID &&
      id < kMidiCCParamID + static_cast<ParamID>(kMidiParamsPerChannel)) {
    return at(firstMidiParam_ + static_cast<int>(id - kMidiCCParamID));
  }
  return nullptr;
}

} // namespace qm::vst3
