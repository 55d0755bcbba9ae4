#include "platform/apple_double.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/mac_metadata_helpers.h"

using test_mac::BE16;
using test_mac::BE32;

TEST(AppleDoubleTest, ParsesMacOsSidecar) {
  const std::string bytes = test_mac::Fixture("._Release.Notes");
  auto ad = AppleDouble::Parse(bytes);
  ASSERT_TRUE(ad.has_value());
  EXPECT_EQ(ad->Version(), AppleDouble::kVersion2);
  EXPECT_EQ(ad->Filler(), "Mac OS X        ");
  ASSERT_EQ(ad->Entries().size(), 2u);
  auto finder = ad->Find(AppleDouble::kFinderInfo);
  ASSERT_TRUE(finder.has_value());
  EXPECT_EQ(finder->offset, 0x32u);
  EXPECT_EQ(finder->length, 0xEB0u) << "macOS extends entry 9 with an ATTR block";
  auto fork = ad->Find(AppleDouble::kResourceFork);
  ASSERT_TRUE(fork.has_value());
  EXPECT_EQ(fork->length, 286u);
}

TEST(AppleDoubleTest, EntryBytesOfEveryRealSidecar) {
  for (const char* name : {"._Release.Notes", "._gshk.docs", "._GSHK", "SillyBalls.AppleDouble",
                           "DirectoryWithAttrs.AppleDouble"}) {
    const std::string bytes = test_mac::Fixture(name);
    auto finder = AppleDouble::EntryBytes(bytes, AppleDouble::kFinderInfo);
    ASSERT_TRUE(finder.has_value()) << name;
    EXPECT_GE(finder->size(), 32u) << name;
  }
  // The folder's sidecar has a resource fork entry of length zero.
  const std::string folderSidecar = test_mac::Fixture("DirectoryWithAttrs.AppleDouble");
  auto fork = AppleDouble::EntryBytes(folderSidecar, AppleDouble::kResourceFork);
  ASSERT_TRUE(fork.has_value());
  EXPECT_TRUE(fork->empty());
}

TEST(AppleDoubleTest, FileThatIsNotAppleDoubleIsRefused) {
  EXPECT_FALSE(AppleDouble::Parse(test_mac::Fixture("._not_adf")).has_value());
  EXPECT_FALSE(AppleDouble::Parse("").has_value());
  EXPECT_FALSE(AppleDouble::EntryBytes(test_mac::Fixture("._not_adf"), AppleDouble::kFinderInfo));
}

TEST(AppleDoubleTest, EntriesAreFoundByIdNotPosition) {
  const std::string info = test_mac::FinderInfoBytes("Tavr", "qZt5");
  const std::string fork = test_mac::WPosFork();
  const std::string bytes = test_mac::AppleDoubleBytes({{3, "name"}, {2, fork}, {9, info}});
  EXPECT_EQ(AppleDouble::EntryBytes(bytes, AppleDouble::kFinderInfo).value(), info);
  EXPECT_EQ(AppleDouble::EntryBytes(bytes, AppleDouble::kResourceFork).value(), fork);
  EXPECT_EQ(AppleDouble::EntryBytes(bytes, 3).value(), "name");
  EXPECT_FALSE(AppleDouble::EntryBytes(bytes, 4).has_value());
}

TEST(AppleDoubleTest, AnyFillerAndBothVersions) {
  const std::string info = test_mac::FinderInfoBytes("Tavr", "qZt5");
  for (const std::string& filler : std::vector<std::string>{
           "Mac OS X        ", "Netatalk        ", "Unix            ", std::string(16, '\0')}) {
    for (std::uint32_t version : {AppleDouble::kVersion1, AppleDouble::kVersion2}) {
      auto ad = AppleDouble::Parse(test_mac::AppleDoubleBytes({{9, info}}, filler, version));
      ASSERT_TRUE(ad.has_value()) << filler << " " << version;
      EXPECT_EQ(ad->Filler(), filler);
      EXPECT_EQ(ad->Version(), version);
    }
  }
  EXPECT_FALSE(AppleDouble::Parse(test_mac::AppleDoubleBytes({{9, info}}, "x", 0x00030000)));
  EXPECT_FALSE(AppleDouble::Parse(test_mac::AppleDoubleBytes({{9, info}}, "x", 0x00000002)));
}

TEST(AppleDoubleTest, AppleSingleAndOtherMagicAreRefused) {
  std::string bytes = test_mac::AppleDoubleBytes({{9, test_mac::FinderInfoBytes("A", "B")}});
  bytes.replace(0, 4, BE32(0x00051600));  // AppleSingle
  EXPECT_FALSE(AppleDouble::Parse(bytes).has_value());
  bytes.replace(0, 4, BE32(0x07160500));  // byte-swapped AppleDouble
  EXPECT_FALSE(AppleDouble::Parse(bytes).has_value());
}

