#include "platform/folder_item.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <vector>

#include "platform/errors.h"
#include "platform/extended_attributes.h"
#include "platform/mac_metadata.h"
#include "platform/mac_metadata_helpers.h"

namespace fs = std::filesystem;
using namespace test_mac;

namespace {

std::vector<std::string> Names(const FolderItem& folder) {
  std::vector<std::string> names;
  for (std::int32_t i = 1; i <= folder.Count(); ++i) names.push_back(folder.Item(i).Name());
  return names;
}

}  // namespace

TEST(FolderItemTest, Paths) {
  TempFolder dir;
  fs::create_directory(dir / "sub");
  Touch(dir / "sub" / "書類 1.tvr");
  FolderItem root(dir.path());
  EXPECT_EQ(root.Child("a").Child("b").Parent().Parent().AbsolutePath(), root.AbsolutePath());
  FolderItem item(dir.path() / "sub" / "." / ".." / "sub" / "書類 1.tvr");
  EXPECT_EQ(item.AbsolutePath(), (dir.path() / "sub" / "書類 1.tvr").string());
  auto back = GetFolderItem(item.AbsolutePath(), 0);
  ASSERT_TRUE(back.has_value());
  EXPECT_TRUE(back->Exists());
  EXPECT_EQ(back->Name(), "書類 1.tvr");
  FolderItem trailing(dir.path().string() + "/sub/");
  EXPECT_EQ(trailing.Name(), "sub");
  EXPECT_EQ(trailing.AbsolutePath(), (dir.path() / "sub").string());
  EXPECT_EQ(FolderItem("/").Parent().AbsolutePath(), "/");
  for (const std::string& bad :
       {std::string(), std::string("relative/path"), std::string("/a\0b", 4)})
    EXPECT_FALSE(GetFolderItem(bad, 0).has_value()) << bad;
  ASSERT_TRUE(GetFolderItem("/does/not/exist", 0).has_value());
  EXPECT_FALSE(GetFolderItem("/does/not/exist", 0)->Exists());
}

// Case-insensitive first, then byte by byte, whatever order the file system
// returns; names that are not UTF-8 (Shift-JIS here) sort by their bytes.
TEST(FolderItemTest, ItemsComeInMacNameOrder) {
  const std::vector<std::string> expected = {".hidden",
                                             "10",
                                             "9",
                                             "_x",
                                             "A",
                                             "a",
                                             "Ab",
                                             "ab",
                                             "B",
                                             "b",
                                             "document 10.txt",
                                             "Document 9.txt",
                                             "document 9.txt",
                                             "e",
                                             "f",
                                             "zebra",
                                             "Zeta",
                                             "~",
                                             std::string("\x82\xa0.tvr"),
                                             "É",
                                             "é"};
  TempFolder forward, backward;
  for (const auto& name : expected) Touch(forward / name);
  for (auto it = expected.rbegin(); it != expected.rend(); ++it) Touch(backward / *it);
  EXPECT_EQ(Names(FolderItem(forward.path())), expected);
  EXPECT_EQ(Names(FolderItem(backward.path())), expected);
  EXPECT_FALSE(FolderItem(forward / ".hidden").Visible()) << "a dot name is never visible";
  EXPECT_TRUE(FolderItem(forward / "A").Visible());
}

TEST(FolderItemTest, MetadataCarriersAreNeverListed) {
  TempFolder dir;
  Touch(dir / "doc.tvr");
  Sidecar(dir.path(), "doc.tvr", "Tavr", "qZt5");
  Touch(dir / "._orphan");
  Touch(dir / ".DS_Store");
  for (const char* sub : {"__MACOSX", ".AppleDouble", "__macosx", "sub"})
    fs::create_directory(dir / sub);  // only Apple's spelling of __MACOSX is metadata
  EXPECT_EQ(Names(FolderItem(dir.path())),
            (std::vector<std::string>{".DS_Store", "__macosx", "doc.tvr", "sub"}));
}

