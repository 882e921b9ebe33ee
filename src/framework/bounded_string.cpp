#include "framework/bounded_string.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace qm {

namespace {
std::size_t limitedLength(const char* text, int maxLen) {
  const std::size_t length = std::strlen(text);
  if (maxLen < 0) return length;
  return std::min(length, static_cast<std::size_t>(maxLen));
}
} // namespace

void BoundedString::Set(const char* text, int maxLen) {
  text_.clear();
  Append(text, maxLen);
}

void BoundedString::Append(const char* text, int maxLen) {
  if (!text) return;
  text_.append(text, limitedLength(text, maxLen));
}

void BoundedString::SetFormatted(int maxLen, const char* format, ...) {
  text_.clear();
  va_list args;
  va_start(args, format);
  appendFormattedV(maxLen, format, args);
  va_end(args);
}

void BoundedString::AppendFormatted(int maxLen, const char* format, ...) {
  va_list args;
  va_start(args, format);
  appendFormattedV(maxLen, format, args);
  va_end(args);
}

void BoundedString::Truncate(int maxLen) {
  if (maxLen >= 0 && text_.size() > static_cast<std::size_t>(maxLen)) text_.resize(maxLen);
}

void BoundedString::appendFormattedV(int maxLen, const char* format, va_list args) {
  if (!format || maxLen == 0) return;
  va_list measure;
  va_copy(measure, args);
  const int needed = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (needed <= 0) return;
  const int kept = maxLen < 0 ? needed : std::min(needed, maxLen);
  const std::size_t start = text_.size();
  // vsnprintf writes the terminating NUL too, so print the whole text into
  // room for it and cut back afterwards.
  text_.resize(start + static_cast<std::size_t>(needed) + 1);
  std::vsnprintf(text_.data() + start, static_cast<std::size_t>(needed) + 1, format, args);
  text_.resize(start + static_cast<std::size_t>(kept));
}

} // namespace qm
