#include "framework/iparam.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace qm {

namespace {
// Copies at most size - 1 characters and always terminates.
void copyText(char* dest, const char* src, std::size_t size) {
  std::memset(dest, 0, size);
  if (src) std::strncpy(dest, src, size - 1);
}

double clampNormalized(double n) {
  if (std::isnan(n)) return 0.0; // an empty range has no position
  return std::min(std::max(n, 0.0), 1.0);
}
} // namespace

// --- Shapes -----------------------------------------------------------------

double IParam::ShapeLinear::NormalizedToValue(double normalized, const IParam& param) const {
  return param.GetMin() + normalized * param.GetRange();
}

double IParam::ShapeLinear::ValueToNormalized(double value, const IParam& param) const {
  return (value - param.GetMin()) / param.GetRange();
}

IParam::EDisplayType IParam::ShapePowCurve::GetDisplayType() const {
  if (power_ > 2.5) return kDisplayCubed;
  if (power_ > 1.5) return kDisplaySquared;
  if (power_ < (2.0 / 5.0)) return kDisplayCubeRoot;
  if (power_ < (2.0 / 3.0)) return kDisplaySquareRoot;
  return kDisplayLinear;
}

double IParam::ShapePowCurve::NormalizedToValue(double normalized, const IParam& param) const {
  return param.GetMin() + std::pow(normalized, power_) * param.GetRange();
}

double IParam::ShapePowCurve::ValueToNormalized(double value, const IParam& param) const {
  return std::pow((value - param.GetMin()) / param.GetRange(), 1.0 / power_);
}

void IParam::ShapeExp::Init(const IParam& param) {
  const double lo = param.GetMin() > 0.0 ? param.GetMin() : kLowestMinimum;
  offset_ = std::log(lo);
  factor_ = std::log(param.GetMax() / lo);
}

double IParam::ShapeExp::NormalizedToValue(double normalized, const IParam&) const {
  return std::exp(offset_ + normalized * factor_);
}

double IParam::ShapeExp::ValueToNormalized(double value, const IParam&) const {
  return (std::log(value) - offset_) / factor_;
}

// --- Initialisation ---------------------------------------------------------

IParam::IParam() : shape_(std::make_unique<ShapeLinear>()) {}

void IParam::InitDouble(const char* name, double defaultValue, double minValue, double maxValue,
                        double step, const char* label, int flags, const char* group,
                        const Shape& shape, EParamUnit unit, DisplayFunc displayFunc) {
  if (type_ == kTypeNone) type_ = kTypeDouble;
  copyText(name_, name, sizeof(name_));
  copyText(label_, label, sizeof(label_));
  copyText(group_, group, sizeof(group_));

  min_ = minValue;
  max_ = std::max(maxValue, minValue + step);
  step_ = step;
  default_ = defaultValue;
  unit_ = unit;
  flags_ = flags;
  displayFunc_ = std::move(displayFunc);
  value_.exchange(Constrain(defaultValue));

  // Decimals needed to show one step: 0.01 -> 2, 0.005 -> 3, capped at 6.
  precision_ = 0;
  for (double s = step; precision_ < kMaxPrecision && s != std::floor(s); s *= 10.0) ++precision_;

  shape_ = shape.Clone();
  shape_->Init(*this);
}

void IParam::InitInt(const char* name, int defaultValue, int minValue, int maxValue,
                     const char* label, int flags, const char* group) {
  if (type_ == kTypeNone) type_ = kTypeInt;
  InitDouble(name, defaultValue, minValue, maxValue, 1.0, label, flags | kFlagStepped, group,
             ShapeLinear(), kUnitCustom);
}

void IParam::InitEnum(const char* name, int defaultValue, int count, const char* label, int flags,
                      const char* group) {
  if (type_ == kTypeNone) type_ = kTypeEnum;
  InitDouble(name, defaultValue, 0.0, count - 1.0, 1.0, label, flags | kFlagStepped, group,
             ShapeLinear(), kUnitCustom);
}

void IParam::InitEnum(const char* name, int defaultValue, std::initializer_list<const char*> texts,
                      int flags, const char* group) {
  const int count = static_cast<int>(texts.size());
  InitEnum(name, defaultValue, count, "", flags, group);
  addTexts(texts.begin(), count, count);
}

