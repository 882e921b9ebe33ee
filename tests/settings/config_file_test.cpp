#include "settings/config_file.h"

#include "platform/files.h"
#include "platform/temp_folder.h"
#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <optional>

namespace {

using testing_support::exists;
using testing_support::readText;
using testing_support::ScopedEnv;
using testing_support::TempFolder;
using testing_support::writeText;

class ConfigFileTest : public ::testing::Test {
protected:
  void SetUp() override {
    ini::clearCache();
    mkdir(plugin.c_str(), 0755);
  }

  // A config whose file holds text, opened by the construction rule.
  void openWith(const std::string& text) {
    mkdir((tmp / "settings").c_str(), 0755);
    mkdir(settings.c_str(), 0755);
    writeText(file, text);
    ASSERT_TRUE(config.open(settings, plugin));
  }

  TempFolder tmp;
  ScopedEnv home{"HOME", tmp / "home"};
  const std::string settings = tmp / "settings/Quillmere";
  const std::string plugin = tmp / "plugin";
  const std::string file = settings + "/halvora.ini";
  ConfigFile config;
};

TEST_F(ConfigFileTest, ConstructionValues) {
  const ConfigSettings& s = config.settings;
  EXPECT_EQ(s.startupBankPath, "");
  EXPECT_EQ(s.programFolder, tmp / "home");
  EXPECT_EQ(s.guiScale, 0.5f);
  EXPECT_FALSE(s.midiThru);
  EXPECT_FALSE(s.ignoreProgramChange);
  for (int n = -1; n <= 128; ++n) EXPECT_EQ(s.controller(n), -1) << n;
}

TEST_F(ConfigFileTest, MidiOptionsAreTrueOnlyForTheLowerCaseWordTrue) {
  struct Case {
    const char* text;
    bool before;
    bool expected;
  };
  const Case cases[] = {
      {"[midi global]\nmidi thru=true\n", false, true},
      {"[MIDI Global]\nMIDI Thru=True\n", true, false},
      {"[MIDI Global]\nMIDI Thru=TRUE\n", true, false},
      {"[MIDI Global]\nMIDI Thru=1\n", true, false},
      {"[MIDI Global]\nMIDI Thru=truex\n", true, false},
      {"[MIDI Global]\nMIDI Thru=  \"true\"  \n", false, true},
      {"[MIDI Global]\nMIDI Thru=\n", true, false},
      {"[MIDI Global]\n", true, true}, // absent: unchanged
      {"", false, false},
  };
  for (const Case& c : cases) {
    config.settings.midiThru = c.before;
    openWith(c.text);
    EXPECT_EQ(config.settings.midiThru.load(), c.expected) << c.text;

    std::string ignore(c.text);
    if (const auto at = ignore.find("midi thru"); at != std::string::npos)
      ignore.replace(at, 9, "ignore program change");
    if (const auto at = ignore.find("MIDI Thru"); at != std::string::npos)
      ignore.replace(at, 9, "Ignore Program Change");
    config.settings.ignoreProgramChange = c.before;
    openWith(ignore);
    EXPECT_EQ(config.settings.ignoreProgramChange.load(), c.expected) << ignore;
  }
}

TEST_F(ConfigFileTest, ControllerEntriesReadAsWholeNumbers) {
  struct Case {
    std::optional<std::string> value; // nullopt: no CC7 key
    int expected;
  };
  const int kBefore = 33;
  const Case cases[] = {
      {"0", 0},           {"12", 12}, {"", kBefore}, {"x", -1},    {"12abc", 12},       {"-1", -1},
      {"+5", 5},          {"-0", -1}, {"00", 0},     {"500", 500}, {"99999999999", -1}, {"'7'", 7},
      {std::nullopt, -1},
  };
  for (const Case& c : cases) {
    config.settings.setController(7, kBefore);
    openWith(c.value ? "[MIDI Control]\nCC7=" + *c.value + "\n" : "[MIDI Control]\n");
    EXPECT_EQ(config.settings.controller(7), c.expected) << c.value.value_or("(absent)");
  }
}

TEST_F(ConfigFileTest, ControllersOutsideTheLearnableRangeAreNeitherReadNorWritten) {
  openWith("[MIDI Control]\nCC119=5\nCC120=6\nCC127=7\n");
  EXPECT_EQ(config.settings.controller(119), 5);
  EXPECT_EQ(config.settings.controller(120), -1);
  EXPECT_EQ(config.settings.controller(127), -1);
  config.settings.setController(121, 3);
  EXPECT_EQ(config.settings.controller(121), -1);
}

TEST_F(ConfigFileTest, PathsAreReadBackUpTo1023Bytes) {
  const std::string folder80 = "/" + std::string(79, 'p');
  const std::string long1100 = "/" + std::string(1099, 'b');
  openWith("[Global]\nPath to Program Files=" + folder80 + "\n[Startup Bank]\nFile=" + long1100 +
           "\n");
  EXPECT_EQ(config.settings.programFolder, folder80);
  EXPECT_EQ(config.settings.startupBankPath, long1100.substr(0, 1023));
}

TEST_F(ConfigFileTest, OnlyAUsableScaleReplacesTheGuiScale) {
  struct Case {
    const char* value;
    float expected;
  };
  const Case cases[] = {
      {"0.750000", 0.75f}, {"2", 2.0f},    {"1.5x", 1.5f},  {"", 0.3f},
      {"0", 0.3f},         {"-1", 0.3f},   {"abc", 0.3f},   {"nan", 0.3f},
      {"inf", 0.3f},       {"1e39", 0.3f}, {"1e-50", 0.3f},
  };
  for (const Case& c : cases) {
    config.settings.guiScale = 0.3f;
    openWith(std::string("[Editor]\nScale=") + c.value + "\n");
    EXPECT_EQ(config.settings.guiScale, c.expected) << c.value;
  }
}

TEST_F(ConfigFileTest, StartupBankIsClearedWhenTheFileHasNone) {
  config.settings.startupBankPath = "/left/over.fxb";
  openWith("[Startup Bank]\nFile=\n");
  EXPECT_EQ(config.settings.startupBankPath, "");
}

TEST_F(ConfigFileTest, SaveAllWritesEverySettingSorted) {
  openWith("");
  config.settings.startupBankPath = "/banks/live.fxb";
  config.settings.midiThru = true;
  config.settings.setController(7, 12);
  config.settings.setController(10, 0);
  ASSERT_TRUE(config.saveConfig(ConfigFile::kSaveAll, 0.70710677f));
  EXPECT_EQ(readText(file), "[Editor]\nScale=0.707107\n\n"
                            "[MIDI Control]\nCC10=0\nCC7=12\n\n"
                            "[MIDI Global]\nIgnore Program Change=false\nMIDI Thru=true\n\n"
                            "[Startup Bank]\nFile=/banks/live.fxb\n\n");

  // An unassigned controller disappears from the next full save.
  config.settings.setController(7, -1);
  ASSERT_TRUE(config.saveConfig(ConfigFile::kSaveAll));
  EXPECT_NE(readText(file).find("[MIDI Control]\nCC10=0\n\n"), std::string::npos);
  EXPECT_NE(readText(file).find("Scale=0.500000"), std::string::npos); // the GUI scale
}

TEST_F(ConfigFileTest, SavingUnchangedSettingsLeavesTheFileUntouched) {
  openWith("");
  config.settings.setController(7, 12);
  ASSERT_TRUE(config.saveConfig(ConfigFile::kSaveAll));
  struct stat before {};
  stat(file.c_str(), &before);
  ASSERT_TRUE(config.saveConfig(ConfigFile::kSaveAll));
  ASSERT_TRUE(config.saveConfig(ConfigFile::kSaveMidiThru));
  struct stat after {};
  stat(file.c_str(), &after);
  EXPECT_EQ(after.st_ino, before.st_ino);
}

TEST_F(ConfigFileTest, SaveWithASelectorWritesOnlyThatSettingAndTheStartupBank) {
  struct Case {
    int selector;
    const char* expected;
  };
  const Case cases[] = {
      {ConfigFile::kSaveGuiScale, "[Editor]\nScale=0.250000\n\n[Startup Bank]\nFile=\n\n"},
      {ConfigFile::kSaveMidiThru, "[MIDI Global]\nMIDI Thru=true\n\n[Startup Bank]\nFile=\n\n"},
      {ConfigFile::kSaveIgnoreProgramChange,
       "[MIDI Global]\nIgnore Program Change=false\n\n[Startup Bank]\nFile=\n\n"},
      {99, "[Startup Bank]\nFile=\n\n"},
  };
  for (const Case& c : cases) {
    openWith("");
    config.settings.guiScale = 0.25f;
    config.settings.midiThru = true;
    config.settings.setController(3, 4);
    ASSERT_TRUE(config.saveConfig(c.selector)) << c.selector;
    EXPECT_EQ(readText(file), c.expected) << c.selector;
  }
}

TEST_F(ConfigFileTest, UnsetStartupFxbThenSavingMidiThruLeavesAnEmptyFileKey) {
  openWith("[Startup Bank]\nFile=/banks/a.fxb\nExtra=1\n");
  ASSERT_TRUE(config.unsetStartupFxb());
  EXPECT_EQ(readText(file), "[Startup Bank]\n\n");
  ASSERT_TRUE(config.saveConfig(ConfigFile::kSaveMidiThru));
  EXPECT_EQ(readText(file), "[MIDI Global]\nMIDI Thru=false\n\n[Startup Bank]\nFile=\n\n");
}

TEST_F(ConfigFileTest, SetStartupFxbReplacesTheWholeSection) {
  openWith("[Startup Bank]\nFile=/banks/a.fxb\nExtra=1\n");
  ASSERT_TRUE(config.setStartupFxb("/banks/b.fxb"));
  EXPECT_EQ(config.settings.startupBankPath, "/banks/b.fxb");
  EXPECT_EQ(readText(file), "[Startup Bank]\nFile=/banks/b.fxb\n\n");
}

TEST_F(ConfigFileTest, StoreProgramPathWritesTheGivenOrTheCurrentFolder) {
  openWith("");
  ASSERT_TRUE(config.storeProgramPath());
  EXPECT_EQ(readText(file), "[Global]\nPath to Program Files=" + tmp / "home" + "\n\n");
  ASSERT_TRUE(config.storeProgramPath("/presets/mine"));
  EXPECT_EQ(config.settings.programFolder, "/presets/mine");
  EXPECT_EQ(readText(file), "[Global]\nPath to Program Files=/presets/mine\n\n");

  // A folder name that would break the file is kept in memory only.
  EXPECT_FALSE(config.storeProgramPath("/presets/a\n[MIDI Global]\nMIDI Thru=true"));
  EXPECT_EQ(readText(file), "[Global]\nPath to Program Files=/presets/mine\n\n");
}

TEST_F(ConfigFileTest, SavedSettingsLoadBackIntoAnotherInstance) {
  openWith("");
  config.settings.startupBankPath = "/banks/\"quoted\" name.fxb";
  config.settings.guiScale = 1.0f;
  config.settings.ignoreProgramChange = true;
  config.settings.setController(0, 92);
  config.settings.setController(119, 1);
  ASSERT_TRUE(config.saveConfig(ConfigFile::kSaveAll));
  ASSERT_TRUE(config.storeProgramPath("/presets"));

  ConfigFile other;
  ASSERT_TRUE(other.open(settings, plugin));
  EXPECT_EQ(other.settings.startupBankPath, "/banks/\"quoted\" name.fxb");
  EXPECT_EQ(other.settings.programFolder, "/presets");
  EXPECT_EQ(other.settings.guiScale, 1.0f);
  EXPECT_TRUE(other.settings.ignoreProgramChange);
  EXPECT_FALSE(other.settings.midiThru);
  for (int n = 0; n < 128; ++n)
    EXPECT_EQ(other.settings.controller(n), n == 0 ? 92 : n == 119 ? 1 : -1) << n;
}

TEST_F(ConfigFileTest, TheScaleIsWrittenWithAPointInAnyLocale) {
  const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no German locale installed";
  openWith("[Editor]\nScale=0.75\n");
  const bool saved = config.saveConfig(ConfigFile::kSaveGuiScale, 1.25f);
  std::setlocale(LC_NUMERIC, previous.c_str());
  EXPECT_EQ(config.settings.guiScale, 0.75f);
  ASSERT_TRUE(saved);
  EXPECT_NE(readText(file).find("Scale=1.250000\n"), std::string::npos);
}

TEST_F(ConfigFileTest, AFirstStartCopiesTheDefaultFileBesideTheBundle) {
  const std::string defaults = "[MIDI Global]\r\nMIDI Thru=true\r\n";
  writeText(plugin + "/halvora.ini", defaults);
  ASSERT_TRUE(config.open(settings, plugin));
  EXPECT_EQ(config.path(), file);
  EXPECT_EQ(readText(file), defaults);
  EXPECT_TRUE(config.settings.midiThru);
  struct stat info {};
  stat(settings.c_str(), &info);
  EXPECT_EQ(info.st_mode & 07777, 0755u);
}

TEST_F(ConfigFileTest, AFirstStartWithoutADefaultCreatesAnEmptyFile) {
  ASSERT_TRUE(config.open(settings, plugin));
  EXPECT_TRUE(exists(file));
  EXPECT_EQ(readText(file), "");
  EXPECT_EQ(config.settings.guiScale, 0.5f);
  EXPECT_TRUE(config.loadConfig());
}

TEST_F(ConfigFileTest, AnExistingFileIsNeverReplacedByTheDefault) {
  writeText(plugin + "/halvora.ini", "[MIDI Global]\nMIDI Thru=true\n");
  openWith("[Editor]\nScale=1.0\n");
  EXPECT_EQ(readText(file), "[Editor]\nScale=1.0\n");
  EXPECT_FALSE(config.settings.midiThru);
  EXPECT_EQ(config.settings.guiScale, 1.0f);
}

TEST_F(ConfigFileTest, AFolderThatCannotBeCreatedLeavesTheConstructionValues) {
  writeText(tmp / "settings", "a file where the folder should be");
  EXPECT_FALSE(config.open(settings, plugin));
  EXPECT_EQ(config.path(), "");
  EXPECT_FALSE(config.loadConfig());
  EXPECT_FALSE(config.saveConfig(ConfigFile::kSaveAll));
  EXPECT_EQ(config.settings.guiScale, 0.5f);

  // A folder where the file should be.
  ConfigFile blocked;
  ASSERT_TRUE(platform::createFolders(tmp / "blocked/halvora.ini"));
  EXPECT_FALSE(blocked.open(tmp / "blocked", plugin));
  EXPECT_FALSE(blocked.saveConfig(ConfigFile::kSaveAll));
}

TEST_F(ConfigFileTest, ReloadingAMissingFileClearsBankAndControllersOnly) {
  openWith("[Startup Bank]\nFile=/a.fxb\n[MIDI Control]\nCC7=3\n[MIDI Global]\nMIDI Thru=true\n"
           "[Editor]\nScale=1\n");
  ASSERT_EQ(unlink(file.c_str()), 0);
  EXPECT_FALSE(config.loadConfig());
  EXPECT_EQ(config.settings.startupBankPath, "");
  EXPECT_EQ(config.settings.controller(7), -1);
  EXPECT_TRUE(config.settings.midiThru);
  EXPECT_EQ(config.settings.guiScale, 1.0f);
}

TEST_F(ConfigFileTest, AnUnwritableFolderKeepsTheFileAndTheNewSettingsInMemory) {
  const std::string original = "[MIDI Global]\nMIDI Thru=false\n";
  openWith(original);
  config.settings.midiThru = true;
  const std::optional<bool> saved = testing_support::runWithoutWriteAccess(
      settings, [&] { return config.saveConfig(ConfigFile::kSaveMidiThru); });
  EXPECT_EQ(saved, std::optional<bool>(false));
  EXPECT_EQ(readText(file), original);
  EXPECT_TRUE(config.settings.midiThru);
}

} // namespace
