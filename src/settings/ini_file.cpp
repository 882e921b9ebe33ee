#include "settings/ini_file.h"

#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <mutex>
#include <vector>

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kLineEndBlanks = " \t\r\n";
// A writer that keeps finding its file replaced under it gives up after this.
constexpr int kLockAttempts = 8;

std::string lowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

std::string_view trimEnd(std::string_view text, std::string_view blanks) {
  const auto last = text.find_last_not_of(blanks);
  return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

std::string_view trimStart(std::string_view text, std::string_view blanks) {
  const auto first = text.find_first_not_of(blanks);
  return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

bool hasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

} // namespace

IniDocument IniDocument::parse(std::string_view text) {
  IniDocument doc;
  Section* current = nullptr;
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);

    line = trimStart(line, kBlanks);
    if (!line.empty() && line.front() == '[') {
      const auto close = line.find(']');
      if (close == std::string_view::npos) continue;
      const std::string_view name = line.substr(1, close - 1);
      Section& section = doc.sections_[lowerCase(name)];
      section.name = std::string(name);
      section.entries.clear(); // a repeated section replaces what came before
      current = &section;
      continue;
    }
    if (!current) continue;
    const auto equals = line.find('=');
    if (equals == std::string_view::npos || equals == 0) continue;
    const std::string_view key = line.substr(0, equals);
    const std::string_view value = trimEnd(line.substr(equals + 1), kLineEndBlanks);
    current->entries[lowerCase(key)] = Entry{std::string(key), std::string(value)};
  }
  return doc;
}

std::string IniDocument::serialise() const {
  std::string text;
  for (const auto& [lower, section] : sections_) {
    text += '[';
    text += section.name;
    text += "]\n";
    for (const auto& [lowerKey, entry] : section.entries) {
      text += entry.name;
      text += '=';
      text += entry.value;
      text += '\n';
    }
    text += '\n';
  }
  return text;
}

bool IniDocument::hasSection(std::string_view section) const {
  return sections_.count(lowerCase(section)) != 0;
}

const std::string* IniDocument::find(std::string_view section, std::string_view key) const {
  const auto s = sections_.find(lowerCase(section));
  if (s == sections_.end()) return nullptr;
  const auto e = s->second.entries.find(lowerCase(key));
  return e == s->second.entries.end() ? nullptr : &e->second.value;
}

std::string IniDocument::get(std::string_view section, std::string_view key,
                             std::string_view defaultValue, size_t bufferSize) const {
  const std::string* raw = find(section, key);
  if (!raw) return std::string(defaultValue);
  std::string value = iniUnquote(*raw);
  const size_t limit = bufferSize == 0 ? 0 : bufferSize - 1;
  if (value.size() > limit) value.resize(limit);
  return value;
}

bool IniDocument::set(std::string_view sectionName, std::string_view key, std::string_view value) {
  if (!iniValidSection(sectionName) || !iniValidKey(key) || !iniValidValue(value)) return false;
  // Stored as a later read of the file would see it.
  const std::string_view stored = trimEnd(value, kBlanks);
  Section& section = sections_[lowerCase(sectionName)];
  if (section.name.empty()) section.name = std::string(sectionName);
  Entry& entry = section.entries[lowerCase(key)];
  if (!entry.name.empty() && entry.value == stored) return false;
  if (entry.name.empty()) entry.name = std::string(key);
  entry.value = std::string(stored);
  return true;
}

bool IniDocument::clearSection(std::string_view sectionName) {
  const auto s = sections_.find(lowerCase(sectionName));
  if (s == sections_.end() || s->second.entries.empty()) return false;
  s->second.entries.clear();
  return true;
}

std::string iniUnquote(std::string_view raw) {
  std::string_view value = trimEnd(trimStart(raw, kBlanks), kBlanks);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return std::string(value);
}

bool iniValidSection(std::string_view section) {
  return section.find(']') == std::string_view::npos && !hasLineBreak(section);
}

bool iniValidKey(std::string_view key) {
  return !key.empty() && key.front() != ' ' && key.front() != '\t' && key.front() != '[' &&
         key.find('=') == std::string_view::npos && !hasLineBreak(key);
}

bool iniValidValue(std::string_view value) {
  return !hasLineBreak(value);
}

namespace ini {

namespace {

// What tells us a file changed since we parsed it. The inode catches a
// replacement by rename even within one timestamp tick.
struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};
  timespec changed{};

  static FileStamp of(const struct stat& info) {
    return {info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
  }
  bool operator==(const FileStamp& o) const {
    return device == o.device && inode == o.inode && size == o.size &&
           modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
           changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
  }
};

struct CachedFile {
  std::string path;
  FileStamp stamp;
  IniDocument doc;
  uint64_t lastUse = 0;
};

class Cache {
public:
  const IniDocument* find(const std::string& path, const FileStamp& stamp) {
    for (CachedFile& file : files_) {
      if (file.path != path) continue;
      if (!(file.stamp == stamp)) return nullptr;
      file.lastUse = ++clock_;
      return &file.doc;
    }
    return nullptr;
  }

