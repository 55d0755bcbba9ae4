// The package writers one by one: `pref` and `colAttr` from their inputs,
// and the XML text and CSV cells they are made of.
#include <gtest/gtest.h>

#include "conversion/col_attr_writer.h"
#include "conversion/csv_cell.h"
#include "conversion/pref_writer.h"
#include "conversion/xml_text.h"
#include "conversion_fixture_helpers.h"
#include "strict_xml_helpers.h"

namespace {

std::string Pref(const std::array<std::int32_t, 51>& pPref,
                 const std::array<std::string, 21>& pPrefS,
                 const std::array<std::int32_t, 51>& globals) {
  gEncInit();
  StringLineSink out;
  WritePref(pPref, pPrefS, globals, out);
  return out.text;
}

TEST(PrefWriter, WritesEveryKeyFromItsSlot) {
  std::array<std::int32_t, 51> globals{},
      pPref{0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 1, 2, 0x123456, 4, 5, 0xEDCBA9};
  pPref[50] = 12;
  globals[21] = 2;
  EXPECT_EQ(Pref(pPref, {"Osaka"}, globals),
            PrefPlist({"18", "1", "52", "2", "86", "Osaka", "12", "2", "0", "4", "169", "5", "203",
                       "237", "1", "2", "1"}));
  globals[22] = -1;  // any setting but 0 turns winGeo off
  EXPECT_EQ(ValueLineAfter(Pref(pPref, {}, globals), "winGeo"), "<integer>0</integer>");
}

TEST(PrefWriter, CellLinesAreTheSlotMinusOneNeverBelowZero) {
  for (auto [slot, line] : {std::pair{1, "0"}, {3, "2"}, {-5, "0"}, {INT32_MIN, "2147483647"}}) {
    std::array<std::int32_t, 51> pPref{};
    pPref[15] = pPref[16] = slot;
    const std::string pref = Pref(pPref, {}, {});
    EXPECT_EQ(ValueLineAfter(pref, "cellLineH"), "<integer>" + std::string(line) + "</integer>");
    EXPECT_EQ(ValueLineAfter(pref, "cellLineV"), "<integer>" + std::string(line) + "</integer>");
  }
}

// Values in key order: align auto bold blue green red italic kind numb uline
// width. A colour word is red high, blue low, split without masking.
TEST(ColAttrWriter, InfoWordBitFieldsColourWordsAndColumnOrder) {
  const struct {
    std::int32_t info, colour;
    const char* values;
  } cases[] = {
      {0x678, 0xFF0000, "8 0 1 0 0 255 1 0 3 1 0"},
      {0x8000, 0x123456, "0 1 0 86 52 18 0 0 0 0 0"},
      {INT_MIN, -70000, "0 0 0 -112 -17 -1 0 0 0 0 -32768"},
      {-1, INT_MIN, "15 1 1 0 0 -32768 1 3 63 1 -1"},
  };
  for (const auto& c : cases) {
    StringLineSink out;
    WriteColAttr(1, {c.info}, {"n"}, {c.colour}, out);
    EXPECT_EQ(out.text, kPlistHead + ColumnDict(0, "n", c.values) + kPlistTail) << c.info;
  }
  std::vector<std::string> names;  // keys in column order: "10" after "9"
  std::string expected = kPlistHead;
  for (int i = 0; i < 11; ++i) {
    names.push_back("c" + std::to_string(i));
    expected += ColumnDict(i, names.back(), "0 0 0 0 0 0 0 0 0 0 0");
  }
  StringLineSink out;
  WriteColAttr(11, std::vector<std::int32_t>(11), names, std::vector<std::int32_t>(11), out);
  EXPECT_EQ(out.text, expected + kPlistTail);
}

TEST(XmlText, EscapesMarkupAndReplacesWhatXmlCannotHold) {
  const std::string fffd = "\xEF\xBF\xBD";
  const struct {
    std::string text, escaped;
  } cases[] = {
      {"a&b<c>d\"'", "a&amp;b&lt;c&gt;d\"'"},
      {"\t\n\r日本語\xF0\x9F\x98\x80", "\t\n\r日本語\xF0\x9F\x98\x80"},
      {std::string("a\0z", 3), "a" + fffd + "z"},
      {"\x93", fffd},                        // a Shift-JIS byte
      {"\xC0\x80", fffd + fffd},             // overlong
      {"\xE6\x97", fffd + fffd},             // cut sequence
      {"\xED\xA0\x80", fffd + fffd + fffd},  // surrogate
      {"\xEF\xBF\xBE", fffd},                // U+FFFE
  };
  for (const auto& c : cases) {
    const std::string escaped = XmlText(c.text);
    EXPECT_EQ(escaped, c.escaped) << c.text;
    EXPECT_EQ(XmlWellFormednessError("<string>" + escaped + "</string>"), std::nullopt) << c.text;
  }
}

// A large cell is converted a piece at a time. Wherever the cuts fall, the
// pieces give what converting the whole cell gives: characters straddling a
// cut, Mac OS Japanese sequences (大⃝, the roman numeral XIII) that a cut
// would split on their way through Shift-JIS, a quote only in a later piece,
// and UTF-16 with or without its byte order mark, FE FF and FF FE inside.
TEST(CsvCell, CellsInPiecesConvertAsTheWholeCellWould) {
  gEncInit();
  const auto repeat = [](const std::string& unit, std::size_t bytes) {
    std::string text;
    while (text.size() < bytes) text += unit;
    return text;
  };
  const std::string sjis = legacy::kSjisWords[0].sjis + std::string("\xB6") + "\x83\x5C";
  const std::string sequences = "\u5927\u20DD\uF862XIII\u5927I";
  const std::string utf16le = "\x3D\xD8\x00\xDE\xE5\x65" + std::string("a\0", 2);  // 😀日a
  const std::string utf16be("\x59\x27\x20\xDD\xFE\xFF\xFF\xFE\xD8\x3D\xDE\x00",
                            12);  // 大⃝, marks, 😀
  const struct {
    const char* name;
    std::string cell;
    bool first;
  } rows[] = {
      {"Shift-JIS, bare", "ab" + repeat(sjis, 200), false},
      {"Shift-JIS, a quote near the end", "a" + repeat(sjis, 200) + "\"x", false},
      {"first cell in UTF-8", "xy" + repeat(legacy::kSjisWords[5].utf8 + std::string("日,"), 200),
       true},
      {"first cell in UTF-8, sequences", "I" + repeat(sequences, 200), true},
      {"first cell in UTF-16 with its mark", "\xFF\xFE" + repeat(utf16le, 200), true},
      {"first cell in UTF-16 without one", std::string("\0,", 2) + repeat(utf16be, 200), true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    StringLineSink whole;
    WriteCsvCell(whole, row.cell, row.first);
    for (std::size_t pieceBytes = 32; pieceBytes < 48; ++pieceBytes) {
      StringLineSink pieces;
      WriteCsvCellInPieces(pieces, row.cell, row.first, pieceBytes);
      EXPECT_TRUE(whole.text == pieces.text) << pieceBytes;
    }
  }
}

}  // namespace
