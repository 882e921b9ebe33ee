// The parameters as the host sees them: one host-side object per instrument
// parameter, the program selector and the MIDI-controller parameters hosts
// map incoming controllers to. Each keeps the host's copy of its normalised
// value; the instrument's own value lives in its IParam.
//
// Built and torn down on the main thread (initialize, terminate). The value
// is atomic because the audio thread records automation it applied.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "framework/iparam.h"
#include "framework/plugin_base.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

namespace qm::vst3 {

// The title of MIDI controller 0..127 ("BankSel.MSB", "Modulation", ...).
const char* controllerTitle(int controller);

class HostParameter {
public:
  explicit HostParameter(const Steinberg::Vst::ParameterInfo& info)
      : info_(info), value_(info.defaultNormalizedValue) {}
  virtual ~HostParameter() = default;
  HostParameter(const HostParameter&) = delete;
  HostParameter& operator=(const HostParameter&) = delete;

  const Steinberg::Vst::ParameterInfo& info() const { return info_; }
  double normalized() const { return value_.load(std::memory_order_relaxed); }
  // Clamped into 0..1; a NaN is refused.
  bool setNormalized(double value);

  virtual void toString(double normalized, Steinberg::Vst::String128 text) const;
  virtual bool fromString(const Steinberg::Vst::TChar* text, double& normalized) const;
  virtual double toPlain(double normalized) const { return normalized; }
  virtual double toNormalized(double plain) const { return plain; }

private:
  Steinberg::Vst::ParameterInfo info_;
  std::atomic<double> value_;
};

// An instrument parameter, described once from its IParam.
class VST3Parameter final : public HostParameter {
public:
  VST3Parameter(const IParam& param, Steinberg::Vst::ParamID id, Steinberg::Vst::UnitID unit);

  void toString(double normalized, Steinberg::Vst::String128 text) const override;
  bool fromString(const Steinberg::Vst::TChar* text, double& normalized) const override;
  double toPlain(double normalized) const override { return param_.FromNormalized(normalized); }
  double toNormalized(double plain) const override { return param_.ToNormalized(plain); }

private:
  static Steinberg::Vst::ParameterInfo describe(const IParam& param, Steinberg::Vst::ParamID id,
                                                Steinberg::Vst::UnitID unit);
  const IParam& param_;
};

// The program selector: plain value = program number.
class VST3PresetParameter final : public HostParameter {
public:
  VST3PresetParameter(const PluginBase& plug, Steinberg::Vst::UnitID unit);

  // normalised × (programs - 1), halves away from zero.
  int program(double normalized) const;

  void toString(double normalized, Steinberg::Vst::String128 text) const override;
  bool fromString(const Steinberg::Vst::TChar* text, double& normalized) const override;
  double toPlain(double normalized) const override { return program(normalized); }
  double toNormalized(double plain) const override;

private:
  const PluginBase& plug_;
  int lastProgram_;
};

// id -> parameter without a search, so any thread can look one up.
class ParameterContainer {
public:
  // The preset parameter, the instrument's parameters in index order and
  // the MIDI-controller parameters of the given unit.
  void build(const PluginBase& plug, Steinberg::Vst::UnitID rootUnit,
             Steinberg::Vst::UnitID midiUnit, bool withMidi);
  void clear();

  int count() const { return static_cast<int>(list_.size()); }
  HostParameter* at(int index) const;
  HostParameter* find(Steinberg::Vst::ParamID id) const;
  VST3PresetParameter* preset() const { return preset_; }

private:
  std::vector<std::unique_ptr<HostParameter>> list_;
  VST3PresetParameter* preset_ = nullptr;
  int nPlugParams_ = 0;
  int firstPlugParam_ = 0;
  int firstMidiParam_ = -1;
};

} // namespace qm::vst3
