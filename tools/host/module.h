// A loaded VST 3 module: the shared library, its entry and exit calls and
// its factory. Loading accepts a bundle folder (Name.vst3, whose library is
// Contents/<arch>-linux/Name.so) or the .so itself, and every way it can go
// wrong comes back as a sentence, never as a crash.
//
// Lifetime: ModuleEntry right after dlopen, ModuleExit right before dlclose,
// both in this object; instances hold a shared_ptr so the library outlives them.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "host/status.h"
#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/base/smartpointer.h"

namespace vst3host {

inline constexpr const char* kAudioModuleClass = "Audio Module Class";
inline constexpr const char* kComponentControllerClass = "Component Controller Class";

struct FactoryInfo {
  std::string vendor;
  std::string url;
  std::string email;
  Steinberg::int32 flags = 0;
};

struct ClassInfo {
  std::array<char, 16> cid{};
  Steinberg::int32 cardinality = 0;
  std::string category;
  std::string name;
  // From IPluginFactory2 or 3; empty when the factory offers only the first.
  Steinberg::uint32 classFlags = 0;
  std::string subCategories;
  std::string vendor;
  std::string version;
  std::string sdkVersion;
};

class Module {
public:
  static Result<std::shared_ptr<Module>> load(const std::string& path);

  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;
  ~Module();

  // The shared library actually opened.
  const std::string& libraryPath() const { return libraryPath_; }
  const FactoryInfo& factoryInfo() const { return factoryInfo_; }
  const std::vector<ClassInfo>& classes() const { return classes_; }
  // 1, 2 or 3: the newest factory interface the module answers.
  int factoryVersion() const { return factoryVersion_; }

  // The first class of a category, or a sentence naming what is missing.
  Result<ClassInfo> firstClassOf(const std::string& category) const;
  const ClassInfo* findClass(const std::array<char, 16>& cid) const;

  Steinberg::IPluginFactory* factory() const { return factory_.get(); }
  // For IPluginFactory3 modules; a no-op success for older ones.
  Status setHostContext(Steinberg::FUnknown* context);

private:
  Module() = default;
  Status readClasses();

  std::string libraryPath_;
  void* library_ = nullptr;
  bool entered_ = false;
  Steinberg::IPtr<Steinberg::IPluginFactory> factory_;
  Steinberg::IPtr<Steinberg::FUnknown> hostContext_;
  int factoryVersion_ = 1;
  FactoryInfo factoryInfo_;
  std::vector<ClassInfo> classes_;
};

// The library inside a bundle folder, or the path itself when it is a file.
Result<std::string> resolveLibraryPath(const std::string& path);

} // namespace vst3host