TEST(FolderItemTest, CountIsZeroWhereNothingCanBeListedAndItemChecksBounds) {
  TempFolder dir;
  Touch(dir / "file");
  fs::create_directory(dir / "locked");
  Touch(dir / "locked" / "x");
  ::chmod((dir / "locked").c_str(), 0);
  for (const fs::path& path : {dir / "file", dir / "missing", dir / "file" / "deeper"})
    EXPECT_EQ(FolderItem(path).Count(), 0) << path;
  if (::geteuid() != 0) {
    EXPECT_EQ(FolderItem(dir / "locked").Count(), 0) << "unreadable";
  }
  EXPECT_THROW(FolderItem(dir / "file").Item(1), OutOfBoundsException);
  FolderItem folder(dir.path());
  ASSERT_EQ(folder.Count(), 2);
  EXPECT_NO_THROW(folder.Item(2));
  for (std::int32_t i : {0, 3, -1}) EXPECT_THROW(folder.Item(i), OutOfBoundsException) << i;
}

TEST(FolderItemTest, CountIsReadAgainAfterAChangeOnDisk) {
  TempFolder dir;
  FolderItem folder(dir.path());
  EXPECT_EQ(folder.Count(), 0);
  for (int i = 0; i < 20; ++i) {
    Touch(dir / ("f" + std::to_string(i)));
    EXPECT_EQ(folder.Count(), i + 1) << "right after creating file " << i;
  }
  fs::remove(dir / "f3");
  EXPECT_EQ(folder.Count(), 19);
  fs::rename(dir / "f4", dir / "renamed");
  EXPECT_EQ(folder.Count(), 19);
  EXPECT_EQ(folder.Item(19).Name(), "renamed");
  Touch(dir / "a");
  EXPECT_EQ(folder.Item(1).Name(), "f0") << "Item answers from the listing Count saw";
  EXPECT_EQ(folder.Count(), 20);
  EXPECT_EQ(folder.Item(1).Name(), "a");

  fs::create_directory(dir / "sub");
  Touch(dir / "sub" / "x");
  FolderItem sub(dir / "sub");
  ASSERT_EQ(sub.Count(), 1);
  fs::remove_all(dir / "sub");
  EXPECT_EQ(sub.Count(), 0);
  fs::create_directory(dir / "sub");
  Touch(dir / "sub" / "y");
  Touch(dir / "sub" / "z");
  EXPECT_EQ(sub.Count(), 2) << "a new folder at the same path is read";
}

TEST(FolderItemTest, ItemThatVanishesDoesNotCrash) {
  TempFolder dir;
  Touch(dir / "doc.tvr");
  Sidecar(dir.path(), "doc.tvr", "Tavr", "qZt5");
  FolderItem folder(dir.path());
  ASSERT_EQ(folder.Count(), 1);
  FolderItem item = folder.Item(1);
  fs::remove(dir / "doc.tvr");
  fs::remove(dir / "._doc.tvr");
  EXPECT_FALSE(item.Exists());
  EXPECT_EQ(item.MacType(), "");
  EXPECT_EQ(item.MacCreator(), "");
  EXPECT_TRUE(item.Visible());
  EXPECT_FALSE(item.OpenResourceFork().has_value());
  EXPECT_EQ(item.Count(), 0);
}

// Lowers the number of descriptors the process may open while it lives.
class FewDescriptors {
 public:
  explicit FewDescriptors(rlim_t count) {
    ::getrlimit(RLIMIT_NOFILE, &saved_);
    struct rlimit low = saved_;
    low.rlim_cur = std::min(count, saved_.rlim_cur);
    ::setrlimit(RLIMIT_NOFILE, &low);
  }
  ~FewDescriptors() { ::setrlimit(RLIMIT_NOFILE, &saved_); }

 private:
  struct rlimit saved_ {};
};

// However deep the tree, a walk holds one folder descriptor: with few left
// to the process, every level is still listed and read.
TEST(FolderItemTest, DeepWalkWithFewDescriptorsLeft) {
  TempFolder dir;
  fs::path deepest = dir.path();
  for (int i = 0; i < 64; ++i) fs::create_directory(deepest /= "d");
  Touch(deepest / "doc.tvr");
  Sidecar(deepest, "doc.tvr", "Tavr", "qZt5");
  std::vector<FolderItem> path{FolderItem(dir.path())};
  std::string creator;
  int counted = 0;
  {
    const FewDescriptors few(32);
    while (path.back().Count() == 1 && path.back().Item(1).Directory())
      path.push_back(path.back().Item(1));
    if (path.back().Count() == 1) creator = path.back().Item(1).MacCreator();
    for (const FolderItem& folder : path) counted += folder.Count();
  }
  EXPECT_EQ(path.size(), 65u);
  EXPECT_EQ(creator, "qZt5");
  EXPECT_EQ(counted, 65);
}

