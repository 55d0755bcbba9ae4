// The Mac metadata decoders: AppleDouble files and resource forks refused
// saying why and where, cut short, or claiming more than they hold; and the
// real sidecars read as decoders and as carriers beside a file.
#include "platform/mac_metadata.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "platform/apple_double.h"
#include "platform/byte_reader.h"
#include "platform/folder_item.h"
#include "platform/resource_fork.h"
#include "support/mac_bytes.h"

namespace {

namespace fs = std::filesystem;
using namespace mac_bytes;
using namespace mac_metadata;

// `parse` throws ReadError with this reason, at this offset.
void ExpectRefused(const std::function<void()>& parse, const char* reason, std::uint64_t offset) {
  try {
    parse();
    ADD_FAILURE() << reason << ": accepted";
  } catch (const ReadError& e) {
    EXPECT_NE(e.reason().find(reason), std::string::npos) << e.what();
    EXPECT_EQ(e.offset(), offset) << reason;
  }
}

// The range check every decoder relies on: a range may end at the very end,
// even empty, and never wraps round.
TEST(ByteReader, FitsUpToTheLastByte) {
  const std::tuple<std::uint64_t, std::uint64_t, std::uint64_t, bool> rows[] = {
      {10, 0, 10, true},  {10, 10, 0, true}, {10, 9, 2, false},
      {10, 11, 0, false}, {0, 0, 0, true},   {10, 1, ~std::uint64_t{0}, false}};
  for (const auto& [size, offset, length, fits] : rows)
    EXPECT_EQ(ByteReader::Fits(size, offset, length), fits) << size << " " << offset;
}

// Each row pins the reason and the offset of the check that refused it.
TEST(AppleDouble, MalformedHeadersAreRefusedSayingWhyAndWhere) {
  const std::string good = AppleDoubleBytes({{9, FinderInfoBytes("A", "B")}});
  auto with = [&](std::size_t at, const std::string& patch) {
    return std::string(good).replace(at, patch.size(), patch);
  };
  const struct {
    std::string bytes;
    const char* reason;
    std::uint64_t offset;
  } rows[] = {
      {good.substr(0, 25), "ヘッダより短い", 0},
      {with(0, BE32(0x00051600)), "印がありません", 0},  // AppleSingle
      {with(4, BE32(0x00000002)), "版（2）に対応していません", 4},
      {with(24, BE16(0xFFFF)), "表がファイルに収まりません", 24},  // 65535 entries in 70 bytes
  };
  for (const auto& row : rows)
    ExpectRefused([&] { AppleDouble::Parse(row.bytes); }, row.reason, row.offset);
}

// A file cut inside its table is not AppleDouble; one cut after it lacks the
// entries that no longer fit.
TEST(AppleDouble, OpenEntryOfAFileCutShort) {
  TempFolder dir;
  const std::string file = (dir / "._doc").string();
  EXPECT_FALSE(AppleDouble::OpenEntry(file, 9).has_value()) << "missing";
  EXPECT_FALSE(AppleDouble::OpenEntry(dir.path(), 9).has_value()) << "a folder";
  const std::string gshk = ReadBytes(RealSidecar("._gshk.docs"));  // its table ends at 50
  for (std::size_t n : {0, 26, 49, 50, 3810, 4384, 4385}) {
    WriteBytes(file, gshk.substr(0, n));
    if (n < 50) {
      EXPECT_THROW(AppleDouble::OpenEntry(file, AppleDouble::kResourceFork), ReadError) << n;
    } else {
      EXPECT_EQ(AppleDouble::OpenEntry(file, AppleDouble::kResourceFork).has_value(), n == 4385);
    }
  }
}

// Each row names the field that is wrong; the reason and the offset in the
// fork pin the check that refused it.
TEST(ResourceFork, MalformedForksAreRefusedSayingWhyAndWhere) {
  const std::string good = WPosFork();
  const std::size_t map = 256 + 4 + 13;  // data: length + "30\t60\t700\t500"
  const std::size_t typeList = map + 28, refs = typeList + 2 + 8;
  const auto forkOf = [](const char* sidecar) {
    const std::string bytes = ReadBytes(RealSidecar(sidecar));
    const auto entry = AppleDouble::Parse(bytes).Find(AppleDouble::kResourceFork).value();
    return bytes.substr(entry.offset, entry.length);
  };
  const struct {
    const char* name;
    std::size_t at;
    std::string patch, base;
    const char* reason;
    std::uint64_t offset;
  } rows[] = {
      {"no bytes", 0, "", "", "ヘッダより短い", 0},
      {"the placeholder macOS writes", 0, "", forkOf("._Release.Notes"), "空のフォーク", 16},
      {"little-endian fork (._GSHK)", 0, "", forkOf("._GSHK"), "リソースデータが長すぎます", 8},
      {"data offset past the end", 0, BE32(0xFFFFFFF0), good, "データがフォークの外", 0},
      {"data inside the header", 0, BE32(8), good, "データがフォークの外", 0},
      {"more data than 24-bit offsets reach", 8, BE32(0x01000001), good, "データが長すぎ", 8},
      {"map longer than its offsets reach", 12, BE32(0x00020101), good, "マップが長すぎ", 12},
      {"map length past the end", 12, BE32(0x1000), good, "マップがフォークの外", 4},
      {"map shorter than its header", 12, BE32(29), good, "その見出しより短い", 12},
      {"type list offset past the map", map + 24, BE16(0xFFF0), good, "型の一覧の位置", map + 24},
      {"more types than the map holds", typeList, BE16(0x0100), good, "型の一覧が", typeList},
      {"more references than the map holds", typeList + 6, BE16(0x0100), good, "参照の一覧",
       typeList + 2},
      {"reference list past the map", typeList + 8, BE16(0x7FFF), good, "参照の一覧", typeList + 2},
      {"resource length word running past the data", refs + 5, std::string("\0\0\x0E", 3), good,
       "リソースの位置", refs + 5},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::string bytes = row.base;
    bytes.replace(row.at, row.patch.size(), row.patch);
    ExpectRefused([&] { ResourceFork::Parse(bytes); }, row.reason, row.offset);
  }
}

// Truncated, the fork no longer holds what its header says; a resource that
// runs past the data reads as absent.
TEST(ResourceFork, EveryTruncationIsRefused) {
  const std::string bytes =
      ResourceForkBytes({{"WPos", 128, "30\t60\t700\t500"}, {"STR ", 5, "hello"}});
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
TEST(ResourceFork, ReadsOnlyTheHeaderTheMapAndTheResourceAskedFor) {
  std::uint64_t bytesRead = 0;
  const auto counting = [&bytesRead](std::shared_ptr<const std::string> bytes) {
    RangeReader inner = MemoryRange(bytes, 0, bytes->size());
    return [&bytesRead, inner](std::uint64_t at, char* into, std::size_t size) {
      bytesRead += size;
      return inner(at, into, size);
    };
  };
  auto huge = std::make_shared<const std::string>(WPosFork());
  for (std::uint64_t claimed : {ResourceFork::kMaxSize + 1, std::uint64_t{0xFFFFFF00}})
    EXPECT_THROW(ResourceFork::Open(claimed, counting(huge)), ReadError) << claimed;
  EXPECT_EQ(bytesRead, 0u);

  auto bytes = std::make_shared<const std::string>(ResourceForkBytes(
      {{"PICT", 1, std::string(1 << 20, 'p')}, {"WPos", 128, "30\t60\t700\t500"}}));
  const ResourceFork fork = ResourceFork::Open(bytes->size(), counting(bytes));
  EXPECT_EQ(fork.GetResource("WPos", 128), "30\t60\t700\t500");
  EXPECT_LT(bytesRead, 1024u);
}

// Each file is read by the decoders, then as the sidecar of a file (or folder)
// beside it.
TEST(MacMetadataTest, RealSidecarsReadAsTheirReadmeSays) {
  const struct {
    const char* file;
    std::string finderInfo;  // type and creator, space, flags; "" for none
    std::string resources;   // "TYPE ID;" each; "" for no fork
    bool folder = false;
  } rows[] = {
      {"._Release.Notes", "TEXTpdos 0", ""},
      {"._gshk.docs", "TEXTpdos 0", "MPSR 1005;MPSR 1008;ckid 128;"},
      {"._GSHK", "p\xB3\xDB\x07pdos 0", ""},
      {"._not_adf", "", ""},
      {"SillyBalls.AppleDouble", "APPLabcd 256", "SIZE -1;cfrg 0;"},
      {"DirectoryWithAttrs.AppleDouble", "\x01\x02\x03\x04\x05\x06\x07\x08 8200", "", true},
  };
  TempFolder dir;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.file);
    const std::string bytes = ReadBytes(mac_bytes::RealSidecar(row.file));
    const auto info = FinderInfoFromAppleDouble(bytes);
    EXPECT_EQ(info ? info->Type() + info->Creator() + " " + std::to_string(info->Flags()) : "",
              row.finderInfo);
    const auto fork = ResourceForkFromAppleDouble(bytes);
    std::string resources;
    for (const auto& r : fork ? fork->Resources() : std::vector<ResourceFork::Resource>{}) {
      resources += r.type + " " + std::to_string(r.id) + ";";
      EXPECT_FALSE(fork->GetResource(r.type, r.id).empty()) << r.type << " " << r.id;
    }
    EXPECT_EQ(resources, row.resources);

    std::string name = row.file;
    name = name.rfind("._", 0) == 0 ? name.substr(2) : name.substr(0, name.find('.'));
    row.folder ? (void)fs::create_directory(dir / name) : WriteBytes(dir / name, "");
    WriteBytes(dir / ("._" + name), bytes);
    FolderItem item(dir / name);  // a folder has no type and creator codes
    EXPECT_EQ(item.MacType() + item.MacCreator(), row.folder ? "" : row.finderInfo.substr(0, 8));
    EXPECT_TRUE(item.Visible() && item.ExtensionVisible());
    EXPECT_EQ(item.OpenResourceFork().has_value(), !row.resources.empty());
  }
}

}  // namespace
