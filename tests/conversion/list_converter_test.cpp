#include "conversion/list_converter.h"

#include <gtest/gtest.h>

#include "conversion_fixture_helpers.h"
#include "plist_lines_helpers.h"
#include "rfc4180_helpers.h"
#include "shared/globals.h"
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

const std::string kHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n<dict>\n";
const std::string kTail = "</dict>\n</plist>\n";

std::string ColumnDict(const std::string& index, const std::string& blue, const std::string& red,
                       const std::string& name) {
  return "<key>" + index + "</key>\n<dict>\n" +
         "<key>columnAlign</key>\n<integer>0</integer>\n"
         "<key>columnAuto</key>\n<integer>0</integer>\n"
         "<key>columnBold</key>\n<integer>0</integer>\n"
         "<key>columnColorBlue</key>\n<real>" +
         blue + "</real>\n" +
         "<key>columnColorGreen</key>\n<real>0</real>\n"
         "<key>columnColorRed</key>\n<real>" +
         red + "</real>\n" +
         "<key>columnItalic</key>\n<integer>0</integer>\n"
         "<key>columnKind</key>\n<integer>0</integer>\n"
         "<key>columnName</key>\n<string>" +
         name + "</string>\n" +
         "<key>columnNumb</key>\n<integer>0</integer>\n"
         "<key>columnUline</key>\n<integer>0</integer>\n"
         "<key>columnWidth</key>\n<real>0</real>\n"
         "</dict>\n";
}