TEST(FolderItemTest, DirectoryExistsAndLinksAreNeverEnteredAsFolders) {
  TempFolder dir;
  fs::create_directories(dir / "real" / "sub");
  Touch(dir / "real" / "file");
  fs::create_directory_symlink(dir.path(), dir / "real" / "sub" / "loop");
  fs::create_symlink(dir / "nowhere", dir / "dangling");
  FolderItem real(dir / "real");
  EXPECT_TRUE(real.Directory());
  EXPECT_FALSE(real.Child("missing").Directory());
  EXPECT_FALSE(real.Child("missing").Exists());
  ASSERT_EQ(real.Count(), 2);
  EXPECT_FALSE(real.Item(1).Directory());  // file
  EXPECT_TRUE(real.Item(2).Directory());   // sub
  FolderItem loop = real.Item(2).Item(1);
  EXPECT_TRUE(loop.Exists());
  EXPECT_FALSE(loop.Directory()) << "a walk over Item() must end";
  EXPECT_TRUE(FolderItem(dir / "dangling").Exists());
  EXPECT_FALSE(FolderItem(dir / "dangling").Directory());
}

// ----------------------------------------------- Carriers and precedence
//
// The item is <root>/a/b/doc. Each row puts carriers of it; for each value the
// first carrier that has it wins: attributes (Netatalk's, then Samba's), then
// ._NAME, .AppleDouble/NAME, the nearest __MACOSX, those above it.

