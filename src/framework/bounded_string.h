// The heap string for names, paths and messages. Formatted set and append
// take the longest text the caller is prepared to keep, so a display field
// or a file name can never grow past what its consumer expects.
#pragma once

#include <cstdarg>
#include <string>

namespace qm {

class BoundedString {
public:
  BoundedString() = default;
  explicit BoundedString(const char* text) { Set(text); }

  // A null text counts as empty; maxLen < 0 means no limit.
  void Set(const char* text, int maxLen = -1);
  void Append(const char* text, int maxLen = -1);

  // At most maxLen characters of the formatted text are kept (set or added).
  void SetFormatted(int maxLen, const char* format, ...) __attribute__((format(printf, 3, 4)));
  void AppendFormatted(int maxLen, const char* format, ...) __attribute__((format(printf, 3, 4)));

  // Cuts the text to at most maxLen characters.
  void Truncate(int maxLen);
  void Clear() { text_.clear(); }

  const char* Get() const { return text_.c_str(); }
  int GetLength() const { return static_cast<int>(text_.size()); }
  bool Empty() const { return text_.empty(); }
  const std::string& Str() const { return text_; }

  bool operator==(const char* other) const { return text_ == (other ? other : ""); }

private:
  void appendFormattedV(int maxLen, const char* format, va_list args);

  std::string text_;
};

} // namespace qm
