#include "platform/folder_item.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "platform/binary_stream.h"
#include "platform/directory_listing.h"
#include "platform/errors.h"
#include "platform/extended_attributes.h"
#include "platform/mac_metadata.h"
#include "platform/mac_metadata_helpers.h"
#include "platform/text_output_stream.h"

namespace fs = std::filesystem;
using test_mac::FinderInfoBytes;
using test_mac::MacOsSidecarBytes;
using test_mac::TempDir;
using test_mac::WriteFile;

namespace {

std::vector<std::string> Names(const FolderItem& folder) {
  std::vector<std::string> names;
  for (std::int32_t i = 1; i <= folder.Count(); ++i) names.push_back(folder.Item(i).Name());
  return names;
}

void Touch(const fs::path& path) { WriteFile(path, "data"); }

// A sidecar in the form macOS writes.
void Sidecar(const fs::path& dir, const std::string& name, const std::string& type,
             const std::string& creator, std::uint16_t flags = 0, const std::string& fork = "") {
  WriteFile(dir / ("._" + name), MacOsSidecarBytes(FinderInfoBytes(type, creator, flags), fork));
}

#define SKIP_WITHOUT_USER_XATTRS(dir)                                                       \
  if (!test_mac::UserXattrsWork(dir))                                                       \
  GTEST_SKIP() << "the file system of " << (dir) << " refuses user.* extended attributes; " \
               << "the Netatalk and Samba carriers cannot be tested here"

}  // namespace

// ------------------------------------------------------------- Paths, names

TEST(FolderItemTest, NameChildParentAndAbsolutePath) {
  TempDir dir;
  FolderItem root(dir.path());
  FolderItem child = root.Child("Liste.tvr");
  EXPECT_EQ(child.Name(), "Liste.tvr");
  EXPECT_EQ(child.AbsolutePath(), (dir.path() / "Liste.tvr").string());
  EXPECT_FALSE(child.Exists());
  EXPECT_EQ(child.Parent().AbsolutePath(), root.AbsolutePath());
  EXPECT_EQ(root.Child("a").Child("b").Parent().Parent().AbsolutePath(), root.AbsolutePath());
}

TEST(FolderItemTest, AbsolutePathIsNormalisedAndResolvesBack) {
  TempDir dir;
  fs::create_directory(dir / "sub");
  Touch(dir / "sub" / "書類 1.tvr");
  FolderItem item(dir.path() / "sub" / "." / ".." / "sub" / "書類 1.tvr");
  EXPECT_EQ(item.AbsolutePath(), (dir.path() / "sub" / "書類 1.tvr").string());
  auto back = GetFolderItem(item.AbsolutePath(), 0);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->AbsolutePath(), item.AbsolutePath());
  EXPECT_TRUE(back->Exists());
  EXPECT_EQ(back->Name(), "書類 1.tvr");

  FolderItem trailing(dir.path().string() + "/sub/");
  EXPECT_EQ(trailing.Name(), "sub");
  EXPECT_EQ(trailing.AbsolutePath(), (dir.path() / "sub").string());
}

TEST(FolderItemTest, GetFolderItemRefusesWhatIsNotAnAbsolutePath) {
  EXPECT_FALSE(GetFolderItem("", 0).has_value());
  EXPECT_FALSE(GetFolderItem("relative/path", 0).has_value());
  EXPECT_FALSE(GetFolderItem(std::string("/a\0b", 4), 0).has_value());
  EXPECT_FALSE(GetFolderItem("/tmp", 1).has_value()) << "mode 0 is the only mode";
  ASSERT_TRUE(GetFolderItem("/does/not/exist", 0).has_value());
  EXPECT_FALSE(GetFolderItem("/does/not/exist", 0)->Exists());
}

TEST(FolderItemTest, RootIsItsOwnParent) {
  FolderItem root("/");
  EXPECT_EQ(root.Parent().AbsolutePath(), "/");
  EXPECT_TRUE(root.Directory());
  EXPECT_GT(root.Count(), 0);
}

TEST(FolderItemTest, RelativePathBecomesAbsolute) {
  FolderItem item("some-relative-name");
  EXPECT_TRUE(fs::path(item.AbsolutePath()).is_absolute());
  EXPECT_EQ(item.Name(), "some-relative-name");
}

// ---------------------------------------------------------- Count and Item

TEST(FolderItemTest, ItemsComeInMacNameOrder) {
  TempDir dir;
  for (const char* name : {"b", "B", "a", "A", "ab", "Ab", "10", "9", "_x", "Zeta", "zebra", "É",
                           "é", "e", "f", "~", ".hidden"}) {
    Touch(dir / name);
  }
  // Case-insensitive first ("A" and "a" next to each other), then byte by
  // byte ("A" before "a"); accented letters fold too and sort by code point.
  // "_" (0x5F) stands before the folded letters (0x61-0x7A), "~" after them.
  const std::vector<std::string> expected = {".hidden", "10",   "9", "_x", "A", "a",
                                             "Ab",      "ab",   "B", "b",  "e", "f",
                                             "zebra",   "Zeta", "~", "É",  "é"};
  EXPECT_EQ(Names(FolderItem(dir.path())), expected);
}

