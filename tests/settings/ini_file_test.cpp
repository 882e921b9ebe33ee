#include "settings/ini_file.h"

#include "platform/temp_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <optional>

namespace {

using testing_support::exists;
using testing_support::readText;
using testing_support::TempFolder;
using testing_support::writeText;

TEST(IniParse, ReadsSectionsKeysAndValuesByTheLineRules) {
  const IniDocument doc = IniDocument::parse("Orphan=before any section\n"
                                             "[midi global]\n"
                                             "midi thru=true\n"
                                             "  Indented=yes\t \n"
                                             "Spaced = padded value  \n"
                                             "Equals=a=b\n"
                                             "=no key\n"
                                             "no equals sign\n"
                                             "[Unclosed\n"
                                             "StillMidi=1\n"
                                             "[Editor]trailing text\n"
                                             "Scale=0.5\n"
                                             "Empty=\n");
  struct Case {
    const char* section;
    const char* key;
    std::optional<std::string> raw;
  };
  const Case cases[] = {
      {"MIDI Global", "MIDI Thru", "true"},
      {"MIDI GLOBAL", "indented", "yes"},
      {"MIDI Global", "Spaced ", " padded value"},
      {"MIDI Global", "Spaced", std::nullopt}, // the blank before "=" is part of the key
      {"MIDI Global", "Equals", "a=b"},
      {"MIDI Global", "StillMidi", "1"},
      {"MIDI Global", "", std::nullopt},
      {"Editor", "Scale", "0.5"},
      {"editor", "EMPTY", ""},
      {"Unclosed", "StillMidi", std::nullopt},
      {"", "Orphan", std::nullopt},
  };
  for (const Case& c : cases) {
    const std::string* raw = doc.find(c.section, c.key);
    EXPECT_EQ(raw ? std::optional<std::string>(*raw) : std::nullopt, c.raw)
        << c.section << " / " << c.key;
  }
  EXPECT_TRUE(doc.hasSection("editor"));
  EXPECT_FALSE(doc.hasSection("Unclosed"));
  EXPECT_EQ(doc.get("MIDI Global", "Spaced ", "", 64), "padded value");
}

TEST(IniParse, CarriageReturnsAreNotPartOfNamesOrValues) {
  const IniDocument doc = IniDocument::parse("[MIDI Global]\r\nMIDI Thru=true\r\n"
                                             "[Startup Bank]\r\nFile=/banks/a.fxb \r\n");
  EXPECT_EQ(doc.get("MIDI Global", "MIDI Thru", "", 64), "true");
  EXPECT_EQ(doc.get("Startup Bank", "File", "", 1024), "/banks/a.fxb");
}

TEST(IniParse, ARepeatedSectionReplacesTheEarlierBlock) {
  const IniDocument doc = IniDocument::parse("[MIDI Control]\nCC1=4\nCC2=5\n"
                                             "[Editor]\nScale=1\n"
                                             "[midi control]\nCC3=6\n");
  EXPECT_EQ(doc.find("MIDI Control", "CC1"), nullptr);
  EXPECT_EQ(doc.find("MIDI Control", "CC2"), nullptr);
  EXPECT_EQ(doc.get("MIDI Control", "CC3", "", 64), "6");
  EXPECT_EQ(doc.get("Editor", "Scale", "", 64), "1");
}

TEST(IniGet, TrimsUnquotesCutsToTheBufferAndPassesDefaultsUnchanged) {
  struct Case {
    const char* stored;
    size_t buffer;
    const char* expected;
  };
  const Case cases[] = {
      {"  padded\t", 64, "padded"},
      {"\"quoted value\"", 64, "quoted value"},
      {"' single '", 64, " single "},
      {"\"mixed'", 64, "\"mixed'"},
      {"\"", 64, "\""},
      {"\"\"", 64, ""},
      {"abcdef", 4, "abc"},
      {"abcdef", 1, ""},
      {"abcdef", 0, ""},
  };
  for (const Case& c : cases) {
    const IniDocument doc = IniDocument::parse(std::string("[S]\nK=") + c.stored + "\n");
    EXPECT_EQ(doc.get("S", "K", "default", c.buffer), c.expected) << c.stored;
  }
  const IniDocument empty;
  EXPECT_EQ(empty.get("S", "K", "a default longer than the buffer", 4),
            "a default longer than the buffer");
}

TEST(IniSerialise, SortsSectionsAndKeysIgnoringCaseWithABlankLineAfterEach) {
  IniDocument doc = IniDocument::parse("stray line\n[b]\nzeta=1\nAlpha=2\n[A]\nx=3\n[Empty]\n");
  doc.set("MIDI Control", "CC7", "4");
  doc.set("MIDI Control", "CC10", "5");
  EXPECT_EQ(doc.serialise(), "[A]\nx=3\n\n"
                             "[b]\nAlpha=2\nzeta=1\n\n"
                             "[Empty]\n\n"
                             "[MIDI Control]\nCC10=5\nCC7=4\n\n");
}

TEST(IniSet, ReportsChangesKeepsTheFirstSpellingAndRefusesWhatWouldNotReadBack) {
  IniDocument doc = IniDocument::parse("[Global]\nPath to Program Files=/a\n");
  EXPECT_FALSE(doc.set("global", "path to program files", "/a"));
  EXPECT_TRUE(doc.set("global", "path to program files", "/b"));
  EXPECT_EQ(doc.serialise(), "[Global]\nPath to Program Files=/b\n\n");
  EXPECT_FALSE(
      doc.set("Global", "Path to Program Files", "/b \t")); // trailing blanks never survive

  const IniDocument before = doc;
  struct Case {
    const char* section;
    const char* key;
    const char* value;
  };
  const Case refused[] = {
      {"Global", "Path", "/a\n[Injected]\nK=v"},
      {"Global", "Path", "/a\r"},
      {"Glo]bal", "Path", "/a"},
      {"Global\n", "Path", "/a"},
      {"Global", "", "/a"},
      {"Global", "a=b", "/a"},
      {"Global", " lead", "/a"},
      {"Global", "[bracket", "/a"},
  };
  for (const Case& c : refused) EXPECT_FALSE(doc.set(c.section, c.key, c.value)) << c.key;
  EXPECT_EQ(doc, before);
}

TEST(IniClearSection, KeepsAnExistingHeaderAndIgnoresAMissingSection) {
  IniDocument doc = IniDocument::parse("[Startup Bank]\nFile=/x.fxb\n");
  EXPECT_TRUE(doc.clearSection("startup bank"));
  EXPECT_FALSE(doc.clearSection("startup bank"));
  EXPECT_FALSE(doc.clearSection("Nowhere"));
  EXPECT_EQ(doc.serialise(), "[Startup Bank]\n\n");
}

class IniFileTest : public ::testing::Test {
protected:
  void SetUp() override { ini::clearCache(); }
  TempFolder tmp;
  const std::string path = tmp / "halvora.ini";
};

TEST_F(IniFileTest, WriteCreatesTheFileThroughARenameAndReadsItBack) {
  ASSERT_TRUE(ini::writeString(path, "Editor", "Scale", "0.500000"));
  ASSERT_TRUE(ini::writeString(path, "Global", "Path to Program Files", "/home/u/presets"));
  EXPECT_EQ(readText(path),
            "[Editor]\nScale=0.500000\n\n[Global]\nPath to Program Files=/home/u/presets\n\n");
  EXPECT_FALSE(exists(tmp / ".halvora.ini.new"));
  std::string value;
  EXPECT_TRUE(ini::readString(path, "editor", "scale", "", 1024, value));
  EXPECT_EQ(value, "0.500000");
}

TEST_F(IniFileTest, MissingFilesReadAsDefaultsAndEmptyingNothingCreatesNothing) {
  std::string value;
  EXPECT_FALSE(ini::readString(path, "Editor", "Scale", "fallback", 64, value));
  EXPECT_EQ(value, "fallback");
  EXPECT_TRUE(ini::clearSection(path, "Startup Bank"));
  EXPECT_FALSE(exists(path));
}

TEST_F(IniFileTest, AnUnchangedValueDoesNotRewriteTheFile) {
  writeText(path, "; a comment kept only until the next rewrite\n[MIDI Global]\nMIDI Thru=true\n");
  const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), old, 0), 0);
  struct stat before {};
  stat(path.c_str(), &before);

  EXPECT_TRUE(ini::writeString(path, "midi global", "midi thru", "true"));
  EXPECT_TRUE(ini::clearSection(path, "Not There"));
  const ini::Edit sameAgain[] = {
      {ini::Edit::Kind::ClearSection, "MIDI Global", "", ""},
      {ini::Edit::Kind::Set, "MIDI Global", "MIDI Thru", "true"},
  };
  EXPECT_TRUE(ini::update(path, sameAgain));

  struct stat after {};
  stat(path.c_str(), &after);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mtim.tv_sec, 1000000000);
  EXPECT_EQ(readText(path).substr(0, 1), ";");
}

