#include "platform/strings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/errors.h"

namespace {
TEST(NthField, SplitsFromOneAndGivesEmptyPastTheLast) {
  const struct {
    const char *text, *separator;
    std::int32_t n;
    const char* field;
  } cases[] = {
      {"TavrinList:1:x", ":", 1, "TavrinList"},
      {"TavrinList:1:x", ":", 3, "x"},
      {"T:1:x", ":", 4, ""},
      {"T:1:x", ":", 0, ""},
      {"a:b", ":", -3, ""},
      {"a::b", ":", 2, ""},
      {"a::b", ":", 3, "b"},
      {"a:", ":", 3, ""},
      {"", ":", 1, ""},
      {"no separator", ":", 2, ""},
      {"a<<>b", "<>", 1, "a<"},
      {"whole", "", 1, "whole"},
      {"whole", "", 2, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NthField(c.text, c.separator, c.n), c.field)
        << '"' << c.text << "\" / \"" << c.separator << "\" #" << c.n;
  }
}

TEST(Val, ReadsTheLeadingDecimalNumber) {
  const struct {
    std::string text;
    double value;
  } cases[] = {
      {"", 0},
      {"abc", 0},
      {"-5", -5},
      {"+7", 7},
      {"  \t\r\n12", 12},
      {"12abc", 12},
      {".", 0},
      {"-0.5", -0.5},
      {".5", 0.5},
      {"+-3", 0},
      {"2E-2", 0.02},
      {"1e+", 1},
      {"0x1F", 0},
      {"inf", 0},
      {"nan", 0},
      {"1,5", 1},
      {"1e999", HUGE_VAL},
      {"-1e999", -HUGE_VAL},
      {"1e-999", 0},
      {"0.000e99999", 0},
      {{'9', '\0', '9'}, 9},
      {"123456789012345678901234567890", 1.2345678901234568e29},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(Val(c.text), c.value) << '"' << c.text << '"';
}

TEST(StrAndChr, WritePlainDecimalAndOneByte) {
  EXPECT_EQ(Str(-5), "-5");
  EXPECT_EQ(Str(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
  EXPECT_EQ(Chr(255), "\xFF");
  EXPECT_THROW(Chr(256), OutOfBoundsException);
  EXPECT_THROW(Chr(-1), OutOfBoundsException);
}

TEST(InStrB, GivesTheBytePositionFromOne) {
  const struct {
    const char *text, *find;
    std::int32_t start, position;
  } cases[] = {
      {"abcabc", "c", 1, 3},         {"abcabc", "c", 4, 6},  {"abcabc", "c", 7, 0},
      {"abcabc", "", 1, 0},          {"abcabc", "a", -9, 1}, {"abc", "abcd", 1, 0},
      {"\xE6\x97\xA5:1", ":", 1, 4},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(InStrB(c.text, c.find, c.start), c.position)
        << '"' << c.text << "\" find \"" << c.find << "\" from " << c.start;
  }
}

TEST(DoubleToInt32, TruncatesTowardZeroAndSaturates) {
  const std::int32_t min = std::numeric_limits<std::int32_t>::min(), max = -(min + 1);
  const double inf = std::numeric_limits<double>::infinity();
  const std::pair<double, std::int32_t> cases[] = {
      {1.9, 1},     {-1.9, -1},           {2147483646.9, 2147483646}, {2147483648.0, max},
      {1e300, max}, {-2147483648.9, min}, {-2147483649.0, min},       {inf, max},
      {-inf, min},  {std::nan(""), 0},
  };
  for (const auto& [value, result] : cases) EXPECT_EQ(DoubleToInt32(value), result) << value;
}
}  // namespace
