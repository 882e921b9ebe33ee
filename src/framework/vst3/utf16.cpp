#include "framework/vst3/utf16.h"

#include <cstdint>

namespace qm::vst3 {

namespace {
constexpr char32_t kReplacement = 0xFFFD;

// Decodes one UTF-8 sequence at text[i], advancing i.
char32_t decodeUtf8(const unsigned char* text, int& i) {
  const unsigned char lead = text[i++];
  if (lead < 0x80) return lead;
  int extra = 0;
  char32_t cp = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    cp = lead & 0x07;
  } else {
    return kReplacement;
  }
  for (int k = 0; k < extra; ++k) {
    if ((text[i] & 0xC0) != 0x80) return kReplacement; // also stops at NUL
    cp = (cp << 6) | (text[i++] & 0x3F);
  }
  static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
  if (cp < kSmallest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kReplacement;
  return cp;
}
} // namespace

void copyToUtf16(const char* text, Steinberg::char16* field, int capacity) {
  if (!field || capacity <= 0) return;
  int out = 0;
  if (text) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    int i = 0;
    while (bytes[i] != 0) {
      const char32_t cp = decodeUtf8(bytes, i);
      if (cp >= 0x10000) {
        if (out + 2 > capacity - 1) break;
        const char32_t v = cp - 0x10000;
        field[out++] = static_cast<Steinberg::char16>(0xD800 + (v >> 10));
        field[out++] = static_cast<Steinberg::char16>(0xDC00 + (v & 0x3FF));
      } else {
        if (out + 1 > capacity - 1) break;
        field[out++] = static_cast<Steinberg::char16>(cp);
      }
    }
  }
  field[out] = 0;
}

void copyToUtf8(const Steinberg::char16* text, int maxUnits, char* out, int capacity) {
  if (!out || capacity <= 0) return;
  int n = 0;
  auto put = [&](char32_t cp) {
    char bytes[4];
    int len = 0;
    if (cp < 0x80) {
      bytes[len++] = static_cast<char>(cp);
    } else if (cp < 0x800) {
      bytes[len++] = static_cast<char>(0xC0 | (cp >> 6));
      bytes[len++] = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      bytes[len++] = static_cast<char>(0xE0 | (cp >> 12));
      bytes[len++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      bytes[len++] = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      bytes[len++] = static_cast<char>(0xF0 | (cp >> 18));
      bytes[len++] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      bytes[len++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      bytes[len++] = static_cast<char>(0x80 | (cp & 0x3F));
    }
    if (n + len > capacity - 1) return false;
    for (int k = 0; k < len; ++k) out[n++] = bytes[k];
    return true;
  };
  if (text) {
    for (int i = 0; i < maxUnits && text[i] != 0; ++i) {
      char32_t cp = static_cast<char16_t>(text[i]);
      if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < maxUnits && text[i + 1] >= 0xDC00 &&
          text[i + 1] <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<char16_t>(text[i + 1]) - 0xDC00);
        ++i;
      } else if (cp >= 0xD800 && cp <= 0xDFFF) {
        cp = kReplacement;
      }
      if (!put(cp)) break;
    }
  }
  out[n] = 0;
}

} // namespace qm::vst3
