#include "platform/resource_fork.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/apple_double.h"
#include "platform/mac_metadata_helpers.h"

using test_mac::BE16;
using test_mac::BE32;
using test_mac::Res;

namespace {

std::string ForkOfFixture(const std::string& name) {
  const std::string sidecar = test_mac::Fixture(name);
  auto entry = AppleDouble::EntryBytes(sidecar, AppleDouble::kResourceFork);
  EXPECT_TRUE(entry.has_value()) << name;
  return entry ? std::string(*entry) : std::string();
}

}  // namespace

TEST(ResourceForkTest, GetsAResourceByTypeAndId) {
  const std::string bytes = test_mac::ResourceForkBytes(
      {{"WPos", 128, "30\t60\t700\t500"}, {"WPos", 129, "other"}, {"STR ", 128, "string"}});
  auto fork = ResourceFork::Parse(bytes);
  ASSERT_TRUE(fork.has_value());
  EXPECT_EQ(fork->GetResource("WPos", 128), "30\t60\t700\t500");
  EXPECT_EQ(fork->GetResource("WPos", 129), "other");
  EXPECT_EQ(fork->GetResource("STR ", 128), "string");
  EXPECT_EQ(fork->Resources().size(), 3u);
}

TEST(ResourceForkTest, AbsentResourceIsTheEmptyString) {
  auto fork = ResourceFork::Parse(test_mac::WPosFork());
  ASSERT_TRUE(fork.has_value());
  EXPECT_EQ(fork->GetResource("WPos", 129), "");
  EXPECT_EQ(fork->GetResource("wpos", 128), "") << "types are case-sensitive";
  EXPECT_EQ(fork->GetResource("WPo", 128), "");
  EXPECT_EQ(fork->GetResource("WPos", 128 + 65536), "") << "IDs are 16-bit";
}

TEST(ResourceForkTest, EmptyResourceReadsAsEmpty) {
  auto fork = ResourceFork::Parse(test_mac::ResourceForkBytes({{"WPos", 128, ""}}));
  ASSERT_TRUE(fork.has_value());
  EXPECT_EQ(fork->GetResource("WPos", 128), "");
  ASSERT_EQ(fork->Resources().size(), 1u);
}

TEST(ResourceForkTest, NegativeIdsAreSigned) {
  auto fork = ResourceFork::Parse(test_mac::ResourceForkBytes({{"SIZE", -1, "abc"}}));
  ASSERT_TRUE(fork.has_value());
  EXPECT_EQ(fork->GetResource("SIZE", -1), "abc");
  EXPECT_EQ(fork->GetResource("SIZE", 65535), "");
}

TEST(ResourceForkTest, NoBytesIsNoFork) { EXPECT_FALSE(ResourceFork::Parse("").has_value()); }

TEST(ResourceForkTest, PlaceholderForkIsNoFork) {
  const std::string placeholder = test_mac::PlaceholderForkBytes();
  ASSERT_EQ(placeholder.size(), 286u);
  EXPECT_FALSE(ResourceFork::Parse(placeholder).has_value());
}

TEST(ResourceForkTest, EmptyForkWithoutPlaceholderTextParses) {
  auto fork = ResourceFork::Parse(test_mac::ResourceForkBytes({{"XXXX", 1, "x"}}));
  ASSERT_TRUE(fork.has_value());
  std::string empty = test_mac::PlaceholderForkBytes();
  // Blank out the text: a well-formed fork that happens to hold nothing.
  for (std::size_t i = 16; i < 256; ++i) empty[i] = '\0';
  auto parsed = ResourceFork::Parse(empty);
  ASSERT_TRUE(parsed.has_value());
  EXPECT_TRUE(parsed->Resources().empty());
  EXPECT_EQ(parsed->GetResource("WPos", 128), "");
}

TEST(ResourceForkTest, LittleEndianForkIsRefused) {
  const std::vector<Res> resources{{"WPos", 128, "30\t60\t700\t500"}};
  EXPECT_TRUE(ResourceFork::Parse(test_mac::ResourceForkBytes(resources)).has_value());
  EXPECT_FALSE(ResourceFork::Parse(test_mac::LittleEndianResourceForkBytes(resources)).has_value());
}

TEST(ResourceForkTest, EveryTruncationIsRefusedWithoutCrashing) {
  const std::string bytes =
      test_mac::ResourceForkBytes({{"WPos", 128, "30\t60\t700\t500"}, {"STR ", 5, "hello"}});
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    EXPECT_FALSE(ResourceFork::Parse(bytes.substr(0, n)).has_value()) << "length " << n;
  }
  EXPECT_TRUE(ResourceFork::Parse(bytes).has_value());
}

