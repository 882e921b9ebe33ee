#include "host/parameter_changes.h"

#include <algorithm>

namespace vst3host {

using namespace Steinberg;
using namespace Steinberg::Vst;

int32 PLUGIN_API ParameterValueQueue::getPointCount() {
  return static_cast<int32>(points_.size());
}

tresult PLUGIN_API ParameterValueQueue::getPoint(int32 index, int32& sampleOffset,
                                                 ParamValue& value) {
  if (index < 0 || index >= getPointCount()) return kInvalidArgument;
  sampleOffset = points_[static_cast<size_t>(index)].sampleOffset;
  value = points_[static_cast<size_t>(index)].value;
  return kResultOk;
}

tresult PLUGIN_API ParameterValueQueue::addPoint(int32 sampleOffset, ParamValue value,
                                                 int32& index) {
  auto at = std::lower_bound(
      points_.begin(), points_.end(), sampleOffset,
      [](const ParameterPoint& p, int32 offset) { return p.sampleOffset < offset; });
  if (at != points_.end() && at->sampleOffset == sampleOffset) {
    at->value = value;
  } else {
    at = points_.insert(at, ParameterPoint{sampleOffset, value});
  }
  index = static_cast<int32>(at - points_.begin());
  return kResultOk;
}

bool ParameterChanges::add(ParamID id, int32 sampleOffset, ParamValue value) {
  if (sampleOffset < 0 || !(value >= 0.0 && value <= 1.0)) return false;
  int32 index = 0;
  IParamValueQueue* queue = addParameterData(id, index);
  int32 pointIndex = 0;
  return queue != nullptr && queue->addPoint(sampleOffset, value, pointIndex) == kResultOk;
}

const ParameterValueQueue* ParameterChanges::find(ParamID id) const {
  for (int32 i = 0; i < used_; ++i) {
    if (queues_[static_cast<size_t>(i)]->getParameterId() == id) {
      return queues_[static_cast<size_t>(i)].get();
    }
  }
  return nullptr;
}

IParamValueQueue* PLUGIN_API ParameterChanges::getParameterData(int32 index) {
  if (index < 0 || index >= used_) return nullptr;
  return queues_[static_cast<size_t>(index)].get();
}

IParamValueQueue* PLUGIN_API ParameterChanges::addParameterData(const ParamID& id, int32& index) {
  for (int32 i = 0; i < used_; ++i) {
    if (queues_[static_cast<size_t>(i)]->getParameterId() == id) {
      index = i;
      return queues_[static_cast<size_t>(i)].get();
    }
  }
  if (used_ < static_cast<int32>(queues_.size())) {
    queues_[static_cast<size_t>(used_)]->reset(id);
  } else {
    queues_.push_back(makeHostObject<ParameterValueQueue>(id));
  }
  index = used_++;
  return queues_[static_cast<size_t>(index)].get();
}

} // namespace vst3host
