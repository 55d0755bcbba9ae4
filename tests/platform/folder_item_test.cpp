#include "platform/folder_item.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <vector>

#include "platform/binary_stream.h"
#include "platform/errors.h"
#include "platform/extended_attributes.h"
#include "platform/mac_metadata.h"
#include "platform/mac_metadata_helpers.h"
#include "platform/text_output_stream.h"

namespace fs = std::filesystem;
using namespace test_mac;

namespace {

std::vector<std::string> Names(const FolderItem& folder) {
  std::vector<std::string> names;
  for (std::int32_t i = 1; i <= folder.Count(); ++i) names.push_back(folder.Item(i).Name());
  return names;
}

#define SKIP_WITHOUT_USER_XATTRS(dir)                                                       \
  if (!test_mac::UserXattrsWork(dir))                                                       \
  GTEST_SKIP() << "the file system of " << (dir) << " refuses user.* extended attributes; " \
               << "the Netatalk and Samba carriers cannot be tested here"

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
  EXPECT_TRUE(fs::path(FolderItem("relative-name").AbsolutePath()).is_absolute());

  for (const std::string& bad :
       {std::string(), std::string("relative/path"), std::string("/a\0b", 4)})
    EXPECT_FALSE(GetFolderItem(bad, 0).has_value()) << bad;
  EXPECT_FALSE(GetFolderItem("/tmp", 1).has_value()) << "mode 0 is the only mode";
  ASSERT_TRUE(GetFolderItem("/does/not/exist", 0).has_value());
  EXPECT_FALSE(GetFolderItem("/does/not/exist", 0)->Exists());
}

// Case-insensitive first, then byte by byte, whatever order the file system
// returns: the same names made in opposite orders list the same way.
TEST(FolderItemTest, ItemsComeInMacNameOrder) {
  // Names that are not UTF-8 (Shift-JIS here) are listed and sorted by their bytes.
  const std::vector<std::string> expected = {
      ".hidden", "10", "9", "_x", "A", "a", "Ab", "ab", "B", "b", "e",
      "f", "zebra", "Zeta", "~", std::string("\x82\xa0.tvr"), "É", "é"};
  TempFolder forward, backward;
  for (const auto& name : expected) Touch(forward / name);
  for (auto it = expected.rbegin(); it != expected.rend(); ++it) Touch(backward / *it);
  EXPECT_EQ(Names(FolderItem(forward.path())), expected);
  EXPECT_EQ(Names(FolderItem(backward.path())), expected);
}

TEST(FolderItemTest, MetadataCarriersAreNeverListed) {
  TempFolder dir;
  Touch(dir / "doc.tvr");
  Sidecar(dir.path(), "doc.tvr", "Tavr", "qZt5");
  Touch(dir / "._orphan");
  fs::create_directory(dir / "__MACOSX");
  fs::create_directory(dir / ".AppleDouble");
  fs::create_directory(dir / "__macosx");  // only Apple's spelling is metadata
  fs::create_directory(dir / "sub");
  Touch(dir / ".DS_Store");
  EXPECT_EQ(Names(FolderItem(dir.path())),
            (std::vector<std::string>{".DS_Store", "__macosx", "doc.tvr", "sub"}));
}

TEST(FolderItemTest, CountIsZeroWhereNothingCanBeListedAndItemChecksBounds) {
  TempFolder dir;
  Touch(dir / "file");
  fs::create_directory(dir / "locked");
  Touch(dir / "locked" / "x");
  ::chmod((dir / "locked").c_str(), 0);
  for (const fs::path& path :
       {dir / "file", dir / "missing", dir / "missing" / "deeper", dir / "file" / "deeper"}) {
    EXPECT_EQ(FolderItem(path).Count(), 0) << path;
  }
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

TEST(FolderItemTest, ManyFoldersKeepWorkingBeyondTheDescriptorBudget) {
  TempFolder dir;
  std::vector<FolderItem> folders;
  for (int i = 0; i < 400; ++i) {
    const fs::path sub = dir / ("d" + std::to_string(i));
    fs::create_directory(sub);
    Touch(sub / "x");
    folders.emplace_back(sub);
    ASSERT_EQ(folders.back().Count(), 1) << i;
  }
  for (int i = 0; i < 400; ++i) {
    Touch(dir / ("d" + std::to_string(i)) / "y");
    EXPECT_EQ(folders[static_cast<std::size_t>(i)].Count(), 2) << i;
  }
}

// ------------------------------------------------ Directory, links, Visible

namespace {

// Every item under `folder`, entering everything that says it is a folder.
void WalkAll(const FolderItem& folder, std::vector<FolderItem>& items) {
  for (std::int32_t i = 1; i <= folder.Count(); ++i) {
    const FolderItem entry = folder.Item(i);
    items.push_back(entry);
    if (entry.Directory()) WalkAll(entry, items);
  }
}

}  // namespace

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
  std::vector<FolderItem> all;
  WalkAll(FolderItem(dir.path()), all);
  EXPECT_EQ(all.size(), 5u);  // dangling, real, file, sub, loop
}

