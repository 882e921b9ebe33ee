// A run loop a Linux plug-in editor can register timers and file-descriptor
// handlers with. Nothing runs by itself: the test or tool advances time and
// reports ready descriptors, so an editor can be driven deterministically.
#pragma once

#include <cstdint>
#include <vector>

#include "host/host_object.h"
#include "pluginterfaces/gui/iplugview.h"

namespace vst3host {

class RunLoop : public HostObject<RunLoop, Steinberg::Linux::IRunLoop> {
public:
  ~RunLoop() override;

  // Moves the loop's clock on and fires each timer once per elapsed
  // interval, in order of due time. Returns the number of timer calls.
  int advance(std::uint64_t milliseconds);
  // Calls every handler registered for fd. Returns how many were called.
  int signal(Steinberg::Linux::FileDescriptor fd);
  // Polls the registered descriptors for input (timeout in ms, 0 = don't
  // wait) and calls the handlers of the ready ones. Returns how many.
  int poll(int timeoutMilliseconds);

  std::size_t timerCount() const { return timers_.size(); }
  std::size_t eventHandlerCount() const { return handlers_.size(); }

  Steinberg::tresult PLUGIN_API registerEventHandler(Steinberg::Linux::IEventHandler* handler,
                                                     Steinberg::Linux::FileDescriptor fd) override;
  Steinberg::tresult PLUGIN_API
  unregisterEventHandler(Steinberg::Linux::IEventHandler* handler) override;
  Steinberg::tresult PLUGIN_API
  registerTimer(Steinberg::Linux::ITimerHandler* handler,
                Steinberg::Linux::TimerInterval milliseconds) override;
  Steinberg::tresult PLUGIN_API unregisterTimer(Steinberg::Linux::ITimerHandler* handler) override;

private:
  struct Timer {
    Steinberg::IPtr<Steinberg::Linux::ITimerHandler> handler;
    std::uint64_t interval;
    std::uint64_t due;
  };
  struct Handler {
    Steinberg::IPtr<Steinberg::Linux::IEventHandler> handler;
    Steinberg::Linux::FileDescriptor fd;
  };

  std::uint64_t now_ = 0;
  std::vector<Timer> timers_;
  std::vector<Handler> handlers_;
};

} // namespace vst3host
