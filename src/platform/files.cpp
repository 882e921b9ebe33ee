#include "platform/files.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

namespace platform {

namespace {

constexpr mode_t kNewFileMode = 0666; // narrowed by the umask, as for any new file
constexpr int kUniqueNameAttempts = 100;

template <class Call>
auto retrying(Call call) {
  decltype(call()) result;
  do {
    result = call();
  } while (result < 0 && errno == EINTR);
  return result;
}

bool writeAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t written = retrying([&] { return ::write(fd, data.data(), data.size()); });
    if (written <= 0) return false;
    data.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

std::string folderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Saving through a symbolic link replaces the file it names and keeps the
// link, as an editor would.
std::string resolveTarget(const std::string& target) {
  struct stat info {};
  if (lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return target;
  char resolved[PATH_MAX];
  if (!realpath(target.c_str(), resolved)) return target;
  return resolved;
}

void syncFolder(const std::string& folder) {
  UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.valid()) ::fsync(dir.get());
}

// Opens a new temporary in folder: the given name (a leftover from a crash is
// overwritten) or a fresh unique one.
UniqueFd openTemporary(const std::string& folder, const std::string& targetName,
                       std::string_view tempName, std::string& tempPath) {
  constexpr int kFlags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW;
  if (!tempName.empty()) {
    tempPath = folder + "/" + std::string(tempName);
    return UniqueFd(
        retrying([&] { return ::open(tempPath.c_str(), kFlags | O_TRUNC, kNewFileMode); }));
  }
  static std::atomic<unsigned> serial{0};
  for (int attempt = 0; attempt < kUniqueNameAttempts; ++attempt) {
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".%ld.%u.tmp", static_cast<long>(getpid()),
                  serial.fetch_add(1));
    tempPath = folder + "/." + targetName + suffix;
    UniqueFd fd(retrying([&] { return ::open(tempPath.c_str(), kFlags | O_EXCL, kNewFileMode); }));
    if (fd.valid() || errno != EEXIST) return fd;
  }
  return UniqueFd();
}

} // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) reset(other.release());
  return *this;
}

int UniqueFd::release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

void UniqueFd::reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

FileLock::FileLock(int fd, Mode mode) {
  if (fd < 0) return;
  const int operation = mode == Mode::Shared ? LOCK_SH : LOCK_EX;
  if (retrying([&] { return ::flock(fd, operation); }) == 0) fd_ = fd;
}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    unlock();
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

void FileLock::unlock() {
  if (fd_ >= 0) ::flock(fd_, LOCK_UN);
  fd_ = -1;
}

bool folderExists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool fileExists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool createFolders(const std::string& path, mode_t mode) {
  if (path.empty()) return false;
  if (folderExists(path)) return true;
  const std::string parent = folderOf(path);
  if (parent != path && !createFolders(parent, mode)) return false;
  if (::mkdir(path.c_str(), mode) != 0) return errno == EEXIST && folderExists(path);
  // mkdir applies the umask; set the bits we were asked for on the folder we
  // made rather than clearing the umask for the whole host process.
  return ::chmod(path.c_str(), mode) == 0 || folderExists(path);
}

bool readAll(int fd, std::string& out, size_t maxBytes) {
  std::string data;
  char buffer[16384];
  for (;;) {
    const ssize_t got = retrying([&] { return ::read(fd, buffer, sizeof buffer); });
    if (got < 0) return false;
    if (got == 0) break;
    if (data.size() + static_cast<size_t>(got) > maxBytes) return false;
    data.append(buffer, static_cast<size_t>(got));
  }
  out = std::move(data);
  return true;
}

bool readFile(const std::string& path, std::string& out, size_t maxBytes) {
  UniqueFd fd(retrying([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC); }));
  if (!fd.valid()) return false;
  struct stat info {};
  if (fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  return readAll(fd.get(), out, maxBytes);
}

bool replaceFile(const std::string& requested, std::string_view contents,
                 std::string_view tempName) {
  if (requested.empty()) return false;
  const std::string target = resolveTarget(requested);
  const std::string folder = folderOf(target);
  std::string tempPath;
  UniqueFd fd = openTemporary(folder, nameOf(target), tempName, tempPath);
  if (!fd.valid()) return false;

  struct stat existing {};
  bool ok = true;
  if (stat(target.c_str(), &existing) == 0) {
    if (S_ISDIR(existing.st_mode))
      ok = false;
    else
      ok = ::fchmod(fd.get(), existing.st_mode & 07777) == 0;
  }
  ok = ok && writeAll(fd.get(), contents);
  ok = ok && ::fsync(fd.get()) == 0;
  ok = ::close(fd.release()) == 0 && ok;
  ok = ok && ::rename(tempPath.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(tempPath.c_str());
    return false;
  }
  syncFolder(folder);
  return true;
}

CreateResult createFile(const std::string& path, std::string_view contents) {
  UniqueFd fd(retrying([&] {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, kNewFileMode);
  }));
  if (!fd.valid()) return errno == EEXIST ? CreateResult::AlreadyExists : CreateResult::Failed;
  // Readers that lock wait until the content is complete.
  FileLock lock(fd.get(), FileLock::Mode::Exclusive);
  if (writeAll(fd.get(), contents) && ::fsync(fd.get()) == 0) return CreateResult::Created;
  lock.unlock();
  ::unlink(path.c_str());
  return CreateResult::Failed;
}

} // namespace platform
