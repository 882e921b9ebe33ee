#include "platform/paths.h"

#include "platform/temp_folder.h"

#include <gtest/gtest.h>

#include <limits.h>
#include <pwd.h>
#include <stdlib.h>

namespace {

using testing_support::ScopedEnv;

TEST(BundleParentFolder, FindsTheFolderHoldingTheBundleOrElseTheModuleFolder) {
  struct Case {
    const char* module;
    const char* expected;
  };
  const Case cases[] = {
      {"/home/u/.vst3/Halvora.vst3/Contents/x86_64-linux/Halvora.so", "/home/u/.vst3"},
      {"/Halvora.vst3/Contents/x86_64-linux/Halvora.so", "/"},
      {"/usr/lib/vst3/Other.vst3/Contents/aarch64-linux/Other.so", "/usr/lib/vst3"},
      {"/build/tests/platform/test_platform", "/build/tests/platform"},
      {"/opt/Contents/x86_64-linux/Halvora.so", "/opt/Contents/x86_64-linux"}, // no bundle
      {"/opt/Halvora.vst3/Other/x86_64-linux/Halvora.so", "/opt/Halvora.vst3/Other/x86_64-linux"},
      {"/opt/.vst3/Contents/x86_64-linux/Halvora.so", "/opt/.vst3/Contents/x86_64-linux"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(platform::bundleParentFolder(c.module), c.expected) << c.module;
}

TEST(PluginFolder, OutsideABundleIsTheFolderOfTheModule) {
  char exe[PATH_MAX];
  ASSERT_TRUE(realpath("/proc/self/exe", exe));
  const std::string path(exe);
  EXPECT_EQ(platform::modulePath(), path);
  EXPECT_EQ(platform::pluginFolder(), path.substr(0, path.find_last_of('/')));
}

TEST(SettingsFolder, FollowsXdgConfigHomeAndFallsBackToDotConfig) {
  struct Case {
    std::optional<std::string> xdg;
    const char* expected;
  };
  const Case cases[] = {
      {"/tmp/xdg", "/tmp/xdg/Quillmere"},
      {"/tmp/xdg/", "/tmp/xdg/Quillmere"},
      {"", "/tmp/home/.config/Quillmere"},
      {std::nullopt, "/tmp/home/.config/Quillmere"},
      {"relative/config", "/tmp/home/.config/Quillmere"}, // invalid, ignored
  };
  ScopedEnv home("HOME", "/tmp/home");
  for (const Case& c : cases) {
    ScopedEnv xdg("XDG_CONFIG_HOME", c.xdg);
    EXPECT_EQ(platform::settingsFolder(), c.expected) << c.xdg.value_or("(unset)");
  }
}

TEST(HomeFolder, UsesThePasswordDatabaseWhenHomeIsUnsetOrEmpty) {
  const passwd* entry = getpwuid(getuid());
  ASSERT_NE(entry, nullptr);
  for (const std::optional<std::string>& value :
       {std::optional<std::string>(""), std::optional<std::string>()}) {
    ScopedEnv home("HOME", value);
    ScopedEnv xdg("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(platform::homeFolder(), entry->pw_dir);
    EXPECT_EQ(platform::settingsFolder(), platform::joinPath(entry->pw_dir, ".config/Quillmere"));
  }
}

TEST(JoinPath, AddsExactlyOneSlash) {
  EXPECT_EQ(platform::joinPath("/a/b", "c.ini"), "/a/b/c.ini");
  EXPECT_EQ(platform::joinPath("/a/b/", "c.ini"), "/a/b/c.ini");
  EXPECT_EQ(platform::joinPath("/", "c.ini"), "/c.ini");
}

} // namespace
