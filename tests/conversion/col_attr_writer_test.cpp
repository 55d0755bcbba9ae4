#include "conversion/col_attr_writer.h"

#include <gtest/gtest.h>

#include "platform/errors.h"
#include "plist_lines_helpers.h"
#include "strict_xml_helpers.h"

namespace {

const std::string kHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n<dict>\n";
const std::string kTail = "</dict>\n</plist>\n";

struct Columns {
  std::vector<std::int32_t> info;
  std::vector<std::string> names;
  std::vector<std::int32_t> colours;
};

std::string Write(std::int32_t count, const Columns& c) {
  StringLineSink out;
  WriteColAttr(count, c.info, c.names, c.colours, out);
  return out.text;
}

TEST(ColAttrWriter, NoColumnsGivesTheSixFramingLines) {
  for (std::int32_t count : {0, -1, -2147483647 - 1}) {
    EXPECT_EQ(Write(count, {}), kHead + kTail) << count;
  }
}

TEST(ColAttrWriter, ColumnKeysRunInColumnOrder) {
  Columns c;
  for (int i = 0; i < 11; ++i) {
    c.info.push_back(i);
    c.names.push_back("c" + std::to_string(i));
    c.colours.push_back(0);
  }
  const std::string text = Write(11, c);
  EXPECT_EQ(Lines(text).size(), 6u + 27u * 11u);
  std::vector<std::string> keys;
  for (const std::string& line : Lines(text)) {
    const std::string inner = line.size() > 11 ? line.substr(5, line.size() - 11) : "";
    if (!inner.empty() && inner.find_first_not_of("0123456789") == std::string::npos) {
      keys.push_back(inner);
    }
  }
  EXPECT_EQ(keys,
            (std::vector<std::string>{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
  EXPECT_EQ(ValueLineAfter(text, "columnName", 10), "<string>c10</string>");
}

TEST(ColAttrWriter, InfoWordBitFields) {
  const struct {
    std::int32_t info;
    const char *align, *autoSize, *bold, *italic, *kind, *numb, *uline, *width;
  } cases[] = {
      {0x678, "8", "0", "1", "1", "0", "3", "1", "0"},
      {0x0180, "0", "0", "0", "0", "3", "0", "0", "0"},
      {0x8000, "0", "1", "0", "0", "0", "0", "0", "0"},
      {100 << 16, "0", "0", "0", "0", "0", "0", "0", "100"},
      {0x7FFF0000, "0", "0", "0", "0", "0", "0", "0", "32767"},
      {static_cast<std::int32_t>(0x80000000u), "0", "0", "0", "0", "0", "0", "0", "-32768"},
      {-1, "15", "1", "1", "1", "3", "63", "1", "-1"},
  };
  for (const auto& c : cases) {
    const std::string text = Write(1, {{c.info}, {"n"}, {0}});
    const auto integer = [](const char* v) { return std::string("<integer>") + v + "</integer>"; };
    EXPECT_EQ(ValueLineAfter(text, "columnAlign"), integer(c.align)) << c.info;
    EXPECT_EQ(ValueLineAfter(text, "columnAuto"), integer(c.autoSize)) << c.info;
    EXPECT_EQ(ValueLineAfter(text, "columnBold"), integer(c.bold)) << c.info;
    EXPECT_EQ(ValueLineAfter(text, "columnItalic"), integer(c.italic)) << c.info;
    EXPECT_EQ(ValueLineAfter(text, "columnKind"), integer(c.kind)) << c.info;
    EXPECT_EQ(ValueLineAfter(text, "columnNumb"), integer(c.numb)) << c.info;
    EXPECT_EQ(ValueLineAfter(text, "columnUline"), integer(c.uline)) << c.info;
    EXPECT_EQ(ValueLineAfter(text, "columnWidth"), std::string("<real>") + c.width + "</real>")
        << c.info;
  }
}

TEST(ColAttrWriter, ColourWordIsRedGreenBlueFromHighToLow) {
  const struct {
    std::int32_t colour;
    const char *red, *green, *blue;
  } cases[] = {{0xFF0000, "255", "0", "0"},
               {0xFFFFFF, "255", "255", "255"},
               {0x123456, "18", "52", "86"},
               {-1, "0", "0", "-1"}};
  for (const auto& c : cases) {
    const std::string text = Write(1, {{0}, {""}, {c.colour}});
    EXPECT_EQ(ValueLineAfter(text, "columnColorRed"), std::string("<real>") + c.red + "</real>");
    EXPECT_EQ(ValueLineAfter(text, "columnColorGreen"),
              std::string("<real>") + c.green + "</real>");
    EXPECT_EQ(ValueLineAfter(text, "columnColorBlue"), std::string("<real>") + c.blue + "</real>");
  }
}

TEST(ColAttrWriter, NamesAreEscapedAndTheListStaysXml) {
  const std::string text = Write(2, {{0, 0}, {"R&D <new>", "売上"}, {0, 0}});
  EXPECT_EQ(ValueLineAfter(text, "columnName", 0), "<string>R&amp;D &lt;new&gt;</string>");
  EXPECT_EQ(ValueLineAfter(text, "columnName", 1), "<string>売上</string>");
  EXPECT_EQ(XmlWellFormednessError(text), std::nullopt);
}

TEST(ColAttrWriter, ListsShorterThanTheCountAreRefusedBeforeWriting) {
  StringLineSink out;
  EXPECT_THROW(WriteColAttr(2, {0, 0}, {"a"}, {0, 0}, out), OutOfBoundsException);
  EXPECT_EQ(out.text, "");
}

}  // namespace