TEST(FolderItemTest, VisibleIsFalseForDotNamesAndTheInvisibleFlag) {
  TempFolder dir;
  Touch(dir / ".hidden");
  Touch(dir / "plain");
  Touch(dir / "flagged");
  Sidecar(dir.path(), "flagged", "TEXT", "ttxt", FinderInfo::kIsInvisible);
  fs::create_directory(dir / "Hidden Folder");
  Sidecar(dir.path(), "Hidden Folder", "", "", FinderInfo::kIsInvisible);
  FolderItem folder(dir.path());
  ASSERT_EQ(Names(folder),
            (std::vector<std::string>{".hidden", "flagged", "Hidden Folder", "plain"}));
  const std::vector<bool> visible = {false, false, false, true};
  for (std::int32_t i = 1; i <= 4; ++i) {
    SCOPED_TRACE(folder.Item(i).Name());
    EXPECT_EQ(folder.Item(i).Visible(), visible[static_cast<std::size_t>(i - 1)]);
    EXPECT_EQ(folder.Child(folder.Item(i).Name()).Visible(),
              visible[static_cast<std::size_t>(i - 1)]);
  }
}

// ----------------------------------------------- Carriers and precedence
//
// The item is <root>/a/b/doc. Each row puts carriers of it; for each value the
// first carrier that has it wins: attributes (Netatalk's, then Samba's), then
// ._NAME, .AppleDouble/NAME, the nearest __MACOSX, those above it.

