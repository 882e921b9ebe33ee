// One automatable parameter: its description, its current real value and the
// conversions between that value, the normalised 0..1 range hosts and
// controls use, and the text shown to the user.
//
// Every value that enters a parameter passes Constrain: rounded to the step
// when stepped, clamped into the range, and made finite (NaN becomes the
// default, an infinity the nearer bound), so stored programs and host
// projects can never carry a non-finite value into the sound engine.
//
// All fields except the value are written once, while the plug-in is built.
// The value is an atomic double, written by exchange and read without a lock
// from any thread.
#pragma once

#include <atomic>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "framework/bounded_string.h"

namespace qm {

class IParam {
public:
  static constexpr int kMaxNameLen = 32; // bytes including the NUL
  static constexpr int kMaxDisplayLen = 32;
  static constexpr int kMaxPrecision = 6;

  enum EParamType { kTypeNone = 0, kTypeBool, kTypeInt, kTypeEnum, kTypeDouble };

  // Unit tags are passed on to hosts that show units; only custom is used here.
  enum EParamUnit {
    kUnitPercentage = 0,
    kUnitSeconds,
    kUnitMilliseconds,
    kUnitSamples,
    kUnitDB,
    kUnitLinearGain,
    kUnitPan,
    kUnitPhase,
    kUnitDegrees,
    kUnitMeters,
    kUnitRate,
    kUnitRatio,
    kUnitFrequency,
    kUnitOctaves,
    kUnitCents,
    kUnitAbsCents,
    kUnitSemitones,
    kUnitMIDINote,
    kUnitMIDICC,
    kUnitCustom = 21,
  };

  enum EFlags {
    kFlagsNone = 0,
    kFlagCannotAutomate = 0x1,
    kFlagStepped = 0x2,
    kFlagNegateDisplay = 0x4,
    kFlagSignDisplay = 0x8,
  };

  // A hint for hosts about the curve of the normalised range.
  enum EDisplayType {
    kDisplayLinear = 0,
    kDisplayLog = 1,
    kDisplayExp = 2,
    kDisplaySquareRoot = 3,
    kDisplaySquared = 4,
    kDisplayCubeRoot = 5,
    kDisplayCubed = 6,
  };

  using DisplayFunc = std::function<void(double value, BoundedString& out)>;

  // The mapping between normalised and real values.
  class Shape {
  public:
    virtual ~Shape() = default;
    virtual std::unique_ptr<Shape> Clone() const = 0;
    // Called with the owning parameter after every initialisation.
    virtual void Init(const IParam&) {}
    virtual EDisplayType GetDisplayType() const = 0;
    virtual double NormalizedToValue(double normalized, const IParam& param) const = 0;
    virtual double ValueToNormalized(double value, const IParam& param) const = 0;
  };

  class ShapeLinear : public Shape {
  public:
    std::unique_ptr<Shape> Clone() const override { return std::make_unique<ShapeLinear>(*this); }
    EDisplayType GetDisplayType() const override { return kDisplayLinear; }
    double NormalizedToValue(double normalized, const IParam& param) const override;
    double ValueToNormalized(double value, const IParam& param) const override;
  };

  // value = min + normalized^power * (max - min)
  class ShapePowCurve : public Shape {
  public:
    explicit ShapePowCurve(double power) : power_(power) {}
    std::unique_ptr<Shape> Clone() const override { return std::make_unique<ShapePowCurve>(*this); }
    EDisplayType GetDisplayType() const override;
    double NormalizedToValue(double normalized, const IParam& param) const override;
    double ValueToNormalized(double value, const IParam& param) const override;
    double GetPower() const { return power_; }

  private:
    double power_;
  };

  // value = exp(offset + normalized * factor), spanning a range that starts
  // above zero (a minimum of 0 or below is taken as 1e-8).
  class ShapeExp : public Shape {
  public:
    static constexpr double kLowestMinimum = 1e-8;

    std::unique_ptr<Shape> Clone() const override { return std::make_unique<ShapeExp>(*this); }
    void Init(const IParam& param) override;
    EDisplayType GetDisplayType() const override { return kDisplayLog; }
    double NormalizedToValue(double normalized, const IParam& param) const override;
    double ValueToNormalized(double value, const IParam& param) const override;

  private:
    double offset_ = 0.0;
    double factor_ = 1.0;
  };

  IParam();
  IParam(const IParam&) = delete;
  IParam& operator=(const IParam&) = delete;

