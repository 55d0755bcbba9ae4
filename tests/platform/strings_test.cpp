#include "platform/strings.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

#include "platform/errors.h"

namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

TEST(NthField, SplitsFromOneAndGivesEmptyPastTheLast) {
  const struct {
    const char *text, *separator;
    std::int32_t n;
    const char* field;
  } cases[] = {
      // clang-format off
      {"TavrinList:1:x", ":", 1, "TavrinList"}, {"TavrinList:1:x", ":", 3, "x"},
      {"TavrinList:1:x", ":", 4, ""},           {"TavrinList:1:x", ":", 0, ""},
      {"TavrinList:1:x", ":", -3, ""},          {"a::b", ":", 2, ""},
      {"a::b", ":", 3, "b"},                    {":a", ":", 1, ""},
      {"a:", ":", 2, ""},                       {"a:", ":", 3, ""},
      {"", ":", 1, ""},                         {"no separator", ":", 1, "no separator"},
      {"no separator", ":", 2, ""},             {"a<>b<>c", "<>", 3, "c"},
      {"a<<>b", "<>", 1, "a<"},                 {"whole", "", 1, "whole"},
      {"whole", "", 2, ""},
      // clang-format on
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
      // clang-format off
      {"", 0},        {"abc", 0},          {"42", 42},          {"-5", -5},
      {"+7", 7},      {"  \t\r\n12", 12},   {"12abc", 12},       {"3.75", 3.75},
      {"-0.5", -0.5}, {".5", 0.5},         {"5.", 5},           {".", 0},
      {"-", 0},       {"+-3", 0},          {"1e3", 1000},       {"2E-2", 0.02},
      {"1e", 1},      {"1e+", 1},          {"1e-x", 1},         {"0x1F", 0},
      {"inf", 0},     {"nan", 0},          {"- 3", 0},          {"1,5", 1},
      {"1e999", HUGE_VAL}, {"-1e999", -HUGE_VAL}, {"1e-999", 0}, {"0.000e99999", 0},
      {"123456789012345678901234567890", 1.2345678901234568e29}, {{'9', '\0', '9'}, 9},
      // clang-format on
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(Val(c.text), c.value) << '"' << c.text << '"';
}

TEST(Val, IgnoresTheProcessLocale) {
  // A locale whose decimal mark is a comma must not change how "3.5" reads.
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8")) {
    GTEST_SKIP() << "no locale with a decimal comma is installed";
  }
  EXPECT_EQ(Val("3.5"), 3.5);
  EXPECT_EQ(Val("3,5"), 3);
  std::setlocale(LC_NUMERIC, "C");
}

TEST(StrAndChr, WritePlainDecimalAndOneByte) {
  EXPECT_EQ(Str(0), "0");
  EXPECT_EQ(Str(-5), "-5");
  EXPECT_EQ(Str(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
  EXPECT_EQ(Str(std::numeric_limits<std::int64_t>::max()), "9223372036854775807");
  EXPECT_EQ(Chr(0), std::string(1, '\0'));
  EXPECT_EQ(Chr(255), "\xFF");
  EXPECT_THROW(Chr(256), OutOfBoundsException);
  EXPECT_THROW(Chr(-1), OutOfBoundsException);
}

TEST(InStrB, GivesTheBytePositionFromOne) {
  const struct {
    const char *text, *find;
    std::int32_t start, position;
  } cases[] = {
      // clang-format off
      {"abcabc", "c", 1, 3},  {"abcabc", "c", 4, 6},  {"abcabc", "c", 7, 0},
      {"abcabc", "x", 1, 0},  {"abcabc", "", 1, 0},   {"abcabc", "a", 0, 1},
      {"abcabc", "a", -9, 1}, {"", "a", 1, 0},        {"abc", "abcd", 1, 0},
      {"\xE6\x97\xA5:1", ":", 1, 4},
      // clang-format on
  };
  for (const auto& c : cases) {
    EXPECT_EQ(InStrB(c.text, c.find, c.start), c.position)
        << '"' << c.text << "\" find \"" << c.find << "\" from " << c.start;
  }
}

TEST(DoubleToInt32, TruncatesTowardZeroAndSaturates) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double value;
    std::int32_t result;
  } cases[] = {
      // clang-format off
      {0.0, 0},       {1.9, 1},       {-1.9, -1},       {-0.5, 0},
      {2147483646.9, 2147483646},     {2147483647.0, kMax},   {2147483648.0, kMax},
      {-2147483648.0, kMin},          {-2147483648.9, kMin},  {-2147483649.0, kMin},
      {1e300, kMax},  {inf, kMax},    {-inf, kMin},     {std::nan(""), 0},
      // clang-format on
  };
  for (const auto& c : cases) EXPECT_EQ(DoubleToInt32(c.value), c.result) << c.value;
}

}  // namespace
