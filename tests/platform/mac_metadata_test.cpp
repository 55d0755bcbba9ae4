#include "platform/mac_metadata.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/apple_double.h"
#include "platform/byte_reader.h"
#include "platform/errors.h"
#include "platform/folder_item.h"
#include "platform/mac_metadata_helpers.h"

using namespace mac_metadata;
namespace fs = std::filesystem;

// ------------------------------------------- The real sidecars (see README)

namespace {

struct RealSidecar {
  const char* file;
  bool finder;
  std::string type, creator;  // unchecked when empty
  std::uint16_t flags;
  bool fork;
  std::vector<std::pair<std::string, std::int16_t>> resources;
  bool folder = false;
};

}  // namespace

// Each file is read by the decoders, then as the sidecar of a file (or folder)
// beside it.
TEST(MacMetadataTest, RealSidecarsReadAsTheirReadmeSays) {
  const std::vector<RealSidecar> rows = {
      {"._Release.Notes", true, "TEXT", "pdos", 0, false, {}},
      {"._gshk.docs", true, "TEXT", "pdos", 0, true,
       {{"MPSR", 1005}, {"MPSR", 1008}, {"ckid", 128}}},
      {"._GSHK", true, std::string("p\xB3\xDB\x07", 4), "pdos", 0, false, {}},
      {"._not_adf", false, "", "", 0, false, {}},
      {"SillyBalls.AppleDouble", true, "APPL", "abcd", 0x0100, true, {{"SIZE", -1}, {"cfrg", 0}}},
      {"DirectoryWithAttrs.AppleDouble", true, "", "", 0x2008, false, {}, true},
  };
  TempFolder dir;
  for (const RealSidecar& row : rows) {
    SCOPED_TRACE(row.file);
    const std::string bytes = test_mac::Fixture(row.file);
    EXPECT_EQ(AppleDouble::Parse(bytes).has_value(), row.finder);
    auto info = FinderInfoFromAppleDouble(bytes);
    ASSERT_EQ(info.has_value(), row.finder);
    if (info && !row.type.empty()) {
      EXPECT_EQ(info->Type(), row.type);
    }
    if (info && !row.creator.empty()) {
      EXPECT_EQ(info->Creator(), row.creator);
    }
    if (info) {
      EXPECT_EQ(info->Flags(), row.flags);
    }
    auto fork = ResourceForkFromAppleDouble(bytes);
    ASSERT_EQ(fork.has_value(), row.fork);
    if (fork) {
      std::vector<std::pair<std::string, std::int16_t>> found;
      for (const auto& r : fork->Resources()) {
        found.emplace_back(r.type, r.id);
        EXPECT_FALSE(fork->GetResource(r.type, r.id).empty()) << r.type << " " << r.id;
      }
      EXPECT_EQ(found, row.resources);
    }

    std::string name = row.file;
    name = name.rfind("._", 0) == 0 ? name.substr(2) : name.substr(0, name.find('.'));
    if (row.folder) {
      fs::create_directory(dir / name);
    } else {
      test_mac::Touch(dir / name);
    }
    fs::copy_file(test_mac::FixturePath(row.file), dir / ("._" + name));
    FolderItem item(dir / name);
    EXPECT_EQ(item.Directory(), row.folder);
    EXPECT_EQ(item.MacType(), row.folder ? "" : row.type) << "a folder has no type code";
    EXPECT_EQ(item.MacCreator(), row.folder ? "" : row.creator);
    EXPECT_TRUE(item.Visible());
    EXPECT_TRUE(item.ExtensionVisible());
    EXPECT_EQ(item.OpenResourceFork().has_value(), row.fork);
  }
}

// ---------------------------------------------------------------- ByteReader

// A read past the end throws where it began (plus the base), reads nothing,
// and never wraps around.
TEST(ByteReaderTest, ReadPastTheEndThrowsWithOffsetAndKeepsPosition) {
  ByteReader r(std::string_view("\x00\x01\x02", 3), 100);
  r.Skip(2);
  try {
    r.U16();
    FAIL() << "no ReadError";
  } catch (const ReadError& e) {
    EXPECT_EQ(e.offset(), 102u);
  }
  EXPECT_EQ(r.Position(), 2u);
  EXPECT_THROW(r.Bytes(2), ReadError);
  EXPECT_THROW(r.Skip(5), ReadError);
  EXPECT_THROW(r.Seek(4), ReadError);
  EXPECT_THROW(r.Bytes(UINT64_MAX), ReadError);
  EXPECT_THROW(r.Sub(2, 2), ReadError);
  EXPECT_THROW(r.Sub(UINT64_MAX, 2), ReadError);
  EXPECT_EQ(r.U8(), 2);
  const std::string ten = "0123456789";
  ByteReader slice = ByteReader(ten).Sub(4, 3);
  EXPECT_EQ(slice.String(3), "456");
  EXPECT_THROW(slice.U8(), ReadError) << "a slice ends where it was cut";
  ByteReader p(std::string_view("\x05" "abc", 4));
  EXPECT_THROW(p.PString(), ReadError);
  EXPECT_EQ(p.Position(), 0u);
  EXPECT_FALSE(ByteReader::U32At(ten, 7).has_value());
  EXPECT_FALSE(ByteReader::BytesAt(ten, 9, 2).has_value());
  EXPECT_FALSE(ByteReader::Fits(10, 11, 0));
  EXPECT_FALSE(ByteReader::Fits(10, 2, UINT64_MAX));
}
