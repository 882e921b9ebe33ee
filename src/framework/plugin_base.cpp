#include "framework/plugin_base.h"

#include <algorithm>

namespace qm {

namespace {
std::string text(const char* s) {
  return s ? s : "";
}

struct Version {
  int major, minor, patch;
};
Version splitVersion(int version) {
  const auto v = static_cast<unsigned>(version);
  return {static_cast<int>((v >> 16) & 0xFFFF), static_cast<int>((v >> 8) & 0xFF),
          static_cast<int>(v & 0xFF)};
}
} // namespace

PluginBase::PluginBase(const Config& config)
    : pluginVersion_(config.vendorVersion), uniqueID_(config.uniqueID), mfrID_(config.mfrID),
      pluginName_(text(config.pluginName)), productName_(text(config.productName)),
      mfrName_(text(config.mfrName)), bundleID_(text(config.bundleID)),
      doesStateChunks_(config.plugDoesChunks), hasUI_(config.plugHasUI),
      hostResize_(config.plugHostResize), editorWidth_(config.plugWidth),
      editorHeight_(config.plugHeight),
      minWidth_(std::min(config.plugMinWidth, config.plugMaxWidth)),
      maxWidth_(std::max(config.plugMinWidth, config.plugMaxWidth)),
      minHeight_(std::min(config.plugMinHeight, config.plugMaxHeight)),
      maxHeight_(std::max(config.plugMinHeight, config.plugMaxHeight)) {
  const int nParams = std::max(config.nParams, 0);
  params_.reserve(static_cast<std::size_t>(nParams));
  for (int i = 0; i < nParams; ++i) params_.push_back(std::make_unique<IParam>());
  presets_.resize(static_cast<std::size_t>(std::max(config.nPresets, 0)));
}

PluginBase::~PluginBase() = default;

bool PluginBase::SetCurrentPresetIdx(int idx) {
  if (!validPreset(idx)) return false;
  currentPresetIdx_ = idx;
  return true;
}

int PluginBase::formatVersion(int version, bool decimal) {
  if (!decimal) return version;
  const Version v = splitVersion(version);
  return v.major * 10000 + v.minor * 100 + v.patch;
}

void PluginBase::versionString(int version, BoundedString& out) {
  const Version v = splitVersion(version);
  out.SetFormatted(-1, "v%d.%d.%d", v.major, v.minor, v.patch);
}

} // namespace qm
