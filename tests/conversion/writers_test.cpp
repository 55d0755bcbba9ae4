// The text the package's files are made of: XML text and CSV cells.
#include <gtest/gtest.h>

#include "conversion/csv_cell.h"
#include "conversion/xml_text.h"
#include "shared/text_enco.h"
#include "support/mac_bytes.h"
#include "support/string_line_sink.h"

namespace {

TEST(XmlText, EscapesMarkupAndReplacesWhatXmlCannotHold) {
  const std::string fffd = "\xEF\xBF\xBD";
  std::string controls, replaced;  // every C0 control but TAB, LF and CR
  for (char c = 1; c < 0x20; ++c)
    if (c != '\t' && c != '\n' && c != '\r') controls += c, replaced += fffd;
  const std::pair<std::string, std::string> cases[] = {
      {"n" + controls + "e", "n" + replaced + "e"},
      {"a&b<c>d\"'", "a&amp;b&lt;c&gt;d\"'"},
      {"&&<>", "&amp;&amp;&lt;&gt;"},
      {"\t\n\r日本語\xF0\x9F\x98\x80", "\t\n\r日本語\xF0\x9F\x98\x80"},
      {std::string("a\0z", 3), "a" + fffd + "z"},
      {"\x93", fffd},                        // a Shift-JIS byte
      {"\xC0\x80", fffd + fffd},             // overlong
      {"\xE6\x97", fffd + fffd},             // cut sequence
      {"\xED\xA0\x80", fffd + fffd + fffd},  // surrogate
      {"\xEF\xBF\xBE", fffd},                // U+FFFE
      {"\xEF\xBF\xBF", fffd},                // U+FFFF
  };
  for (const auto& [text, escaped] : cases) {
    StringLineSink out;
    WriteXmlText(out, text);
    EXPECT_EQ(out.text, escaped) << text;
  }
}

std::string WrittenCell(const std::string& cell, bool firstCell) {
  StringLineSink sink;
  CsvWriter csv(sink);
  csv.WriteCell(cell, firstCell);
  csv.Flush();
  return sink.text;
}

// A cell whose UTF-8 holds a comma, a double quote, CR or LF is quoted, its
// quotes doubled; otherwise it stays bare. A Shift-JIS cell is quoted by its
// own bytes, which hold one exactly where its UTF-8 does: never as a trail
// byte, still after a lead byte without its trail (U+FFFD). A first cell in
// UTF-8 is converted, then looked at; only a row's first cell is taken for
// UTF-8 or UTF-16. The scan looks at sixteen bytes at a time and covers a
// cell's end with one last block that overlaps the one before: the one
// special character may fall in a first or middle block, on the last byte,
// only inside the last block, or in a cell written in pieces.
TEST(CsvCell, QuotedWhenTheUtf8HoldsACommaAQuoteOrALineBreak) {
  gEncInit();
  const std::tuple<std::string, bool, std::string> rows[] = {
      {"\x95\x5C\x83\x7C", false, "表ポ"},  // trail bytes 0x5C and 0x7C
      {"\x82\"", false, "\"\uFFFD\"\"\""},
      {"\x82,", false, "\"\uFFFD,\""},
      {"a\x82\r", true, "\"a\uFFFD\r\""},
      {"\x82\n", false, "\"\uFFFD\n\""},
      {"日本語,", true, "\"日本語,\""},
      {"日本語", true, "日本語"},
      {std::string("\0A", 2), true, "A"},  // UTF-16
      {std::string("\0A", 2), false, std::string("\0A", 2)},
  };
  for (const auto& [cell, first, written] : rows)
    EXPECT_EQ(WrittenCell(cell, first), written) << testing::PrintToString(cell);
  const std::pair<std::size_t, std::size_t> places[] = {
      {16, 15}, {17, 0},  {17, 15}, {17, 16}, {31, 30},         {32, 31},
      {33, 32}, {40, 33}, {40, 39}, {47, 20}, {300000, 299999}, {300000, 150000}};
  const std::pair<char, std::string> specials[] = {
      {'\r', "\r"}, {'\n', "\n"}, {',', ","}, {'"', "\"\""}};
  for (const bool first : {false, true}) {
    for (const auto [length, at] : places) {
      for (const auto& [special, written] : specials) {
        std::string cell(length, 'a');
        cell[at] = special;
        EXPECT_TRUE(WrittenCell(cell, first) == "\"" + std::string(at, 'a') + written +
                                                    std::string(length - at - 1, 'a') + "\"")
            << length << " " << at << " " << int{special} << (first ? " first" : "");
      }
      EXPECT_TRUE(WrittenCell(std::string(length, 'a'), first) == std::string(length, 'a'))
          << length;
    }
  }
}

// A large cell is converted a piece at a time. Wherever the cuts fall, the
// pieces give what converting the whole cell gives: characters straddling a
// cut, Mac OS Japanese sequences (大⃝, the roman numeral XIII) that a cut
// would split on their way through Shift-JIS, a quote only in a later piece,
// pairs whose lead byte is 0x81 (the first row), UTF-8 with no ASCII to cut
// before, and UTF-16 with or without its byte order mark, FE FF and FF FE
// inside.
TEST(CsvCell, CellsInPiecesConvertAsTheWholeCellWould) {
  gEncInit();
  const auto repeat = [](const std::string& unit) {
    std::string text;
    while (text.size() < 200) text += unit;
    return text;
  };
  const std::string sjis = mac_bytes::kSjisWords[0] + std::string("\xB6") + "\x83\x5C";
  const std::string utf16le("\x3D\xD8\x00\xDE\xE5\x65\x61\x00", 8);  // 😀日a
  const std::string utf16be("\x59\x27\x20\xDD\xFE\xFF\xFF\xFE\xD8\x3D\xDE\x00", 12);
  const std::pair<std::string, bool> cells[] = {
      {"ab" + repeat(sjis), false},
      {"a" + repeat(sjis) + "\"x", false},
      {"a" + repeat("\x81\x41\x82\xA0"), false},  // 、あ
      {repeat("日本語"), true},
      {"xy" + repeat("ｶﾀｶﾅ日,"), true},
      {"I" + repeat("\u5927\u20DD\uF862XIII\u5927I"), true},
      {"\xFF\xFE" + repeat(utf16le), true},
      {std::string("\0,", 2) + repeat(utf16be), true},  // 大⃝, the marks, 😀
      // a lone high surrogate before an odd last byte
      {"\xFE\xFF" + repeat("\xFF\xFF") + std::string("\xD8\x00\xDE", 3), true},
  };
  for (const auto& [cell, first] : cells) {
    SCOPED_TRACE(testing::PrintToString(cell.substr(0, 8)));
    const std::string whole = WrittenCell(cell, first);
    for (std::size_t pieceBytes = 32; pieceBytes < 64; ++pieceBytes) {
      StringLineSink pieces;
      CsvWriter piecesCsv(pieces);
      piecesCsv.WriteCellInPieces(cell, first, pieceBytes);
      piecesCsv.Flush();
      EXPECT_TRUE(whole == pieces.text) << pieceBytes;
    }
  }
}

}  // namespace
