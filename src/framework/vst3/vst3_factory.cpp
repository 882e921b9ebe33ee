#include "framework/vst3/vst3_factory.h"

#include <dlfcn.h>

#include <atomic>
#include <cstring>
#include <mutex>

#include "core/halvora.h"
#include "framework/vst3/plugin_vst3.h"
#include "framework/vst3/utf16.h"
#include "pluginterfaces/vst/ivstcomponent.h"

namespace qm::vst3 {

using namespace Steinberg;

const TUID kHalvoraClassID = {'\xF2', '\xAE', '\xE7', '\x0D', '\x00', '\xDE', '\x4F', '\x4E',
                              'Q',    'u',    'M',    'e',    'H',    'a',    'l',    '3'};

namespace {
constexpr const char* kVendor = "Quillmere";
constexpr const char* kVendorURL = "https://www.quillmere.com";
constexpr const char* kVendorEmail = "support@quillmere.com";
constexpr const char* kCategory = "Audio Module Class";
constexpr const char* kClassName = "Halvora";
constexpr const char* kSubCategories = "Instrument|Synth";
constexpr const char* kVersion = "1.1.3";
constexpr const char* kSdkVersion = "VST 3.7.3";
constexpr int32 kManyInstances = 0x7FFFFFFF;
constexpr uint32 kSimpleModeSupported = 2;
constexpr int kMaxPathBytes = 2048;

template <size_t N>
void copyText(char (&field)[N], const char* text) {
  std::strncpy(field, text, N - 1);
  field[N - 1] = 0;
}

class Factory final : public IPluginFactory3 {
public:
  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override {
    if (!obj) return kInvalidArgument;
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) ||
        FUnknownPrivate::iidEqual(iid, IPluginFactory::iid) ||
        FUnknownPrivate::iidEqual(iid, IPluginFactory2::iid) ||
        FUnknownPrivate::iidEqual(iid, IPluginFactory3::iid)) {
      addRef();
      *obj = static_cast<IPluginFactory3*>(this);
      return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 PLUGIN_API addRef() override;
  uint32 PLUGIN_API release() override;

  tresult PLUGIN_API getFactoryInfo(PFactoryInfo* info) override {
    if (!info) return kInvalidArgument;
    *info = {};
    copyText(info->vendor, kVendor);
    copyText(info->url, kVendorURL);
    copyText(info->email, kVendorEmail);
    info->flags = PFactoryInfo::kUnicode;
    return kResultOk;
  }

  int32 PLUGIN_API countClasses() override { return 1; }

  tresult PLUGIN_API getClassInfo(int32 index, PClassInfo* info) override {
    if (index != 0 || !info) return kInvalidArgument;
    *info = {};
    std::memcpy(info->cid, kHalvoraClassID, sizeof(TUID));
    info->cardinality = kManyInstances;
    copyText(info->category, kCategory);
    copyText(info->name, kClassName);
    return kResultOk;
  }

  tresult PLUGIN_API getClassInfo2(int32 index, PClassInfo2* info) override {
    if (index != 0 || !info) return kInvalidArgument;
    *info = {};
    std::memcpy(info->cid, kHalvoraClassID, sizeof(TUID));
    info->cardinality = kManyInstances;
    copyText(info->category, kCategory);
    copyText(info->name, kClassName);
    info->classFlags = kSimpleModeSupported;
    copyText(info->subCategories, kSubCategories);
    copyText(info->version, kVersion);
    copyText(info->sdkVersion, kSdkVersion);
    return kResultOk;
  }

  tresult PLUGIN_API getClassInfoUnicode(int32 index, PClassInfoW* info) override {
    if (index != 0 || !info) return kInvalidArgument;
    *info = {};
    std::memcpy(info->cid, kHalvoraClassID, sizeof(TUID));
    info->cardinality = kManyInstances;
    copyText(info->category, kCategory);
    copyToUtf16(kClassName, info->name, PClassInfo::kNameSize);
    info->classFlags = kSimpleModeSupported;
    copyText(info->subCategories, kSubCategories);
    copyToUtf16(kVersion, info->version, PClassInfo2::kVersionSize);
    copyToUtf16(kSdkVersion, info->sdkVersion, PClassInfo2::kVersionSize);
    return kResultOk;
  }

  tresult PLUGIN_API createInstance(FIDString cid, FIDString iid, void** obj) override {
    if (!obj) return kInvalidArgument;
    *obj = nullptr;
    if (!cid || !iid || !FUnknownPrivate::iidEqual(cid, kHalvoraClassID)) return kNoInterface;
    Halvora* plug = MakePlug();
    if (!plug) return kOutOfMemory;
    auto* instance = new PluginVST3(plug);
    const tresult result = instance->queryInterface(iid, obj);
    instance->release(); // the caller's reference, if any, keeps it alive
    return result;
  }

  // Nothing here needs the host's context.
  tresult PLUGIN_API setHostContext(FUnknown*) override { return kResultOk; }

private:
  std::atomic<uint32> refCount_{1};
};

std::mutex& factoryMutex() {
  static std::mutex mutex;
  return mutex;
}
Factory* gFactory = nullptr;

uint32 PLUGIN_API Factory::addRef() {
  return ++refCount_;
}

uint32 PLUGIN_API Factory::release() {
  std::lock_guard<std::mutex> lock(factoryMutex());
  const uint32 left = --refCount_;
  if (left == 0) {
    if (gFactory == this) gFactory = nullptr;
    delete this;
  }
  return left;
}

std::mutex& moduleMutex() {
  static std::mutex mutex;
  return mutex;
}
int gEntries = 0;
char gModulePath[kMaxPathBytes] = {};

void recordModulePath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&recordModulePath), &info) != 0 && info.dli_fname) {
    std::strncpy(gModulePath, info.dli_fname, kMaxPathBytes - 1);
    gModulePath[kMaxPathBytes - 1] = 0;
  }
}

// Hooks for process-wide set-up and tear-down; nothing needs them yet.
void InitModule() {}
void DeinitModule() {}
} // namespace

IPluginFactory* GetFactory() {
  std::lock_guard<std::mutex> lock(factoryMutex());
  if (gFactory) {
    gFactory->addRef();
  } else {
    gFactory = new Factory();
  }
  return gFactory;
}

bool EnterModule() {
  std::lock_guard<std::mutex> lock(moduleMutex());
  if (++gEntries == 1) {
    if (gModulePath[0] == 0) recordModulePath();
    InitModule();
  }
  return true;
}

bool ExitModule() {
  std::lock_guard<std::mutex> lock(moduleMutex());
  if (gEntries <= 0) return false;
  if (--gEntries == 0) DeinitModule();
  return true;
}

int ModuleEntryCount() {
  std::lock_guard<std::mutex> lock(moduleMutex());
  return gEntries;
}

const char* ModulePath() {
  return gModulePath;
}

} // namespace qm::vst3
