#include "host/component_handler.h"

namespace vst3host {

using namespace Steinberg;
using namespace Steinberg::Vst;
using Kind = HandlerCall::Kind;

std::vector<HandlerCall> ComponentHandler::calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

void ComponentHandler::clear() {
  std::lock_guard lock(mutex_);
  calls_.clear();
}

int32 ComponentHandler::restartFlags() const {
  std::lock_guard lock(mutex_);
  int32 flags = 0;
  for (const HandlerCall& call : calls_) {
    if (call.kind == Kind::restartComponent) flags |= call.flags;
  }
  return flags;
}

tresult ComponentHandler::record(HandlerCall call) {
  std::lock_guard lock(mutex_);
  if (call.kind == Kind::startGroupEdit) {
    ++groupDepth_;
  } else if (call.kind == Kind::finishGroupEdit) {
    // A finish without a start is the plug-in's mistake; say so, record nothing.
    if (groupDepth_ == 0) return kResultFalse;
    --groupDepth_;
  }
  call.inGroupEdit = groupDepth_ > 0;
  calls_.push_back(call);
  return kResultOk;
}

tresult PLUGIN_API ComponentHandler::beginEdit(ParamID id) {
  return record({.kind = Kind::beginEdit, .id = id});
}

tresult PLUGIN_API ComponentHandler::performEdit(ParamID id, ParamValue valueNormalized) {
  return record({.kind = Kind::performEdit, .id = id, .value = valueNormalized});
}

tresult PLUGIN_API ComponentHandler::endEdit(ParamID id) {
  return record({.kind = Kind::endEdit, .id = id});
}

tresult PLUGIN_API ComponentHandler::restartComponent(int32 flags) {
  return record({.kind = Kind::restartComponent, .flags = flags});
}

tresult PLUGIN_API ComponentHandler::setDirty(TBool state) {
  return record({.kind = Kind::setDirty, .flags = state ? 1 : 0});
}

tresult PLUGIN_API ComponentHandler::requestOpenEditor(FIDString) {
  return record({.kind = Kind::requestOpenEditor});
}

tresult PLUGIN_API ComponentHandler::startGroupEdit() {
  return record({.kind = Kind::startGroupEdit});
}

tresult PLUGIN_API ComponentHandler::finishGroupEdit() {
  return record({.kind = Kind::finishGroupEdit});
}

} // namespace vst3host
