#include "host/utf16.h"

#include <gtest/gtest.h>

namespace {

using vst3host::copyUtf16;
using vst3host::toUtf16;
using vst3host::toUtf8;

TEST(Utf16, RoundTripsEveryPlaneOfText) {
  struct Case {
    const char* utf8;
    std::u16string utf16;
  };
  const Case cases[] = {
      {"", u""},
      {"Gain", u"Gain"},
      {"R\xC3\xA9sonance", u"R\u00e9sonance"},
      {"5 \xE2\x82\xAC", u"5 \u20ac"},
      {"\xF0\x9F\x8E\xB9", u"\U0001F3B9"}, // a surrogate pair
  };
  for (const Case& c : cases) {
    EXPECT_EQ(toUtf16(c.utf8), c.utf16) << c.utf8;
    EXPECT_EQ(toUtf8(c.utf16), c.utf8) << c.utf8;
  }
}

TEST(Utf16, MalformedInputBecomesReplacementCharacters) {
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(toUtf16("a\xFF"
                    "b"),
            u"a\ufffdb");
  EXPECT_EQ(toUtf16("\xC0\xAF"), u"\ufffd");     // overlong '/'
  EXPECT_EQ(toUtf16("\xED\xA0\x80"), u"\ufffd"); // encoded surrogate
  EXPECT_EQ(toUtf16("\xE2\x82"), u"\ufffd");     // cut short
  EXPECT_EQ(toUtf8(std::u16string(u"x") + char16_t(0xD800)), "x" + replacement);
}

TEST(Utf16, FixedFieldsAreTerminatedAndNeverSplitAPair) {
  char16_t field[4];
  copyUtf16("abcdef", field, 4);
  EXPECT_EQ(std::u16string(field), u"abc");
  copyUtf16("ab\xF0\x9F\x8E\xB9", field, 4); // the pair would need units 3 and 4
  EXPECT_EQ(std::u16string(field), u"ab");
  // Reading stops at the field's end when the plug-in left no terminator.
  const char16_t full[3] = {u'x', u'y', u'z'};
  EXPECT_EQ(toUtf8(full, 3), "xyz");
}

} // namespace
