// The events of one process block, in the order they were added. The host
// side sorts its input list by sample offset before the block runs.
#pragma once

#include <vector>

#include "host/host_object.h"
#include "pluginterfaces/vst/ivstevents.h"

namespace vst3host {

class EventList : public HostObject<EventList, Steinberg::Vst::IEventList> {
public:
  EventList() { events_.reserve(128); }

  void clear() { events_.clear(); }
  void add(const Steinberg::Vst::Event& event) { events_.push_back(event); }
  // Stable: events at the same offset keep the order they were added in.
  void sortByOffset();

  const std::vector<Steinberg::Vst::Event>& events() const { return events_; }

  Steinberg::int32 PLUGIN_API getEventCount() override;
  Steinberg::tresult PLUGIN_API getEvent(Steinberg::int32 index, Steinberg::Vst::Event& e) override;
  Steinberg::tresult PLUGIN_API addEvent(Steinberg::Vst::Event& e) override;

private:
  std::vector<Steinberg::Vst::Event> events_;
};

} // namespace vst3host
