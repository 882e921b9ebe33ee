// The first layer of every plug-in: its configuration, the parameter list,
// the program list shell, names, versions and the state hooks.
//
//   PluginBase <- PluginAPIBase <- PluginProcessor <- the instrument
//
// The host binding wraps an instance and talks to it through these layers.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/bounded_string.h"
#include "framework/byte_chunk.h"
#include "framework/config.h"
#include "framework/iparam.h"
#include "framework/preset.h"

namespace qm {

class PluginBase {
public:
  explicit PluginBase(const Config& config);
  virtual ~PluginBase();
  PluginBase(const PluginBase&) = delete;
  PluginBase& operator=(const PluginBase&) = delete;

  // Parameters: index = parameter number; null out of range.
  int NParams() const { return static_cast<int>(params_.size()); }
  IParam* GetParam(int idx) { return validParam(idx) ? params_[idx].get() : nullptr; }
  const IParam* GetParam(int idx) const { return validParam(idx) ? params_[idx].get() : nullptr; }

  // Programs: the records; the operations on them belong to the program store.
  int NPresets() const { return static_cast<int>(presets_.size()); }
  IPreset* GetPreset(int idx) { return validPreset(idx) ? &presets_[idx] : nullptr; }
  const IPreset* GetPreset(int idx) const { return validPreset(idx) ? &presets_[idx] : nullptr; }
  int GetCurrentPresetIdx() const { return currentPresetIdx_; }
  // Refuses an index outside the list.
  bool SetCurrentPresetIdx(int idx);

  // True only while a host's saved state is being applied.
  bool GetRestoringState() const { return restoringState_; }
  void SetRestoringState(bool restoring) { restoringState_ = restoring; }

  const char* GetPluginName() const { return pluginName_.c_str(); }
  const char* GetProductName() const { return productName_.c_str(); }
  const char* GetMfrName() const { return mfrName_.c_str(); }
  const char* GetBundleID() const { return bundleID_.c_str(); }
  int32_t GetUniqueID() const { return uniqueID_; }
  int32_t GetMfrID() const { return mfrID_; }

  // The raw version word, or major * 10000 + minor * 100 + patch.
  int GetPluginVersion(bool decimal) const { return formatVersion(pluginVersion_, decimal); }
  void GetPluginVersionStr(BoundedString& out) const { versionString(pluginVersion_, out); }
  int GetHost() const { return host_; }
  int GetHostVersion(bool decimal) const { return formatVersion(hostVersion_, decimal); }
  void GetHostVersionStr(BoundedString& out) const { versionString(hostVersion_, out); }

  bool DoesStateChunks() const { return doesStateChunks_; }
  bool HasUI() const { return hasUI_; }
  bool GetHostResizeEnabled() const { return hostResize_; }
  int GetEditorWidth() const { return editorWidth_; }
  int GetEditorHeight() const { return editorHeight_; }
  int GetMinWidth() const { return minWidth_; }
  int GetMaxWidth() const { return maxWidth_; }
  int GetMinHeight() const { return minHeight_; }
  int GetMaxHeight() const { return maxHeight_; }

  // Hooks. OnParamChange runs for a change from any source; sampleOffset is
  // the position inside the current block, -1 when not from processing.
  virtual void OnParamChange(int paramIdx, EParamSource source, int sampleOffset) {
    (void)paramIdx, (void)source, (void)sampleOffset;
  }
  virtual void OnParamChangeUI(int paramIdx, EParamSource source) { (void)paramIdx, (void)source; }
  virtual void OnPresetsModified() {}
  // Appends the plug-in's state; false if it cannot.
  virtual bool SerializeState(IByteChunk& chunk) const {
    (void)chunk;
    return true;
  }
  // Reads state at startPos; returns the position after it, or -1.
  virtual int UnserializeState(const IByteChunk& chunk, int startPos) {
    (void)chunk;
    return startPos;
  }

protected:
  void SetHostIdentity(int host, int version) {
    host_ = host;
    hostVersion_ = version;
  }
  void SetEditorSize(int width, int height) {
    editorWidth_ = width;
    editorHeight_ = height;
  }

private:
  bool validParam(int idx) const { return idx >= 0 && idx < NParams(); }
  bool validPreset(int idx) const { return idx >= 0 && idx < NPresets(); }
  static int formatVersion(int version, bool decimal);
  static void versionString(int version, BoundedString& out);

  std::vector<std::unique_ptr<IParam>> params_;
  std::vector<IPreset> presets_;
  int currentPresetIdx_ = 0;
  bool restoringState_ = false;

  int host_ = -1;
  int hostVersion_ = 0;
  int pluginVersion_ = 0;
  int32_t uniqueID_ = 0;
  int32_t mfrID_ = 0;
  std::string pluginName_;
  std::string productName_;
  std::string mfrName_;
  std::string bundleID_;

  bool doesStateChunks_ = false;
  bool hasUI_ = false;
  bool hostResize_ = false;
  int editorWidth_ = 0;
  int editorHeight_ = 0;
  int minWidth_ = 0;
  int maxWidth_ = 0;
  int minHeight_ = 0;
  int maxHeight_ = 0;
};

} // namespace qm
