#include "framework/plugin_api_base.h"

#include <cstring>

namespace qm {

PluginAPIBase::PluginAPIBase(const Config& config) : PluginBase(config) {}

void PluginAPIBase::SetHost(const char* name, int version) {
  SetHostIdentity(IdentifyHost(name), version);
  HostSpecificInit();
  OnHostIdentified();
}

void PluginAPIBase::SetParameterValue(int paramIdx, double normalized) {
  IParam* param = GetParam(paramIdx);
  if (!param) return;
  param->SetNormalized(normalized);
  if (hostLink_) hostLink_->InformHostOfParamChange(paramIdx, normalized);
  OnParamChange(paramIdx, kUI, -1);
}

void PluginAPIBase::SendParameterValueFromUI(int paramIdx, double normalized) {
  IParam* param = GetParam(paramIdx);
  if (!param) return;
  if (hostLink_) hostLink_->SetHostParamValue(paramIdx, normalized);
  SetParameterValue(paramIdx, normalized);
  param->SetNormalized(normalized);
  OnParamChangeUI(paramIdx, kUI);
}

void PluginAPIBase::BeginInformHostOfParamChangeFromUI(int paramIdx) {
  if (hostLink_ && GetParam(paramIdx)) hostLink_->BeginInformHostOfParamChange(paramIdx);
}

void PluginAPIBase::EndInformHostOfParamChangeFromUI(int paramIdx) {
  if (hostLink_ && GetParam(paramIdx)) hostLink_->EndInformHostOfParamChange(paramIdx);
}

void PluginAPIBase::SendParameterValueFromDelegate(int paramIdx, double value, bool normalized) {
  const IParam* param = GetParam(paramIdx);
  if (!param) return;
  if (editor_) {
    editor_->SendParameterValueToControls(paramIdx,
                                          normalized ? value : param->ToNormalized(value));
  }
  OnParamChangeUI(paramIdx, kDelegate);
}

void PluginAPIBase::OnParamReset(EParamSource source) {
  for (int i = 0; i < NParams(); ++i) {
    OnParamChange(i, source, -1);
    OnParamChangeUI(i, source);
  }
}

void PluginAPIBase::OnRestoreState() {
  for (int i = 0; i < NParams(); ++i)
    SendParameterValueFromDelegate(i, GetParam(i)->GetNormalized(), true);
}

void PluginAPIBase::OnUIOpen() {
  OnRestoreState();
}

void PluginAPIBase::DirtyParametersFromUI() {
  if (!hostLink_) return;
  hostLink_->BeginGroupEdit();
  for (int i = 0; i < NParams(); ++i) {
    const double normalized = GetParam(i)->GetNormalized();
    hostLink_->SetHostParamValue(i, normalized);
    hostLink_->InformHostOfParamChange(i, normalized);
  }
  hostLink_->EndGroupEdit();
}

bool PluginAPIBase::EditorResize(int width, int height) {
  bool resized = true;
  if (HasUI() && (width != GetEditorWidth() || height != GetEditorHeight())) {
    resized = hostLink_ && hostLink_->ResizeEditor(width, height);
  }
  SetEditorSize(width, height);
  return resized;
}

bool PluginAPIBase::EditorResizeFromUI(int width, int height, bool needsPlatformResize) {
  return needsPlatformResize ? EditorResize(width, height) : true;
}

bool PluginAPIBase::toSysExData(const ISysEx& msg, SysExData& data) {
  if (msg.mSize < 0 || msg.mSize > SysExData::kMaxBytes || (msg.mSize > 0 && !msg.mData)) {
    return false;
  }
  data.mOffset = msg.mOffset;
  data.mSize = msg.mSize;
  if (msg.mSize > 0) std::memcpy(data.mData, msg.mData, static_cast<std::size_t>(msg.mSize));
  return true;
}

bool PluginAPIBase::SendSysexMsgFromUI(const ISysEx& msg) {
  SysExData data;
  return toSysExData(msg, data) && sysexFromEditor_.Push(data);
}

bool PluginAPIBase::PushSysexMsgFromProcessor(const ISysEx& msg) {
  SysExData data;
  return toSysExData(msg, data) && sysexFromProcessor_.Push(data);
}

void PluginAPIBase::SendMidiMsgFromDelegate(const IMidiMsg& msg) {
  if (editor_) editor_->SendMidiMsgToControls(msg);
  OnMidiMsgUI(msg);
}

void PluginAPIBase::SendSysexMsgFromDelegate(const ISysEx& msg) {
  if (editor_) editor_->SendSysexMsgToControls(msg);
  OnSysexMsgUI(msg);
}

void PluginAPIBase::OnIdleTick() {
  if (HasUI()) {
    IMidiMsg msg;
    while (midiFromProcessor_.Pop(msg)) SendMidiMsgFromDelegate(msg);
    SysExData data;
    while (sysexFromProcessor_.Pop(data)) {
      SendSysexMsgFromDelegate({data.mOffset, data.mData, data.mSize});
    }
  }
  OnIdle();
}

} // namespace qm