namespace {

enum class Where { NetatalkAttr, NetatalkForkAttr, SambaAttr, AppleAttr, DotUnderscore,
                   DotUnderscoreNetatalk, AppleDoubleV1, AppleDoubleV2, NetatalkParent,
                   MacosxBeside, MacosxAbove };
// Special creators: Finder info of all zeros, bytes that are no carrier at all,
// a folder where the carrier would be, a good sidecar that cannot be read.
const std::string kZero = "(zero)", kJunk = "(junk)", kFolder = "(folder)";
const std::string kUnreadable = "(unreadable)";
const std::string kLittleEndian = "(little-endian)";  // a fork that does not parse
const std::string kNetatalk = "Netatalk        ";

struct Layer {
  Where where;
  std::string creator;  // type "Tavr"; "" for no Finder info
  std::string fork;     // 'WPos' 128; "" for none (the placeholder in a macOS sidecar)
  std::uint16_t flags = 0;
};

void SetAttribute(const fs::path& item, const char* name, const std::string& value) {
  ASSERT_TRUE(xattrs::Set(item, name, value)) << name;
}

void Put(const fs::path& root, const Layer& layer) {
  const fs::path item = root / "a" / "b" / "doc";
  const std::string finder = layer.creator == kZero ? std::string(32, '\0')
                             : layer.creator.empty()
                                 ? std::string(8, '\0') + BE16(layer.flags)
                                 : FinderInfoBytes("Tavr", layer.creator, layer.flags);
  const std::string fork =
      layer.fork.empty()             ? ""
      : layer.fork == kLittleEndian ? ResourceForkBytes({{"WPos", 128, "le"}}, true)
                                    : WPosFork(layer.fork);
  const bool junk = layer.creator == kJunk;
  // Netatalk's own order: the Finder info is not the first entry.
  const std::string netatalkBlob = AppleDoubleBytes(
      {{8, std::string(16, '\0')}, {14, std::string(6, '\0')}, {9, finder}}, kNetatalk);
  switch (layer.where) {
    case Where::NetatalkAttr:
      return SetAttribute(item, mac_metadata::kNetatalkMetadataAttribute,
                          junk ? "garbage" : netatalkBlob);
    case Where::NetatalkForkAttr:
      return SetAttribute(item, mac_metadata::kNetatalkResourceForkAttribute, fork);
    case Where::SambaAttr:  // streams_xattr stores each stream with a trailing zero byte
      SetAttribute(item, mac_metadata::kAfpInfoAttribute,
                   junk ? "garbage" : AfpInfoBytes(finder) + std::string(1, '\0'));
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
  const fs::path b = root / "a" / "b";
  const std::string macOs = MacOsSidecarBytes(finder, fork);
  const std::string netatalk = AppleDoubleBytes(entries, kNetatalk);
  const std::map<Where, std::pair<fs::path, std::string>> files = {
      {Where::DotUnderscore, {b / "._doc", macOs}},
      {Where::DotUnderscoreNetatalk, {b / "._doc", netatalk}},
      {Where::AppleDoubleV1,
       {b / ".AppleDouble" / "doc", AppleDoubleBytes(entries, "Unix            ", 0x00010000)}},
      {Where::AppleDoubleV2, {b / ".AppleDouble" / "doc", netatalk}},
      {Where::NetatalkParent, {item / ".AppleDouble" / ".Parent", netatalk}},
      {Where::MacosxBeside, {b / "__MACOSX" / "._doc", macOs}},
      {Where::MacosxAbove, {root / "__MACOSX" / "a" / "b" / "._doc", macOs}},
  };
  const auto& [file, bytes] = files.at(layer.where);
  fs::create_directories(file.parent_path());
  if (layer.creator == kFolder) {
    fs::create_directory(file);
    return;
  }
  WriteBytes(file, junk ? "garbage" : bytes);
  if (layer.creator == kUnreadable) ::chmod(file.c_str(), 0);
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
  std::vector<CarrierRow> rows = {
      {"no metadata", {}, "", ""},
      {"._NAME as macOS writes it",
       {{W::DotUnderscore, "qZt5", "w", 0x0010}}, "qZt5", "w", true, false},
      {"._NAME with Netatalk's filler, fork first",
       {{W::DotUnderscoreNetatalk, "qZt5", "w"}}, "qZt5", "w"},
      {".AppleDouble/NAME version 1", {{W::AppleDoubleV1, "qZt5", "w"}}, "qZt5", "w"},
      {".AppleDouble/NAME version 2, codes as stored",
       {{W::AppleDoubleV2, "QZT5", "", 0x4000}}, "QZT5", "", false},
      {".AppleDouble/.Parent of a folder",
       {{W::NetatalkParent, "", "", 0x4000}}, "", "", false, true, true},
      {"__MACOSX in the item's folder", {{W::MacosxBeside, "qZt5", "w"}}, "qZt5", "w"},
      {"__MACOSX above the item, as unpacked from a zip",
       {{W::MacosxAbove, "qZt5", "w"}}, "qZt5", "w"},
      {"__MACOSX above a folder", {{W::MacosxAbove, "", "", 0x4000}}, "", "", false, true, true},
      {"nearest __MACOSX first; the fork from the first carrier that has one",
       {{W::MacosxAbove, "far_", "far"}, {W::MacosxBeside, "near", ""}}, "near", "far"},
      {".AppleDouble before __MACOSX",
       {{W::MacosxBeside, "zip_", "zip"}, {W::AppleDoubleV2, "ntlk", ""}}, "ntlk", "zip"},
      {"._NAME first; its placeholder fork counts as none",
       {{W::AppleDoubleV2, "ntlk", "ntlk"}, {W::DotUnderscore, "side", ""}}, "side", "ntlk"},
      {"all-zero Finder info counts as none",
       {{W::AppleDoubleV2, "ntlk", ""}, {W::DotUnderscore, kZero, "side"}}, "ntlk", "side"},
      {"a little-endian fork counts as none",
       {{W::MacosxBeside, "zip_", "zip"}, {W::DotUnderscore, kZero, kLittleEndian}}, "zip_", "zip"},
      {"a sidecar that is not AppleDouble counts as none",
       {{W::MacosxAbove, "far_", "far"}, {W::DotUnderscore, kJunk, ""}}, "far_", "far"},
      {"a folder where the sidecar would be",
       {{W::MacosxBeside, "zip_", ""}, {W::DotUnderscore, kFolder, ""}}, "zip_", ""},
  };
  if (::geteuid() != 0) {  // root reads a file without permissions
    rows.push_back({"an unreadable sidecar counts as none",
                    {{W::MacosxBeside, "zip_", ""}, {W::DotUnderscore, kUnreadable, ""}},
                    "zip_", ""});
  }
  ExpectCarriers(rows);
}

TEST(FolderItemTest, AttributeCarriers) {
  TempFolder probe;
  SKIP_WITHOUT_USER_XATTRS(probe.path());
  using W = Where;
  ExpectCarriers({
      {"user.org.netatalk.Metadata", {{W::NetatalkAttr, "qZt5", "", 0x4000}}, "qZt5", "", false},
      {"user.org.netatalk.ResourceFork", {{W::NetatalkForkAttr, "", "w"}}, "", "w"},
      {"Samba's AFP_AfpInfo and AFP_Resource",
       {{W::SambaAttr, "qZt5", "w", 0x0010}}, "qZt5", "w", true, false},
#if defined(__APPLE__)
      {"com.apple.FinderInfo and com.apple.ResourceFork",
       {{W::AppleAttr, "qZt5", "w"}}, "qZt5", "w"},
#endif
      {"attributes before sidecars",
       {{W::DotUnderscore, "side", "side"}, {W::SambaAttr, "samb", ""}}, "samb", "side"},
      {"Netatalk's attribute before Samba's",
       {{W::SambaAttr, "samb", ""}, {W::NetatalkAttr, "ntlk", ""}}, "ntlk", ""},
      {"all-zero Finder info in an attribute counts as none",
       {{W::SambaAttr, "samb", ""}, {W::NetatalkAttr, kZero, ""}}, "samb", ""},
      {"a malformed attribute counts as none",
       {{W::DotUnderscore, "side", ""}, {W::SambaAttr, kJunk, ""}}, "side", ""},
      {"a fork attribute before a sidecar's fork",
       {{W::DotUnderscore, "side", "side"}, {W::NetatalkForkAttr, "", "ntlk"}}, "side", "ntlk"},
  });
}
// ------------------------------------------------- Writing to the disk

TEST(FolderItemTest, SettingExtensionVisible) {
  TempFolder dir;
  fs::create_directory(dir / "doc.tvrmd");
  Touch(dir / "file.tvr");
  const std::string sidecar = MacOsSidecarBytes(FinderInfoBytes("Tavr", "qZt5"));
  WriteBytes(dir / "._file.tvr", sidecar);
  FolderItem missing(dir / "missing.tvrmd");
  missing.SetExtensionVisible(false);
  missing.SetExtensionVisible(true);
  EXPECT_FALSE(missing.Exists()) << "never creates an item";
  FolderItem(dir / "doc.tvrmd").SetExtensionVisible(false);
  FolderItem(dir / "file.tvr").SetExtensionVisible(false);
#if defined(__APPLE__)
  EXPECT_FALSE(FolderItem(dir / "doc.tvrmd").ExtensionVisible());
  EXPECT_FALSE(FolderItem(dir / "file.tvr").ExtensionVisible());
  FolderItem(dir / "doc.tvrmd").SetExtensionVisible(true);
  EXPECT_TRUE(FolderItem(dir / "doc.tvrmd").ExtensionVisible());
#else
  // Elsewhere nothing on disk changes: no sidecar appears, none is rewritten,
  // no attribute is added.
  EXPECT_EQ(Names(FolderItem(dir.path())), (std::vector<std::string>{"doc.tvrmd", "file.tvr"}));
  EXPECT_FALSE(fs::exists(dir / "._doc.tvrmd"));
  EXPECT_FALSE(fs::exists(dir / "._missing.tvrmd"));
  EXPECT_EQ(ReadBytes(dir / "._file.tvr"), sidecar);
  EXPECT_TRUE(xattrs::List(dir / "doc.tvrmd").empty());
  EXPECT_TRUE(xattrs::List(dir / "file.tvr").empty());
  EXPECT_TRUE(FolderItem(dir / "doc.tvrmd").ExtensionVisible());
#endif
}

TEST(FolderItemTest, CreateAsFolderCreateTextFileAndOpenAsBinaryFile) {
  TempFolder dir;
  FolderItem folder(dir.path());
  EXPECT_EQ(folder.Count(), 0);
  FolderItem package = folder.Child("doc.tvr.tvrmd");
  EXPECT_TRUE(package.CreateAsFolder());
  EXPECT_TRUE(package.Directory());
  EXPECT_EQ(folder.Count(), 1);
  EXPECT_TRUE(package.CreateAsFolder()) << "a folder already stands there";
  FolderItem file = folder.Child("pref");
  {
    auto stream = file.CreateTextFile();
    ASSERT_NE(stream, nullptr);
    stream->WriteLine("line");
    stream->Commit();
  }
  EXPECT_EQ(ReadBytes(dir / "pref"), "line\n");
  EXPECT_EQ(folder.Count(), 2);
  auto in = file.OpenAsBinaryFile(false);
  ASSERT_NE(in, nullptr);
  EXPECT_EQ(in->Read(4), "line");
  EXPECT_FALSE(file.CreateAsFolder());
  EXPECT_FALSE(folder.Child("missing").Child("deeper").CreateAsFolder());
  EXPECT_THROW(folder.Child("missing").OpenAsBinaryFile(false), NilObjectException);
  EXPECT_THROW(file.OpenAsBinaryFile(true), NilObjectException);
  EXPECT_THROW(folder.Child("missing").Child("x").CreateTextFile(), NilObjectException);
}

// ------------------------------------------- Larger folders (read-ahead)
//
// Folders of more than a handful of items are read ahead on helper threads:
// the answers must be those of items made from their paths, and a sub-folder
// changed after it was read ahead must be read again.

namespace {

struct Answer {
  std::string path, type, creator;
  bool directory, visible, extensionVisible, fork;
  bool operator==(const Answer&) const = default;
};

Answer AnswerOf(const FolderItem& item) {
  return {item.AbsolutePath(), item.MacType(),          item.MacCreator(),
          item.Directory(),    item.Visible(),          item.ExtensionVisible(),
          item.OpenResourceFork().has_value()};
}

}  // namespace

TEST(FolderItemTest, SubfolderChangedAfterItWasReadAheadIsReadAgain) {
  TempFolder dir;
  const bool withXattrs = UserXattrsWork(dir.path());
  for (int i = 0; i < 30; ++i) {
    const std::string name = "file " + std::to_string(i);
    Touch(dir / name);
    if (i % 3 == 0) Sidecar(dir.path(), name, "Tavr", "qZt5", 0, WPosFork());
    if (i % 3 == 1) Sidecar(dir.path(), name, "TEXT", "ttxt", FinderInfo::kIsInvisible);
    if (i % 3 == 2 && withXattrs)
      xattrs::Set(dir / name, mac_metadata::kNetatalkMetadataAttribute,
                  AppleDoubleBytes({{9, FinderInfoBytes("Tavr", "qZt6", 0x0010)}}));
  }
  for (int i = 0; i < 4; ++i) {
    fs::create_directory(dir / ("sub " + std::to_string(i)));
    for (int k = 0; k < 10; ++k)
      Touch(dir / ("sub " + std::to_string(i)) / ("x" + std::to_string(k)));
  }
  ::usleep(50 * 1000);  // old enough for a listing read now to be trusted
  FolderItem folder(dir.path());
  ASSERT_EQ(folder.Count(), 34);
  // Give helpers time to read the sub-folders ahead, then change them.
  for (int i = 1; i <= 30; ++i) {
    const Answer answer = AnswerOf(folder.Item(i));
    EXPECT_EQ(answer, AnswerOf(FolderItem(answer.path))) << answer.path;
  }
  ::usleep(50 * 1000);
  for (int i = 0; i < 4; ++i) {
    Touch(dir / ("sub " + std::to_string(i)) / "new");
    fs::remove(dir / ("sub " + std::to_string(i)) / "x0");
    Touch(dir / ("sub " + std::to_string(i)) / "newer");
  }
  for (int i = 31; i <= 34; ++i) {
    FolderItem sub = folder.Item(i);
    ASSERT_TRUE(sub.Directory());
    EXPECT_EQ(sub.Count(), 11) << sub.Name();
    EXPECT_EQ(sub.Item(1).Name(), "new");
    EXPECT_EQ(sub.Item(2).Name(), "newer");
  }
}