namespace {

enum class Where {
  NetatalkAttr,
  NetatalkForkAttr,
  SambaAttr,
  AppleAttr,
  DotUnderscore,
  AppleDoubleV1,
  AppleDoubleV2,
  NetatalkParent,
  MacosxBeside,
  MacosxAbove
};
// Special creators: Finder info of all zeros; bytes that are no carrier at all.
const std::string kZero = "(zero)", kJunk = "(junk)", kNetatalk = "Netatalk";

struct Layer {
  Where where;
  std::string creator;  // type "Tavr"; "" for Finder flags only
  std::string fork;     // 'WPos' 128; "" for none (the placeholder in a macOS sidecar)
  std::uint16_t flags = 0;
};

void SetAttribute(const fs::path& item, const char* name, const std::string& value) {
  ASSERT_TRUE(xattrs::Set(item, name, value)) << name;
}

void Put(const fs::path& root, const Layer& layer) {
  const fs::path b = root / "a" / "b", item = b / "doc";
  const bool junk = layer.creator == kJunk;
  const std::string finder = layer.creator == kZero ? std::string(32, '\0')
                             : layer.creator.empty()
                                 ? std::string(8, '\0') + BE16(layer.flags)
                                 : FinderInfoBytes("Tavr", layer.creator, layer.flags);
  const std::string fork = layer.fork.empty() ? "" : WPosFork(layer.fork);
  // Samba's AFP_AfpInfo stream: 60 bytes, "AFP\0", Finder info at offset 16.
  std::string afpInfo = std::string("AFP\0", 4) + BE32(0x00010000) + BE32(0) + BE32(0x80000000);
  (afpInfo += finder).resize(60, '\0');
  switch (layer.where) {
    case Where::NetatalkAttr:  // Netatalk's own order: the Finder info is not the first entry
      return SetAttribute(
          item, mac_metadata::kNetatalkMetadataAttribute,
          junk ? "garbage"
               : AppleDoubleBytes(
                     {{8, std::string(16, '\0')}, {14, std::string(6, '\0')}, {9, finder}},
                     kNetatalk));
    case Where::NetatalkForkAttr:
      return SetAttribute(item, mac_metadata::kNetatalkResourceForkAttribute, fork);
    case Where::SambaAttr:  // streams_xattr stores each stream with a trailing zero byte
      SetAttribute(item, mac_metadata::kAfpInfoAttribute,
                   junk ? "garbage" : afpInfo + std::string(1, '\0'));
      if (!fork.empty())
        SetAttribute(item, mac_metadata::kAfpResourceAttribute, fork + std::string(1, '\0'));
      return;
    case Where::AppleAttr:
      SetAttribute(item, mac_metadata::kFinderInfoAttribute, finder);
      return SetAttribute(item, mac_metadata::kResourceForkAttribute, fork);
    default:
      break;
  }
  std::vector<std::pair<std::uint32_t, std::string>> entries = {{9, finder}};
  if (!fork.empty()) entries.insert(entries.begin(), {2, fork});  // the fork first
  const std::string macOs = MacOsSidecarBytes(finder, fork);
  const std::string netatalk = AppleDoubleBytes(entries, kNetatalk);
  const std::map<Where, std::pair<fs::path, std::string>> files = {
      {Where::DotUnderscore, {b / "._doc", macOs}},
      {Where::AppleDoubleV1,
       {b / ".AppleDouble" / "doc", AppleDoubleBytes(entries, "Unix", 0x00010000)}},
      {Where::AppleDoubleV2, {b / ".AppleDouble" / "doc", netatalk}},
      {Where::NetatalkParent, {item / ".AppleDouble" / ".Parent", netatalk}},
      {Where::MacosxBeside, {b / "__MACOSX" / "._doc", macOs}},
      {Where::MacosxAbove, {root / "__MACOSX" / "a" / "b" / "._doc", macOs}},
  };
  const auto& [file, bytes] = files.at(layer.where);
  fs::create_directories(file.parent_path());
  WriteBytes(file, junk ? "garbage" : bytes);
}

struct CarrierRow {
  const char* name;
  std::vector<Layer> layers;
  std::string creator, wpos;  // what is read: type "Tavr" with a creator; "" for none
  bool visible = true, extensionVisible = true, folder = false;
};

// Reached from its path, through GetFolderItem and from its folder's listing,
// the item answers alike; no carrier is listed.
void ExpectCarriers(const std::vector<CarrierRow>& rows) {
  for (const CarrierRow& row : rows) {
    SCOPED_TRACE(row.name);
    TempFolder dir;
    const fs::path path = dir / "a" / "b" / "doc";
    fs::create_directories(path.parent_path());
    row.folder ? (void)fs::create_directory(path) : Touch(path);
    for (const Layer& layer : row.layers) Put(dir.path(), layer);
    FolderItem folder(path.parent_path());
    ASSERT_EQ(folder.Count(), 1);
    for (const FolderItem& item :
         {FolderItem(path), *GetFolderItem(path.string(), 0), folder.Item(1)}) {
      EXPECT_EQ(item.MacType(), row.creator.empty() ? "" : "Tavr");
      EXPECT_EQ(item.MacCreator(), row.creator);
      EXPECT_EQ(item.Visible(), row.visible);
      EXPECT_EQ(item.ExtensionVisible(), row.extensionVisible);
      auto fork = item.OpenResourceFork();
      ASSERT_EQ(fork.has_value(), !row.wpos.empty());
      if (fork) {
        EXPECT_EQ(fork->GetResource("WPos", 128), row.wpos);
      }
    }
  }
}

}  // namespace

