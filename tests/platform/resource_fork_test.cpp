#include "platform/resource_fork.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "platform/apple_double.h"
#include "platform/mac_metadata_helpers.h"

using namespace test_mac;

TEST(ResourceForkTest, GetResourceByTypeAndSignedId) {
  auto fork = ResourceFork::Parse(ResourceForkBytes({{"WPos", 128, "30\t60\t700\t500"},
                                                     {"WPos", 129, "other"},
                                                     {"STR ", 128, "string"},
                                                     {"SIZE", -1, "abc"},
                                                     {"EMPT", 1, ""}}));
  ASSERT_TRUE(fork.has_value());
  EXPECT_EQ(fork->Resources().size(), 5u);
  const struct {
    const char* type;
    std::int32_t id;
    const char* expected;  // "" when absent
  } rows[] = {
      {"WPos", 128, "30\t60\t700\t500"}, {"WPos", 129, "other"}, {"STR ", 128, "string"},
      {"SIZE", -1, "abc"},               {"EMPT", 1, ""},        {"WPos", 130, ""},
      {"wpos", 128, ""},  // types are case-sensitive
      {"WPo", 128, ""},   {"SIZE", 65535, ""},
      {"WPos", 128 + 65536, ""},  // IDs are 16-bit
  };
  for (const auto& row : rows)
    EXPECT_EQ(fork->GetResource(row.type, row.id), row.expected) << row.type << " " << row.id;
}

// A fork of nothing, macOS's blank placeholder, a little-endian fork and every
// offset or count pointing outside the fork read as no fork. The rows name
// the field that is wrong and its offset in the fork.
TEST(ResourceForkTest, MalformedForksAreRefused) {
  const std::string good = WPosFork();
  const std::size_t map = 256 + 4 + 13;  // data: length + "30\t60\t700\t500"
  const std::size_t typeList = map + 28, refs = typeList + 2 + 8;
  ASSERT_TRUE(ResourceFork::Parse(good).has_value());
  std::string blank = PlaceholderForkBytes();
  ASSERT_EQ(blank.size(), 286u);
  struct Row {
    const char* name;
    std::size_t at;
    std::string patch;
    std::string base;
  };
  const std::vector<Row> rows = {
      {"no bytes", 0, "", ""},
      {"the placeholder macOS writes", 0, "", blank},
      {"little-endian fork", 0, "", ResourceForkBytes({{"WPos", 128, "x"}}, true)},
      {"data offset past the end", 0, BE32(0xFFFFFFF0), good},
      {"map offset past the end", 4, BE32(0xFFFFFFF0), good},
      {"data length past the end", 8, BE32(0x7FFFFFFF), good},
      {"map length past the end", 12, BE32(0x7FFFFFFF), good},
      {"type list offset past the map", map + 24, BE16(0xFFF0), good},
      {"more types than the map holds", typeList, BE16(0x0100), good},
      {"more references than the map holds", typeList + 2 + 4, BE16(0x0100), good},
      {"reference list past the map", typeList + 2 + 6, BE16(0x7FFF), good},
      {"resource data offset past the data", refs + 5, "\x7F\xFF\xFF", good},
      {"resource longer than the data", 256, BE32(14), good},
      {"resource length of 4 GB", 256, BE32(0xFFFFFFFF), good},
  };
  for (const Row& row : rows) {
    std::string bytes = row.base;
    bytes.replace(row.at, row.patch.size(), row.patch);
    EXPECT_FALSE(ResourceFork::Parse(bytes).has_value()) << row.name << " at " << row.at;
  }
  // Without its text the placeholder is a well-formed fork that holds nothing.
  std::fill(blank.begin() + 16, blank.begin() + 256, '\0');
  auto empty = ResourceFork::Parse(blank);
  ASSERT_TRUE(empty.has_value());
  EXPECT_TRUE(empty->Resources().empty());
}

TEST(ResourceForkTest, EveryTruncationIsRefused) {
  const std::string bytes =
      ResourceForkBytes({{"WPos", 128, "30\t60\t700\t500"}, {"STR ", 5, "hello"}});
  for (std::size_t n = 0; n < bytes.size(); ++n)
    EXPECT_FALSE(ResourceFork::Parse(bytes.substr(0, n)).has_value()) << "length " << n;
  EXPECT_TRUE(ResourceFork::Parse(bytes).has_value());
}

TEST(ResourceForkTest, ReferencesSharingDataCannotMultiplyTheBytes) {
  // 600 references, all to one 60 KB resource: parsing must not copy 36 MB.
  std::string data = BE32(60000) + std::string(60000, 'x');
  std::string refs;
  for (int i = 0; i < 600; ++i)
    refs += BE16(static_cast<std::uint16_t>(i)) + BE16(0xFFFF) + std::string(4, '\0') + BE32(0);
  std::string map = std::string(16, '\0') + BE32(0) + BE16(0) + BE16(0) + BE16(28) +
                    BE16(static_cast<std::uint16_t>(28 + 10 + refs.size())) + BE16(0) + "BIGR" +
                    BE16(599) + BE16(10) + refs;
  std::string fork = BE32(16) + BE32(16 + static_cast<std::uint32_t>(data.size())) +
                     BE32(static_cast<std::uint32_t>(data.size())) +
                     BE32(static_cast<std::uint32_t>(map.size())) + data + map;
  EXPECT_FALSE(ResourceFork::Parse(fork).has_value());
}

TEST(ResourceForkTest, RandomCorruptionNeverCrashes) {
  auto forkOf = [](const char* name) {
    return std::string(
        AppleDouble::EntryBytes(Fixture(name), AppleDouble::kResourceFork).value());
  };
  const std::vector<std::string> seeds = {
      ResourceForkBytes({{"WPos", 128, "30\t60\t700\t500"}, {"STR ", -3, "x"}}),
      forkOf("._gshk.docs"), forkOf("SillyBalls.AppleDouble"), PlaceholderForkBytes()};
  std::mt19937 rng(1234);
  for (const std::string& seed : seeds) {
    for (int round = 0; round < 3000; ++round) {
      std::string bytes = seed;
      const int flips = 1 + static_cast<int>(rng() % 4);
      for (int f = 0; f < flips; ++f) bytes[rng() % bytes.size()] = static_cast<char>(rng());
      if (rng() % 8 == 0) bytes.resize(rng() % (bytes.size() + 1));
      if (auto fork = ResourceFork::Parse(bytes)) {
        std::size_t total = 0;
        for (const auto& r : fork->Resources()) total += r.data.size();
        EXPECT_LE(total, bytes.size());
        (void)fork->GetResource("WPos", 128);
      }
    }
  }
}
