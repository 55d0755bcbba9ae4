#include "conversion/xml_text.h"

#include <gtest/gtest.h>

#include "strict_xml_helpers.h"

namespace {

const std::string kFFFD = "\xEF\xBF\xBD";

TEST(XmlText, EscapesMarkupAndReplacesWhatXmlCannotHold) {
  const struct {
    const char* name;
    std::string text;
    std::string escaped;
  } cases[] = {
      {"plain", "Osaka", "Osaka"},
      {"markup", "a&b<c>d", "a&amp;b&lt;c&gt;d"},
      {"already an entity", "&amp;", "&amp;amp;"},
      {"quotes stay", "\"'", "\"'"},
      {"tab, LF and CR stay", "\t\n\r", "\t\n\r"},
      {"japanese", "日本語", "日本語"},
      {"four-byte character", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
      {"control character", std::string("a\x01z"), "a" + kFFFD + "z"},
      {"NUL", std::string("a\0z", 3), "a" + kFFFD + "z"},
      {"Shift-JIS byte", "\x93", kFFFD},
      {"overlong", "\xC0\x80", kFFFD + kFFFD},
      {"cut sequence", "\xE6\x97", kFFFD + kFFFD},
      {"surrogate", "\xED\xA0\x80", kFFFD + kFFFD + kFFFD},
      {"U+FFFE", "\xEF\xBF\xBE", kFFFD},
  };
  for (const auto& c : cases) {
    const std::string escaped = XmlText(c.text);
    EXPECT_EQ(escaped, c.escaped) << c.name;
    EXPECT_EQ(XmlWellFormednessError("<string>" + escaped + "</string>"), std::nullopt) << c.name;
  }
}

}  // namespace
