#include "framework/plugin_base.h"

#include <gtest/gtest.h>

#include "test_plugin.h"

namespace {

using qm::BoundedString;

TEST(PluginBase, VersionsPrintAndConvertToDecimal) {
  qm::PluginBase plugin(test_support::instrumentConfig());
  BoundedString text;
  plugin.GetPluginVersionStr(text);
  EXPECT_STREQ(text.Get(), "v1.1.3");
  EXPECT_EQ(plugin.GetPluginVersion(false), 65795);
  EXPECT_EQ(plugin.GetPluginVersion(true), 10103);

  EXPECT_EQ(plugin.GetHost(), -1);
  EXPECT_EQ(plugin.GetHostVersion(true), 0);
  plugin.GetHostVersionStr(text);
  EXPECT_STREQ(text.Get(), "v0.0.0");

  qm::Config config = test_support::instrumentConfig();
  config.vendorVersion = (12 << 16) | (34 << 8) | 56;
  qm::PluginBase other(config);
  other.GetPluginVersionStr(text);
  EXPECT_STREQ(text.Get(), "v12.34.56");
  EXPECT_EQ(other.GetPluginVersion(true), 123456);
}

TEST(PluginBase, StoresTheConfigurationWithOrderedLimits) {
  qm::Config config = test_support::instrumentConfig();
  config.plugMinWidth = 1976;
  config.plugMaxWidth = 494;
  config.plugMinHeight = 1392;
  config.plugMaxHeight = 348;
  qm::PluginBase plugin(config);
  EXPECT_EQ(plugin.GetMinWidth(), 494);
  EXPECT_EQ(plugin.GetMaxWidth(), 1976);
  EXPECT_EQ(plugin.GetMinHeight(), 348);
  EXPECT_EQ(plugin.GetMaxHeight(), 1392);
  EXPECT_EQ(plugin.GetEditorWidth(), 988);
  EXPECT_EQ(plugin.GetEditorHeight(), 696);
  EXPECT_STREQ(plugin.GetPluginName(), "Halvora");
  EXPECT_STREQ(plugin.GetMfrName(), "Quillmere");
  EXPECT_EQ(plugin.GetUniqueID(), 0x48616C33); // 'Hal3'
  EXPECT_EQ(plugin.GetMfrID(), 0x51754D65);    // 'QuMe'
  EXPECT_TRUE(plugin.DoesStateChunks());
  EXPECT_TRUE(plugin.HasUI());
  EXPECT_FALSE(plugin.GetHostResizeEnabled());
}

TEST(PluginBase, OwnsOneEmptyParameterPerIndex) {
  qm::PluginBase plugin(test_support::instrumentConfig());
  ASSERT_EQ(plugin.NParams(), 93);
  EXPECT_EQ(plugin.GetParam(-1), nullptr);
  EXPECT_EQ(plugin.GetParam(93), nullptr);
  for (int i = 0; i < 93; ++i) {
    ASSERT_NE(plugin.GetParam(i), nullptr);
    EXPECT_EQ(plugin.GetParam(i)->Type(), qm::IParam::kTypeNone);
  }
  EXPECT_NE(plugin.GetParam(0), plugin.GetParam(1));
}

TEST(PluginBase, ProgramListStartsWithEmptyUninitialisedRecords) {
  qm::PluginBase plugin(test_support::instrumentConfig());
  ASSERT_EQ(plugin.NPresets(), 64);
  for (int i = 0; i < 64; ++i) {
    const qm::IPreset* preset = plugin.GetPreset(i);
    ASSERT_NE(preset, nullptr);
    EXPECT_FALSE(preset->mInitialized);
    EXPECT_STREQ(preset->mName, "empty");
    EXPECT_EQ(preset->mChunk.Size(), 0);
  }
  EXPECT_EQ(plugin.GetPreset(64), nullptr);
  EXPECT_EQ(plugin.GetCurrentPresetIdx(), 0);
  EXPECT_FALSE(plugin.SetCurrentPresetIdx(64));
  EXPECT_FALSE(plugin.SetCurrentPresetIdx(-1));
  EXPECT_TRUE(plugin.SetCurrentPresetIdx(63));
  EXPECT_EQ(plugin.GetCurrentPresetIdx(), 63);
  EXPECT_FALSE(plugin.GetRestoringState());
}

TEST(IPreset, NamesAreCutTo255Characters) {
  qm::IPreset preset;
  const std::string longName(300, 'n');
  preset.SetName(longName.c_str());
  EXPECT_EQ(std::string(preset.mName), std::string(255, 'n'));
  preset.SetName(nullptr);
  EXPECT_STREQ(preset.mName, "");
}

} // namespace
