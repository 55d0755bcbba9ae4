#include "platform/apple_double.h"

#include <gtest/gtest.h>

#include "platform/mac_metadata_helpers.h"

using namespace test_mac;

// Each row pins the reason and the offset of the check that refused it.
TEST(AppleDoubleTest, MalformedHeadersAreRefusedSayingWhyAndWhere) {
  const std::string good = AppleDoubleBytes({{9, FinderInfoBytes("A", "B")}});
  auto with = [&](std::size_t at, const std::string& patch) {
    return std::string(good).replace(at, patch.size(), patch);
  };
  const struct {
    const char* name;
    std::string bytes;
    const char* reason;
    std::uint64_t offset;
  } rows[] = {
      {"shorter than the header", good.substr(0, 25), "ヘッダより短い", 0},
      {"AppleSingle", with(0, BE32(0x00051600)), "印がありません", 0},
      {"version with swapped halves", with(4, BE32(0x00000002)), "版（2）に対応していません", 4},
      {"65535 entries claimed in 70 bytes", with(24, BE16(0xFFFF)), "表がファイルに収まりません",
       24},
  };
  for (const auto& row : rows) {
    try {
      AppleDouble::Parse(row.bytes);
      ADD_FAILURE() << row.name << ": accepted";
    } catch (const ReadError& e) {
      EXPECT_NE(e.reason().find(row.reason), std::string::npos) << row.name << ": " << e.what();
      EXPECT_EQ(e.offset(), row.offset) << row.name;
    }
  }
}

TEST(AppleDoubleTest, EntryBeyondTheFileIsAbsent) {
  std::string bytes = AppleDoubleBytes({{9, FinderInfoBytes("Tavr", "qZt5")}, {2, "fork"}});
  bytes.replace(26 + 12 + 8, 4, BE32(0x7FFFFFFF));  // the second entry's length
  const AppleDouble ad = AppleDouble::Parse(bytes);
  EXPECT_TRUE(ad.Find(AppleDouble::kFinderInfo).has_value());
  EXPECT_FALSE(ad.Find(AppleDouble::kResourceFork).has_value());
  bytes.replace(26 + 12 + 4, 8, BE32(0xFFFFFFFF) + BE32(0x10));  // offset + length overflows
  EXPECT_FALSE(AppleDouble::Parse(bytes).Find(AppleDouble::kResourceFork).has_value());
}

TEST(AppleDoubleTest, ReadEntryReadsOnlyWhatIsAsked) {
  TempFolder dir;
  const auto file = dir / "._doc";
  WriteBytes(file, MacOsSidecarBytes(FinderInfoBytes("Tavr", "qZt5"), WPosFork()));
  auto finder = AppleDouble::ReadEntry(file, AppleDouble::kFinderInfo, 32);
  ASSERT_TRUE(finder.has_value());
  EXPECT_EQ(finder->size(), 32u);
  EXPECT_EQ(finder->substr(0, 8), "TavrqZt5");
  auto fork = AppleDouble::OpenEntry(file, AppleDouble::kResourceFork);
  ASSERT_TRUE(fork.has_value());
  std::string bytes(fork->length, '\0');
  ASSERT_TRUE(fork->read(0, bytes.data(), bytes.size()));
  EXPECT_EQ(bytes, WPosFork());
  EXPECT_FALSE(fork->read(1, bytes.data(), bytes.size())) << "past the entry's end";
  EXPECT_FALSE(AppleDouble::OpenEntry(file, 7).has_value());
  EXPECT_FALSE(AppleDouble::OpenEntry(dir / "missing", 9).has_value());
  EXPECT_FALSE(AppleDouble::OpenEntry(dir.path(), 9).has_value()) << "a folder is not a sidecar";
  EXPECT_THROW(AppleDouble::OpenEntry(FixturePath("._not_adf"), 9), ReadError);

  const std::string gshk = Fixture("._gshk.docs");
  for (std::size_t n : {0, 1, 25, 26, 27, 37, 38, 49, 50, 60, 100, 3809, 3810, 4000, 4384}) {
    WriteBytes(file, gshk.substr(0, n));
    // Cut inside the table: not AppleDouble; past it: the entries that no
    // longer fit are absent.
    if (n < 50) {  // two entries: the table ends at 50
      EXPECT_THROW(AppleDouble::OpenEntry(file, AppleDouble::kResourceFork), ReadError) << n;
    } else {
      EXPECT_FALSE(AppleDouble::OpenEntry(file, AppleDouble::kResourceFork).has_value()) << n;
    }
  }
}
