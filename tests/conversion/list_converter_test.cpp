#include "conversion/list_converter.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "conversion_fixture_helpers.h"
#include "rfc4180_helpers.h"
#include "strict_xml_helpers.h"
#include "support/legacy_document.h"

namespace {

using legacy::Document;

// A version-1 multi-list document: numbers 0, 2, 1, 1; no strings; columns A
// and B with info words 0 and colours 0x00FF0000 and 0x000000FF; one row x, y.
const std::string kSmallDocument =
    Hex("03 54 3A 31  00 00 00 04  01 30 01 32 01 31 01 31  00 00 00 00"
        "00 00 00 00 00 00 00 01 41  00 00 00 00 00 00 00 01 42"
        "00 FF 00 00  00 00 00 FF"
        "00 00 00 01 78  00 00 00 01 79");

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
    Package p{converter.FileConv(source, PackageOf(source))};
    if (!p.converted) return p;
    const FolderItem package = PackageOf(source);
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
  const struct {
    std::optional<std::string> fork;
    std::int32_t screen;
    std::string window;
  } cases[] = {
      {legacy::WPosFork("30\t60\t700\t500"), 900, WindowPlist("500", "30", "362", "700")},
      {legacy::ResourceForkBytes({{"WPos", 129, "1\t2\t3\t4"}}), 1080,
       WindowPlist("480", "10", "572", "640")},
  };
  int n = 0;
  for (const auto& c : cases) {
    services.screenHeight = c.screen;
    EXPECT_EQ(Convert("w" + std::to_string(n++), kSmallDocument, c.fork).window, c.window) << n;
  }
}