class ListConverterTest : public ConversionTest {
 protected:
  // Converts a document built from `doc` beside itself; the package's files.
  struct Package {
    bool converted = false;
    std::string pref = {}, csv = {}, colAttr = {}, window = {};
  };
  Package Convert(const std::string& name, const std::string& bytes,
                  const std::optional<std::string>& fork = std::nullopt) {
    const FolderItem source = WriteDocument(name, bytes, fork);
    const FolderItem target = PackageOf(source);
    Package p{converter.FileConv(source, target)};
    if (!p.converted) return p;
    p.pref = PackageFile(target, "pref");
    p.csv = PackageFile(target, "csv");
    p.colAttr = PackageFile(target, "colAttr");
    p.window = PackageFile(target, "window");
    return p;
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
  EXPECT_EQ(PackageFile(package, "pref"), kHead +
                                              "<key>bgClrBlue</key>\n<real>0</real>\n"
                                              "<key>bgClrCng</key>\n<integer>0</integer>\n"
                                              "<key>bgClrGreen</key>\n<real>0</real>\n"
                                              "<key>bgClrOdd</key>\n<integer>0</integer>\n"
                                              "<key>bgClrRed</key>\n<real>0</real>\n"
                                              "<key>cellFontName</key>\n<string></string>\n"
                                              "<key>cellFontSize</key>\n<integer>0</integer>\n"
                                              "<key>cellLineH</key>\n<integer>0</integer>\n"
                                              "<key>cellLineV</key>\n<integer>0</integer>\n"
                                              "<key>headerKind</key>\n<integer>0</integer>\n"
                                              "<key>hiClrBlue</key>\n<real>0</real>\n"
                                              "<key>hiClrCng</key>\n<integer>0</integer>\n"
                                              "<key>hiClrGreen</key>\n<real>0</real>\n"
                                              "<key>hiClrRed</key>\n<real>0</real>\n"
                                              "<key>rowKind</key>\n<integer>1</integer>\n"
                                              "<key>scrollKind</key>\n<integer>0</integer>\n"
                                              "<key>winGeo</key>\n<integer>1</integer>\n" +
                                              kTail);
  EXPECT_EQ(PackageFile(package, "colAttr"),
            kHead + ColumnDict("0", "0", "255", "A") + ColumnDict("1", "255", "0", "B") + kTail);
  EXPECT_EQ(PackageFile(package, "window"), kHead +
                                                "<key>scrollH</key>\n<real>0</real>\n"
                                                "<key>scrollV</key>\n<real>0</real>\n"
                                                "<key>scrollX</key>\n<real>0</real>\n"
                                                "<key>scrollY</key>\n<real>0</real>\n"
                                                "<key>toolbar</key>\n<integer>1</integer>\n"
                                                "<key>winHeight</key>\n<real>480</real>\n"
                                                "<key>winPosX</key>\n<real>10</real>\n"
                                                "<key>winPosY</key>\n<real>392</real>\n"
                                                "<key>winWidth</key>\n<real>640</real>\n" +
                                                kTail);
  EXPECT_TRUE(converter.CheckMulti(source));
}

TEST_F(ListConverterTest, WindowComesFromTheWPosResourceAndTheScreen) {
  const struct {
    std::optional<std::string> fork;
    std::int32_t screen;
    const char *height, *x, *y, *width;
  } cases[] = {
      {legacy::WPosFork("30\t60\t700\t500"), 900, "500", "30", "362", "700"},
      {std::nullopt, 900, "480", "10", "392", "640"},
      {std::nullopt, 1080, "480", "10", "572", "640"},
      {legacy::WPosFork(""), 900, "480", "10", "392", "640"},
      {legacy::ResourceForkBytes({{"WPos", 129, "1\t2\t3\t4"}}), 900, "480", "10", "392", "640"},
  };
  int n = 0;
  for (const auto& c : cases) {
    services.screenHeight = c.screen;
    const std::string window = Convert("w" + std::to_string(n++), kSmallDocument, c.fork).window;
    EXPECT_EQ(ValueLineAfter(window, "winHeight"), std::string("<real>") + c.height + "</real>");
    EXPECT_EQ(ValueLineAfter(window, "winPosX"), std::string("<real>") + c.x + "</real>");
    EXPECT_EQ(ValueLineAfter(window, "winPosY"), std::string("<real>") + c.y + "</real>");
    EXPECT_EQ(ValueLineAfter(window, "winWidth"), std::string("<real>") + c.width + "</real>");
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
    Document doc = Document::WithTable({{0, "A", 0}}, {{"x"}});
    doc.header = c.header;
    doc.prefNumbers[0] = "7";
    doc.prefStrings = {"Osaka"};
    const std::string name = "v" + std::to_string(n++);
    EXPECT_EQ(Convert(name, doc.Bytes()).converted, c.converts) << c.header;
    if (c.converts) {
      EXPECT_TRUE(services.cautions.empty()) << c.header;
      continue;
    }
    EXPECT_EQ(TakeCaution(), "このバージョンでは読み込めないフォーマットです。|") << c.header;
    EXPECT_FALSE(std::filesystem::exists(scratch.path() / (name + ".tvrmd"))) << c.header;
    // The preference block is read before the version is judged.
    EXPECT_EQ(converter.pPref[0], 7);
    EXPECT_EQ(converter.pPrefS[0], "Osaka");
  }
}

TEST_F(ListConverterTest, EveryDocumentStartsFromACleanState) {
  Document wide = Document::WithTable({}, {});
  wide.prefNumbers.resize(51, "9");
  wide.prefNumbers[1] = "0";
  wide.prefNumbers[2] = "0";
  wide.prefStrings = {"Osaka"};
  Document narrow = Document::WithTable({{0, "A", 0}}, {{"x"}});
  narrow.prefNumbers.resize(10, "2");

  ListConverter fresh;
  const FolderItem alone = WriteDocument("alone.tvr", narrow.Bytes());
  ASSERT_TRUE(fresh.FileConv(alone, PackageOf(alone)));
  ASSERT_TRUE(Convert("wide.tvr", wide.Bytes()).converted);
  const Package after = Convert("narrow.tvr", narrow.Bytes());
  ASSERT_TRUE(after.converted);
  for (const char* file : {"pref", "csv", "colAttr", "window"}) {
    EXPECT_EQ(PackageFile(PackageOf(alone), file),
              PackageFile(PackageOf(FolderItem(scratch.path() / "narrow.tvr")), file))
        << file;
  }
  EXPECT_EQ(ValueLineAfter(after.pref, "cellFontSize"), "<integer>0</integer>");
  EXPECT_EQ(ValueLineAfter(after.pref, "cellFontName"), "<string></string>");

  // No preference numbers at all: no columns and no rows, whatever came before.
  Document bare;
  const Package none = Convert("bare.tvr", bare.Bytes());
  ASSERT_TRUE(none.converted);
  EXPECT_EQ(none.csv, "");
  EXPECT_EQ(none.colAttr, kHead + kTail);
  EXPECT_TRUE(converter.pCname.empty());
}

TEST_F(ListConverterTest, ColumnAndRowCountsOfZeroAndBelow) {
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
      {"one column", "1", "2", {{0, "A", 0}}, {{"a"}, {"b"}}, "a,\nb,\n", 1},
      {"no rows", "2", "0", {{0, "A", 0}, {0, "B", 0}}, {}, "", 2},
      {"negative rows", "2", "-5", {{0, "A", 0}, {0, "B", 0}}, {}, "", 2},
  };
  for (const auto& c : cases) {
    Document doc = Document::WithTable(c.columnBlock, c.rowBlock);
    doc.prefNumbers[1] = c.columns;
    doc.prefNumbers[2] = c.rows;
    const Package p = Convert(c.name, doc.Bytes());
    ASSERT_TRUE(p.converted) << c.name;
    EXPECT_EQ(p.csv, c.csv) << c.name;
    EXPECT_EQ(converter.pCname.size(), c.names) << c.name;
    EXPECT_EQ(Lines(p.colAttr).size(), 6 + 27 * c.names) << c.name;
  }
}

