#include "core/halvora.h"

#include "core/parameter_display.h"
#include "core/parameter_table.h"
#include "framework/construction_mutex.h"
#include "platform/paths.h"

#include <mutex>

namespace {

constexpr const char* kChannelLabels[Halvora::kNumOutputs] = {
    "Total L", "Total R", "Synth L", "Synth R", "Brass L", "Brass R", "Strings L", "Strings R"};

// Bowing envelope times (fixed, in the envelope's own units).
constexpr double kBowingAttack = 0.35;
constexpr double kBowingDecay = 0.44;
constexpr double kBowingRelease = 0.44;
constexpr double kBowingQ = 0.8;
constexpr double kEQHighHz = 1800.0;
constexpr double kEQLowHz = 600.0;
constexpr double kStringsVibratoSeconds = 0.002;
constexpr double kFlangerSeconds = 0.004;
constexpr double kDelayLowPassHz = 8000.0;
constexpr double kControlRate = 1000.0;
constexpr double kEnsembleLFO1Hz = 6.26;
constexpr double kEnsembleLFO2Hz = 0.28;
constexpr double kEnsembleAmount = 0.015;

qm::IParam::DisplayFunc displayFunction(ParamDisplay display) {
  switch (display) {
  case ParamDisplay::Decibels:
    return setDisplayTextForDB;
  case ParamDisplay::Frequency:
    return setDisplayTextForFrequency;
  case ParamDisplay::FreqMod:
    return setDisplayTextForFreqMod;
  case ParamDisplay::Pan:
    return setDisplayTextForPan;
  case ParamDisplay::Plain:
    break;
  }
  return nullptr;
}

} // namespace

qm::Config halvoraConfig() {
  qm::Config config;
  config.nParams = kNumParams;
  config.nPresets = 64;
  config.channelIOStr = " 0-2 0-2.2 0-2.2.2 0-2.2.2.2";
  config.pluginName = "Halvora";
  config.productName = "Halvora";
  config.mfrName = "Quillmere";
  config.vendorVersion = 0x010103; // 1.1.3
  config.uniqueID = qm::FourCC("Hal3");
  config.mfrID = qm::FourCC("QuMe");
  config.latency = 0;
  config.plugDoesMidiIn = true;
  config.plugDoesMidiOut = true;
  config.plugDoesMPE = true;
  config.plugDoesChunks = true;
  config.plugType = qm::kPlugTypeInstrument;
  config.plugHasUI = true;
  config.plugWidth = 988;
  config.plugHeight = 696;
  config.plugMinWidth = 494;
  config.plugMaxWidth = 1976;
  config.plugMinHeight = 348;
  config.plugMaxHeight = 1392;
  config.plugHostResize = false;
  config.bundleID = "com.quillmere.vst3.Halvora";
  return config;
}

Halvora::Halvora() : Synth(halvoraConfig()) {
  for (Voice& voice : voices) voice.setParent(this);
  for (int ch = 0; ch < kNumOutputs; ++ch) SetChannelLabel(qm::kOutput, ch, kChannelLabels[ch]);
  loadConfig();
  initParameters();
  createGraphics();
  initAllPrograms();
}

bool Halvora::initAllPrograms() {
  return programStore.initAllPrograms(configFile().settings.startupBankPath,
                                      platform::pluginFolder());
}

Halvora::~Halvora() {
  flanger.cleanUp();
  stringsVibrato.cleanUp();
  ensemble.cleanUp();
  midiEvents.clear();
}

void Halvora::initParameters() {
  const auto table = parameterTable();
  for (int i = 0; i < kNumParams; ++i) {
    const ParamSpec& row = table[i];
    qm::IParam* param = GetParam(i);
    switch (row.kind) {
    case ParamKind::Enum: {
      int count = 0;
      while (count < static_cast<int>(row.texts.size()) && row.texts[count]) ++count;
      param->InitEnum(row.name, static_cast<int>(row.defaultValue), count);
      for (int t = 0; t < count; ++t) param->SetDisplayText(t, row.texts[t]);
      break;
    }
    case ParamKind::Int:
      param->InitInt(row.name, static_cast<int>(row.defaultValue), static_cast<int>(row.min),
                     static_cast<int>(row.max));
      break;
    case ParamKind::Double:
      if (row.power == 1.0)
        param->InitDouble(row.name, row.defaultValue, row.min, row.max, row.step, row.label,
                          qm::IParam::kFlagsNone, "", qm::IParam::ShapeLinear(),
                          qm::IParam::kUnitCustom, displayFunction(row.display));
      else
        param->InitDouble(row.name, row.defaultValue, row.min, row.max, row.step, row.label,
                          qm::IParam::kFlagsNone, "", qm::IParam::ShapePowCurve(row.power),
                          qm::IParam::kUnitCustom, displayFunction(row.display));
      break;
    }
  }
}

void Halvora::OnReset() {
  Synth::OnReset();
  // Resets run outside processing: until the next block, no thread renders.
  audioThread_.store(std::thread::id{});
  const double rate = GetSampleRate();
  if (rate == appliedSampleRate) return;
  appliedSampleRate = rate;

  pitchBend = 0.0;
  modWheel = 0.0;

  brassFilter.setSampleRate(rate);
  brassEG.setSampleRate(rate);

  bowingEG.setSampleRate(rate);
  bowingEG.setAttack(kBowingAttack);
  bowingEG.setDecay(kBowingDecay);
  bowingEG.setSustain(0.0);
  bowingEG.setRelease(kBowingRelease);

  for (BandPass* f : {&bowingFilterL, &bowingFilterR}) {
    f->setSampleRate(rate);
    f->setQ(kBowingQ);
  }
  for (ShelfEQ* eq : {&eqHighL, &eqHighR}) {
    eq->setSampleRate(rate);
    eq->setLowShelf(false);
    eq->setFrequency(kEQHighHz);
  }
  for (ShelfEQ* eq : {&eqLowL, &eqLowR}) {
    eq->setSampleRate(rate);
    eq->setLowShelf(true);
    eq->setFrequency(kEQLowHz);
  }

  stringsVibrato.init(rate, kStringsVibratoSeconds);
  stringsVibrato.setManual(0.5);
  stringsVibrato.setLPFreq(kDelayLowPassHz);

  stringsVibratoDelayEG.setSampleRate(kControlRate);
  stringsVibratoDelayEG.setAttack(0.0);
  stringsVibratoDelayEG.setSustain(0.0);
  stringsVibratoDelayEG.setRelease(0.0);

  ensemble.setSampleRate(rate);
  ensemble.setLFO1Speed(kEnsembleLFO1Hz);
  ensemble.setLFO2Speed(kEnsembleLFO2Hz);
  for (int tap = 0; tap < 3; ++tap) ensemble.setAmount(tap, kEnsembleAmount);

  vibDelayEG.setSampleRate(kControlRate);
  vibDelayEG.setAttack(0.0);
  vibDelayEG.setSustain(0.0);
  vibDelayEG.setRelease(0.0);

  flanger.init(rate, kFlangerSeconds);
  flanger.setLPFreq(kDelayLowPassHz);

  noteSerial = 0;
  syntheKeys = brassKeys = stringsKeys = 0;

  for (Voice& voice : voices) {
    voice.setSampleRate(rate);
    voice.setPwmSource(&pwmLFO.unipolar1());
  }
}

namespace qm {
Halvora* MakePlug() {
  std::lock_guard<std::mutex> lock(ConstructionMutex());
  return new Halvora();
}
} // namespace qm
