#include "conversion/col_attr_writer.h"

#include <gtest/gtest.h>

#include <climits>

#include "conversion_fixture_helpers.h"
#include "platform/errors.h"

namespace {

std::string Write(std::int32_t count, const std::vector<std::int32_t>& info,
                  const std::vector<std::string>& names, const std::vector<std::int32_t>& colours) {
  StringLineSink out;
  WriteColAttr(count, info, names, colours, out);
  return out.text;
}

// Values in key order: align auto bold blue green red italic kind numb uline width.
// A colour word is red high, blue low, split without masking.
TEST(ColAttrWriter, InfoWordBitFieldsAndColourWord) {
  const struct {
    std::int32_t info, colour;
    const char* values;
  } cases[] = {
      {0x678, 0xFF0000, "8 0 1 0 0 255 1 0 3 1 0"},
      {0x0180, 0xFFFFFF, "0 0 0 255 255 255 0 3 0 0 0"},
      {0x8000, 0x123456, "0 1 0 86 52 18 0 0 0 0 0"},
      {100 << 16, -1, "0 0 0 -1 0 0 0 0 0 0 100"},
      {0x7FFF0000, 16777216, "0 0 0 0 0 256 0 0 0 0 32767"},
      {INT_MIN, -70000, "0 0 0 -112 -17 -1 0 0 0 0 -32768"},
      {-1, INT_MIN, "15 1 1 0 0 -32768 1 3 63 1 -1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Write(1, {c.info}, {"n"}, {c.colour}),
              kPlistHead + ColumnDict(0, "n", c.values) + kPlistTail)
        << c.info;
  }
}

// Keys in column order, not sorted as text ("10" after "9").
TEST(ColAttrWriter, ColumnKeysRunInColumnOrder) {
  std::vector<std::string> names;
  std::string expected = kPlistHead;
  for (int i = 0; i < 11; ++i) {
    names.push_back("c" + std::to_string(i));
    expected += ColumnDict(i, names.back(), "0 0 0 0 0 0 0 0 0 0 0");
  }
  EXPECT_EQ(Write(11, std::vector<std::int32_t>(11), names, std::vector<std::int32_t>(11)),
            expected + kPlistTail);
}

TEST(ColAttrWriter, ListsShorterThanTheCountAreRefusedBeforeWriting) {
  StringLineSink out;
  EXPECT_THROW(WriteColAttr(2, {0, 0}, {"a"}, {0, 0}, out), OutOfBoundsException);
  EXPECT_EQ(out.text, "");
}

}  // namespace