TEST_F(ListConverterTest, LongAndEmptyStrings) {
  const std::string longCell(100000, 'L');
  Document doc = Document::WithTable(
      {{0, "", 0}, {0, "B", 0}, {0, "C", 0}},
      {{"", "b", "c"}, {"a", "", "c"}, {"a", "b", ""}, {longCell, "", longCell}});
  doc.header = std::string(250, 'X') + ":1:";
  doc.prefStrings = {std::string(255, 'F'), ""};
  const Package p = Convert("long.tvr", doc.Bytes());
  ASSERT_TRUE(p.converted);
  EXPECT_EQ(p.csv, ",b,c\na,,c\na,b,\n" + longCell + ",," + longCell + "\n");
  EXPECT_EQ(converter.pCname, (std::vector<std::string>{"", "B", "C"}));
  EXPECT_EQ(ValueLineAfter(p.pref, "cellFontName"),
            "<string>" + std::string(255, 'F') + "</string>");
}

TEST_F(ListConverterTest, CsvIsUtf8AndAStandardReaderGetsEveryCellBack) {
  using legacy::kSjisWords;
  const std::vector<std::vector<std::string>> rows = {
      {kSjisWords[0].sjis, kSjisWords[1].sjis, kSjisWords[6].sjis},
      {"日本語", "a,b", "say \"hi\""},  // a first cell that is UTF-8 already
      {"a,b", "line\nbreak", "cr\rhere"},
      {"q\"uote", "", "x"},
      {"first\nline", kSjisWords[7].sjis, ""},
  };
  const std::vector<std::vector<std::string>> cells = {
      {"日本語", "東京都", "表"},         {"日本語", "a,b", "say \"hi\""},
      {"a,b", "line\nbreak", "cr\rhere"}, {"q\"uote", "", "x"},
      {"first\nline", "ソ", ""},
  };
  const Package p = Convert(
      "cells.tvr", Document::WithTable({{0, "A", 0}, {0, "B", 0}, {0, "C", 0}}, rows).Bytes());
  ASSERT_TRUE(p.converted);
  std::string error;
  const auto records = ReadCsv(p.csv, &error);
  ASSERT_TRUE(records) << error;
  EXPECT_EQ(*records, cells);
  EXPECT_EQ(Lines(p.csv)[0], "日本語,東京都,表");
}

TEST_F(ListConverterTest, OneColumnLinesKeepTheirTrailingComma) {
  const Package p =
      Convert("one.tvr", Document::WithTable({{0, "A", 0}}, {{"a,b"}, {"c"}}).Bytes());
  ASSERT_TRUE(p.converted);
  EXPECT_EQ(p.csv, "\"a,b\",\nc,\n");
  EXPECT_EQ(ReadCsv(p.csv), (CsvRecords{{"a,b", ""}, {"c", ""}}));
}

