// File services the settings and the program files rely on: folders created
// with explicit permissions, whole-file reads, atomic replacement and
// advisory locks. POSIX; failures are reported by return values and leave
// existing files as they were.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

constexpr mode_t kFolderMode = 0755;
// Larger files are refused when read whole: none of ours comes near it.
constexpr size_t kMaxReadBytes = 16 * 1024 * 1024;

// An owned file descriptor, closed on destruction.
class UniqueFd {
public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { reset(); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release();
  void reset(int fd = -1);

private:
  int fd_ = -1;
};

// An advisory whole-file lock (flock) held for the object's lifetime. Other
// processes that lock the same file see either the old or the new content.
class FileLock {
public:
  enum class Mode { Shared, Exclusive };

  FileLock() = default;
  // Blocks until the lock on fd is granted; locked() tells whether it was.
  // The descriptor stays owned by the caller and must outlive the lock.
  FileLock(int fd, Mode mode);
  FileLock(FileLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  FileLock& operator=(FileLock&& other) noexcept;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  ~FileLock() { unlock(); }

  bool locked() const { return fd_ >= 0; }
  void unlock();

private:
  int fd_ = -1;
};

// Creates path and any missing parents with exactly `mode` (the process
// umask is neither consulted nor changed). Folders that exist are left
// alone. True when path is a folder afterwards.
bool createFolders(const std::string& path, mode_t mode = kFolderMode);

bool fileExists(const std::string& path);   // a regular file (links followed)
bool folderExists(const std::string& path); // a folder (links followed)

// Reads the whole file (at most maxBytes) from an open descriptor or a path.
bool readAll(int fd, std::string& out, size_t maxBytes = kMaxReadBytes);
bool readFile(const std::string& path, std::string& out, size_t maxBytes = kMaxReadBytes);

// Replaces target with contents atomically: a temporary file in the same
// folder is written, flushed to disk and renamed over the target, so readers
// see the old or the new file, never a mix. The target keeps its permission
// bits; a symbolic link is followed and the file it names is replaced.
// tempName, when given, is the temporary's file name in that folder
// (otherwise a unique one is made). On any failure the temporary is removed,
// the target is untouched and false is returned.
bool replaceFile(const std::string& target, std::string_view contents,
                 std::string_view tempName = {});

enum class CreateResult { Created, AlreadyExists, Failed };

// Creates path with contents only if it does not exist yet; never replaces
// an existing file. The new file is exclusively locked while it is filled.
CreateResult createFile(const std::string& path, std::string_view contents);

} // namespace platform
