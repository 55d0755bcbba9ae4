// The legacy string helpers that read numbers from documents.
#include "platform/string_helpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(StringHelpers, ValReadsTheLeadingDecimalNumber) {
  const double inf = std::numeric_limits<double>::infinity();
  const std::pair<const char*, double> rows[] = {
      {" \t-12abc", -12}, {"+3.5", 3.5},    {".5", 0.5},  {"5.", 5}, {"1E+2", 100}, {"25e-1", 2.5},
      {"1e", 1},          {"1e-x", 1},      {"e5", 0},    {"-", 0},  {"", 0},       {"0x1A", 0},
      {"1e400", inf},     {"-1e400", -inf}, {"1e-400", 0}};
  for (const auto& [text, value] : rows) EXPECT_EQ(Val(text), value) << text;
}

TEST(StringHelpers, DoubleToInt32TruncatesAndClamps) {
  const std::int32_t max = std::numeric_limits<std::int32_t>::max(), min = -max - 1;
  const std::pair<double, std::int32_t> rows[] = {
      {2.9, 2},   {-2.9, -2},  {2147483647.5, max}, {-2147483648.9, min},
      {3e9, max}, {-3e9, min}, {HUGE_VAL, max},     {std::nan(""), 0}};
  for (const auto& [value, truncated] : rows) EXPECT_EQ(DoubleToInt32(value), truncated) << value;
}

}  // namespace