TEST(FolderItemTest, OrderDoesNotDependOnCreationOrder) {
  TempDir one, two;
  const std::vector<std::string> names = {"Liste 2.tvr", "liste 1.tvr", "LISTE 3.tvr",
                                          "データ.tvr",  "Alpha",       "alpha"};
  for (const auto& n : names) Touch(one / n);
  for (auto it = names.rbegin(); it != names.rend(); ++it) Touch(two / *it);
  EXPECT_EQ(Names(FolderItem(one.path())), Names(FolderItem(two.path())));
  std::vector<std::string> sorted = names;
  std::sort(sorted.begin(), sorted.end(), MacNameLess);
  EXPECT_EQ(Names(FolderItem(one.path())), sorted);
}

TEST(FolderItemTest, InvalidUtf8NamesAreListedAndOrdered) {
  TempDir dir;
  Touch(dir / std::string("\x82\xa0.tvr"));  // Shift-JIS bytes
  Touch(dir / "B.tvr");
  Touch(dir / "a.tvr");
  EXPECT_EQ(Names(FolderItem(dir.path())),
            (std::vector<std::string>{"a.tvr", "B.tvr", std::string("\x82\xa0.tvr")}));
}

TEST(FolderItemTest, MetadataCarriersAreNeverListed) {
  TempDir dir;
  Touch(dir / "doc.tvr");
  Sidecar(dir.path(), "doc.tvr", "Tavr", "qZt5");
  Touch(dir / "._orphan");
  fs::create_directory(dir / "__MACOSX");
  fs::create_directory(dir / ".AppleDouble");
  fs::create_directory(dir / "sub");
  Touch(dir / ".DS_Store");
  EXPECT_EQ(Names(FolderItem(dir.path())),
            (std::vector<std::string>{".DS_Store", "doc.tvr", "sub"}));
}

TEST(FolderItemTest, ItemOutOfBoundsThrows) {
  TempDir dir;
  Touch(dir / "a");
  FolderItem folder(dir.path());
  ASSERT_EQ(folder.Count(), 1);
  EXPECT_NO_THROW(folder.Item(1));
  EXPECT_THROW(folder.Item(0), OutOfBoundsException);
  EXPECT_THROW(folder.Item(2), OutOfBoundsException);
  EXPECT_THROW(folder.Item(-1), OutOfBoundsException);
  EXPECT_THROW(FolderItem(dir / "a").Item(1), OutOfBoundsException);
}

TEST(FolderItemTest, CountIsZeroForFilesAndMissingFolders) {
  TempDir dir;
  Touch(dir / "file");
  EXPECT_EQ(FolderItem(dir / "file").Count(), 0);
  EXPECT_EQ(FolderItem(dir / "missing").Count(), 0);
  EXPECT_EQ(FolderItem(dir / "missing" / "deeper").Count(), 0);
  EXPECT_EQ(FolderItem(dir / "file" / "deeper").Count(), 0);
}

TEST(FolderItemTest, CountIsZeroForAnUnreadableFolder) {
  TempDir dir;
  fs::create_directory(dir / "locked");
  Touch(dir / "locked" / "x");
  ::chmod((dir / "locked").c_str(), 0);
  if (::geteuid() == 0) {
    ::chmod((dir / "locked").c_str(), 0755);
    GTEST_SKIP() << "running as root: a folder without permissions can still be read";
  }
  EXPECT_EQ(FolderItem(dir / "locked").Count(), 0);
  ::chmod((dir / "locked").c_str(), 0755);
}

TEST(FolderItemTest, CountSeesChangesMadeAtOnce) {
  TempDir dir;
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
}

TEST(FolderItemTest, ItemAnswersFromTheListingCountSaw) {
  TempDir dir;
  Touch(dir / "b");
  FolderItem folder(dir.path());
  ASSERT_EQ(folder.Count(), 1);
  Touch(dir / "a");
  EXPECT_EQ(folder.Item(1).Name(), "b") << "until Count() is asked again";
  EXPECT_EQ(folder.Count(), 2);
  EXPECT_EQ(folder.Item(1).Name(), "a");
}

TEST(FolderItemTest, CopiesShareTheListing) {
  TempDir dir;
  Touch(dir / "a");
  FolderItem folder(dir.path());
  FolderItem copy = folder;
  ASSERT_EQ(folder.Count(), 1);
  EXPECT_EQ(copy.Item(1).Name(), "a");
}

