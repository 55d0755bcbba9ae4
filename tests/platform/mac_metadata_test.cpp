#include "platform/mac_metadata.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include "platform/apple_double.h"
#include "platform/byte_reader.h"
#include "platform/errors.h"
#include "platform/folder_item.h"
#include "platform/mac_metadata_helpers.h"
#include "platform/strings.h"

using namespace mac_metadata;
namespace fs = std::filesystem;

// Each file is read by the decoders, then as the sidecar of a file (or folder)
// beside it.
TEST(MacMetadataTest, RealSidecarsReadAsTheirReadmeSays) {
  const struct {
    const char* file;
    bool finder;
    std::string type, creator;
    std::uint16_t flags;
    bool fork;
    std::vector<std::pair<std::string, std::int16_t>> resources;
    bool folder = false;
  } rows[] = {
      {"._Release.Notes", true, "TEXT", "pdos", 0, false, {}},
      {"._gshk.docs",
       true,
       "TEXT",
       "pdos",
       0,
       true,
       {{"MPSR", 1005}, {"MPSR", 1008}, {"ckid", 128}}},
      {"._GSHK", true, std::string("p\xB3\xDB\x07", 4), "pdos", 0, false, {}},
      {"._not_adf", false, "", "", 0, false, {}},
      {"SillyBalls.AppleDouble", true, "APPL", "abcd", 0x0100, true, {{"SIZE", -1}, {"cfrg", 0}}},
      {"DirectoryWithAttrs.AppleDouble",
       true,
       "\x01\x02\x03\x04",
       "\x05\x06\x07\x08",
       0x2008,
       false,
       {},
       true},  // a folder's window rectangle
  };
  TempFolder dir;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.file);
    const std::string bytes = test_mac::Fixture(row.file);
    auto info = FinderInfoFromAppleDouble(bytes);
    ASSERT_EQ(info.has_value(), row.finder);
    if (info) {
      EXPECT_EQ(info->Type(), row.type);
      EXPECT_EQ(info->Creator(), row.creator);
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
    row.folder ? (void)fs::create_directory(dir / name) : test_mac::Touch(dir / name);
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

// Where an item's AppleDouble files are looked for, nearest first, from what
// its folders hold: full paths, each also holding the folders on its way.
TEST(MacMetadataTest, CarrierLocationsFromWhatTheFoldersHold) {
  const std::set<std::string> everywhere = {
      "/__MACOSX/r/a/._doc",           "/r/__MACOSX/a/._doc",   "/r/a/__MACOSX/._doc",
      "/r/a/doc/.AppleDouble/.Parent", "/r/a/.AppleDouble/doc", "/r/a/._doc"};
  const struct {
    const char* name;
    std::string item;
    bool folder;
    std::set<std::string> present;
    std::vector<std::string> expected;
  } rows[] = {
      {"nothing", "/r/a/doc", false, {"/r/a/doc", "/r/a/other"}, {}},
      {"a folder",
       "/r/a/doc",
       true,
       everywhere,
       {"/r/a/._doc", "/r/a/.AppleDouble/doc", "/r/a/doc/.AppleDouble/.Parent",
        "/r/a/__MACOSX/._doc", "/r/__MACOSX/a/._doc", "/__MACOSX/r/a/._doc"}},
      {"a file: no .Parent of its own",
       "/r/a/doc",
       false,
       everywhere,
       {"/r/a/._doc", "/r/a/.AppleDouble/doc", "/r/a/__MACOSX/._doc", "/r/__MACOSX/a/._doc",
        "/__MACOSX/r/a/._doc"}},
      {"the sidecars of other items",
       "/r/a/doc",
       false,
       {"/r/__MACOSX/._doc", "/r/__MACOSX/b/._doc", "/r/a/__MACOSX/a/._doc",
        "/r/b/.AppleDouble/doc", "/r/a/.AppleDouble/._doc", "/r/a/._doc2"},
       {}},
      {"beside the root",
       "/doc",
       false,
       {"/._doc", "/__MACOSX/._doc"},
       {"/._doc", "/__MACOSX/._doc"}},
      {"the root itself", "/", true, {"/._", "/.AppleDouble/.Parent", "/__MACOSX/._"}, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const auto exists = [&](std::string_view folder, std::string_view name) {
      const std::string path = JoinPath(folder, name);
      return std::any_of(row.present.begin(), row.present.end(), [&](const std::string& p) {
        return p == path || p.rfind(path + "/", 0) == 0;
      });
    };
    const std::string_view folder = ParentPath(row.item);
    const SidecarFolders around = SidecarFoldersOf(folder, exists);
    EXPECT_EQ(
        CarrierLocations(folder, BaseName(row.item), row.folder, around, exists).appleDoubleFiles,
        row.expected);
  }
}

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
  EXPECT_THROW(r.Bytes(UINT64_MAX), ReadError);
  EXPECT_THROW(r.Sub(UINT64_MAX, 2, "out"), ReadError);
  EXPECT_EQ(r.String(1), "\x02");
  ByteReader slice = ByteReader("0123456789").Sub(4, 3, "out");
  EXPECT_EQ(slice.String(3), "456");
  EXPECT_THROW(slice.String(1), ReadError) << "a slice ends where it was cut";
  EXPECT_FALSE(ByteReader::Fits(10, 2, UINT64_MAX));
}
