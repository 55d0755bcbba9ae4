#include "platform/resource_fork.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/apple_double.h"
#include "platform/mac_metadata_helpers.h"

using namespace test_mac;

TEST(ResourceForkTest, GetResourceByTypeAndSignedId) {
  const ResourceFork fork = ResourceFork::Parse(legacy::ResourceForkBytes(
      {{"WPos", 128, "30\t60\t700\t500"}, {"WPos", 129, "other"}, {"SIZE", -1, "abc"}}));
  EXPECT_EQ(fork.Resources().size(), 3u);
  const struct {
    const char* type;
    std::int32_t id;
    const char* expected;  // "" when absent
  } rows[] = {
      {"WPos", 128, "30\t60\t700\t500"},
      {"WPos", 129, "other"},
      {"SIZE", -1, "abc"},
      {"WPos", 130, ""},
      {"wpos", 128, ""},
      {"SIZE", 65535, ""},
      {"WPos", 128 + 65536, ""},
  };
  for (const auto& row : rows)
    EXPECT_EQ(fork.GetResource(row.type, row.id), row.expected) << row.type << " " << row.id;
}

// Each row names the field that is wrong; the reason and the offset in the
// fork pin the check that refused it.
TEST(ResourceForkTest, MalformedForksAreRefusedSayingWhyAndWhere) {
  const std::string good = WPosFork();
  const std::size_t map = 256 + 4 + 13;  // data: length + "30\t60\t700\t500"
  const std::size_t typeList = map + 28, refs = typeList + 2 + 8;
  const std::string gshk = Fixture("._GSHK");
  const auto entry = AppleDouble::Parse(gshk).Find(AppleDouble::kResourceFork).value();
  const std::string littleEndian = gshk.substr(entry.offset, entry.length);
  const struct {
    const char* name;
    std::size_t at;
    std::string patch, base;
    const char* reason;
    std::uint64_t offset;
  } rows[] = {
      {"no bytes", 0, "", "", "ヘッダより短い", 0},
      {"the placeholder macOS writes", 0, "", PlaceholderForkBytes(), "空のフォーク", 16},
      {"little-endian fork (._GSHK)", 0, "", littleEndian, "リソースデータが長すぎます", 8},
      {"data offset past the end", 0, BE32(0xFFFFFFF0), good, "データがフォークの外", 0},
      {"more data than 24-bit offsets reach", 8, BE32(0x01000001), good, "データが長すぎ", 8},
      {"map longer than its offsets reach", 12, BE32(0x00020101), good, "マップが長すぎ", 12},
      {"map length past the end", 12, BE32(0x1000), good, "マップがフォークの外", 4},
      {"map shorter than its header", 12, BE32(29), good, "その見出しより短い", 12},
      {"type list offset past the map", map + 24, BE16(0xFFF0), good, "型の一覧の位置", map + 24},
      {"more types than the map holds", typeList, BE16(0x0100), good, "型の一覧が", typeList},
      {"more references than the map holds", typeList + 6, BE16(0x0100), good, "参照の一覧",
       typeList + 2},
      {"reference list past the map", typeList + 8, BE16(0x7FFF), good, "参照の一覧", typeList + 2},
      {"resource data offset past the data", refs + 5, "\x7F\xFF\xFF", good, "リソースの位置",
       refs + 5},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::string bytes = row.base;
    bytes.replace(row.at, row.patch.size(), row.patch);
    try {
      ResourceFork::Parse(bytes);
      ADD_FAILURE() << "accepted";
    } catch (const ReadError& e) {
      EXPECT_NE(e.reason().find(row.reason), std::string::npos) << e.what();
      EXPECT_EQ(e.offset(), row.offset);
    }
  }
}

// Truncated, the fork no longer holds what its header says; a resource that
// runs past the data reads as absent.
TEST(ResourceForkTest, EveryTruncationIsRefused) {
  const std::string bytes =
      legacy::ResourceForkBytes({{"WPos", 128, "30\t60\t700\t500"}, {"STR ", 5, "hello"}});
  for (std::size_t n = 0; n < bytes.size(); ++n)
    EXPECT_THROW(ResourceFork::Parse(bytes.substr(0, n)), ReadError) << "length " << n;
  std::string longer = bytes;
  longer.replace(256, 4, BE32(14 + 9));  // 'WPos' claims the next resource too and one more
  EXPECT_EQ(ResourceFork::Parse(longer).GetResource("WPos", 128), "");
  EXPECT_EQ(ResourceFork::Parse(longer).GetResource("STR ", 5), "hello");
}

// A carrier can claim any size: a fork larger than the format describes is
// refused before a byte is read, and otherwise only the header, the map and
// the one resource asked for are read.
TEST(ResourceForkTest, ReadsOnlyTheHeaderTheMapAndTheResourceAskedFor) {
  std::uint64_t bytesRead = 0;
  const auto counting = [&bytesRead](std::shared_ptr<const std::string> bytes) {
    RangeReader inner = MemoryRange(bytes, 0, bytes->size());
    return [&bytesRead, inner](std::uint64_t at, char* into, std::size_t size) {
      bytesRead += size;
      return inner(at, into, size);
    };
  };
  auto huge = std::make_shared<const std::string>(WPosFork());
  for (std::uint64_t claimed : {ResourceFork::kMaxSize + 1, std::uint64_t{0xFFFFFF00}}) {
    EXPECT_THROW(ResourceFork::Open(claimed, counting(huge)), ReadError) << claimed;
  }
  EXPECT_EQ(bytesRead, 0u);

  auto bytes = std::make_shared<const std::string>(legacy::ResourceForkBytes(
      {{"PICT", 1, std::string(1 << 20, 'p')}, {"WPos", 128, "30\t60\t700\t500"}}));
  const ResourceFork fork = ResourceFork::Open(bytes->size(), counting(bytes));
  EXPECT_EQ(fork.GetResource("WPos", 128), "30\t60\t700\t500");
  EXPECT_LT(bytesRead, 1024u);
}