TEST(FolderItemTest, FolderThatVanishesCountsZero) {
  TempDir dir;
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
  TempDir dir;
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

// ------------------------------------------------- Directory, Visible, Exists

TEST(FolderItemTest, DirectoryAndExists) {
  TempDir dir;
  fs::create_directory(dir / "sub");
  Touch(dir / "file");
  FolderItem folder(dir.path());
  EXPECT_TRUE(folder.Directory());
  EXPECT_TRUE(folder.Child("sub").Directory());
  EXPECT_FALSE(folder.Child("file").Directory());
  EXPECT_FALSE(folder.Child("missing").Directory());
  EXPECT_FALSE(folder.Child("missing").Exists());
  ASSERT_EQ(folder.Count(), 2);
  EXPECT_FALSE(folder.Item(1).Directory());
  EXPECT_TRUE(folder.Item(2).Directory());
  EXPECT_TRUE(folder.Item(1).Exists());
}

TEST(FolderItemTest, LinkToAFolderIsNotEnteredAsAFolder) {
  TempDir dir;
  fs::create_directory(dir / "real");
  fs::create_directory_symlink(dir.path(), dir / "real" / "loop");
  FolderItem real(dir / "real");
  ASSERT_EQ(real.Count(), 1);
  EXPECT_FALSE(real.Item(1).Directory()) << "a walk over Item() must end";
  EXPECT_TRUE(real.Item(1).Exists());
  fs::create_symlink(dir / "nowhere", dir / "dangling");
  EXPECT_TRUE(FolderItem(dir / "dangling").Exists());
  EXPECT_FALSE(FolderItem(dir / "dangling").Directory());
}

TEST(FolderItemTest, VisibleIsFalseForDotNamesAndTheInvisibleFlag) {
  TempDir dir;
  Touch(dir / ".hidden");
  Touch(dir / "plain");
  Touch(dir / "flagged");
  Sidecar(dir.path(), "flagged", "TEXT", "ttxt", FinderInfo::kIsInvisible);
  fs::create_directory(dir / "Hidden Folder");
  Sidecar(dir.path(), "Hidden Folder", "", "", FinderInfo::kIsInvisible);
  FolderItem folder(dir.path());
  EXPECT_FALSE(folder.Child(".hidden").Visible());
  EXPECT_TRUE(folder.Child("plain").Visible());
  EXPECT_FALSE(folder.Child("flagged").Visible());
  EXPECT_FALSE(folder.Child("Hidden Folder").Visible());
  ASSERT_EQ(folder.Count(), 4);
  EXPECT_EQ(folder.Item(1).Name(), ".hidden");
  EXPECT_FALSE(folder.Item(1).Visible());
  EXPECT_FALSE(folder.Item(2).Visible());  // flagged
  EXPECT_FALSE(folder.Item(3).Visible());  // Hidden Folder
  EXPECT_TRUE(folder.Item(4).Visible());   // plain
}

// ------------------------------------------- Type and creator, per carrier

TEST(FolderItemTest, NoMetadataMeansEmptyCodes) {
  TempDir dir;
  Touch(dir / "doc.tvr");
  FolderItem item(dir / "doc.tvr");
  EXPECT_EQ(item.MacType(), "");
  EXPECT_EQ(item.MacCreator(), "");
  EXPECT_TRUE(item.ExtensionVisible());
  EXPECT_FALSE(item.OpenResourceFork().has_value());
}

TEST(FolderItemTest, DotUnderscoreSidecar) {
  TempDir dir;
  Touch(dir / "doc.tvr");
  Sidecar(dir.path(), "doc.tvr", "Tavr", "qZt5", 0, test_mac::WPosFork());
  for (const FolderItem& item : {FolderItem(dir / "doc.tvr"), FolderItem(dir.path()).Item(1),
                                 FolderItem(dir.path()).Child("doc.tvr")}) {
    EXPECT_EQ(item.MacType(), "Tavr");
    EXPECT_EQ(item.MacCreator(), "qZt5");
    auto fork = item.OpenResourceFork();
    ASSERT_TRUE(fork.has_value());
    EXPECT_EQ(fork->GetResource("WPos", 128), "30\t60\t700\t500");
    EXPECT_EQ(fork->GetResource("WPos", 129), "");
  }
}

TEST(FolderItemTest, NetatalkSidecarFiller) {
  TempDir dir;
  Touch(dir / "doc.tvr");
  WriteFile(dir / "._doc.tvr", test_mac::AppleDoubleBytes({{2, test_mac::WPosFork()},
                                                           {9, FinderInfoBytes("Tavr", "qZt5")}},
                                                          "Netatalk        "));
  FolderItem item(dir / "doc.tvr");
  EXPECT_EQ(item.MacType(), "Tavr");
  EXPECT_EQ(item.OpenResourceFork()->GetResource("WPos", 128), "30\t60\t700\t500");
}

TEST(FolderItemTest, CodesAreCaseSensitive) {
  TempDir dir;
  Touch(dir / "doc.tvr");
  Sidecar(dir.path(), "doc.tvr", "tavr", "QZT5");
  FolderItem item(dir / "doc.tvr");
  EXPECT_EQ(item.MacType(), "tavr");
  EXPECT_NE(item.MacType(), "Tavr");
  EXPECT_EQ(item.MacCreator(), "QZT5");
}

TEST(FolderItemTest, NetatalkAppleDoubleFolderVersions1And2) {
  TempDir dir;
  Touch(dir / "v1.tvr");
  Touch(dir / "v2.tvr");
  fs::create_directory(dir / ".AppleDouble");
  WriteFile(dir / ".AppleDouble" / "v1.tvr",
            test_mac::AppleDoubleBytes(
                {{9, FinderInfoBytes("Tavr", "qZt5")}, {2, test_mac::WPosFork("1\t2\t3\t4")}},
                "Unix            ", 0x00010000));
  WriteFile(dir / ".AppleDouble" / "v2.tvr",
            test_mac::AppleDoubleBytes({{9, FinderInfoBytes("Tavr", "qZt6")}}, "Netatalk        "));
  FolderItem folder(dir.path());
  ASSERT_EQ(folder.Count(), 2);
  EXPECT_EQ(folder.Item(1).MacCreator(), "qZt5");
  EXPECT_EQ(folder.Item(1).OpenResourceFork()->GetResource("WPos", 128), "1\t2\t3\t4");
  EXPECT_EQ(folder.Item(2).MacCreator(), "qZt6");
  EXPECT_EQ(FolderItem(dir / "v1.tvr").MacCreator(), "qZt5");
  EXPECT_EQ(folder.Child("v2.tvr").MacCreator(), "qZt6");
}

TEST(FolderItemTest, NetatalkParentRecordOfAFolder) {
  TempDir dir;
  fs::create_directory(dir / "Secret");
  fs::create_directory(dir / "Secret" / ".AppleDouble");
  WriteFile(dir / "Secret" / ".AppleDouble" / ".Parent",
            test_mac::AppleDoubleBytes({{9, std::string(8, '\0') + test_mac::BE16(0x4000)}},
                                       "Netatalk        "));
  FolderItem folder(dir.path());
  ASSERT_EQ(folder.Count(), 1);
  EXPECT_FALSE(folder.Item(1).Visible());
  EXPECT_FALSE(FolderItem(dir / "Secret").Visible());
}

TEST(FolderItemTest, MacosxFolderInTheItemsOwnFolder) {
  TempDir dir;
  Touch(dir / "doc.tvr");
  fs::create_directory(dir / "__MACOSX");
  Sidecar(dir / "__MACOSX", "doc.tvr", "Tavr", "qZt5", 0, test_mac::WPosFork());
  FolderItem folder(dir.path());
  ASSERT_EQ(folder.Count(), 1);
  EXPECT_EQ(folder.Item(1).MacCreator(), "qZt5");
  EXPECT_EQ(folder.Item(1).OpenResourceFork()->GetResource("WPos", 128), "30\t60\t700\t500");
  EXPECT_EQ(FolderItem(dir / "doc.tvr").MacCreator(), "qZt5");
}

TEST(FolderItemTest, MacosxFolderAboveTheItem) {
  // As unpacked from a zip made on a Mac: archive/__MACOSX mirrors the tree.
  TempDir dir;
  const fs::path archive = dir / "archive";
  fs::create_directories(archive / "Lists" / "2003");
  Touch(archive / "Lists" / "2003" / "doc.tvr");
  fs::create_directories(archive / "__MACOSX" / "Lists" / "2003");
  Sidecar(archive / "__MACOSX" / "Lists" / "2003", "doc.tvr", "Tavr", "qZt5");
  Sidecar(archive / "__MACOSX" / "Lists", "2003", "", "", FinderInfo::kIsInvisible);

  // Reached by a walk from above the archive.
  FolderItem top(dir.path());
  ASSERT_EQ(top.Count(), 1);
  FolderItem lists = top.Item(1).Child("Lists");
  ASSERT_EQ(lists.Count(), 1);
  FolderItem year = lists.Item(1);
  EXPECT_FALSE(year.Visible());
  ASSERT_EQ(year.Count(), 1);
  EXPECT_EQ(year.Item(1).MacType(), "Tavr");
  EXPECT_EQ(year.Item(1).MacCreator(), "qZt5");

  // Reached from its path alone.
  auto resolved = GetFolderItem((archive / "Lists" / "2003" / "doc.tvr").string());
  EXPECT_EQ(resolved->MacCreator(), "qZt5");
  EXPECT_FALSE(FolderItem(archive / "Lists" / "2003").Visible());
  // The scan starting inside the archive still finds the mirror above it.
  FolderItem inner(archive / "Lists" / "2003");
  ASSERT_EQ(inner.Count(), 1);
  EXPECT_EQ(inner.Item(1).MacCreator(), "qZt5");
}

TEST(FolderItemTest, NearestMacosxWins) {
  TempDir dir;
  fs::create_directories(dir / "a" / "b");
  Touch(dir / "a" / "b" / "doc");
  fs::create_directories(dir / "__MACOSX" / "a" / "b");
  fs::create_directories(dir / "a" / "__MACOSX" / "b");
  Sidecar(dir / "__MACOSX" / "a" / "b", "doc", "Tavr", "far_");
  Sidecar(dir / "a" / "__MACOSX" / "b", "doc", "Tavr", "near");
  EXPECT_EQ(FolderItem(dir / "a" / "b" / "doc").MacCreator(), "near");
  fs::remove(dir / "a" / "__MACOSX" / "b" / "._doc");
  EXPECT_EQ(FolderItem(dir / "a" / "b" / "doc").MacCreator(), "far_");
}

TEST(FolderItemTest, CarrierOrder) {
  TempDir dir;
  Touch(dir / "doc");
  fs::create_directory(dir / ".AppleDouble");
  fs::create_directory(dir / "__MACOSX");
  Sidecar(dir / "__MACOSX", "doc", "Tavr", "zip_", 0, test_mac::WPosFork("zip"));
  EXPECT_EQ(FolderItem(dir / "doc").MacCreator(), "zip_");
  WriteFile(dir / ".AppleDouble" / "doc",
            test_mac::AppleDoubleBytes({{9, FinderInfoBytes("Tavr", "ntlk")}}, "Netatalk        "));
  EXPECT_EQ(FolderItem(dir / "doc").MacCreator(), "ntlk");
  EXPECT_EQ(FolderItem(dir / "doc").OpenResourceFork()->GetResource("WPos", 128), "zip")
      << "each value from the first carrier that has it";
  Sidecar(dir.path(), "doc", "Tavr", "side");  // placeholder fork: no fork
  EXPECT_EQ(FolderItem(dir / "doc").MacCreator(), "side");
  EXPECT_EQ(FolderItem(dir / "doc").OpenResourceFork()->GetResource("WPos", 128), "zip");
  // Zero Finder info counts as absent.
  WriteFile(dir / "._doc", MacOsSidecarBytes(std::string(32, '\0'), test_mac::WPosFork("side")));
  EXPECT_EQ(FolderItem(dir / "doc").MacCreator(), "ntlk");
  EXPECT_EQ(FolderItem(dir / "doc").OpenResourceFork()->GetResource("WPos", 128), "side");
  // A fork that does not parse counts as none.
  WriteFile(dir / "._doc",
            MacOsSidecarBytes(std::string(32, '\0'),
                              test_mac::LittleEndianResourceForkBytes({{"WPos", 128, "le"}})));
  EXPECT_EQ(FolderItem(dir / "doc").OpenResourceFork()->GetResource("WPos", 128), "zip");
}

TEST(FolderItemTest, MalformedSidecarsAreNoMetadata) {
  TempDir dir;
  Touch(dir / "not");
  WriteFile(dir / "._not", test_mac::Fixture("._not_adf"));
  EXPECT_EQ(FolderItem(dir / "not").MacType(), "");
  EXPECT_FALSE(FolderItem(dir / "not").OpenResourceFork().has_value());

  const std::string good = MacOsSidecarBytes(FinderInfoBytes("Tavr", "qZt5"), test_mac::WPosFork());
  for (std::size_t n = 0; n < good.size(); n += 37) {
    WriteFile(dir / "._cut", good.substr(0, n));
    Touch(dir / "cut");
    FolderItem item(dir / "cut");
    (void)item.MacType();
    (void)item.OpenResourceFork();
    EXPECT_FALSE(item.OpenResourceFork().has_value()) << n;
  }
  fs::create_directory(dir / "._dir");  // a folder where a sidecar would be
  Touch(dir / "dir");
  EXPECT_EQ(FolderItem(dir / "dir").MacType(), "");
}

TEST(FolderItemTest, UnreadableSidecarIsAbsent) {
  TempDir dir;
  Touch(dir / "doc");
  Sidecar(dir.path(), "doc", "Tavr", "qZt5");
  ::chmod((dir / "._doc").c_str(), 0);
  if (::geteuid() == 0)
    GTEST_SKIP() << "running as root: a file without permissions can still be read";
  EXPECT_EQ(FolderItem(dir / "doc").MacType(), "");
}

TEST(FolderItemTest, RealSidecarsBesideFiles) {
  TempDir dir;
  for (const char* name : {"Release.Notes", "gshk.docs", "GSHK", "not_adf"}) {
    Touch(dir / name);
    fs::copy_file(test_mac::FixturePath(std::string("._") + name),
                  dir / (std::string("._") + name));
  }
  Touch(dir / "SillyBalls");
  fs::copy_file(test_mac::FixturePath("SillyBalls.AppleDouble"), dir / "._SillyBalls");
  fs::create_directory(dir / "DirectoryWithAttrs");
  fs::copy_file(test_mac::FixturePath("DirectoryWithAttrs.AppleDouble"),
                dir / "._DirectoryWithAttrs");

  FolderItem folder(dir.path());
  EXPECT_EQ(Names(folder), (std::vector<std::string>{"DirectoryWithAttrs", "GSHK", "gshk.docs",
                                                     "not_adf", "Release.Notes", "SillyBalls"}));
  FolderItem notes = folder.Child("Release.Notes");
  EXPECT_EQ(notes.MacType(), "TEXT");
  EXPECT_EQ(notes.MacCreator(), "pdos");
  EXPECT_FALSE(notes.OpenResourceFork().has_value()) << "the placeholder fork is no fork";

  FolderItem docs = folder.Child("gshk.docs");
  EXPECT_EQ(docs.MacType(), "TEXT");
  ASSERT_TRUE(docs.OpenResourceFork().has_value());
  EXPECT_FALSE(docs.OpenResourceFork()->GetResource("ckid", 128).empty());

  EXPECT_EQ(folder.Child("GSHK").MacCreator(), "pdos");
  EXPECT_FALSE(folder.Child("GSHK").OpenResourceFork().has_value()) << "little-endian fork refused";

  EXPECT_EQ(folder.Child("not_adf").MacType(), "");
  EXPECT_TRUE(folder.Child("not_adf").Visible());

  FolderItem balls = folder.Child("SillyBalls");
  EXPECT_EQ(balls.MacType(), "APPL");
  EXPECT_EQ(balls.MacCreator(), "abcd");
  EXPECT_TRUE(balls.Visible());
  EXPECT_TRUE(balls.ExtensionVisible());
  EXPECT_FALSE(balls.OpenResourceFork()->GetResource("SIZE", -1).empty());

  FolderItem withAttrs = folder.Child("DirectoryWithAttrs");
  EXPECT_TRUE(withAttrs.Directory());
  EXPECT_TRUE(withAttrs.Visible()) << "frFlags 0x2008 has no invisible bit";
  EXPECT_EQ(withAttrs.MacType(), "") << "a folder has no type code";
  EXPECT_FALSE(withAttrs.OpenResourceFork().has_value());
}

// -------------------------------------------------- Extended attributes

TEST(FolderItemTest, NetatalkMetadataAttribute) {
  TempDir dir;
  SKIP_WITHOUT_USER_XATTRS(dir.path());
  Touch(dir / "doc");
  ASSERT_TRUE(xattrs::Set(dir / "doc", mac_metadata::kNetatalkMetadataAttribute,
                          test_mac::AppleDoubleBytes({{9, FinderInfoBytes("Tavr", "qZt5", 0x4000)}},
                                                     "Netatalk        ")));
  FolderItem item(dir / "doc");
  EXPECT_EQ(item.MacType(), "Tavr");
  EXPECT_EQ(item.MacCreator(), "qZt5");
  EXPECT_FALSE(item.Visible());
  FolderItem folder(dir.path());
  ASSERT_EQ(folder.Count(), 1);
  EXPECT_EQ(folder.Item(1).MacCreator(), "qZt5");
}

TEST(FolderItemTest, NetatalkResourceForkAttribute) {
  TempDir dir;
  SKIP_WITHOUT_USER_XATTRS(dir.path());
  Touch(dir / "doc");
  ASSERT_TRUE(
      xattrs::Set(dir / "doc", mac_metadata::kNetatalkResourceForkAttribute, test_mac::WPosFork()));
  EXPECT_EQ(FolderItem(dir / "doc").OpenResourceFork()->GetResource("WPos", 128),
            "30\t60\t700\t500");
}

TEST(FolderItemTest, SambaStreamAttributes) {
  TempDir dir;
  SKIP_WITHOUT_USER_XATTRS(dir.path());
  Touch(dir / "doc");
  // streams_xattr stores each stream with one trailing zero byte.
  ASSERT_TRUE(xattrs::Set(
      dir / "doc", mac_metadata::kAfpInfoAttribute,
      test_mac::AfpInfoBytes(FinderInfoBytes("Tavr", "qZt5", 0x0010)) + std::string(1, '\0')));
  ASSERT_TRUE(xattrs::Set(dir / "doc", mac_metadata::kAfpResourceAttribute,
                          test_mac::WPosFork() + std::string(1, '\0')));
  FolderItem item(dir / "doc");
  EXPECT_EQ(item.MacType(), "Tavr");
  EXPECT_EQ(item.MacCreator(), "qZt5");
  EXPECT_FALSE(item.ExtensionVisible());
  EXPECT_EQ(item.OpenResourceFork()->GetResource("WPos", 128), "30\t60\t700\t500");
}

TEST(FolderItemTest, AttributesComeBeforeSidecars) {
  TempDir dir;
  SKIP_WITHOUT_USER_XATTRS(dir.path());
  Touch(dir / "doc");
  Sidecar(dir.path(), "doc", "Tavr", "side", 0, test_mac::WPosFork("side"));
  ASSERT_TRUE(xattrs::Set(dir / "doc", mac_metadata::kAfpInfoAttribute,
                          test_mac::AfpInfoBytes(FinderInfoBytes("Tavr", "samb"))));
  EXPECT_EQ(FolderItem(dir / "doc").MacCreator(), "samb");
  EXPECT_EQ(FolderItem(dir / "doc").OpenResourceFork()->GetResource("WPos", 128), "side");
  ASSERT_TRUE(xattrs::Set(dir / "doc", mac_metadata::kNetatalkMetadataAttribute,
                          test_mac::AppleDoubleBytes({{9, FinderInfoBytes("Tavr", "ntlk")}})));
  EXPECT_EQ(FolderItem(dir / "doc").MacCreator(), "ntlk") << "Netatalk's attribute before Samba's";
  // A zero Finder info in an attribute counts as absent.
  ASSERT_TRUE(xattrs::Set(dir / "doc", mac_metadata::kNetatalkMetadataAttribute,
                          test_mac::AppleDoubleBytes({{9, std::string(32, '\0')}})));
  EXPECT_EQ(FolderItem(dir / "doc").MacCreator(), "samb");
  // A malformed attribute counts as absent.
  ASSERT_TRUE(xattrs::Set(dir / "doc", mac_metadata::kAfpInfoAttribute, "garbage"));
  EXPECT_EQ(FolderItem(dir / "doc").MacCreator(), "side");
}

TEST(FolderItemTest, AppleAttributesWhereTheSystemHasThem) {
  TempDir dir;
  Touch(dir / "doc");
#if defined(__APPLE__)
  ASSERT_TRUE(xattrs::Set(dir / "doc", mac_metadata::kFinderInfoAttribute,
                          FinderInfoBytes("Tavr", "qZt5")));
  ASSERT_TRUE(xattrs::Set(dir / "doc", mac_metadata::kResourceForkAttribute, test_mac::WPosFork()));
  FolderItem item(dir / "doc");
  EXPECT_EQ(item.MacCreator(), "qZt5");
  EXPECT_EQ(item.OpenResourceFork()->GetResource("WPos", 128), "30\t60\t700\t500");
#else
  if (xattrs::Set(dir / "doc", mac_metadata::kFinderInfoAttribute,
                  FinderInfoBytes("Tavr", "qZt5"))) {
    EXPECT_EQ(FolderItem(dir / "doc").MacCreator(), "qZt5");
  } else {
    GTEST_SKIP() << "com.apple.* attribute names cannot be set on this system (Linux allows "
                    "only the user.* namespace); they are read where macOS exposes them";
  }
#endif
}

// ------------------------------------------------------ ExtensionVisible

TEST(FolderItemTest, ExtensionVisibleFromTheFinderFlag) {
  TempDir dir;
  Touch(dir / "shown.tvr");
  Touch(dir / "hidden.tvr");
  Sidecar(dir.path(), "hidden.tvr", "Tavr", "qZt5", FinderInfo::kHasHiddenExtension);
  EXPECT_TRUE(FolderItem(dir / "shown.tvr").ExtensionVisible());
  EXPECT_FALSE(FolderItem(dir / "hidden.tvr").ExtensionVisible());
}

TEST(FolderItemTest, SettingExtensionVisibleNeverCreatesAnItem) {
  TempDir dir;
  FolderItem missing(dir / "missing.tvrmd");
  missing.SetExtensionVisible(false);
  missing.SetExtensionVisible(true);
  EXPECT_FALSE(missing.Exists());
  EXPECT_TRUE(fs::is_empty(dir.path())) << "nothing written beside it either";
}

TEST(FolderItemTest, SettingExtensionVisibleOffAMac) {
  TempDir dir;
  fs::create_directory(dir / "doc.tvrmd");
  Touch(dir / "file.tvr");
  const std::string sidecar = MacOsSidecarBytes(FinderInfoBytes("Tavr", "qZt5"));
  WriteFile(dir / "._file.tvr", sidecar);
  FolderItem package(dir / "doc.tvrmd");
  package.SetExtensionVisible(false);
  FolderItem file(dir / "file.tvr");
  file.SetExtensionVisible(false);
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
  EXPECT_EQ(test_mac::ReadFile(dir / "._file.tvr"), sidecar);
  EXPECT_TRUE(xattrs::List(dir / "doc.tvrmd").empty());
  EXPECT_TRUE(xattrs::List(dir / "file.tvr").empty());
  EXPECT_TRUE(FolderItem(dir / "doc.tvrmd").ExtensionVisible());
#endif
}

// ------------------------------------------------ Creating and opening

TEST(FolderItemTest, CreateAsFolder) {
  TempDir dir;
  FolderItem folder(dir.path());
  EXPECT_EQ(folder.Count(), 0);
  FolderItem package = folder.Child("doc.tvr.tvrmd");
  EXPECT_FALSE(package.Directory());
  EXPECT_TRUE(package.CreateAsFolder());
  EXPECT_TRUE(package.Directory());
  EXPECT_TRUE(package.Exists());
  EXPECT_EQ(folder.Count(), 1);
  EXPECT_TRUE(package.CreateAsFolder()) << "a folder already stands there";
  Touch(dir / "file");
  EXPECT_FALSE(folder.Child("file").CreateAsFolder());
  EXPECT_FALSE(folder.Child("missing").Child("deeper").CreateAsFolder());
}

TEST(FolderItemTest, CreateTextFileAndOpenAsBinaryFile) {
  TempDir dir;
  FolderItem folder(dir.path());
  ASSERT_EQ(folder.Count(), 0);
  FolderItem file = folder.Child("pref");
  {
    auto stream = file.CreateTextFile();
    ASSERT_NE(stream, nullptr);
    stream->WriteLine("line");
    stream->Commit();
  }
  EXPECT_EQ(test_mac::ReadFile(dir / "pref"), "line\n");
  EXPECT_EQ(folder.Count(), 1);
  auto in = file.OpenAsBinaryFile(false);
  ASSERT_NE(in, nullptr);
  EXPECT_EQ(in->Read(4), "line");
  EXPECT_THROW(folder.Child("missing").OpenAsBinaryFile(false), NilObjectException);
  EXPECT_THROW(file.OpenAsBinaryFile(true), NilObjectException);
  EXPECT_THROW(folder.Child("missing").Child("x").CreateTextFile(), NilObjectException);
}

// ------------------------------------------------------------ A whole walk

namespace {

// The folder scan's walk (Part 3.105): depth first, in each folder's own
// order, entering visible folders, testing every other entry.
void Walk(const FolderItem& folder, std::vector<std::string>& found) {
  for (std::int32_t i = 1; i <= folder.Count(); ++i) {
    FolderItem entry = folder.Item(i);
    if (entry.Directory() && entry.Visible()) {
      Walk(entry, found);
    } else if (entry.MacCreator() == "qZt5" && entry.MacType() == "Tavr") {
      found.push_back(entry.AbsolutePath());
    }
  }
}

}  // namespace

TEST(FolderItemTest, ScanWalk) {
  TempDir dir;
  const fs::path root = dir / "root";
  fs::create_directories(root / "B sub");
  fs::create_directories(root / "hidden");
  fs::create_directories(root / ".dot");
  Touch(root / "a.tvr");
  Sidecar(root, "a.tvr", "Tavr", "qZt5");
  Touch(root / "B sub" / "inner.tvr");
  Sidecar(root / "B sub", "inner.tvr", "Tavr", "qZt5");
  Touch(root / "c.tvr");
  Sidecar(root, "c.tvr", "Tavr", "qZt5", FinderInfo::kIsInvisible);  // invisible file: listed
  Touch(root / "d.tvr");
  Sidecar(root, "d.tvr", "Tavr", "qZt6");  // other creator
  Touch(root / "e.tvr");
  Sidecar(root, "e.tvr", "TEXT", "qZt5");  // other type
  Sidecar(root, "hidden", "", "", FinderInfo::kIsInvisible);
  Touch(root / "hidden" / "x.tvr");
  Sidecar(root / "hidden", "x.tvr", "Tavr", "qZt5");
  Touch(root / ".dot" / "y.tvr");
  Sidecar(root / ".dot", "y.tvr", "Tavr", "qZt5");

  std::vector<std::string> found;
  Walk(FolderItem(root), found);
  EXPECT_EQ(found, (std::vector<std::string>{(root / "a.tvr").string(),
                                             (root / "B sub" / "inner.tvr").string(),
                                             (root / "c.tvr").string()}));
  for (const std::string& path : found) {
    auto item = GetFolderItem(path, 0);
    ASSERT_TRUE(item.has_value());
    EXPECT_EQ(item->MacCreator(), "qZt5");
  }
}

TEST(FolderItemTest, WalkEndsOnALinkLoop) {
  TempDir dir;
  fs::create_directories(dir / "a" / "b");
  fs::create_directory_symlink(dir / "a", dir / "a" / "b" / "up");
  std::vector<std::string> found;
  Walk(FolderItem(dir.path()), found);
  EXPECT_TRUE(found.empty());
}

TEST(FolderItemTest, ManyFoldersKeepWorkingBeyondTheDescriptorBudget) {
  TempDir dir;
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

// ------------------------------------------- Larger folders (read-ahead)
//
// Folders of more than a handful of items are read ahead on helper threads
// (where the machine has more than one processor): the answers must be the
// same as those of items made from their paths.

namespace {

struct Answer {
  std::string path, type, creator;
  bool directory, visible, extensionVisible, fork;
  bool operator==(const Answer&) const = default;
};

Answer AnswerOf(const FolderItem& item) {
  return {item.AbsolutePath(),
          item.MacType(),
          item.MacCreator(),
          item.Directory(),
          item.Visible(),
          item.ExtensionVisible(),
          item.OpenResourceFork().has_value()};
}

void WalkAll(const FolderItem& folder, std::vector<Answer>& answers) {
  for (std::int32_t i = 1; i <= folder.Count(); ++i) {
    FolderItem entry = folder.Item(i);
    answers.push_back(AnswerOf(entry));
    if (entry.Directory()) WalkAll(entry, answers);
  }
}

// A tree of `folders` folders of `files` files each, with every carrier.
void MakeMixedTree(const fs::path& root, int folders, int files, bool xattrs) {
  for (int f = 0; f < folders; ++f) {
    const fs::path folder = root / ("Folder " + std::to_string(f));
    fs::create_directories(folder);
    if (f % 3 == 1) Sidecar(root, "Folder " + std::to_string(f), "", "", FinderInfo::kIsInvisible);
    for (int i = 0; i < files; ++i) {
      const std::string name = "doc " + std::to_string(i) + ".tvr";
      Touch(folder / name);
      switch (i % 5) {
        case 0:
          Sidecar(folder, name, "Tavr", "qZt5", 0, test_mac::WPosFork());
          break;
        case 1:
          if (xattrs) {
            xattrs::Set(folder / name, mac_metadata::kNetatalkMetadataAttribute,
                        test_mac::AppleDoubleBytes({{9, FinderInfoBytes("Tavr", "qZt6", 0x0010)}}));
          }
          break;
        case 2:
          Sidecar(folder, name, "TEXT", "ttxt", FinderInfo::kIsInvisible);
          break;
        default:
          break;
      }
    }
    fs::create_directories(folder / "inner");
    for (int i = 0; i < 12; ++i) Touch(folder / "inner" / ("n" + std::to_string(i)));
  }
}

}  // namespace

TEST(FolderItemTest, LargeFoldersAnswerAsItemsMadeFromPaths) {
  TempDir dir;
  const bool xattrs = test_mac::UserXattrsWork(dir.path());
  MakeMixedTree(dir / "tree", 6, 40, xattrs);
  ::usleep(50 * 1000);  // old enough for sub-folders read ahead to be taken
  for (int round = 0; round < 3; ++round) {
    std::vector<Answer> walked;
    WalkAll(FolderItem(dir / "tree"), walked);
    ASSERT_EQ(walked.size(), 6u * (1 + 40 + 1 + 12));
    for (const Answer& answer : walked) {
      EXPECT_EQ(answer, AnswerOf(FolderItem(answer.path))) << answer.path;
    }
  }
}

TEST(FolderItemTest, SubfolderChangedAfterItWasReadAheadIsReadAgain) {
  TempDir dir;
  for (int i = 0; i < 30; ++i) Touch(dir / ("file " + std::to_string(i)));
  for (int i = 0; i < 4; ++i) {
    fs::create_directory(dir / ("sub " + std::to_string(i)));
    for (int k = 0; k < 10; ++k)
      Touch(dir / ("sub " + std::to_string(i)) / ("x" + std::to_string(k)));
  }
  ::usleep(50 * 1000);  // old enough for a listing read now to be trusted
  FolderItem folder(dir.path());
  ASSERT_EQ(folder.Count(), 34);
  // Give helpers time to read the sub-folders ahead, then change them.
  for (int i = 1; i <= 30; ++i) (void)folder.Item(i).MacType();
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

TEST(FolderItemTest, ItemsOfALargeFolderOutliveIt) {
  TempDir dir;
  for (int i = 0; i < 50; ++i) {
    Touch(dir / ("f" + std::to_string(i)));
    if (i % 2 == 0) Sidecar(dir.path(), "f" + std::to_string(i), "Tavr", "qZt5");
  }
  std::vector<FolderItem> items;
  {
    FolderItem folder(dir.path());
    for (std::int32_t i = 1; i <= folder.Count(); ++i) items.push_back(folder.Item(i));
  }
  int documents = 0;
  for (const FolderItem& item : items) documents += item.MacCreator() == "qZt5" ? 1 : 0;
  EXPECT_EQ(documents, 25);
}

TEST(FolderItemTest, ManyScansOneAfterAnother) {
  TempDir dir;
  MakeMixedTree(dir / "tree", 3, 30, false);
  std::vector<Answer> first;
  WalkAll(FolderItem(dir / "tree"), first);
  for (int round = 0; round < 20; ++round) {
    std::vector<Answer> again;
    WalkAll(FolderItem(dir / "tree"), again);
    ASSERT_EQ(again, first) << "round " << round;
  }
}
