// Parameter changes of one process block: one queue per parameter, each a
// list of (sample offset, normalised value) points kept in offset order.
// The same classes serve the block's input (filled by the host) and output
// (filled by the plug-in). Queues are kept between blocks and only emptied,
// so a steady stream of automation does not allocate.
#pragma once

#include <vector>

#include "host/host_object.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"

namespace vst3host {

struct ParameterPoint {
  Steinberg::int32 sampleOffset;
  Steinberg::Vst::ParamValue value;
};

class ParameterValueQueue
    : public HostObject<ParameterValueQueue, Steinberg::Vst::IParamValueQueue> {
public:
  explicit ParameterValueQueue(Steinberg::Vst::ParamID id) : id_(id) { points_.reserve(16); }

  void reset(Steinberg::Vst::ParamID id) {
    id_ = id;
    points_.clear();
  }
  Steinberg::Vst::ParamID id() const { return id_; }
  const std::vector<ParameterPoint>& points() const { return points_; }

  Steinberg::Vst::ParamID PLUGIN_API getParameterId() override { return id_; }
  Steinberg::int32 PLUGIN_API getPointCount() override;
  Steinberg::tresult PLUGIN_API getPoint(Steinberg::int32 index, Steinberg::int32& sampleOffset,
                                         Steinberg::Vst::ParamValue& value) override;
  // Inserts in offset order; a point at an offset already present replaces it.
  Steinberg::tresult PLUGIN_API addPoint(Steinberg::int32 sampleOffset,
                                         Steinberg::Vst::ParamValue value,
                                         Steinberg::int32& index) override;

private:
  Steinberg::Vst::ParamID id_;
  std::vector<ParameterPoint> points_;
};

class ParameterChanges : public HostObject<ParameterChanges, Steinberg::Vst::IParameterChanges> {
public:
  ParameterChanges() { queues_.reserve(16); }

  // Empties every queue but keeps them for the next block.
  void clear() { used_ = 0; }

  // Host side: adds a point, creating the parameter's queue if needed.
  // Offsets below 0 and values outside 0..1 are refused.
  bool add(Steinberg::Vst::ParamID id, Steinberg::int32 sampleOffset,
           Steinberg::Vst::ParamValue value);

  // The queue of a parameter in this block, or nullptr.
  const ParameterValueQueue* find(Steinberg::Vst::ParamID id) const;
  Steinberg::int32 count() const { return used_; }
  const ParameterValueQueue& queue(Steinberg::int32 index) const { return *queues_[index]; }

  Steinberg::int32 PLUGIN_API getParameterCount() override { return used_; }
  Steinberg::Vst::IParamValueQueue* PLUGIN_API getParameterData(Steinberg::int32 index) override;
  Steinberg::Vst::IParamValueQueue* PLUGIN_API addParameterData(const Steinberg::Vst::ParamID& id,
                                                                Steinberg::int32& index) override;

private:
  std::vector<Steinberg::IPtr<ParameterValueQueue>> queues_;
  Steinberg::int32 used_ = 0;
};

} // namespace vst3host
