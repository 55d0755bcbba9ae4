// Documents that claim or hold the most the converter accepts, converted as
// a batch in a child process under an address-space limit.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "support/files.h"
#include "support/mac_bytes.h"

namespace {

namespace fs = std::filesystem;
using mac_bytes::Document;

std::string Repeat(const std::string& text, std::size_t times) {
  std::string out;
  for (std::size_t i = 0; i < times; ++i) out += text;
  return out;
}

// Whether the file holds exactly these runs of text (text, times), in order.
// Read a block at a time: the files are hundreds of megabytes.
bool FileHolds(const fs::path& path, const std::vector<std::pair<std::string, std::size_t>>& runs) {
  std::ifstream in(path, std::ios::binary);
  std::string got;
  for (const auto& [text, times] : runs) {
    for (std::size_t left = times, block; left > 0; left -= block) {
      block = std::min<std::size_t>(left, 4096);
      const std::string expected = Repeat(text, block);
      got.resize(expected.size());
      if (!in.read(got.data(), static_cast<std::streamsize>(got.size())) || got != expected)
        return false;
    }
  }
  return in.peek() == std::ifstream::traits_type::eof();
}

// Every limit at once, each filled with what grows most on its way out. The
// column names together as long as allowed, made of the Mac OS Japanese
// character whose UTF-8 is the longest (0x87FB, 15 bytes for 2); a first cell
// and a later one as long as allowed of it too, the later one just longer,
// so that the one cell held must grow; and the largest 'WPos' resource the
// format allows, its left edge and width fields made of every character XML
// escapes or replaces.
constexpr const char* kWidest = "\x87\xFB";
constexpr const char* kWidestUtf8 = "\uF862\u6709\u9650\u4F1A\u793E";  // 有限会社, one glyph
constexpr const char* kEscaped = "&<>\x01\xFF";
constexpr const char* kEscapedXml = "&amp;&lt;&gt;\uFFFD\uFFFD";
constexpr std::size_t kEscapedTimes = 1677720;  // with the other fields, 16 MiB - 4 bytes

void WriteDocumentAtTheLimits(const fs::path& path) {
  const std::string wpos =
      Repeat(kEscaped, kEscapedTimes) + "\t50\t" + Repeat(kEscaped, kEscapedTimes) + "\t480\t&<>";
  mac_bytes::WriteDocument(
      path,
      Document::WithTable(
          {{0, Repeat(kWidest, (2 << 20) - 2), 0}, {0, kWidest, 0}, {0, kWidest, 0}},
          {{Repeat(kWidest, (8 << 20) - 1), Repeat(kWidest, 8 << 20), ""}})
          .Bytes(),
      mac_bytes::WPosFork(wpos));
}

// The package of that document, byte for byte.
void ExpectPackageAtTheLimits(const fs::path& package) {
  const std::string head =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST "
      "1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n"
      "<dict>\n";
  const std::string tail = "</dict>\n</plist>\n";
  EXPECT_TRUE(
      FileHolds(package / "csv",
                {{kWidestUtf8, (8 << 20) - 1}, {",", 1}, {kWidestUtf8, 8 << 20}, {",\n", 1}}));
  const auto column = [](int index) {
    return "<key>" + std::to_string(index) +
           "</key>\n<dict>\n<key>columnAlign</key>\n<integer>0</integer>\n<key>columnAuto</"
           "key>\n<integer>0</integer>\n<key>columnBold</key>\n<integer>0</integer>\n<key>"
           "columnColorBlue</key>\n<real>0</real>\n<key>columnColorGreen</key>\n<real>0</"
           "real>\n<key>columnColorRed</key>\n<real>0</real>\n<key>columnItalic</key>\n<integer>"
           "0</integer>\n<key>columnKind</key>\n<integer>0</integer>\n<key>columnName</key>\n"
           "<string>";
  };
  const std::string columnEnd =
      "</string>\n<key>columnNumb</key>\n<integer>0</integer>\n<key>columnUline</key>\n"
      "<integer>0</integer>\n<key>columnWidth</key>\n<real>0</real>\n</dict>\n";
  EXPECT_TRUE(FileHolds(package / "colAttr", {{head + column(0), 1},
                                              {kWidestUtf8, (2 << 20) - 2},
                                              {columnEnd + column(1) + kWidestUtf8, 1},
                                              {columnEnd + column(2) + kWidestUtf8, 1},
                                              {columnEnd + tail, 1}}));
  EXPECT_TRUE(FileHolds(
      package / "window",
      {{head + "<key>scrollH</key>\n<real>0</real>\n<key>scrollV</key>\n<real>0</real>\n<key>"
               "scrollX</key>\n<real>0</real>\n<key>scrollY</key>\n<real>0</real>\n<key>toolbar</"
               "key>\n<integer>1</integer>\n<key>winHeight</key>\n<real>480</real>\n<key>winPosX</"
               "key>\n<real>",
        1},
       {kEscapedXml, kEscapedTimes},
       {"</real>\n<key>winPosY</key>\n<real>392</real>\n<key>winWidth</key>\n<real>", 1},
       {kEscapedXml, kEscapedTimes},
       {"</real>\n" + tail, 1}}));
}

// The converter, run as a batch by bench/convert_bench, on documents that
// claim or hold the most the converter accepts: under an address-space limit
// of 1 GiB nothing aborts, and peak memory stays under 64 MB.
TEST(HostileDocuments, ConvertInLittleMemoryUnderAnAddressSpaceLimit) {
#if defined(TAVR_SANITIZE)
  GTEST_SKIP() << "the sanitizers need a large address space";
#endif
  TempFolder folder;
  fs::create_directory(folder / "out");
  mac_bytes::WriteDocument(folder / "fork.tvr",
                           Document::WithTable({{0, "A", 0}}, {{"x"}}).Bytes());
  mac_bytes::WriteClaimingSidecar(folder / "._fork.tvr");
  mac_bytes::WriteClaimingDocument(  // its second cell; a TAB in its name
      folder / "cell\t.tvr", Document::WithTable({{0, "A", 0}, {0, "B", 0}}, {{"x"}}), 0x7FFFFFFF);
  // The most columns, their names together as long as allowed (half-width
  // katakana: three bytes of UTF-8 each), and one cell as long as allowed.
  std::vector<mac_bytes::Column> columns(65536, {0, std::string(64, '\xB6'), 0});
  std::vector<std::string> row(columns.size());
  row[1] = std::string(16 << 20, '\xB6');
  mac_bytes::WriteDocument(folder / "wide.tvr", Document::WithTable(columns, {row}).Bytes());
  // A first cell as long as allowed in UTF-16 (it goes through Shift-JIS).
  std::string cell;
  while (cell.size() < (16u << 20)) cell.append("\0a\0,", 4);
  mac_bytes::WriteDocument(folder / "utf16.tvr",
                           Document::WithTable({{0, "A", 0}}, {{cell}}).Bytes());
  WriteDocumentAtTheLimits(folder / "limits.tvr");
  std::string documents;
  for (const char* name : {"fork.tvr", "cell\t.tvr", "wide.tvr", "utf16.tvr", "limits.tvr"})
    documents += " '" + (folder / name).string() + "'";
  // The converter runs as a child of the shell, whose own memory (a copy of
  // this process's at first) is not counted: it reports its peak itself.
  const std::string command = "ulimit -v 1048576; '" TAVR_CONVERT_BENCH "' '" +
                              (folder / "out").string() + "'" + documents + " >'" +
                              (folder / "report").string() + "' 2>'" +
                              (folder / "cautions").string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << ReadBytes(folder / "cautions");
  const std::string report = ReadBytes(folder / "report");
  const std::size_t peak = report.find("peak_KiB=");
  ASSERT_NE(peak, std::string::npos) << report;
  EXPECT_LT(std::stol(report.substr(peak + 9)), 64'000'000 / 1024) << report;
  const std::string cautions = ReadBytes(folder / "cautions");
  // One line of three fields: line breaks and TABs in the caution are escaped.
  EXPECT_EQ(std::count(cautions.begin(), cautions.end(), '\n'), 1) << cautions;
  EXPECT_EQ(std::count(cautions.begin(), cautions.end(), '\t'), 2) << cautions;
  EXPECT_NE(cautions.find("1行目・2列目のセルが長すぎます（2147483647バイト"), std::string::npos)
      << cautions;
  // A fork larger than the format can describe is none: the default geometry.
  EXPECT_NE(ReadBytes(folder / "out/fork.tvr.tvrmd/window")
                .find("<real>480</real>\n<key>winPosX</key>\n<real>10</real>"),
            std::string::npos);
  EXPECT_TRUE(fs::is_regular_file(folder / "out/utf16.tvr.tvrmd/window"));
  EXPECT_EQ(fs::file_size(folder / "out" / "wide.tvr.tvrmd" / "csv"), 65536 + (48u << 20));
  ExpectPackageAtTheLimits(folder / "out" / "limits.tvr.tvrmd");
}

}  // namespace
