#include "host/run_loop.h"

#include <poll.h>

#include <algorithm>

namespace vst3host {

using namespace Steinberg;
using namespace Steinberg::Linux;

RunLoop::~RunLoop() = default;

int RunLoop::advance(std::uint64_t milliseconds) {
  const std::uint64_t target = now_ + milliseconds;
  int calls = 0;
  for (;;) {
    // Re-scan each time: a timer callback may register or unregister timers.
    auto next = std::min_element(timers_.begin(), timers_.end(),
                                 [](const Timer& a, const Timer& b) { return a.due < b.due; });
    if (next == timers_.end() || next->due > target) break;
    now_ = next->due;
    next->due += next->interval;
    IPtr<ITimerHandler> handler = next->handler; // stays alive through the call
    handler->onTimer();
    ++calls;
  }
  now_ = target;
  return calls;
}

int RunLoop::signal(FileDescriptor fd) {
  std::vector<IPtr<IEventHandler>> ready;
  for (const Handler& h : handlers_) {
    if (h.fd == fd) ready.push_back(h.handler);
  }
  for (const auto& handler : ready) handler->onFDIsSet(fd);
  return static_cast<int>(ready.size());
}

int RunLoop::poll(int timeoutMilliseconds) {
  std::vector<pollfd> fds;
  for (const Handler& h : handlers_) fds.push_back(pollfd{h.fd, POLLIN, 0});
  if (fds.empty()) return 0;
  if (::poll(fds.data(), fds.size(), timeoutMilliseconds) <= 0) return 0;
  int calls = 0;
  for (const pollfd& p : fds) {
    if ((p.revents & (POLLIN | POLLHUP | POLLERR)) != 0) calls += signal(p.fd);
  }
  return calls;
}

tresult PLUGIN_API RunLoop::registerEventHandler(IEventHandler* handler, FileDescriptor fd) {
  if (handler == nullptr || fd < 0) return kInvalidArgument;
  handlers_.push_back(Handler{shared(handler), fd});
  return kResultOk;
}

tresult PLUGIN_API RunLoop::unregisterEventHandler(IEventHandler* handler) {
  const auto before = handlers_.size();
  std::erase_if(handlers_, [handler](const Handler& h) { return h.handler.get() == handler; });
  return handlers_.size() < before ? kResultOk : kResultFalse;
}

tresult PLUGIN_API RunLoop::registerTimer(ITimerHandler* handler, TimerInterval milliseconds) {
  if (handler == nullptr || milliseconds == 0) return kInvalidArgument;
  timers_.push_back(Timer{shared(handler), milliseconds, now_ + milliseconds});
  return kResultOk;
}

tresult PLUGIN_API RunLoop::unregisterTimer(ITimerHandler* handler) {
  const auto before = timers_.size();
  std::erase_if(timers_, [handler](const Timer& t) { return t.handler.get() == handler; });
  return timers_.size() < before ? kResultOk : kResultFalse;
}

} // namespace vst3host