TEST_F(ListConverterTest, PropertyListsStayXmlWhateverTheNamesHold) {
  Document doc = Document::WithTable(
      {{-1, "R&D", 0}, {0, "<b>", 0}, {0, std::string("\x01\x93", 2), 0}}, {{"a", "b", "c"}});
  doc.prefStrings = {"A&B<C>"};
  const Package p = Convert("xml.tvr", doc.Bytes(), legacy::WPosFork("<1>\t0\t&\t0"));
  ASSERT_TRUE(p.converted);
  for (const std::string* list : {&p.pref, &p.colAttr, &p.window}) {
    EXPECT_EQ(XmlWellFormednessError(*list), std::nullopt) << *list;
  }
  EXPECT_EQ(ValueLineAfter(p.pref, "cellFontName"), "<string>A&amp;B&lt;C&gt;</string>");
  EXPECT_EQ(ValueLineAfter(p.colAttr, "columnName", 0), "<string>R&amp;D</string>");
  EXPECT_EQ(ValueLineAfter(p.colAttr, "columnName", 1), "<string>&lt;b&gt;</string>");
  EXPECT_EQ(ValueLineAfter(p.window, "winPosX"), "<real>&lt;1&gt;</real>");
}

TEST_F(ListConverterTest, ConvertingNeverChangesTheSource) {
  WriteDocument("keep.tvr", kSmallDocument, legacy::WPosFork("30\t60\t700\t500"));
  WriteDocument("bad.tvr", kSmallDocument.substr(0, 30));
  const std::filesystem::path out = scratch.path() / "out";
  std::filesystem::create_directory(out);
  const FolderSnapshot withOut = Snapshot(scratch.path());
  for (const char* name : {"keep.tvr", "bad.tvr"}) {
    const FolderItem source(scratch.path() / name);
    converter.FileConv(source, FolderItem(out / (std::string(name) + ".tvrmd")));
    converter.CheckMulti(source);
  }
  FolderSnapshot after = Snapshot(scratch.path());
  for (auto it = after.begin(); it != after.end();) {
    it = it->first.rfind("out/", 0) == 0 ? after.erase(it) : std::next(it);
  }
  after["out"].modifiedNs = withOut.at("out").modifiedNs;  // the output folder itself changed
  EXPECT_EQ(after, withOut);
}

TEST_F(ListConverterTest, ABatchGoesOnAfterADocumentFails) {
  const FolderItem bad = WriteDocument("bad.tvr", kSmallDocument.substr(0, 40));
  const FolderItem good = WriteDocument("good.tvr", kSmallDocument);
  EXPECT_FALSE(converter.FileConv(bad, PackageOf(bad)));
  EXPECT_TRUE(converter.FileConv(good, PackageOf(good)));
  EXPECT_EQ(services.cautions.size(), 1u);
  EXPECT_EQ(PackageFile(PackageOf(good), "csv"), "x,y\n");
  EXPECT_EQ(converter.pCname, (std::vector<std::string>{"A", "B"}));
}

TEST_F(ListConverterTest, CheckMultiReadsPreferenceNumberThreeWhereThereIsOne) {
  const struct {
    const char* name;
    std::string bytes;
    bool multi;
  } cases[] = {
      {"multi", kSmallDocument, true},
      {"single",
       [] {
         Document d = Document::WithTable({}, {}, 0);
         return d.Bytes();
       }(),
       false},
      {"negative",
       [] {
         Document d = Document::WithTable({}, {}, -1);
         return d.Bytes();
       }(),
       false},
      {"version 2",
       [] {
         Document d = Document::WithTable({}, {}, 1);
         d.header = "T:2";
         return d.Bytes();
       }(),
       false},
      {"version 1.0, five numbers",
       [] {
         Document d = Document::WithTable({}, {}, 3);
         d.header = "T:1.0";
         d.prefNumbers.push_back("0");
         return d.Bytes();
       }(),
       true},
      // Three numbers, then a string that reads like a fourth number.
      {"three numbers",
       [] {
         Document d;
         d.prefNumbers = {"0", "0", "0"};
         d.prefStrings = {"5"};
         return d.Bytes();
       }(),
       false},
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