TEST(ResourceForkTest, OffsetsBeyondTheForkAreRefused) {
  const std::string good = test_mac::WPosFork();
  const std::uint32_t mapOffset = 256 + 4 + 13;  // data: length + "30\t60\t700\t500"
  ASSERT_TRUE(ResourceFork::Parse(good).has_value());

  auto with = [&](std::size_t at, const std::string& patch) {
    std::string bad = good;
    bad.replace(at, patch.size(), patch);
    return bad;
  };
  // Header: data offset, map offset, data length, map length.
  EXPECT_FALSE(ResourceFork::Parse(with(0, BE32(0xFFFFFFF0))).has_value());
  EXPECT_FALSE(ResourceFork::Parse(with(4, BE32(0xFFFFFFF0))).has_value());
  EXPECT_FALSE(ResourceFork::Parse(with(8, BE32(0x7FFFFFFF))).has_value());
  EXPECT_FALSE(ResourceFork::Parse(with(12, BE32(0x7FFFFFFF))).has_value());
  // Map: type list offset beyond the map.
  EXPECT_FALSE(ResourceFork::Parse(with(mapOffset + 24, BE16(0xFFF0))).has_value());
  // Type list: more types than the map holds.
  EXPECT_FALSE(ResourceFork::Parse(with(mapOffset + 28, BE16(0x0100))).has_value());
  // Type entry: more references than the map holds; reference list offset
  // beyond the map.
  EXPECT_FALSE(ResourceFork::Parse(with(mapOffset + 28 + 2 + 4, BE16(0x0100))).has_value());
  EXPECT_FALSE(ResourceFork::Parse(with(mapOffset + 28 + 2 + 6, BE16(0x7FFF))).has_value());
  // Reference: data offset beyond the data; resource length beyond the data.
  EXPECT_FALSE(ResourceFork::Parse(with(mapOffset + 28 + 10 + 5, "\x7F\xFF\xFF")).has_value());
  EXPECT_FALSE(ResourceFork::Parse(with(256, BE32(14))).has_value());
  EXPECT_FALSE(ResourceFork::Parse(with(256, BE32(0xFFFFFFFF))).has_value());
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

TEST(ResourceForkTest, RealForkFromMacSidecar) {
  // ._gshk.docs: 'MPSR' 1005, 'MPSR' 1008, 'ckid' 128 named "Projector".
  auto fork = ResourceFork::Parse(ForkOfFixture("._gshk.docs"));
  ASSERT_TRUE(fork.has_value());
  ASSERT_EQ(fork->Resources().size(), 3u);
  EXPECT_FALSE(fork->GetResource("MPSR", 1005).empty());
  EXPECT_FALSE(fork->GetResource("MPSR", 1008).empty());
  EXPECT_FALSE(fork->GetResource("ckid", 128).empty());
  EXPECT_EQ(fork->GetResource("WPos", 128), "");
}

TEST(ResourceForkTest, RealForkWithNegativeId) {
  auto fork = ResourceFork::Parse(ForkOfFixture("SillyBalls.AppleDouble"));
  ASSERT_TRUE(fork.has_value());
  bool sawSize = false, sawCfrg = false;
  for (const auto& r : fork->Resources()) {
    if (r.type == "SIZE" && r.id == -1) sawSize = true;
    if (r.type == "cfrg" && r.id == 0) sawCfrg = true;
  }
  EXPECT_TRUE(sawSize);
  EXPECT_TRUE(sawCfrg);
  EXPECT_FALSE(fork->GetResource("SIZE", -1).empty());
}

TEST(ResourceForkTest, RealPlaceholderAndLittleEndianForksAreNoForks) {
  EXPECT_FALSE(ResourceFork::Parse(ForkOfFixture("._Release.Notes")).has_value());
  EXPECT_FALSE(ResourceFork::Parse(ForkOfFixture("._GSHK")).has_value());
}

TEST(ResourceForkTest, RandomCorruptionNeverCrashes) {
  const std::vector<std::string> seeds = {
      test_mac::ResourceForkBytes({{"WPos", 128, "30\t60\t700\t500"}, {"STR ", -3, "x"}}),
      ForkOfFixture("._gshk.docs"), ForkOfFixture("SillyBalls.AppleDouble"),
      test_mac::PlaceholderForkBytes()};
  std::mt19937 rng(1234);
  for (const std::string& seed : seeds) {
    for (int round = 0; round < 3000; ++round) {
      std::string bytes = seed;
      const int flips = 1 + static_cast<int>(rng() % 4);
      for (int f = 0; f < flips; ++f) {
        bytes[rng() % bytes.size()] = static_cast<char>(rng());
      }
      if (rng() % 8 == 0) bytes.resize(rng() % (bytes.size() + 1));
      auto fork = ResourceFork::Parse(bytes);
      if (fork) {
        std::size_t total = 0;
        for (const auto& r : fork->Resources()) total += r.data.size();
        EXPECT_LE(total, bytes.size());
        (void)fork->GetResource("WPos", 128);
      }
    }
  }
}