TEST_F(IniFileTest, ACachedFileIsReadAgainWhenItChangesOnDisk) {
  struct Change {
    const char* how;
    bool replaceByRename;
    bool keepTimestamp;
  };
  const Change changes[] = {
      {"rewritten in place, new time", false, false},
      {"replaced by rename, same size and time", true, true},
  };
  int generation = 0;
  for (const Change& change : changes) {
    const std::string before = "[S]\nK=v" + std::to_string(generation++) + "\n";
    const std::string after = "[S]\nK=v" + std::to_string(generation++) + "\n";
    writeText(path, before);
    const timespec fixed[2] = {{1500000000, 0}, {1500000000, 0}};
    utimensat(AT_FDCWD, path.c_str(), fixed, 0);
    std::string value;
    ASSERT_TRUE(ini::readString(path, "S", "K", "", 64, value));
    ASSERT_EQ(value, before.substr(6, 2));

    if (change.replaceByRename) {
      writeText(tmp / "other", after);
      utimensat(AT_FDCWD, (tmp / "other").c_str(), fixed, 0);
      ASSERT_EQ(rename((tmp / "other").c_str(), path.c_str()), 0);
    } else {
      writeText(path, after);
    }
    if (!change.keepTimestamp) {
      const timespec later[2] = {{1600000000, 0}, {1600000000, 0}};
      utimensat(AT_FDCWD, path.c_str(), later, 0);
    }
    ASSERT_TRUE(ini::readString(path, "S", "K", "", 64, value));
    EXPECT_EQ(value, after.substr(6, 2)) << change.how;
  }
}

