// The converter, run as a batch by bench/convert_bench, on documents that
// claim or hold the most the converter accepts: under an address-space limit
// of 1 GiB nothing aborts, and peak memory stays under 64 MB.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/legacy_document.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using legacy::Document;

// A document whose last cell claims `length` bytes, with a sparse file.
void WriteClaimingCell(const fs::path& path, std::int32_t length) {
  std::string bytes = Document::WithTable({{0, "A", 0}, {0, "B", 0}}, {{"x"}}).Bytes();
  legacy::AppendLong(bytes, length);
  legacy::WriteDocument(path, bytes);
  fs::resize_file(path, bytes.size() + static_cast<std::uint64_t>(length));
}

// A sidecar whose resource fork entry claims nearly 4 GiB, with a sparse file.
void WriteClaimingFork(const fs::path& path) {
  legacy::WriteDocument(path, Document::WithTable({{0, "A", 0}}, {{"x"}}).Bytes());
  std::string sidecar = legacy::AppleDoubleBytes(legacy::WPosFork("1\t2\t3\t4"));
  sidecar.replace(26 + 12 + 8, 4, legacy::Long(static_cast<std::int32_t>(0xFFFFFF00)));
  legacy::WriteBytes(legacy::SidecarPath(path), sidecar);
  fs::resize_file(legacy::SidecarPath(path), 26 + 24 + 32 + 0xFFFFFF00ull);
}

// The most columns, their names together as long as allowed (half-width
// katakana: three bytes of UTF-8 each), and one cell as long as allowed.
void WriteWidest(const fs::path& path) {
  std::vector<legacy::Column> columns(65536, {0, std::string(64, '\xB6'), 0});
  std::vector<std::string> row(columns.size());
  row[1] = std::string(16 << 20, '\xB6');
  legacy::WriteDocument(path, Document::WithTable(std::move(columns), {std::move(row)}).Bytes());
}

// A first cell as long as allowed in UTF-16 (it goes through Shift-JIS).
void WriteUtf16FirstCell(const fs::path& path) {
  std::string cell;
  while (cell.size() < (16u << 20)) cell.append("\0a\0,", 4);
  legacy::WriteDocument(path, Document::WithTable({{0, "A", 0}}, {{cell}}).Bytes());
}

TEST(HostileDocuments, ConvertInLittleMemoryUnderAnAddressSpaceLimit) {
#if defined(TAVR_SANITIZE)
  GTEST_SKIP() << "the sanitizers need a large address space";
#endif
  TempFolder folder;
  fs::create_directory(folder / "out");
  WriteClaimingFork(folder / "fork.tvr");
  WriteClaimingCell(folder / "cell.tvr", 0x7FFFFFFF);
  WriteWidest(folder / "wide.tvr");
  WriteUtf16FirstCell(folder / "utf16.tvr");
  std::string documents;
  for (const char* name : {"fork.tvr", "cell.tvr", "wide.tvr", "utf16.tvr"})
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
  EXPECT_EQ(std::count(cautions.begin(), cautions.end(), '\n'), 1) << cautions;
  EXPECT_NE(cautions.find("1行目・2列目のセルが長すぎます（2147483647バイト"), std::string::npos)
      << cautions;
  for (const char* package : {"fork.tvr.tvrmd", "wide.tvr.tvrmd", "utf16.tvr.tvrmd"})
    EXPECT_TRUE(fs::is_regular_file(folder / "out" / package / "window")) << package;
  EXPECT_EQ(fs::file_size(folder / "out" / "wide.tvr.tvrmd" / "csv"), 65536 + (48u << 20));
}

}  // namespace
