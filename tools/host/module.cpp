#include "host/module.h"

#include <dlfcn.h>

#include <cstring>
#include <filesystem>

#include "host/tresult_text.h"
#include "host/utf16.h"

namespace vst3host {

using namespace Steinberg;

namespace {

#if defined(__x86_64__)
constexpr const char* kArchitectureFolder = "x86_64-linux";
#elif defined(__aarch64__)
constexpr const char* kArchitectureFolder = "aarch64-linux";
#else
constexpr const char* kArchitectureFolder = "i386-linux";
#endif

using ModuleEntryFunction = bool (*)(void*);
using ModuleExitFunction = bool (*)();
using GetFactoryFunction = IPluginFactory* (*)();

// The fixed char fields of the factory structs need not be NUL-terminated.
template <std::size_t N>
std::string fieldText(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

} // namespace

Result<std::string> resolveLibraryPath(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path given(path);
  if (!fs::exists(given, error)) return Status::fail("cannot find " + path);
  if (!fs::is_directory(given, error)) return path;
  std::string name = given.filename().string();
  if (name.empty()) name = given.parent_path().filename().string();
  const fs::path stem = fs::path(name).stem();
  const fs::path library = given / "Contents" / kArchitectureFolder / (stem.string() + ".so");
  if (!fs::is_regular_file(library, error)) {
    return Status::fail("bundle " + path + " has no library " + library.string());
  }
  return library.string();
}

Result<std::shared_ptr<Module>> Module::load(const std::string& path) {
  Result<std::string> library = resolveLibraryPath(path);
  if (!library) return library.status();

  std::shared_ptr<Module> module(new Module());
  module->libraryPath_ = *library;
  dlerror();
  module->library_ = dlopen(library->c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module->library_ == nullptr) {
    const char* why = dlerror();
    return Status::fail("cannot load " + *library + ": " +
                        (why != nullptr ? why : "unknown error"));
  }

  auto entry = reinterpret_cast<ModuleEntryFunction>(dlsym(module->library_, "ModuleEntry"));
  auto getFactory =
      reinterpret_cast<GetFactoryFunction>(dlsym(module->library_, "GetPluginFactory"));
  if (getFactory == nullptr) {
    return Status::fail(*library + " is not a VST 3 plug-in: it has no GetPluginFactory");
  }
  if (entry == nullptr) {
    return Status::fail(*library + " is not a VST 3 plug-in for Linux: it has no ModuleEntry");
  }
  if (!entry(module->library_)) return Status::fail("ModuleEntry of " + *library + " failed");
  module->entered_ = true;

  module->factory_ = owned(getFactory());
  if (!module->factory_)
    return Status::fail("GetPluginFactory of " + *library + " returned nothing");
  if (Status read = module->readClasses(); !read) return read;
  return module;
}

Status Module::readClasses() {
  PFactoryInfo info{};
  if (const tresult r = factory_->getFactoryInfo(&info); r != kResultOk) {
    return Status::fail(callFailed("getFactoryInfo of " + libraryPath_, r));
  }
  factoryInfo_ = {fieldText(info.vendor), fieldText(info.url), fieldText(info.email), info.flags};

  FUnknownPtr<IPluginFactory2> factory2(factory_);
  FUnknownPtr<IPluginFactory3> factory3(factory_);
  factoryVersion_ = factory3 ? 3 : factory2 ? 2 : 1;

  const int32 count = factory_->countClasses();
  for (int32 i = 0; i < count; ++i) {
    ClassInfo entry;
    PClassInfo basic{};
    if (const tresult r = factory_->getClassInfo(i, &basic); r != kResultOk) {
      return Status::fail(callFailed("getClassInfo(" + std::to_string(i) + ")", r));
    }
    std::memcpy(entry.cid.data(), basic.cid, entry.cid.size());
    entry.cardinality = basic.cardinality;
    entry.category = fieldText(basic.category);
    entry.name = fieldText(basic.name);

    PClassInfoW wide{};
    PClassInfo2 second{};
    if (factory3 && factory3->getClassInfoUnicode(i, &wide) == kResultOk) {
      entry.name = toUtf8(wide.name, PClassInfo::kNameSize);
      entry.classFlags = wide.classFlags;
      entry.subCategories = fieldText(wide.subCategories);
      entry.vendor = toUtf8(wide.vendor, PClassInfo2::kVendorSize);
      entry.version = toUtf8(wide.version, PClassInfo2::kVersionSize);
      entry.sdkVersion = toUtf8(wide.sdkVersion, PClassInfo2::kVersionSize);
    } else if (factory2 && factory2->getClassInfo2(i, &second) == kResultOk) {
      entry.name = fieldText(second.name);
      entry.classFlags = second.classFlags;
      entry.subCategories = fieldText(second.subCategories);
      entry.vendor = fieldText(second.vendor);
      entry.version = fieldText(second.version);
      entry.sdkVersion = fieldText(second.sdkVersion);
    }
    classes_.push_back(std::move(entry));
  }
  return Status::ok();
}

Result<ClassInfo> Module::firstClassOf(const std::string& category) const {
  for (const ClassInfo& info : classes_) {
    if (info.category == category) return info;
  }
  return Status::fail("no \"" + category + "\" class in " + libraryPath_);
}

const ClassInfo* Module::findClass(const std::array<char, 16>& cid) const {
  for (const ClassInfo& info : classes_) {
    if (info.cid == cid) return &info;
  }
  return nullptr;
}

Status Module::setHostContext(FUnknown* context) {
  FUnknownPtr<IPluginFactory3> factory3(factory_);
  if (!factory3) return Status::ok();
  if (const tresult r = factory3->setHostContext(context); r != kResultOk) {
    return Status::fail(callFailed("setHostContext", r));
  }
  hostContext_ = shared(context);
  return Status::ok();
}

Module::~Module() {
  factory_ = nullptr;
  hostContext_ = nullptr;
  if (entered_) {
    if (auto exit = reinterpret_cast<ModuleExitFunction>(dlsym(library_, "ModuleExit"))) exit();
  }
  if (library_ != nullptr) dlclose(library_);
}

} // namespace vst3host