  // Initialisers, called once per parameter while the plug-in is built.
  void InitDouble(const char* name, double defaultValue, double minValue, double maxValue,
                  double step, const char* label = "", int flags = kFlagsNone,
                  const char* group = "", const Shape& shape = ShapeLinear(),
                  EParamUnit unit = kUnitCustom, DisplayFunc displayFunc = nullptr);
  void InitInt(const char* name, int defaultValue, int minValue, int maxValue,
               const char* label = "", int flags = kFlagsNone, const char* group = "");
  // Range 0..count-1; texts are added with SetDisplayText.
  void InitEnum(const char* name, int defaultValue, int count, const char* label = "",
                int flags = kFlagsNone, const char* group = "");
  // The same, with the texts of values 0, 1, ... (at most count of them are used).
  template <class... More>
  void InitEnum(const char* name, int defaultValue, int count, const char* label, int flags,
                const char* group, const char* firstText, More... moreTexts) {
    InitEnum(name, defaultValue, count, label, flags, group);
    const char* texts[] = {firstText, moreTexts...};
    addTexts(texts, static_cast<int>(sizeof...(More)) + 1, count);
  }
  // Range 0..texts-1, empty label, texts for values 0, 1, ... in list order.
  void InitEnum(const char* name, int defaultValue, std::initializer_list<const char*> texts,
                int flags = kFlagsNone, const char* group = "");

  // Appends an entry; an existing entry for the value is never replaced.
  void SetDisplayText(double value, const char* text);
  void SetDisplayPrecision(int precision) { precision_ = precision; }

  // Value access.
  double Constrain(double value) const;
  double FromNormalized(double normalized) const;
  double ToNormalized(double value) const;
  void Set(double value) { value_.exchange(Constrain(value)); }
  void SetNormalized(double normalized) { Set(FromNormalized(normalized)); }
  double Value() const { return value_.load(); }
  double GetNormalized() const { return ToNormalized(Value()); }
  bool Bool() const { return Value() >= 0.5; }
  int Int() const { return static_cast<int>(Value()); }

  EParamType Type() const { return type_; }
  EParamUnit Unit() const { return unit_; }
  EDisplayType DisplayType() const { return shape_->GetDisplayType(); }
  double GetDefault(bool normalized = false) const {
    return normalized ? ToNormalized(default_) : default_;
  }
  double GetMin() const { return min_; }
  double GetMax() const { return max_; }
  double GetRange() const { return max_ - min_; }
  void GetBounds(double& lo, double& hi) const {
    lo = min_;
    hi = max_;
  }
  double GetStep() const { return step_; }
  int GetDisplayPrecision() const { return precision_; }
  int GetFlags() const { return flags_; }
  bool GetCanAutomate() const { return !(flags_ & kFlagCannotAutomate); }
  bool GetStepped() const { return flags_ & kFlagStepped; }
  bool GetNegateDisplay() const { return flags_ & kFlagNegateDisplay; }
  bool GetSignDisplay() const { return flags_ & kFlagSignDisplay; }
  const Shape& GetShape() const { return *shape_; }

  const char* GetName() const { return name_; }
  // Empty while the current value (truncated to a whole number) has a text.
  const char* GetLabel() const;
  const char* GetGroup() const { return group_; }

  int NDisplayTexts() const { return static_cast<int>(displayTexts_.size()); }
  // The text of entry idx (empty out of range) and, if asked, its value.
  const char* GetDisplayTextAtIdx(int idx, double* value = nullptr) const;
  // The text of the first entry with exactly this value, else "".
  const char* GetDisplayText(double value) const;
  // The value of the first entry with exactly this text (case-sensitive).
  bool MapDisplayText(const char* text, double* value) const;

  void GetDisplay(double value, bool normalized, BoundedString& out,
                  bool withDisplayText = true) const;
  void GetDisplay(BoundedString& out, bool withDisplayText = true) const {
    GetDisplay(Value(), false, out, withDisplayText);
  }
  void GetDisplayWithLabel(BoundedString& out, bool withDisplayText = true) const;
  double StringToValue(const char* text) const;

private:
  struct DisplayText {
    double value;
    char text[kMaxNameLen];
  };

  void addTexts(const char* const* texts, int nTexts, int count);

  EParamType type_ = kTypeNone;
  EParamUnit unit_ = kUnitCustom;
  std::atomic<double> value_{0.0};
  double min_ = 0.0;
  double max_ = 1.0;
  double step_ = 1.0;
  double default_ = 0.0;
  int precision_ = 0;
  int flags_ = kFlagsNone;
  char name_[kMaxNameLen] = {};
  char label_[kMaxNameLen] = {};
  char group_[kMaxNameLen] = {};
  std::unique_ptr<Shape> shape_;
  DisplayFunc displayFunc_;
  std::vector<DisplayText> displayTexts_;
};

} // namespace qm