TEST(AppleDoubleTest, TableThatDoesNotFitIsRefused) {
  std::string bytes = test_mac::AppleDoubleBytes({{9, test_mac::FinderInfoBytes("A", "B")}});
  bytes.replace(24, 2, BE16(0xFFFF));  // 65535 entries claimed in 70 bytes
  EXPECT_FALSE(AppleDouble::Parse(bytes).has_value());
}

TEST(AppleDoubleTest, EntryBeyondTheFileIsAbsent) {
  const std::string info = test_mac::FinderInfoBytes("Tavr", "qZt5");
  std::string bytes = test_mac::AppleDoubleBytes({{9, info}, {2, "fork"}});
  // Entry 2's length (the second entry, at 26 + 12 + 8) made too long.
  bytes.replace(26 + 12 + 8, 4, BE32(0x7FFFFFFF));
  auto ad = AppleDouble::Parse(bytes);
  ASSERT_TRUE(ad.has_value());
  EXPECT_TRUE(ad->Find(AppleDouble::kFinderInfo).has_value());
  EXPECT_FALSE(ad->Find(AppleDouble::kResourceFork).has_value());
  // Offset past the end, with an overflowing sum.
  bytes.replace(26 + 12 + 4, 8, BE32(0xFFFFFFFF) + BE32(0x10));
  EXPECT_FALSE(AppleDouble::Parse(bytes)->Find(AppleDouble::kResourceFork).has_value());
}

TEST(AppleDoubleTest, EveryTruncationIsSafe) {
  for (const char* name : {"._Release.Notes", "._gshk.docs", "SillyBalls.AppleDouble",
                           "DirectoryWithAttrs.AppleDouble"}) {
    const std::string bytes = test_mac::Fixture(name);
    for (std::size_t n = 0; n <= bytes.size(); n += (n < 200 ? 1 : 97)) {
      auto ad = AppleDouble::Parse(std::string_view(bytes).substr(0, n));
      if (n < 26) {
        EXPECT_FALSE(ad.has_value()) << name << " " << n;
      }
      if (ad) {
        for (const auto& e : ad->Entries()) EXPECT_LE(std::uint64_t{e.offset} + e.length, n);
      }
    }
  }
}

TEST(AppleDoubleTest, ReadEntryReadsOnlyWhatIsAsked) {
  test_mac::TempDir dir;
  const auto file = dir / "._doc";
  test_mac::WriteFile(file, test_mac::MacOsSidecarBytes(test_mac::FinderInfoBytes("Tavr", "qZt5"),
                                                        test_mac::WPosFork()));
  auto finder = AppleDouble::ReadEntry(file, AppleDouble::kFinderInfo, 32);
  ASSERT_TRUE(finder.has_value());
  EXPECT_EQ(finder->size(), 32u);
  EXPECT_EQ(finder->substr(0, 8), "TavrqZt5");
  auto fork = AppleDouble::ReadEntry(file, AppleDouble::kResourceFork);
  ASSERT_TRUE(fork.has_value());
  EXPECT_EQ(*fork, test_mac::WPosFork());
  EXPECT_FALSE(AppleDouble::ReadEntry(file, 7).has_value());
  EXPECT_FALSE(AppleDouble::ReadEntry(dir / "missing", 9).has_value());
  EXPECT_FALSE(AppleDouble::ReadEntry(dir.path(), 9).has_value()) << "a folder is not a sidecar";
  EXPECT_FALSE(AppleDouble::ReadEntry(test_mac::FixturePath("._not_adf"), 9).has_value());
}

TEST(AppleDoubleTest, ReadEntryOfTruncatedFilesIsSafe) {
  test_mac::TempDir dir;
  const std::string bytes = test_mac::Fixture("._gshk.docs");
  const auto file = dir / "._x";
  for (std::size_t n : {0, 1, 25, 26, 27, 37, 38, 49, 50, 60, 100, 3809, 3810, 4000, 4384}) {
    test_mac::WriteFile(file, bytes.substr(0, n));
    auto finder = AppleDouble::ReadEntry(file, AppleDouble::kFinderInfo, 32);
    auto fork = AppleDouble::ReadEntry(file, AppleDouble::kResourceFork);
    if (n < 38) {
      EXPECT_FALSE(finder.has_value()) << n;
    }
    EXPECT_FALSE(fork.has_value()) << n;
  }
}

TEST(AppleDoubleTest, RandomCorruptionNeverCrashes) {
  std::mt19937 rng(99);
  for (const char* name : {"._Release.Notes", "._gshk.docs", "SillyBalls.AppleDouble"}) {
    const std::string seed = test_mac::Fixture(name);
    for (int round = 0; round < 2000; ++round) {
      std::string bytes = seed;
      for (int f = 0; f < 3; ++f) bytes[rng() % 64] = static_cast<char>(rng());
      if (auto ad = AppleDouble::Parse(bytes)) {
        for (const auto& e : ad->Entries())
          EXPECT_LE(std::uint64_t{e.offset} + e.length, bytes.size());
      }
    }
  }
}
