// Reference counting and queryInterface for the objects the host hands to a
// plug-in. A host object is always made with makeHostObject, lives on the
// heap and dies when the last reference (ours or the plug-in's) is released.
//
//   class Foo : public HostObject<Foo, IFoo, IBar> { ... };
//   Steinberg::IPtr<Foo> foo = makeHostObject<Foo>(args...);
//
// Extra interfaces a listed one derives from (IPluginBase of IComponent, say)
// are not answered; host objects here only implement leaf interfaces.
#pragma once

#include <atomic>
#include <utility>

#include "pluginterfaces/base/funknown.h"
#include "pluginterfaces/base/smartpointer.h"

namespace vst3host {

template <typename Derived, typename First, typename... Rest>
class HostObject : public First, public Rest... {
public:
  HostObject() = default;
  HostObject(const HostObject&) = delete;
  HostObject& operator=(const HostObject&) = delete;

  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override {
    if (obj == nullptr) return Steinberg::kInvalidArgument;
    *obj = nullptr;
    if (Steinberg::FUnknownPrivate::iidEqual(iid, Steinberg::FUnknown::iid)) {
      *obj = static_cast<Steinberg::FUnknown*>(static_cast<First*>(this));
    } else {
      (void)(answer<First>(iid, obj) || ... || answer<Rest>(iid, obj));
    }
    if (*obj == nullptr) return Steinberg::kNoInterface;
    addRef();
    return Steinberg::kResultOk;
  }

  Steinberg::uint32 PLUGIN_API addRef() override { return ++references_; }

  Steinberg::uint32 PLUGIN_API release() override {
    const Steinberg::uint32 left = --references_;
    if (left == 0) delete static_cast<Derived*>(this);
    return left;
  }

protected:
  virtual ~HostObject() = default;

private:
  template <typename Interface>
  bool answer(const Steinberg::TUID iid, void** obj) {
    if (!Steinberg::FUnknownPrivate::iidEqual(iid, Interface::iid)) return false;
    *obj = static_cast<Interface*>(this);
    return true;
  }

  std::atomic<Steinberg::uint32> references_{1};
};

// A new host object owned by the returned pointer (reference count 1).
template <typename T, typename... Args>
Steinberg::IPtr<T> makeHostObject(Args&&... args) {
  return Steinberg::owned(new T(std::forward<Args>(args)...));
}

} // namespace vst3host
