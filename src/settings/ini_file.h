// The INI dialect of our settings files.
//
//   [Section]          a section starts at "[" and ends at the first "]"
//   Key=value          key: text before the first "=", as written; value:
//                      the rest, trailing blanks and line ends removed
//
// Names compare without regard to letter case. There are no comments: any
// other line is ignored, as is everything before the first section. A
// repeated section starts over. Writing rewrites the whole file, sections and
// keys sorted ignoring case, each section followed by a blank line; lines
// that were not keys are not kept.
//
// The file functions share one process-wide cache of parsed files (refreshed
// whenever a file changes on disk) and one mutex, and take flock locks so
// other processes see either the old or the new file.
#pragma once

#include <cstddef>
#include <map>
#include <span>
#include <string>
#include <string_view>

class IniDocument {
public:
  static IniDocument parse(std::string_view text);
  std::string serialise() const;

  bool hasSection(std::string_view section) const;
  // The value as stored in the file (trailing blanks removed), or null.
  const std::string* find(std::string_view section, std::string_view key) const;
  // The value a reader sees: blanks around it and one pair of enclosing
  // quotes removed, then cut to bufferSize - 1 bytes. A missing key gives
  // defaultValue unchanged.
  std::string get(std::string_view section, std::string_view key, std::string_view defaultValue,
                  size_t bufferSize) const;

  // Both return whether the content changed. set() creates the section when
  // needed and ignores names and values the writer refuses (see below);
  // clearSection() keeps an existing section's header.
  bool set(std::string_view section, std::string_view key, std::string_view value);
  bool clearSection(std::string_view section);

  bool operator==(const IniDocument&) const = default;

private:
  struct Entry {
    std::string name;
    std::string value;
    bool operator==(const Entry&) const = default;
  };
  struct Section {
    std::string name;
    std::map<std::string, Entry> entries; // by lower-case key
    bool operator==(const Section&) const = default;
  };
  std::map<std::string, Section> sections_; // by lower-case name
};

// The reader's view of a stored value: trimmed of blanks and tabs and
// stripped of one pair of enclosing double or single quotes.
std::string iniUnquote(std::string_view raw);

// What the writer accepts. Anything that would not read back as written -
// line breaks anywhere, "]" in a section name, "=" in a key, a key starting
// with a blank or "[" - is refused rather than written.
bool iniValidSection(std::string_view section);
bool iniValidKey(std::string_view key);
bool iniValidValue(std::string_view value);

namespace ini {

constexpr size_t kCachedFiles = 32;

struct Edit {
  enum class Kind { Set, ClearSection };
  Kind kind;
  std::string section;
  std::string key;
  std::string value;
};

// Reads the file at path (from the cache when unchanged on disk). False when
// it does not exist or cannot be read; out is then empty.
bool load(const std::string& path, IniDocument& out);

// Reads one key; out gets the value cut to bufferSize - 1 bytes, or the
// default when key, section or file is missing. Returns whether the file
// could be read.
bool readString(const std::string& path, std::string_view section, std::string_view key,
                std::string_view defaultValue, size_t bufferSize, std::string& out);

// Applies the edits in order and rewrites the file once, through
// "." + file name + ".new" and a rename, when the content changed. An
// unchanged content leaves the file untouched. Returns false, with the file
// intact, for a refused name or value or a failed write.
bool update(const std::string& path, std::span<const Edit> edits);
bool writeString(const std::string& path, std::string_view section, std::string_view key,
                 std::string_view value);
bool clearSection(const std::string& path, std::string_view section);

// Forgets every cached file (the next read goes to disk).
void clearCache();

} // namespace ini