TEST_F(IniFileTest, AWriteKeepsWhatAnotherProcessWroteSinceTheLastRead) {
  ASSERT_TRUE(ini::writeString(path, "Editor", "Scale", "1.000000"));
  writeText(path, "[Editor]\nScale=1.000000\n\n[Startup Bank]\nFile=/other/instance.fxb\n");
  ASSERT_TRUE(ini::writeString(path, "MIDI Global", "MIDI Thru", "true"));
  std::string value;
  ini::readString(path, "Startup Bank", "File", "", 1024, value);
  EXPECT_EQ(value, "/other/instance.fxb");
}

TEST_F(IniFileTest, AFailedOrRefusedWriteLeavesTheFileIntact) {
  const std::string original = "[Editor]\nScale=0.500000\n\n";
  writeText(path, original);
  const std::optional<bool> written = testing_support::runWithoutWriteAccess(
      tmp.path(), [&] { return ini::writeString(path, "Editor", "Scale", "2.000000"); });
  EXPECT_EQ(written, std::optional<bool>(false));
  EXPECT_EQ(readText(path), original);
  EXPECT_FALSE(exists(tmp / ".halvora.ini.new"));

  EXPECT_FALSE(ini::writeString(path, "Editor", "Scale", "1\n[Evil]"));
  EXPECT_FALSE(ini::writeString(tmp / "no/such/folder.ini", "Editor", "Scale", "1"));
  EXPECT_FALSE(ini::writeString("", "Editor", "Scale", "1"));
  EXPECT_EQ(readText(path), original);
}

TEST_F(IniFileTest, AnUpdateAppliesEveryEditInOneRewrite) {
  writeText(path, "[Startup Bank]\nFile=/old.fxb\nStray=1\n");
  const ini::Edit edits[] = {
      {ini::Edit::Kind::ClearSection, "Startup Bank", "", ""},
      {ini::Edit::Kind::Set, "Startup Bank", "File", "/new.fxb"},
      {ini::Edit::Kind::Set, "MIDI Global", "MIDI Thru", "false"},
  };
  ASSERT_TRUE(ini::update(path, edits));
  EXPECT_EQ(readText(path), "[MIDI Global]\nMIDI Thru=false\n\n[Startup Bank]\nFile=/new.fxb\n\n");
}

} // namespace
