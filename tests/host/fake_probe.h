// Reads the fake plug-in's own record of what the host did to it. The probe
// opens the library a second time, which keeps it loaded (and its record
// readable) after the host has closed its handle.
#pragma once

#include <dlfcn.h>

#include <string>

namespace fake {

class Probe {
public:
  explicit Probe(const char* path) : handle_(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {}
  ~Probe() {
    if (handle_ != nullptr) dlclose(handle_);
  }
  Probe(const Probe&) = delete;
  Probe& operator=(const Probe&) = delete;

  bool loaded() const { return handle_ != nullptr; }
  std::string log() const { return call<const char* (*)()>("FakeCallLog")(); }
  void clearLog() const { call<void (*)()>("FakeClearLog")(); }
  int moduleEntries() const { return call<int (*)()>("FakeModuleEntries")(); }
  int liveObjects() const { return call<int (*)()>("FakeLiveObjects")(); }
  int factoryReferences() const { return call<int (*)()>("FakeFactoryReferences")(); }
  std::string hostName() const { return call<const char* (*)()>("FakeHostName")(); }
  double lastTempo() const { return call<double (*)()>("FakeLastTempo")(); }
  long long lastProjectTime() const { return call<long long (*)()>("FakeLastProjectTime")(); }
  int lastNumSamples() const { return call<int (*)()>("FakeLastNumSamples")(); }
  void editParameter(unsigned id, double value) const {
    call<void (*)(unsigned, double)>("FakeEditParameter")(id, value);
  }

private:
  template <typename F>
  F call(const char* name) const {
    return reinterpret_cast<F>(dlsym(handle_, name));
  }

  void* handle_;
};

} // namespace fake
