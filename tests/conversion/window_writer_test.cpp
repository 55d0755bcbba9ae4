#include "conversion/window_writer.h"

#include <gtest/gtest.h>

#include "plist_lines_helpers.h"
#include "strict_xml_helpers.h"

namespace {

std::string Write(const WindowGeometry& geometry) {
  StringLineSink out;
  WriteWindow(geometry, out);
  return out.text;
}

TEST(WindowWriter, GeometryFromTheWPosResource) {
  const struct {
    const char* name;
    std::string wpos;
    std::int32_t screen;
    const char *x, *y, *width, *height;
  } cases[] = {
      {"worked example", "30\t60\t700\t500", 900, "30", "362", "700", "500"},
      {"empty is no resource", "", 900, "10", "392", "640", "480"},
      {"default on another screen", "", 1200, "10", "692", "640", "480"},
      {"below the screen", "0\t400\t10\t500", 768, "0", "-110", "10", "500"},
      {"text fields kept, numbers parsed", "007\t060\t 700.5\t0500", 900, "007", "362", " 700.5",
       "500"},
      {"extra fields ignored", "1\t2\t3\t4\t5\t6", 900, "1", "916", "3", "4"},
      {"missing fields", "5", 900, "5", "922", "", "0"},
      {"32-bit wrap", "0\t-2147483648\t0\t0", 0, "0", "-2147483626", "0", "0"},
  };
  for (const auto& c : cases) {
    const std::string text = Write(WindowGeometryFromWPos(c.wpos, c.screen));
    const auto real = [](const char* v) { return std::string("<real>") + v + "</real>"; };
    EXPECT_EQ(ValueLineAfter(text, "winPosX"), real(c.x)) << c.name;
    EXPECT_EQ(ValueLineAfter(text, "winPosY"), real(c.y)) << c.name;
    EXPECT_EQ(ValueLineAfter(text, "winWidth"), real(c.width)) << c.name;
    EXPECT_EQ(ValueLineAfter(text, "winHeight"), real(c.height)) << c.name;
    EXPECT_EQ(Lines(text).size(), 24u) << c.name;
  }
}

TEST(WindowWriter, TextFieldsAreEscapedSoTheListStaysXml) {
  const std::string text = Write(WindowGeometryFromWPos("<1>\t0\t&2\t0", 900));
  EXPECT_EQ(ValueLineAfter(text, "winPosX"), "<real>&lt;1&gt;</real>");
  EXPECT_EQ(ValueLineAfter(text, "winWidth"), "<real>&amp;2</real>");
  EXPECT_EQ(XmlWellFormednessError(text), std::nullopt);
}

}  // namespace