TEST_F(ListConverterTest, FormatVersionIsTheHeadersSecondField) {
  const struct {
    const char* header;
    bool converts;
  } cases[] = {{"T:1", true},   {"T:1.0", true}, {"T:01", true}, {":1", true},
               {"x:1:9", true}, {"T: 1", true},  {"T:2", false}, {"T:1.5", false},
               {"T1", false},   {"", false},     {"T:", false},  {"1:2", false}};
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.header);
    Document doc = Document::WithTable({{0, "A", 0}}, {{"x"}});
    doc.header = c.header;
    doc.prefNumbers[0] = "7";
    doc.prefStrings = {"Osaka"};
    const std::string name = "v" + std::to_string(n++);
    EXPECT_EQ(Convert(name, doc.Bytes()).converted, c.converts);
    if (c.converts) {
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

// Every row holds its first cell, so a line has at least two fields.
TEST_F(ListConverterTest, ColumnAndRowCounts) {
  const struct {
    const char* name;
    const char *columns, *rows;
    std::vector<legacy::Column> columnBlock;
    std::vector<std::vector<std::string>> rowBlock;
    std::string csv;
    std::size_t names;
  } cases[] = {
      {"no columns", "0", "2", {}, {{"a"}, {"b"}}, "a,\nb,\n", 0},
      {"negative columns", "-3", "1", {}, {{"a"}}, "a,\n", 0},
      {"one column", "1", "2", {{0, "A", 0}}, {{"a,b"}, {"c"}}, "\"a,b\",\nc,\n", 1},
      {"no rows", "2", "0", {{0, "A", 0}, {0, "B", 0}}, {}, "", 2},
      {"negative rows", "2", "-5", {{0, "A", 0}, {0, "B", 0}}, {}, "", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Document doc = Document::WithTable(c.columnBlock, c.rowBlock);
    doc.prefNumbers[1] = c.columns;
    doc.prefNumbers[2] = c.rows;
    const Package p = Convert(c.name, doc.Bytes());
    ASSERT_TRUE(p.converted);
    EXPECT_EQ(p.csv, c.csv);
    EXPECT_EQ(converter.pCname.size(), c.names);
    EXPECT_EQ(static_cast<std::size_t>(std::count(p.colAttr.begin(), p.colAttr.end(), '\n')),
              6 + 27 * c.names);
  }
}

TEST_F(ListConverterTest, CsvIsUtf8AndAStandardReaderGetsEveryCellBack) {
  using legacy::kSjisWords;
  const std::string longCell(100000, 'L');
  const std::vector<std::vector<std::string>> rows = {
      {kSjisWords[0].sjis, kSjisWords[1].sjis, kSjisWords[6].sjis},
      {"日本語", "a,b", "say \"hi\""},  // a first cell that is UTF-8 already
      {"a,b", "line\nbreak", "cr\rhere"},
      {"q\"uote", "", "x"},
      {"first\nline", kSjisWords[7].sjis, ""},
      {longCell, "", longCell},
  };
  const CsvRecords cells = {
      {"日本語", "東京都", "表"},         {"日本語", "a,b", "say \"hi\""},
      {"a,b", "line\nbreak", "cr\rhere"}, {"q\"uote", "", "x"},
      {"first\nline", "ソ", ""},          {longCell, "", longCell},
  };
  const Package p = Convert(
      "cells.tvr", Document::WithTable({{0, "", 0}, {0, "B", 0}, {0, "C", 0}}, rows).Bytes());
  ASSERT_TRUE(p.converted);
  std::string error;
  const auto records = ReadCsv(p.csv, &error);
  ASSERT_TRUE(records) << error;
  EXPECT_EQ(*records, cells);
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

TEST_F(ListConverterTest, ConvertingNeverChangesTheSource) {
  WriteDocument("keep.tvr", kSmallDocument, legacy::WPosFork("30\t60\t700\t500"));
  WriteDocument("bad.tvr", kSmallDocument.substr(0, 30));
  const std::filesystem::path out = scratch.path() / "out";
  std::filesystem::create_directory(out);
  const FolderSnapshot before = Snapshot(scratch.path());
  for (const char* name : {"keep.tvr", "bad.tvr"}) {
    const FolderItem source(scratch.path() / name);
    converter.FileConv(source, FolderItem(out / (std::string(name) + ".tvrmd")));
    converter.CheckMulti(source);
  }
  FolderSnapshot after = Snapshot(scratch.path());
  std::erase_if(after, [](const auto& entry) { return entry.first.rfind("out/", 0) == 0; });
  after["out"].modifiedNs = before.at("out").modifiedNs;  // the output folder itself changed
  EXPECT_EQ(after, before);
}

// The fourth preference number, only where the document has four numbers.
TEST_F(ListConverterTest, CheckMulti) {
  const auto bytes = [](const char* header, std::vector<std::string> numbers,
                        std::vector<std::string> strings = {}) {
    Document d;
    d.header = header;
    d.prefNumbers = std::move(numbers);
    d.prefStrings = std::move(strings);
    return d.Bytes();
  };
  const struct {
    const char* name;
    std::string bytes;
    bool multi;
  } cases[] = {
      {"multi", kSmallDocument, true},
      {"single", bytes("T:1", {"0", "0", "0", "0"}), false},
      {"negative", bytes("T:1", {"0", "0", "0", "-1"}), false},
      {"version 2", bytes("T:2", {"0", "0", "0", "1"}), false},
      {"version 1.0, five numbers", bytes("T:1.0", {"0", "0", "0", "3", "0"}), true},
      {"three numbers, then a string like a fourth", bytes("T:1", {"0", "0", "0"}, {"5"}), false},
      {"cut after three", kSmallDocument.substr(0, 14), false},
      {"empty", "", false},
  };
  for (const auto& c : cases) {
    converter.pPref.fill(42);
    EXPECT_EQ(converter.CheckMulti(WriteDocument(c.name, c.bytes)), c.multi) << c.name;
    EXPECT_EQ(converter.pPref[3], 42) << c.name;
  }
  EXPECT_FALSE(converter.CheckMulti(FolderItem(scratch.path() / "missing.tvr")));
  EXPECT_TRUE(services.cautions.empty());
}

}  // namespace
