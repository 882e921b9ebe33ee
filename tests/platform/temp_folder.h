// Scratch folders and environment changes for tests that touch the file
// system; everything is undone on destruction.
#pragma once

#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>

namespace testing_support {

class TempFolder {
public:
  TempFolder() {
    char pattern[] = "/tmp/halvora-test-XXXXXX";
    if (mkdtemp(pattern)) path_ = pattern;
    // Readable by the unprivileged user of runWithoutWriteAccess().
    chmod(path_.c_str(), 0755);
  }
  ~TempFolder() {
    nftw(
        path_.c_str(),
        [](const char* p, const struct stat*, int type, FTW*) {
          if (type == FTW_D || type == FTW_DP) chmod(p, 0700);
          return ::remove(p);
        },
        16, FTW_DEPTH | FTW_PHYS);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
  std::string path_;
};

inline void writeText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

inline std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline bool exists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

// Sets (or, with nullopt, unsets) an environment variable for one scope.
class ScopedEnv {
public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = getenv(name)) old_ = old;
    if (value)
      setenv(name, value->c_str(), 1);
    else
      unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
  const char* name_;
  std::optional<std::string> old_;
};

// Runs action while folder cannot be written to and returns its result, or
// nullopt when that situation could not be set up. An ordinary user gets a
// read-only folder; root, whom permissions do not stop, runs the action in a
// child process as the unprivileged user "nobody".
inline std::optional<bool> runWithoutWriteAccess(const std::string& folder,
                                                 const std::function<bool()>& action) {
  if (geteuid() != 0) {
    struct stat info {};
    stat(folder.c_str(), &info);
    chmod(folder.c_str(), 0555);
    const bool result = action();
    chmod(folder.c_str(), info.st_mode & 07777);
    return result;
  }
  constexpr uid_t kNobody = 65534;
  constexpr int kSetUpFailed = 2;
  const pid_t child = fork();
  if (child < 0) return std::nullopt;
  if (child == 0) {
    if (setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(kSetUpFailed);
    _exit(action() ? 0 : 1);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return std::nullopt;
  if (WEXITSTATUS(status) == kSetUpFailed) return std::nullopt;
  return WEXITSTATUS(status) == 0;
}

} // namespace testing_support
