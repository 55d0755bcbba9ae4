#include "conversion/list_converter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "conversion_fixture_helpers.h"
#include "rfc4180_helpers.h"
#include "strict_xml_helpers.h"

namespace {

using legacy::Document;

// A version-1 multi-list document: numbers 0, 2, 1, 1; no strings; columns A
// and B with info words 0 and colours 0x00FF0000 and 0x000000FF; one row x, y.
const std::string kSmallDocument = [] {
  std::istringstream hex(
      "03 54 3A 31  00 00 00 04  01 30 01 32 01 31 01 31  00 00 00 00 "
      "00 00 00 00 00 00 00 01 41  00 00 00 00 00 00 00 01 42 "
      "00 FF 00 00  00 00 00 FF "
      "00 00 00 01 78  00 00 00 01 79");
  std::string bytes;
  for (unsigned byte; hex >> std::hex >> byte;) bytes.push_back(static_cast<char>(byte));
  return bytes;
}();

class ListConverterTest : public ConversionTest {
 protected:
  struct Package {
    bool converted = false;
    std::string pref = {}, csv = {}, colAttr = {}, window = {};
  };
  // Converts a document beside itself; the package's files.
  Package Convert(const std::string& name, const std::string& bytes,
                  const std::optional<std::string>& fork = std::nullopt) {
    const FolderItem source = WriteDocument(name, bytes, fork);
    const FolderItem package = PackageOf(source);
    if (!converter.FileConv(source, package)) return {};
    return {true, PackageFile(package, "pref"), PackageFile(package, "csv"),
            PackageFile(package, "colAttr"), PackageFile(package, "window")};
  }
};

TEST_F(ListConverterTest, SmallDocumentByteByByte) {
  const FolderItem source = WriteDocument("list.tvr", kSmallDocument);
  ASSERT_TRUE(converter.FileConv(source, PackageOf(source)));
  EXPECT_TRUE(services.cautions.empty());
  // One yield per loop turn: 4 numbers, 2 columns, 2 colours, 1 further cell,
  // 1 row, 2 columns of colAttr.
  EXPECT_EQ(services.yields, 12);
  EXPECT_EQ((std::vector<std::int32_t>(converter.pPref.begin(), converter.pPref.begin() + 4)),
            (std::vector<std::int32_t>{0, 2, 1, 1}));
  EXPECT_EQ(Listing(scratch.path()),
            (std::vector<std::string>{"._list.tvr", "list.tvr", "list.tvr.tvrmd"}));
  const FolderItem package = PackageOf(source);
  EXPECT_EQ(Listing(package.Path()),
            (std::vector<std::string>{"colAttr", "csv", "pref", "window"}));
  EXPECT_EQ(PackageFile(package, "csv"), "x,y\n");
  EXPECT_EQ(PackageFile(package, "pref"), PrefPlist({"0", "0", "0", "0", "0", "", "0", "0", "0",
                                                     "0", "0", "0", "0", "0", "1", "0", "1"}));
  EXPECT_EQ(PackageFile(package, "colAttr"),
            kPlistHead + ColumnDict(0, "A", "0 0 0 0 0 255 0 0 0 0 0") +
                ColumnDict(1, "B", "0 0 0 255 0 0 0 0 0 0 0") + kPlistTail);
  EXPECT_EQ(PackageFile(package, "window"), WindowPlist("480", "10", "392", "640"));
  EXPECT_TRUE(converter.CheckMulti(source));
}

TEST_F(ListConverterTest, WindowComesFromTheWPosResourceAndTheScreen) {
  EXPECT_EQ(Convert("w0", kSmallDocument, legacy::WPosFork("30\t60\t700\t500")).window,
            WindowPlist("500", "30", "362", "700"));
  services.screenHeight = 1080;  // a 'WPos' resource other than 128 is no resource
  EXPECT_EQ(Convert("w1", kSmallDocument, legacy::ResourceForkBytes({{"WPos", 129, "1\t2\t3\t4"}}))
                .window,
            WindowPlist("480", "10", "572", "640"));
}

TEST_F(ListConverterTest, FormatVersionIsTheHeadersSecondField) {
  int n = 0;
  for (const char* header :
       {"T:1", "T:1.0", "T:01", ":1", "x:1:9", "T: 1", "T:2", "T:1.5", "T1", "", "T:", "1:2"}) {
    SCOPED_TRACE(header);
    const bool converts = n < 6;
    Document doc = Document::WithTable({{0, "A", 0}}, {{"x"}});
    doc.header = header;
    doc.prefNumbers[0] = "7";
    doc.prefStrings = {"Osaka"};
    const std::string name = "v" + std::to_string(n++);
    EXPECT_EQ(Convert(name, doc.Bytes()).converted, converts);
    if (converts) {
      EXPECT_TRUE(services.cautions.empty());
      continue;
    }
    EXPECT_EQ(TakeCaution(), "このバージョンでは読み込めないフォーマットです。|");
    EXPECT_FALSE(std::filesystem::exists(scratch.path() / (name + ".tvrmd")));
    // The preference block is read before the version is judged.
    EXPECT_EQ(converter.pPref[0], 7);
    EXPECT_EQ(converter.pPrefS[0], "Osaka");
  }
}

// Nothing of a document converted before, or refused halfway, reaches the next.
TEST_F(ListConverterTest, EveryDocumentStartsFromACleanState) {
  Document wide = Document::WithTable({}, {});
  wide.prefNumbers.resize(51, "9");
  wide.prefNumbers[1] = wide.prefNumbers[2] = "0";
  wide.prefStrings = {"Osaka"};
  Document narrow = Document::WithTable({{0, "A", 0}}, {{"x"}});
  narrow.prefNumbers.resize(10, "2");

  ListConverter fresh;
  const FolderItem alone = WriteDocument("alone.tvr", narrow.Bytes());
  ASSERT_TRUE(fresh.FileConv(alone, PackageOf(alone)));
  ASSERT_TRUE(Convert("wide.tvr", wide.Bytes()).converted);
  // Cut in the colour words, after both column names were read.
  EXPECT_FALSE(Convert("cut.tvr", kSmallDocument.substr(0, 40)).converted);
  EXPECT_EQ(services.cautions.size(), 1u);
  const Package after = Convert("narrow.tvr", narrow.Bytes());
  ASSERT_TRUE(after.converted);
  const FolderItem narrowPackage = PackageOf(FolderItem(scratch.path() / "narrow.tvr"));
  for (const char* file : {"pref", "csv", "colAttr", "window"}) {
    EXPECT_EQ(PackageFile(PackageOf(alone), file), PackageFile(narrowPackage, file)) << file;
  }
  EXPECT_EQ(ValueLineAfter(after.pref, "cellFontSize"), "<integer>0</integer>");
  EXPECT_EQ(ValueLineAfter(after.pref, "cellFontName"), "<string></string>");
  EXPECT_EQ(converter.pCname, std::vector<std::string>{"A"});

  // No preference numbers at all: no columns and no rows, whatever came before.
  const Package none = Convert("bare.tvr", Document().Bytes());
  ASSERT_TRUE(none.converted);
  EXPECT_EQ(none.csv, "");
  EXPECT_EQ(none.colAttr, kPlistHead + kPlistTail);
  EXPECT_TRUE(converter.pCname.empty());
}

// Every row holds its first cell, so a line has at least two fields; a
// negative count is none.
TEST_F(ListConverterTest, ColumnAndRowCounts) {
  Document doc = Document::WithTable({}, {{"a"}, {"b"}});
  const Package none = Convert("none", doc.Bytes());
  ASSERT_TRUE(none.converted);
  EXPECT_EQ(none.csv, "a,\nb,\n");
  EXPECT_TRUE(converter.pCname.empty());
  doc = Document::WithTable({{0, "A", 0}, {0, "B", 0}}, {});
  doc.prefNumbers[2] = "-5";
  const Package negative = Convert("negative", doc.Bytes());
  ASSERT_TRUE(negative.converted);
  EXPECT_EQ(negative.csv, "");
  EXPECT_EQ(converter.pCname.size(), 2u);
  EXPECT_EQ(std::count(negative.colAttr.begin(), negative.colAttr.end(), '\n'), 6 + 27 * 2);
}

TEST_F(ListConverterTest, CsvIsUtf8AndAStandardReaderGetsEveryCellBack) {
  using legacy::kSjisWords;
  const std::vector<std::vector<std::string>> rows = {
      {kSjisWords[0].sjis, kSjisWords[1].sjis, kSjisWords[6].sjis},
      {"日本語", "a,b", "say \"hi\""},  // a first cell that is UTF-8 already
      {"line\nbreak", "cr\rhere", ""},
      {"q\"uote", kSjisWords[7].sjis, "x"},
  };
  const Package p = Convert(
      "cells.tvr", Document::WithTable({{0, "", 0}, {0, "B", 0}, {0, "C", 0}}, rows).Bytes());
  ASSERT_TRUE(p.converted);
  std::string error;
  const auto records = ReadCsv(p.csv, &error);
  ASSERT_TRUE(records) << error;
  EXPECT_EQ(*records, (CsvRecords{{"日本語", "東京都", "表"},
                                  {"日本語", "a,b", "say \"hi\""},
                                  {"line\nbreak", "cr\rhere", ""},
                                  {"q\"uote", "ソ", "x"}}));
  EXPECT_EQ(p.csv.substr(0, p.csv.find('\n')), "日本語,東京都,表");
  EXPECT_EQ(converter.pCname, (std::vector<std::string>{"", "B", "C"}));
}

TEST_F(ListConverterTest, PropertyListsStayXmlWhateverTheNamesHold) {
  Document doc = Document::WithTable({{-1, "R&D", 0},
                                      {0, "<b>", 0},
                                      {0, std::string("\x01\x93", 2), 0},
                                      {0, legacy::kSjisWords[4].sjis, 0}},
                                     {{"a", "b", "c", "d"}});
  doc.prefStrings = {std::string("A&B<C>") + legacy::kSjisWords[0].sjis};
  const Package p = Convert("xml.tvr", doc.Bytes(), legacy::WPosFork("<1>\t0\t&\t0"));
  ASSERT_TRUE(p.converted);
  for (const std::string* list : {&p.pref, &p.colAttr, &p.window}) {
    EXPECT_EQ(XmlWellFormednessError(*list), std::nullopt) << *list;
  }
  EXPECT_EQ(ValueLineAfter(p.pref, "cellFontName"), "<string>A&amp;B&lt;C&gt;日本語</string>");
  EXPECT_EQ(ValueLineAfter(p.colAttr, "columnName", 0), "<string>R&amp;D</string>");
  EXPECT_EQ(ValueLineAfter(p.colAttr, "columnName", 1), "<string>&lt;b&gt;</string>");
  EXPECT_EQ(ValueLineAfter(p.colAttr, "columnName", 3), "<string>株式会社</string>");
  EXPECT_EQ(ValueLineAfter(p.window, "winPosX"), "<real>&lt;1&gt;</real>");
  EXPECT_EQ(ValueLineAfter(p.window, "winWidth"), "<real>&amp;</real>");
}

// The fourth preference number, only where the document has four numbers.
TEST_F(ListConverterTest, CheckMulti) {
  const auto bytes = [](const char* header, std::vector<std::string> numbers,
                        std::vector<std::string> strings = {}) {
    return Document{header, std::move(numbers), std::move(strings), {}, {}}.Bytes();
  };
  const struct {
    std::string bytes;
    bool multi;
  } cases[] = {
      {kSmallDocument, true},
      {bytes("T:1", {"0", "0", "0", "-1"}), false},
      {bytes("T:2", {"0", "0", "0", "1"}), false},
      {bytes("T:1.0", {"0", "0", "0", "3", "0"}), true},
      {bytes("T:1", {"0", "0", "0"}, {"5"}), false},  // a string where a fourth number would be
      {kSmallDocument.substr(0, 14), false},          // cut after three numbers
  };
  int n = 0;
  for (const auto& c : cases) {
    converter.pPref.fill(42);
    EXPECT_EQ(converter.CheckMulti(WriteDocument(std::to_string(n++), c.bytes)), c.multi) << n;
    EXPECT_EQ(converter.pPref[3], 42) << n;
  }
  EXPECT_FALSE(converter.CheckMulti(FolderItem(scratch.path() / "missing.tvr")));
  EXPECT_TRUE(services.cautions.empty());
}

}  // namespace