void IParam::addTexts(const char* const* texts, int nTexts, int count) {
  const int n = std::min(nTexts, count);
  for (int i = 0; i < n; ++i) SetDisplayText(i, texts[i]);
}

void IParam::SetDisplayText(double value, const char* text) {
  DisplayText entry{value, {}};
  copyText(entry.text, text, sizeof(entry.text));
  displayTexts_.push_back(entry);
}

// --- Values -----------------------------------------------------------------

double IParam::Constrain(double value) const {
  if (std::isnan(value)) {
    value = default_;
  } else if (std::isinf(value)) {
    return value > 0.0 ? max_ : min_;
  }
  if ((flags_ & kFlagStepped) && step_ > 0.0) value = step_ * std::round(value / step_);
  // min/max rather than std::clamp: a negative step can leave max below min.
  value = std::min(std::max(value, min_), max_);
  return std::isnan(value) ? min_ : value;
}

double IParam::FromNormalized(double normalized) const {
  return Constrain(shape_->NormalizedToValue(normalized, *this));
}

double IParam::ToNormalized(double value) const {
  return clampNormalized(shape_->ValueToNormalized(Constrain(value), *this));
}

// --- Texts ------------------------------------------------------------------

const char* IParam::GetLabel() const {
  const char* text = GetDisplayText(std::trunc(Value()));
  return *text ? "" : label_;
}

const char* IParam::GetDisplayTextAtIdx(int idx, double* value) const {
  if (idx < 0 || idx >= NDisplayTexts()) return "";
  if (value) *value = displayTexts_[idx].value;
  return displayTexts_[idx].text;
}

const char* IParam::GetDisplayText(double value) const {
  for (const auto& entry : displayTexts_) {
    if (entry.value == value) return entry.text;
  }
  return "";
}

bool IParam::MapDisplayText(const char* text, double* value) const {
  if (!text) return false;
  for (const auto& entry : displayTexts_) {
    if (std::strcmp(entry.text, text) == 0) {
      if (value) *value = entry.value;
      return true;
    }
  }
  return false;
}

void IParam::GetDisplay(double value, bool normalized, BoundedString& out,
                        bool withDisplayText) const {
  if (normalized) value = FromNormalized(value);
  out.Clear();

  if (displayFunc_) {
    displayFunc_(value, out);
    return;
  }

  if (withDisplayText) {
    for (const auto& entry : displayTexts_) {
      if (entry.value != value) continue;
      if (entry.text[0]) {
        out.Set(entry.text, kMaxDisplayLen);
        return;
      }
      break; // only the first matching entry counts
    }
  }

  double shown = (flags_ & kFlagNegateDisplay) ? -value : value;
  if (shown == 0.0) shown = 0.0; // no "-0"

  if (precision_ <= 0) {
    double whole = std::round(shown);
    if (whole == 0.0) whole = 0.0;
    // "%.0f" of a whole number prints it exactly, also beyond the int range.
    out.SetFormatted(kMaxDisplayLen, "%.0f", whole);
  } else if ((flags_ & kFlagSignDisplay) && shown != 0.0) {
    char format[16];
    std::snprintf(format, sizeof(format), "%%+.%df", precision_);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    out.SetFormatted(kMaxDisplayLen, format, shown);
#pragma GCC diagnostic pop
  } else {
    out.SetFormatted(kMaxDisplayLen, "%.*f", precision_, shown);
  }
}

void IParam::GetDisplayWithLabel(BoundedString& out, bool withDisplayText) const {
  GetDisplay(out, withDisplayText);
  const char* label = GetLabel();
  if (*label) {
    out.Append(" ");
    out.Append(label);
  }
}

double IParam::StringToValue(const char* text) const {
  if (!text) text = "";
  double mapped = 0.0;
  if (MapDisplayText(text, &mapped)) return mapped;
  if (type_ == kTypeBool || type_ == kTypeEnum) return 0.0;
  double value = std::strtod(text, nullptr);
  if (flags_ & kFlagNegateDisplay) value = -value;
  return Constrain(value);
}

} // namespace qm
