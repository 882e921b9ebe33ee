#include "host/event_list.h"

#include <algorithm>

namespace vst3host {

using namespace Steinberg;
using namespace Steinberg::Vst;

void EventList::sortByOffset() {
  std::stable_sort(events_.begin(), events_.end(),
                   [](const Event& a, const Event& b) { return a.sampleOffset < b.sampleOffset; });
}

int32 PLUGIN_API EventList::getEventCount() {
  return static_cast<int32>(events_.size());
}

tresult PLUGIN_API EventList::getEvent(int32 index, Event& e) {
  if (index < 0 || index >= getEventCount()) return kInvalidArgument;
  e = events_[static_cast<size_t>(index)];
  return kResultOk;
}

tresult PLUGIN_API EventList::addEvent(Event& e) {
  events_.push_back(e);
  return kResultOk;
}

} // namespace vst3host
