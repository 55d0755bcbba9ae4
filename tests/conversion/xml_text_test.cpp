#include "conversion/xml_text.h"

#include <gtest/gtest.h>

#include "strict_xml_helpers.h"

namespace {

TEST(XmlText, EscapesMarkupAndReplacesWhatXmlCannotHold) {
  const std::string fffd = "\xEF\xBF\xBD";
  const struct {
    const char* name;
    std::string text;
    std::string escaped;
  } cases[] = {
      {"markup", "a&b<c>d", "a&amp;b&lt;c&gt;d"},
      {"already an entity", "&amp;", "&amp;amp;"},
      {"quotes stay", "\"'", "\"'"},
      {"tab, LF and CR stay", "\t\n\r", "\t\n\r"},
      {"japanese", "日本語", "日本語"},
      {"four-byte character", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
      {"control character", "a\x01z", "a" + fffd + "z"},
      {"NUL", std::string("a\0z", 3), "a" + fffd + "z"},
      {"Shift-JIS byte", "\x93", fffd},
      {"overlong", "\xC0\x80", fffd + fffd},
      {"cut sequence", "\xE6\x97", fffd + fffd},
      {"surrogate", "\xED\xA0\x80", fffd + fffd + fffd},
      {"U+FFFE", "\xEF\xBF\xBE", fffd},
  };
  for (const auto& c : cases) {
    const std::string escaped = XmlText(c.text);
    EXPECT_EQ(escaped, c.escaped) << c.name;
    EXPECT_EQ(XmlWellFormednessError("<string>" + escaped + "</string>"), std::nullopt) << c.name;
  }
}

}  // namespace
