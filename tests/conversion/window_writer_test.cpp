#include "conversion/window_writer.h"

#include <gtest/gtest.h>

#include "conversion_fixture_helpers.h"

namespace {

TEST(WindowWriter, GeometryFromTheWPosResource) {
  const struct {
    const char* name;
    std::string wpos;
    std::int32_t screen;
    const char *height, *x, *y, *width;
  } cases[] = {
      {"worked example", "30\t60\t700\t500", 900, "500", "30", "362", "700"},
      {"empty is no resource", "", 900, "480", "10", "392", "640"},
      {"default on another screen", "", 1200, "480", "10", "692", "640"},
      {"below the screen", "0\t400\t10\t500", 768, "500", "0", "-110", "10"},
      {"text fields kept, numbers parsed", "007\t060\t 700.5\t0500", 900, "500", "007", "362",
       " 700.5"},
      {"extra fields ignored", "1\t2\t3\t4\t5\t6", 900, "4", "1", "916", "3"},
      {"missing fields", "5", 900, "0", "5", "922", ""},
      {"32-bit wrap", "0\t-2147483648\t0\t0", 0, "0", "0", "-2147483626", "0"},
  };
  for (const auto& c : cases) {
    StringLineSink out;
    WriteWindow(WindowGeometryFromWPos(c.wpos, c.screen), out);
    EXPECT_EQ(out.text, WindowPlist(c.height, c.x, c.y, c.width)) << c.name;
  }
}

}  // namespace
