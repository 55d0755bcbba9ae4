#include "platform/folder_item.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "platform/extended_attributes.h"
#include "platform/mac_metadata.h"
#include "support/mac_bytes.h"

namespace {

namespace fs = std::filesystem;
using namespace mac_bytes;

// The names of a folder's items, in the order Item gives them.
std::string Names(const FolderItem& folder) {
  std::string names;
  for (std::int32_t i = 1; i <= folder.Count(); ++i) names += folder.Item(i).Name() + "|";
  return names;
}

// Case-insensitive first, then byte by byte, whatever order the file system
// returns; names that are not UTF-8 (Shift-JIS here) sort by their bytes.
TEST(FolderItem, ItemsComeInMacNameOrder) {
  const std::string expected =
      ".hidden|10|9|_x|A|a|Ab|ab|B|b|document 10.txt|Document 9.txt|document 9.txt|zebra|Zeta|~|"
      "\x82\xa0.tvr|É|é|";
  std::vector<std::string> names;
  for (std::size_t at = 0, bar; (bar = expected.find('|', at)) != std::string::npos; at = bar + 1)
    names.push_back(expected.substr(at, bar - at));
  TempFolder forward, backward;
  for (const auto& name : names) WriteBytes(forward / name, "");
  for (auto it = names.rbegin(); it != names.rend(); ++it) WriteBytes(backward / *it, "");
  EXPECT_EQ(Names(FolderItem(forward.path())), expected);
  EXPECT_EQ(Names(FolderItem(backward.path())), expected);
  EXPECT_FALSE(FolderItem(forward / ".hidden").Visible()) << "a dot name is never visible";
}

// Item answers from the listing the last Count saw, and Count reads the
// folder again after any change on disk, however quick; where its sidecars
// may be is looked for again then too.
TEST(FolderItem, CountIsReadAgainAfterAChangeOnDisk) {
  TempFolder dir;
  FolderItem folder(dir.path());
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(folder.Count(), i) << "right after creating file " << i;
    WriteBytes(dir / ("f" + std::to_string(i)), "");
  }
  fs::rename(dir / "f4", dir / "renamed");
  WriteBytes(dir / "a", "");
  EXPECT_EQ(folder.Item(1).Name(), "f0");
  EXPECT_EQ(folder.Count(), 21);
  EXPECT_EQ(folder.Item(1).Name(), "a");
  EXPECT_EQ(folder.Item(21).Name(), "renamed");
  EXPECT_EQ(folder.Item(1).MacCreator(), "");
  fs::create_directory(dir / "__MACOSX");  // a zip unpacked after the first look
  WriteBytes(dir / "__MACOSX/._a", SidecarBytes(std::nullopt));
  EXPECT_EQ(folder.Count(), 21);
  EXPECT_EQ(folder.Item(1).MacCreator(), "qZt5");
  fs::remove_all(dir.path());
  fs::create_directory(dir.path());
  EXPECT_EQ(folder.Count(), 0) << "a new folder at the same path is read";
}

// However deep the tree, a walk holds one folder descriptor: with few left
// to the process, every level is still listed and read.
TEST(FolderItem, DeepWalkWithFewDescriptorsLeft) {
  TempFolder dir;
  fs::path deepest = dir.path();
  for (int i = 0; i < 64; ++i) fs::create_directory(deepest /= "d");
  mac_bytes::WriteDocument(deepest / "doc.tvr", "");
  std::vector<FolderItem> path{FolderItem(dir.path())};
  std::string creator;
  int counted = 0;
  rlimit saved{};
  ::getrlimit(RLIMIT_NOFILE, &saved);
  rlimit few = saved;
  few.rlim_cur = std::min<rlim_t>(32, saved.rlim_cur);
  ::setrlimit(RLIMIT_NOFILE, &few);
  while (path.back().Count() == 1 && path.back().Item(1).Directory())
    path.push_back(path.back().Item(1));
  if (path.back().Count() == 1) creator = path.back().Item(1).MacCreator();
  for (const FolderItem& folder : path) counted += folder.Count();
  ::setrlimit(RLIMIT_NOFILE, &saved);
  EXPECT_EQ(path.size(), 65u);
  EXPECT_EQ(creator, "qZt5");
  EXPECT_EQ(counted, 65);
}

// ----------------------------------------------- Carriers and precedence
//
// The item is <root>/a/b/doc. Each row puts carriers of it; for each value the
// first carrier that has it wins: attributes (Netatalk's, then Samba's), then
// ._NAME, .AppleDouble/NAME, the nearest __MACOSX, those above it.

const std::string kDot = "a/b/._doc", kBeside = "a/b/__MACOSX/._doc", kAbove = "__MACOSX/a/b/._doc";
const std::string kNetatalk = "a/b/.AppleDouble/doc";        // written in version 1
const std::string kParent = "a/b/doc/.AppleDouble/.Parent";  // a folder's own
// Special creators: Finder info of all zeros; bytes that are no carrier at all.
const std::string kZero = "(zero)", kJunk = "(junk)";

// A carrier: a path below the root, or the name of an extended attribute of
// the item; it holds Finder info with type "Tavr" and `creator` ("" for the
// flags alone) and a 'WPos' 128 resource `fork` ("" for none).
struct Layer {
  std::string where, creator, fork;
  std::uint16_t flags = 0;
};

