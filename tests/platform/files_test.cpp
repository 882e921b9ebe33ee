#include "platform/files.h"

#include "platform/temp_folder.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

using testing_support::exists;
using testing_support::readText;
using testing_support::TempFolder;
using testing_support::writeText;

mode_t modeOf(const std::string& path) {
  struct stat info {};
  stat(path.c_str(), &info);
  return info.st_mode & 07777;
}

std::vector<std::string> entries(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (const dirent* e = readdir(dir))
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
        names.push_back(e->d_name);
    closedir(dir);
  }
  return names;
}

TEST(CreateFolders, MakesEveryMissingParentWith0755AndLeavesTheUmaskAlone) {
  TempFolder tmp;
  const mode_t previous = umask(077);
  const std::string leaf = tmp / "a/b/c";
  const bool created = platform::createFolders(leaf);
  const mode_t during = umask(previous);
  ASSERT_TRUE(created);
  EXPECT_EQ(during, 077u);
  for (const char* folder : {"a", "a/b", "a/b/c"}) EXPECT_EQ(modeOf(tmp / folder), 0755u) << folder;
}

TEST(CreateFolders, LeavesExistingFoldersAsTheyAreAndFailsOnAFileInTheWay) {
  TempFolder tmp;
  ASSERT_EQ(mkdir((tmp / "private").c_str(), 0700), 0);
  EXPECT_TRUE(platform::createFolders(tmp / "private"));
  EXPECT_EQ(modeOf(tmp / "private"), 0700u);

  writeText(tmp / "file", "x");
  EXPECT_FALSE(platform::createFolders(tmp / "file"));
  EXPECT_FALSE(platform::createFolders(tmp / "file/below"));
  EXPECT_FALSE(platform::createFolders(""));
}

TEST(ReplaceFile, WritesTheNewContentKeepsThePermissionsAndLeavesNoTemporary) {
  TempFolder tmp;
  const std::string target = tmp / "bank.fxb";
  writeText(target, "old content");
  chmod(target.c_str(), 0600);
  ASSERT_TRUE(platform::replaceFile(target, "new"));
  EXPECT_EQ(readText(target), "new");
  EXPECT_EQ(modeOf(target), 0600u);
  EXPECT_EQ(entries(tmp.path()), std::vector<std::string>{"bank.fxb"});

  ASSERT_TRUE(platform::replaceFile(tmp / "fresh.fxp", std::string(100000, 'z'), ".fresh.new"));
  EXPECT_EQ(readText(tmp / "fresh.fxp"), std::string(100000, 'z'));
  EXPECT_FALSE(exists(tmp / ".fresh.new"));
}

TEST(ReplaceFile, ThroughASymbolicLinkReplacesTheLinkedFileAndKeepsTheLink) {
  TempFolder tmp;
  ASSERT_TRUE(platform::createFolders(tmp / "dotfiles"));
  writeText(tmp / "dotfiles/real.ini", "old");
  ASSERT_EQ(symlink((tmp / "dotfiles/real.ini").c_str(), (tmp / "link.ini").c_str()), 0);
  ASSERT_TRUE(platform::replaceFile(tmp / "link.ini", "new"));
  struct stat info {};
  ASSERT_EQ(lstat((tmp / "link.ini").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(readText(tmp / "dotfiles/real.ini"), "new");
}

TEST(ReplaceFile, AnyFailureLeavesTheTargetIntactAndRemovesTheTemporary) {
  TempFolder tmp;
  const std::string target = tmp / "settings.ini";
  writeText(target, "precious");

  // The temporary cannot be created: its name is taken by a folder.
  ASSERT_EQ(mkdir((tmp / ".settings.ini.new").c_str(), 0755), 0);
  EXPECT_FALSE(platform::replaceFile(target, "lost", ".settings.ini.new"));
  EXPECT_EQ(readText(target), "precious");
  rmdir((tmp / ".settings.ini.new").c_str());

  // The rename cannot happen: the target is a folder.
  ASSERT_EQ(mkdir((tmp / "folder").c_str(), 0755), 0);
  EXPECT_FALSE(platform::replaceFile(tmp / "folder", "lost"));

  // The folder does not exist.
  EXPECT_FALSE(platform::replaceFile(tmp / "missing/x.ini", "lost"));

  // The folder is read-only.
  EXPECT_EQ(testing_support::runWithoutWriteAccess(
                tmp.path(), [&] { return platform::replaceFile(target, "lost"); }),
            std::optional<bool>(false));

  EXPECT_EQ(readText(target), "precious");
  auto names = entries(tmp.path());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"folder", "settings.ini"}));
}

TEST(CreateFile, CreatesOnlyWhenMissingAndNeverReplaces) {
  TempFolder tmp;
  const std::string path = tmp / "halvora.ini";
  EXPECT_EQ(platform::createFile(path, "[Editor]\n"), platform::CreateResult::Created);
  EXPECT_EQ(platform::createFile(path, "other"), platform::CreateResult::AlreadyExists);
  EXPECT_EQ(readText(path), "[Editor]\n");
  EXPECT_EQ(platform::createFile(tmp / "missing/halvora.ini", ""), platform::CreateResult::Failed);
}

TEST(FileLock, ExclusiveExcludesEveryOtherLockAndSharedOnlyExclusive) {
  TempFolder tmp;
  const std::string path = tmp / "locked";
  writeText(path, "");
  platform::UniqueFd mine(open(path.c_str(), O_RDONLY));
  platform::UniqueFd other(open(path.c_str(), O_RDONLY));
  const auto otherCan = [&](int operation) {
    const bool granted = flock(other.get(), operation | LOCK_NB) == 0;
    if (granted) flock(other.get(), LOCK_UN);
    return granted;
  };
  {
    platform::FileLock lock(mine.get(), platform::FileLock::Mode::Exclusive);
    ASSERT_TRUE(lock.locked());
    EXPECT_FALSE(otherCan(LOCK_SH));
    EXPECT_FALSE(otherCan(LOCK_EX));
  }
  EXPECT_TRUE(otherCan(LOCK_EX));
  {
    platform::FileLock lock(mine.get(), platform::FileLock::Mode::Shared);
    ASSERT_TRUE(lock.locked());
    EXPECT_TRUE(otherCan(LOCK_SH));
    EXPECT_FALSE(otherCan(LOCK_EX));
    platform::FileLock moved = std::move(lock);
    EXPECT_FALSE(lock.locked());
    EXPECT_FALSE(otherCan(LOCK_EX));
  }
  EXPECT_TRUE(otherCan(LOCK_EX));
  EXPECT_FALSE(platform::FileLock(-1, platform::FileLock::Mode::Shared).locked());
}

TEST(ReadFile, ReadsWholeFilesAndRefusesFoldersMissingAndOversizedFiles) {
  TempFolder tmp;
  std::string text;
  writeText(tmp / "a", std::string(40000, 'q'));
  ASSERT_TRUE(platform::readFile(tmp / "a", text));
  EXPECT_EQ(text, std::string(40000, 'q'));
  EXPECT_FALSE(platform::readFile(tmp / "a", text, 39999));
  EXPECT_FALSE(platform::readFile(tmp / "missing", text));
  EXPECT_FALSE(platform::readFile(tmp.path(), text));
}

} // namespace
