#include "conversion/list_converter.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>

#include "conversion_fixture.h"

namespace {

namespace fs = std::filesystem;
using Log = std::vector<std::string>;

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

// Every key and every escape: all 51 numbers and 21 strings, eleven columns
// (keys "9" then "10"), bit fields and colour words at their extremes, names
// and cells that need escaping or quoting, Shift-JIS whose second byte is a
// backslash, and first cells already in UTF-8 or UTF-16.
Document GoldenDocument() {
  using mac_bytes::kSjisWords;
  std::vector<mac_bytes::Column> columns = {{0x678, "R&D", 0xFF0000},
                                            {0x8000, "<b>", 0x123456},
                                            {INT_MIN, "\x01\x93", -70000},
                                            {-1, kSjisWords[4], INT_MIN}};
  for (int i = 4; i < 11; ++i) columns.push_back({0, "c" + std::to_string(i), 0});
  std::vector<std::vector<std::string>> rows = {{kSjisWords[0], kSjisWords[1], kSjisWords[6]},
                                                {"日本語", "a,b", "say \"hi\""},
                                                {"\xFE\xFF\x30\x4B", "line\nbreak", "cr\rhere"},
                                                {"q\"uote", kSjisWords[7], ""}};
  for (auto& row : rows) row.resize(11);
  Document d = Document::WithTable(columns, rows, 1);
  d.prefNumbers.resize(51, "0");
  d.prefNumbers[15] = "3";
  d.prefNumbers[16] = "-2147483648";  // the cell line wraps as 32 bits do
  d.prefNumbers[17] = "1", d.prefNumbers[18] = "2", d.prefNumbers[19] = "1193046";
  d.prefNumbers[20] = "4.9", d.prefNumbers[21] = "5", d.prefNumbers[22] = "15584169";
  d.prefNumbers[50] = "12";
  d.prefStrings.resize(21, "s");
  d.prefStrings[0] = std::string("A&B<C>") + kSjisWords[0];
  d.prefStrings[20] = std::string(255, 'F');  // a length byte above 127
  return d;
}

using ListConverterTest = ConversionTest;

// The expected package is tests/data/golden.tvr.tvrmd; TAVR_WRITE_GOLDEN=1
// rewrites its files from what the converter writes, to be read before they
// are committed.
TEST_F(ListConverterTest, GoldenPackage) {
  gPref[21] = 2;   // scrollKind
  gPref[22] = -1;  // any setting but 0 turns winGeo off
  const auto package =
      Convert("golden.tvr", GoldenDocument().Bytes(), mac_bytes::WPosFork("<1>\t60\t&\t500"));
  ASSERT_TRUE(package);
  EXPECT_TRUE(services.log.empty());
  const fs::path golden = fs::path(TAVR_TEST_DATA_DIR) / "golden.tvr.tvrmd";
  const char* files[] = {"pref", "csv", "colAttr", "window"};
  for (int i = 0; i < 4; ++i) {
    if (std::getenv("TAVR_WRITE_GOLDEN")) WriteBytes(golden / files[i], (*package)[i]);
    EXPECT_EQ((*package)[i], ReadBytes(golden / files[i])) << files[i];
  }
  // The document builder writes the format byte by byte as it is laid out.
  const auto small = Convert("small", kSmallDocument);
  EXPECT_EQ((*small)[1], "x,y\n");
  EXPECT_EQ(
      small,
      Convert("built",
              Document::WithTable({{0, "A", 0xFF0000}, {0, "B", 0xFF}}, {{"x", "y"}}, 1).Bytes()));
}

TEST_F(ListConverterTest, FormatVersionIsTheHeadersSecondField) {
  int n = 0;
  for (const char* header :
       {"T:1", "T:1.0", "T:01", ":1", "x:1:9", "T: 1", "T:2", "T:1.5", "T1", "", "T:", "1:2"}) {
    SCOPED_TRACE(header);
    const bool converts = n < 6;
    services.log.clear();
    Document doc = Document::WithTable({{0, "A", 0}}, {{"x"}});
    doc.header = header;
    doc.prefNumbers[0] = "7";
    doc.prefStrings = {"Osaka"};
    const std::string name = "v" + std::to_string(n++);
    EXPECT_EQ(Convert(name, doc.Bytes()).has_value(), converts);
    EXPECT_EQ(services.log,
              converts ? Log{} : Log{"caution このバージョンでは読み込めないフォーマットです。"});
    EXPECT_EQ(fs::exists(scratch / (name + ".tvrmd")), converts);
    // The preference block is read before the version is judged.
    EXPECT_EQ(converter.pPref[0], 7);
    EXPECT_EQ(converter.pPrefS[0], "Osaka");
  }
}

// The texts of a property list's values, "|" after each.
std::string Values(const std::string& plist) {
  static const std::regex value("<(integer|real|string)>(.*)</\\1>");
  std::string values;
  for (std::sregex_iterator it(plist.begin(), plist.end(), value), end; it != end; ++it)
    values += (*it)[2].str() + "|";
  return values;
}

// Nothing of a document converted before, or refused halfway, reaches the
// next: after documents whose every field is set, a column of zeros and an
// empty name is written as zeros and an empty name, and preferences the
// document does not hold as zeros. Without preference numbers a document has
// no columns and no rows. Each column attribute comes from its own bits:
// align 0-3, bold 4, italic 5, underline 6, kind 7-8, number 9-14, auto 15,
// width 16-31 (signed).
TEST_F(ListConverterTest, EveryDocumentStartsFromACleanState) {
  Document full = Document::WithTable(
      {{static_cast<std::int32_t>(0xFFFEDB35), "Wide", 0xFFFFFF}, {0x012C24CA, "Tall", 0x123456}},
      {{"p", "q"}}, 1);
  full.prefNumbers.resize(51, "16777215");
  full.prefStrings.resize(21, "Osaka");
  const auto first = Convert("full", full.Bytes());
  ASSERT_TRUE(first);
  EXPECT_EQ(Values((*first)[2]),
            "5|1|1|255|255|255|1|2|Wide|45|0|-2|10|0|0|86|52|18|0|1|Tall|18|1|300|");
  // Cut in its colour words, after the column blocks were read.
  EXPECT_FALSE(Convert("cut", full.Bytes().substr(0, full.PrefBlockBytes().size() + 2 * 12 + 2)));

  const auto zeros = Convert("zeros", Document::WithTable({{0, "", 0}}, {{""}}).Bytes());
  ASSERT_TRUE(zeros);
  EXPECT_EQ(Values((*zeros)[0]), "0|0|0|0|0||0|0|0|0|0|0|0|0|0|0|1|");
  EXPECT_EQ((*zeros)[1], ",\n");
  EXPECT_EQ(Values((*zeros)[2]), "0|0|0|0|0|0|0|0||0|0|0|");

  const auto none = Convert("bare", Document().Bytes());
  ASSERT_TRUE(none);
  EXPECT_EQ((*none)[1], "");
  EXPECT_EQ(Values((*none)[2]), "");
  EXPECT_TRUE(converter.pCname.empty());
}

// Only the resource of type 'WPos' and ID 128 gives the geometry, whatever
// stands before it in the map; without one the window gets its default.
TEST_F(ListConverterTest, TheGeometryIsTheWPosResource128) {
  using mac_bytes::Resource;
  const std::string other = "1\t2\t3\t4", own = "30\t60\t700\t500";
  const std::pair<std::vector<Resource>, const char*> rows[] = {
      // the scroll values, toolbar, winHeight, winPosX, winPosY, winWidth
      {{{"PICT", 128, other}, {"WPos", 129, other}, {"wpos", 128, other}, {"WPos", 128, own}},
       "0|0|0|0|1|500|30|362|700|"},
      {{{"PICT", 128, other}, {"WPos", -128, other}}, "0|0|0|0|1|480|10|392|640|"},
  };
  int n = 0;
  for (const auto& [resources, geometry] : rows) {
    const auto package =
        Convert("w" + std::to_string(n++), kSmallDocument, mac_bytes::ResourceForkBytes(resources));
    ASSERT_TRUE(package);
    EXPECT_EQ(Values((*package)[3]), geometry) << n;
  }
}

// Package files get the mode the user's umask gives any new file, and the
// package folder the mode it gives any new folder.
TEST_F(ListConverterTest, PackageFilesTakeTheUsersUmask) {
  const std::tuple<mode_t, fs::perms, fs::perms> rows[] = {{022, fs::perms(0644), fs::perms(0755)},
                                                           {077, fs::perms(0600), fs::perms(0700)},
                                                           {002, fs::perms(0664), fs::perms(0775)}};
  for (const auto& [mask, file, folder] : rows) {
    const std::string name = "mask" + std::to_string(mask);
    const mode_t saved = ::umask(mask);
    const bool converted = Convert(name, kSmallDocument).has_value();
    ::umask(saved);
    ASSERT_TRUE(converted);
    const fs::path package = scratch / (name + ".tvrmd");
    EXPECT_EQ(fs::status(package).permissions(), folder) << name;
    for (const char* each : {"pref", "csv", "colAttr", "window"})
      EXPECT_EQ(fs::status(package / each).permissions(), file) << name << " " << each;
  }
}

// The fourth preference number, only where the document has four numbers.
TEST_F(ListConverterTest, CheckMulti) {
  const auto bytes = [](const char* header, std::vector<std::string> numbers) {
    return Document{header, std::move(numbers), {}, {}, {}}.Bytes();
  };
  // Three numbers, then a string count whose first bytes read as the number 5.
  const std::string three = bytes("T:1", {"0", "0", "0"});
  const std::string countLikeFive =
      three.substr(0, three.size() - 4) + std::string("\x01\x35\0", 4);
  const std::pair<std::string, bool> cases[] = {
      {kSmallDocument, true},
      {bytes("T:1", {"0", "0", "0", "0"}), false},
      {bytes("T:1", {"0", "0", "0", "-1"}), false},
      {bytes("T:2", {"0", "0", "0", "1"}), false},
      {bytes("T:1.0", {"0", "0", "0", "3", "0"}), true},
      {countLikeFive, false},
      {kSmallDocument.substr(0, 14), false},  // cut after three numbers
  };
  int n = 0;
  for (const auto& [document, multi] : cases) {
    converter.pPref.fill(42);
    EXPECT_EQ(converter.CheckMulti(WriteDocument(std::to_string(n++), document)), multi) << n;
    EXPECT_EQ(converter.pPref[3], 42) << n;
  }
  EXPECT_FALSE(converter.CheckMulti(FolderItem(scratch / "missing.tvr")));
  EXPECT_TRUE(services.log.empty());
}

}  // namespace
