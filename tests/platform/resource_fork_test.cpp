#include "platform/resource_fork.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/apple_double.h"
#include "platform/mac_metadata_helpers.h"

using namespace test_mac;

TEST(ResourceForkTest, GetResourceByTypeAndSignedId) {
  auto fork = ResourceFork::Parse(legacy::ResourceForkBytes(
      {{"WPos", 128, "30\t60\t700\t500"}, {"WPos", 129, "other"}, {"SIZE", -1, "abc"}}));
  ASSERT_TRUE(fork.has_value());
  EXPECT_EQ(fork->Resources().size(), 3u);
  const struct {
    const char* type;
    std::int32_t id;
    const char* expected;  // "" when absent
  } rows[] = {
      {"WPos", 128, "30\t60\t700\t500"}, {"WPos", 129, "other"}, {"SIZE", -1, "abc"},
      {"WPos", 130, ""}, {"wpos", 128, ""}, {"SIZE", 65535, ""}, {"WPos", 128 + 65536, ""},
  };
  for (const auto& row : rows)
    EXPECT_EQ(fork->GetResource(row.type, row.id), row.expected) << row.type << " " << row.id;
}

// Each row names the field that is wrong and where it lies in the fork.
TEST(ResourceForkTest, MalformedForksAreRefused) {
  const std::string good = WPosFork();
  const std::size_t map = 256 + 4 + 13;  // data: length + "30\t60\t700\t500"
  const std::size_t typeList = map + 28, refs = typeList + 2 + 8;
  ASSERT_TRUE(ResourceFork::Parse(good).has_value());
  std::string blank = PlaceholderForkBytes();
  const std::string littleEndian(
      AppleDouble::EntryBytes(Fixture("._GSHK"), AppleDouble::kResourceFork).value());
  const struct {
    const char* name;
    std::size_t at;
    std::string patch, base;
  } rows[] = {
      {"no bytes", 0, "", ""},
      {"the placeholder macOS writes", 0, "", blank},
      {"little-endian fork (._GSHK)", 0, "", littleEndian},
      {"data offset past the end", 0, BE32(0xFFFFFFF0), good},
      {"map length past the end", 12, BE32(0x7FFFFFFF), good},
      {"type list offset past the map", map + 24, BE16(0xFFF0), good},
      {"more types than the map holds", typeList, BE16(0x0100), good},
      {"more references than the map holds", typeList + 2 + 4, BE16(0x0100), good},
      {"reference list past the map", typeList + 2 + 6, BE16(0x7FFF), good},
      {"resource data offset past the data", refs + 5, "\x7F\xFF\xFF", good},
      {"resource longer than the data", 256, BE32(14), good},
  };
  for (const auto& row : rows) {
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
      legacy::ResourceForkBytes({{"WPos", 128, "30\t60\t700\t500"}, {"STR ", 5, "hello"}});
  for (std::size_t n = 0; n < bytes.size(); ++n)
    EXPECT_FALSE(ResourceFork::Parse(bytes.substr(0, n)).has_value()) << "length " << n;
  EXPECT_TRUE(ResourceFork::Parse(bytes).has_value());
}