  const IniDocument& store(const std::string& path, const FileStamp& stamp, IniDocument doc) {
    CachedFile* slot = nullptr;
    for (CachedFile& file : files_)
      if (file.path == path) slot = &file;
    if (!slot && files_.size() < kCachedFiles) slot = &files_.emplace_back();
    if (!slot) {
      slot = &files_.front();
      for (CachedFile& file : files_)
        if (file.lastUse < slot->lastUse) slot = &file;
    }
    *slot = CachedFile{path, stamp, std::move(doc), ++clock_};
    return slot->doc;
  }

  void forget(const std::string& path) {
    std::erase_if(files_, [&](const CachedFile& file) { return file.path == path; });
  }

  void clear() { files_.clear(); }

private:
  std::vector<CachedFile> files_;
  uint64_t clock_ = 0;
};

std::mutex& iniMutex() {
  static std::mutex mutex;
  return mutex;
}

Cache& cache() {
  static Cache instance;
  return instance;
}

// Parses the open file, or takes the cached copy when it is unchanged.
// Called with the mutex held and the file locked.
bool readLocked(const std::string& path, int fd, IniDocument& out) {
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return false;
  const FileStamp stamp = FileStamp::of(info);
  if (const IniDocument* cached = cache().find(path, stamp)) {
    out = *cached;
    return true;
  }
  std::string text;
  if (!platform::readAll(fd, text)) {
    cache().forget(path);
    return false;
  }
  out = cache().store(path, stamp, IniDocument::parse(text));
  return true;
}

bool editsValid(std::span<const Edit> edits) {
  for (const Edit& edit : edits) {
    if (!iniValidSection(edit.section)) return false;
    if (edit.kind == Edit::Kind::Set && (!iniValidKey(edit.key) || !iniValidValue(edit.value)))
      return false;
  }
  return true;
}

// Whether the edits leave different content: emptying a section and writing
// back the same keys changes nothing.
bool apply(IniDocument& doc, std::span<const Edit> edits) {
  const IniDocument before = doc;
  for (const Edit& edit : edits) {
    if (edit.kind == Edit::Kind::Set)
      doc.set(edit.section, edit.key, edit.value);
    else
      doc.clearSection(edit.section);
  }
  return !(doc == before);
}

std::string temporaryName(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return "." + (slash == std::string::npos ? path : path.substr(slash + 1)) + ".new";
}

int openForRead(const std::string& path, int extraFlags = 0) {
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | extraFlags, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

} // namespace

bool load(const std::string& path, IniDocument& out) {
  out = IniDocument();
  std::lock_guard<std::mutex> guard(iniMutex());
  platform::UniqueFd fd(openForRead(path));
  if (!fd.valid()) return false;
  platform::FileLock lock(fd.get(), platform::FileLock::Mode::Shared);
  if (!lock.locked()) return false;
  if (readLocked(path, fd.get(), out)) return true;
  out = IniDocument();
  return false;
}

bool readString(const std::string& path, std::string_view section, std::string_view key,
                std::string_view defaultValue, size_t bufferSize, std::string& out) {
  IniDocument doc;
  const bool found = load(path, doc);
  out = doc.get(section, key, defaultValue, bufferSize);
  return found;
}

bool update(const std::string& path, std::span<const Edit> edits) {
  if (path.empty() || !editsValid(edits)) return false;
  std::lock_guard<std::mutex> guard(iniMutex());
  for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
    platform::UniqueFd fd(openForRead(path));
    if (!fd.valid()) {
      if (errno != ENOENT) return false;
      // Nothing to write into a file that is not there: do not create it.
      IniDocument empty;
      if (!apply(empty, edits)) return true;
      fd.reset(openForRead(path, O_CREAT));
      if (!fd.valid()) return false;
    }
    platform::FileLock lock(fd.get(), platform::FileLock::Mode::Exclusive);
    if (!lock.locked()) return false;
    // Another process may have renamed a new file into place while we
    // waited; its lock then protects nothing, so start over on the new one.
    struct stat held {
    }, named{};
    if (fstat(fd.get(), &held) != 0) return false;
    if (stat(path.c_str(), &named) != 0 || held.st_dev != named.st_dev ||
        held.st_ino != named.st_ino)
      continue;

    IniDocument doc;
    if (!readLocked(path, fd.get(), doc)) return false;
    if (!apply(doc, edits)) return true;
    if (!platform::replaceFile(path, doc.serialise(), temporaryName(path))) return false;
    struct stat written {};
    if (stat(path.c_str(), &written) == 0)
      cache().store(path, FileStamp::of(written), std::move(doc));
    else
      cache().forget(path);
    return true;
  }
  return false;
}

bool writeString(const std::string& path, std::string_view section, std::string_view key,
                 std::string_view value) {
  const Edit edit{Edit::Kind::Set, std::string(section), std::string(key), std::string(value)};
  return update(path, std::span(&edit, 1));
}

bool clearSection(const std::string& path, std::string_view section) {
  const Edit edit{Edit::Kind::ClearSection, std::string(section), {}, {}};
  return update(path, std::span(&edit, 1));
}

void clearCache() {
  std::lock_guard<std::mutex> guard(iniMutex());
  cache().clear();
}

} // namespace ini