TEST(FolderItemTest, FileCarriers) {
  using W = Where;
  ExpectCarriers({
      {"no metadata", {}, "", ""},
      {"._NAME as macOS writes it",
       {{W::DotUnderscore, "qZt5", "w", 0x0010}},
       "qZt5",
       "w",
       true,
       false},
      {".AppleDouble/NAME version 1", {{W::AppleDoubleV1, "qZt5", "w"}}, "qZt5", "w"},
      {".AppleDouble/NAME version 2, codes as stored",
       {{W::AppleDoubleV2, "QZT5", "", 0x4000}},
       "QZT5",
       "",
       false},
      {".AppleDouble/.Parent of a folder",
       {{W::NetatalkParent, "", "", 0x4000}},
       "",
       "",
       false,
       true,
       true},
      {"__MACOSX in the item's folder", {{W::MacosxBeside, "qZt5", "w"}}, "qZt5", "w"},
      {"__MACOSX above the item, as unpacked from a zip",
       {{W::MacosxAbove, "qZt5", "w"}},
       "qZt5",
       "w"},
      {"nearest __MACOSX first; the fork from the first carrier that has one",
       {{W::MacosxAbove, "far_", "far"}, {W::MacosxBeside, "near", ""}},
       "near",
       "far"},
      {".AppleDouble before __MACOSX",
       {{W::MacosxBeside, "zip_", "zip"}, {W::AppleDoubleV2, "ntlk", ""}},
       "ntlk",
       "zip"},
      {"._NAME first; its placeholder fork counts as none",
       {{W::AppleDoubleV2, "ntlk", "ntlk"}, {W::DotUnderscore, "side", ""}},
       "side",
       "ntlk"},
      {"all-zero Finder info counts as none",
       {{W::AppleDoubleV2, "ntlk", ""}, {W::DotUnderscore, kZero, "side"}},
       "ntlk",
       "side"},
      {"a sidecar that is not AppleDouble counts as none",
       {{W::MacosxAbove, "far_", "far"}, {W::DotUnderscore, kJunk, ""}},
       "far_",
       "far"},
  });
}

TEST(FolderItemTest, AttributeCarriers) {
  TempFolder probe;
  if (!UserXattrsWork(probe.path()))
    GTEST_SKIP() << probe.path() << " refuses user.* extended attributes";
  using W = Where;
  ExpectCarriers({
    {"user.org.netatalk.Metadata", {{W::NetatalkAttr, "qZt5", "", 0x4000}}, "qZt5", "", false},
        {"user.org.netatalk.ResourceFork", {{W::NetatalkForkAttr, "", "w"}}, "", "w"},
        {"Samba's AFP_AfpInfo and AFP_Resource",
         {{W::SambaAttr, "qZt5", "w", 0x0010}},
         "qZt5",
         "w",
         true,
         false},
#if defined(__APPLE__)
        {"com.apple.FinderInfo and com.apple.ResourceFork",
         {{W::AppleAttr, "qZt5", "w"}},
         "qZt5",
         "w"},
#endif
        {"attributes before sidecars",
         {{W::DotUnderscore, "side", "side"}, {W::SambaAttr, "samb", ""}},
         "samb",
         "side"},
        {"Netatalk's attribute before Samba's",
         {{W::SambaAttr, "samb", ""}, {W::NetatalkAttr, "ntlk", ""}},
         "ntlk",
         ""},
        {"a malformed attribute counts as none",
         {{W::DotUnderscore, "side", ""}, {W::SambaAttr, kJunk, ""}},
         "side",
         ""},
        {"a fork attribute before a sidecar's fork",
         {{W::DotUnderscore, "side", "side"}, {W::NetatalkForkAttr, "", "ntlk"}},
         "side",
         "ntlk"},
  });
}

// Each item's attribute names are its own, whatever the item before had.
TEST(FolderItemTest, AttributeNamesAreReadForEachItem) {
  TempFolder dir;
  if (!UserXattrsWork(dir.path()))
    GTEST_SKIP() << dir.path() << " refuses user.* extended attributes";
  Touch(dir / "plain");
  Touch(dir / "named");
  SetAttribute(dir / "named", "user.x", "1");
  for (const std::string name : {"plain", "named", "named", "plain", "plain", "named"})
    EXPECT_EQ(xattrs::List(dir / name).size(), name == "named" ? 1u : 0u) << name;
}

// Off macOS, hiding the extension changes nothing on disk.
TEST(FolderItemTest, SettingExtensionVisibleLeavesTheSidecarAlone) {
  TempFolder dir;
  Touch(dir / "file.tvr");
  Sidecar(dir.path(), "file.tvr", "Tavr", "qZt5");
  const std::string sidecar = ReadBytes(dir / "._file.tvr");
  FolderItem(dir / "file.tvr").SetExtensionVisible(false);
#if defined(__APPLE__)
  EXPECT_FALSE(FolderItem(dir / "file.tvr").ExtensionVisible());
#else
  EXPECT_EQ(ReadBytes(dir / "._file.tvr"), sidecar);
  EXPECT_TRUE(xattrs::List(dir / "file.tvr").empty());
  EXPECT_TRUE(FolderItem(dir / "file.tvr").ExtensionVisible());
#endif
}