void Put(const fs::path& root, const Layer& layer) {
  using namespace mac_metadata;
  const std::string finder = layer.creator == kZero ? std::string(32, '\0')
                             : layer.creator.empty()
                                 ? std::string(8, '\0') + BE16(layer.flags)
                                 : FinderInfoBytes("Tavr", layer.creator, layer.flags);
  const std::string fork = layer.fork.empty() ? "" : WPosFork(layer.fork);
  std::vector<std::pair<std::uint32_t, std::string>> entries = {{9, finder}};
  if (!fork.empty()) entries.insert(entries.begin(), {2, fork});  // the fork first
  std::string bytes =
      AppleDoubleBytes(entries, "Netatalk", layer.where == kNetatalk ? 0x00010000 : 0x00020000);
  // Samba's streams_xattr stores each stream with a trailing zero byte.
  if (layer.where == kAfpInfoAttribute) bytes = AfpInfoBytes(finder) + '\0';
  if (layer.where == kAfpResourceAttribute) bytes = fork + '\0';
  if (layer.where == kNetatalkResourceForkAttribute) bytes = fork;
  if (layer.creator == kJunk) bytes = "garbage";
  if (layer.where.rfind("user.", 0) == 0) {
    ASSERT_TRUE(xattrs::Set(root / "a/b/doc", layer.where, bytes)) << layer.where;
  } else {
    fs::create_directories((root / layer.where).parent_path());
    WriteBytes(root / layer.where, bytes);
  }
}

// Its codes (type and creator), its 'WPos' 128 resource ("-" for none) and
// its Finder flags.
std::string Describe(const FolderItem& item) {
  const auto fork = item.OpenResourceFork();
  const std::string codes = item.MacType() + item.MacCreator();
  const std::string wpos = fork ? fork->GetResource("WPos", 128) : "";
  return (codes.empty() ? "-" : codes) + " " + (wpos.empty() ? "-" : wpos) +
         (item.Visible() ? "" : ", invisible") +
         (item.ExtensionVisible() ? "" : ", extension hidden");
}

// Reached from its path, through GetFolderItem and from its folder's listing,
// the item answers alike; no carrier is listed.
void ExpectCarriers(const std::vector<std::pair<std::vector<Layer>, std::string>>& rows) {
  for (const auto& [layers, expected] : rows) {
    SCOPED_TRACE(expected);
    TempFolder dir;
    const fs::path path = dir / "a" / "b" / "doc";
    fs::create_directories(path.parent_path());
    layers.size() == 1 && layers[0].where == kParent ? (void)fs::create_directory(path)
                                                     : WriteBytes(path, "");
    for (const Layer& layer : layers) Put(dir.path(), layer);
    ASSERT_EQ(FolderItem(path.parent_path()).Count(), 1);
    EXPECT_EQ(Describe(FolderItem(path)), expected);
    EXPECT_EQ(Describe(*GetFolderItem(path.string())), expected);
    EXPECT_EQ(Describe(FolderItem(path.parent_path()).Item(1)), expected);
  }
}

TEST(FolderItem, FileCarriers) {
  ExpectCarriers({
      {{}, "- -"},
      {{{kDot, "qZt5", "w", 0x0010}}, "TavrqZt5 w, extension hidden"},
      {{{kNetatalk, "QZT5", "", 0x4000}}, "TavrQZT5 -, invisible"},  // codes as stored
      {{{kParent, "", "", 0x4000}}, "- -, invisible"},               // a folder has no codes
      {{{kBeside, "qZt5", "w"}}, "TavrqZt5 w"},
      {{{kAbove, "qZt5", "w"}}, "TavrqZt5 w"},  // as a zip unpacked above leaves it
      // Nearest __MACOSX first; the fork from the first carrier that has one.
      {{{kAbove, "far_", "far"}, {kBeside, "near", ""}}, "Tavrnear far"},
      {{{kBeside, "zip_", "zip"}, {kNetatalk, "ntlk", ""}}, "Tavrntlk zip"},
      {{{kNetatalk, "ntlk", "ntlk"}, {kDot, "side", ""}}, "Tavrside ntlk"},
      // All-zero Finder info, and a sidecar that is not AppleDouble, count as none.
      {{{kNetatalk, "ntlk", ""}, {kDot, kZero, "side"}}, "Tavrntlk side"},
      {{{kAbove, "far_", "far"}, {kDot, kJunk, ""}}, "Tavrfar_ far"},
  });
}

TEST(FolderItem, AttributeCarriers) {
  const TempFolder probe;
  if (!xattrs::Set(probe.path(), "user.tavr.probe", "1")) GTEST_SKIP() << "no user.* attributes";
  using namespace mac_metadata;
  ExpectCarriers({
      {{{kNetatalkMetadataAttribute, "qZt5", "", 0x4000}}, "TavrqZt5 -, invisible"},
      {{{kNetatalkResourceForkAttribute, "", "w"}}, "- w"},
      {{{kAfpInfoAttribute, "qZt5", "", 0x0010}, {kAfpResourceAttribute, "", "w"}},
       "TavrqZt5 w, extension hidden"},
      // Attributes before sidecars, Netatalk's before Samba's; a malformed one
      // counts as none.
      {{{kDot, "side", "side"}, {kAfpInfoAttribute, "samb", ""}}, "Tavrsamb side"},
      {{{kAfpInfoAttribute, "samb", ""}, {kNetatalkMetadataAttribute, "ntlk", ""}}, "Tavrntlk -"},
      {{{kDot, "side", ""}, {kAfpInfoAttribute, kJunk, ""}}, "Tavrside -"},
      {{{kDot, "side", "side"}, {kNetatalkResourceForkAttribute, "", "ntlk"}}, "Tavrside ntlk"},
  });
}

}  // namespace
