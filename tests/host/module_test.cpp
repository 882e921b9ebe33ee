#include "host/module.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "fake_probe.h"
#include "host/instance.h"
#include "temp_folder.h"

namespace {

using vst3host::Module;
namespace fs = std::filesystem;

struct LoadFailure {
  const char* label;
  std::string path;
  const char* expected; // a fragment of the error text
};

void PrintTo(const LoadFailure& failure, std::ostream* os) {
  *os << failure.label;
}

class ModuleLoadFailure : public testing::TestWithParam<LoadFailure> {};

TEST_P(ModuleLoadFailure, ReportsTheCauseInsteadOfLoading) {
  auto module = Module::load(GetParam().path);
  ASSERT_FALSE(module);
  EXPECT_NE(module.message().find(GetParam().expected), std::string::npos) << module.message();
}

INSTANTIATE_TEST_SUITE_P(
    Causes, ModuleLoadFailure,
    testing::Values(LoadFailure{"MissingFile", "/nonexistent/Nothing.vst3",
                                "cannot find /nonexistent"},
                    LoadFailure{"NoFactory", FAKE_NO_FACTORY_PATH, "has no GetPluginFactory"},
                    LoadFailure{"EntryFails", FAKE_ENTRY_FAILS_PATH, "ModuleEntry of"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(ModuleLoad, FileThatIsNotALibraryIsRefused) {
  fake::TempFolder folder;
  const fs::path text = folder.path() / "notes.so";
  std::ofstream(text) << "not a shared library\n";
  auto module = Module::load(text.string());
  ASSERT_FALSE(module);
  EXPECT_NE(module.message().find("cannot load " + text.string()), std::string::npos)
      << module.message();
}

TEST(ModuleLoad, FailedEntryIsNotBalancedByAnExit) {
  fake::Probe probe(FAKE_ENTRY_FAILS_PATH);
  ASSERT_TRUE(probe.loaded());
  probe.clearLog();
  EXPECT_FALSE(Module::load(FAKE_ENTRY_FAILS_PATH));
  EXPECT_EQ(probe.log(), "ModuleEntry;");
}

TEST(ModuleLoad, BundleFolderResolvesToItsLinuxLibrary) {
  fake::TempFolder folder;
  const fs::path bundle = folder.path() / "Fake.vst3";
  const fs::path binaries = bundle / "Contents" / "x86_64-linux";
  fs::create_directories(binaries);
  fs::create_directories(bundle / "Contents" / "Resources");
  fs::copy_file(FAKE_SYNTH_PATH, binaries / "Fake.so");

  auto module = Module::load(bundle.string());
  ASSERT_TRUE(module) << module.message();
  EXPECT_EQ((*module)->libraryPath(), (binaries / "Fake.so").string());
  // A trailing slash names the same bundle.
  EXPECT_TRUE(Module::load(bundle.string() + "/"));
}

TEST(ModuleLoad, BundleWithoutLibraryNamesTheMissingFile) {
  fake::TempFolder folder;
  const fs::path bundle = folder.path() / "Empty.vst3";
  fs::create_directories(bundle / "Contents");
  auto module = Module::load(bundle.string());
  ASSERT_FALSE(module);
  EXPECT_NE(module.message().find("x86_64-linux/Empty.so"), std::string::npos) << module.message();
}

TEST(ModuleInfo, ReadsFactoryAndUnicodeClassInfo) {
  auto module = Module::load(FAKE_SYNTH_PATH);
  ASSERT_TRUE(module) << module.message();
  const Module& m = **module;
  EXPECT_EQ(m.factoryVersion(), 3);
  EXPECT_EQ(m.factoryInfo().vendor, "Fake Vendor");
  EXPECT_EQ(m.factoryInfo().email, "fake@example.org");
  EXPECT_EQ(m.factoryInfo().flags, Steinberg::PFactoryInfo::kUnicode);
  ASSERT_EQ(m.classes().size(), 1u);
  const vst3host::ClassInfo& c = m.classes()[0];
  EXPECT_EQ(c.category, "Audio Module Class");
  EXPECT_EQ(c.name, "Fake Synth \xC3\xA9"); // from the UTF-16 info, not the 8-bit one
  EXPECT_EQ(c.subCategories, "Instrument|Synth");
  EXPECT_EQ(c.version, "0.1.0");
  EXPECT_EQ(c.sdkVersion, kVstVersionString);
  EXPECT_EQ(c.cardinality, Steinberg::PClassInfo::kManyInstances);
  EXPECT_EQ(std::memcmp(c.cid.data(), "FAKECOMPONENT001", 16), 0);
  EXPECT_EQ(m.findClass(c.cid), &m.classes()[0]);
}

TEST(ModuleInfo, ModuleWithoutInstrumentClassCannotMakeAnInstance) {
  auto instance = vst3host::Instance::load(FAKE_NO_INSTRUMENT_PATH);
  ASSERT_FALSE(instance);
  EXPECT_NE(instance.message().find("no \"Audio Module Class\" class"), std::string::npos)
      << instance.message();
}

TEST(ModuleLifetime, ExitAndFactoryReleaseBalanceTheEntry) {
  fake::Probe probe(FAKE_SYNTH_PATH);
  ASSERT_TRUE(probe.loaded());
  const int entriesBefore = probe.moduleEntries();
  {
    auto module = Module::load(FAKE_SYNTH_PATH);
    ASSERT_TRUE(module) << module.message();
    EXPECT_EQ(probe.moduleEntries(), entriesBefore + 1);
    EXPECT_GT(probe.factoryReferences(), 0);
  }
  EXPECT_EQ(probe.moduleEntries(), entriesBefore);
  EXPECT_EQ(probe.factoryReferences(), 0);
}

} // namespace
