// Documents that cannot be converted: each gets one caution naming the
// document and the reason, and leaves no package file changed. Also replays
// the fuzz target's findings (fuzz/regressions) and seeds (fuzz/corpus).

#include <gtest/gtest.h>
#include <unistd.h>

#include "conversion_fixture_helpers.h"
#include "support/file_conv_fuzz_case.h"

namespace {

namespace fs = std::filesystem;
using legacy::Document;

class ListConverterFailureTest : public ConversionTest {
 protected:
  // Every kind of field: a header, numbers, strings, two columns with names,
  // colours and two rows.
  static std::string SmallDocument() {
    Document d = Document::WithTable({{0x10, "A", 0xFF}, {0, "\x95\x5C", 0}},
                                     {{"x", "y"}, {"", "\x93\xFA\x96\x7B"}}, 1);
    d.prefStrings = {"Osaka", ""};
    return d.Bytes();
  }
  // Converts and expects the not-converted caution; returns its reason.
  std::string Refused(const FolderItem& source, const FolderItem& target) {
    EXPECT_FALSE(converter.FileConv(source, target));
    const std::string caution = TakeCaution();
    const std::string prefix =
        "書類を変換できませんでした。|書類：" + source.AbsolutePath() + "\n理由：";
    EXPECT_EQ(caution.substr(0, prefix.size()), prefix);
    return caution.substr(std::min(prefix.size(), caution.size()));
  }
};

TEST_F(ListConverterFailureTest, EveryTruncationIsRefusedAndLeavesNothingBehind) {
  const std::string bytes = SmallDocument();
  const FolderItem source(scratch.path() / "doc.tvr");
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    legacy::WriteDocument(source.Path(), bytes.substr(0, length));
    const std::string reason = Refused(source, PackageOf(source));
    EXPECT_TRUE(reason.find("途中で書類が終わっています") != std::string::npos ||
                reason.find("が書類の残り") != std::string::npos)
        << length << ": " << reason;
    EXPECT_EQ(Listing(scratch.path()), (std::vector<std::string>{"._doc.tvr", "doc.tvr"}))
        << length;
  }
  legacy::WriteDocument(source.Path(), bytes);
  EXPECT_TRUE(converter.FileConv(source, PackageOf(source)));
}

// Converting into an existing package replaces only its four files; a refused
// document leaves it as it was.
TEST_F(ListConverterFailureTest, AnExistingPackageKeepsItsOtherFiles) {
  const std::string bytes = SmallDocument();
  const FolderItem source = WriteDocument("doc.tvr", bytes);
  const fs::path package = PackageOf(source).Path();
  fs::create_directories(package / "Attachments");
  for (const char* file : {"pref", "csv", "colAttr", "window", "notes.txt"})
    legacy::WriteBytes(package / file, "old");
  legacy::WriteBytes(package / "Attachments" / "a.png", "png");
  ASSERT_TRUE(converter.FileConv(source, PackageOf(source)));
  EXPECT_EQ(Listing(package), (std::vector<std::string>{"Attachments", "colAttr", "csv",
                                                        "notes.txt", "pref", "window"}));
  EXPECT_EQ(ReadBytes(package / "csv"), "x,y\n,日本\n");
  EXPECT_EQ(ReadBytes(package / "notes.txt"), "old");
  EXPECT_EQ(ReadBytes(package / "Attachments" / "a.png"), "png");

  const FolderSnapshot before = Snapshot(scratch.path());
  for (std::size_t length = 0; length < bytes.size(); length += 3) {
    legacy::WriteBytes(source.Path(), bytes.substr(0, length));
    FolderSnapshot expected = before;
    expected["doc.tvr"] = bytes.substr(0, length);
    Refused(source, PackageOf(source));
    EXPECT_EQ(Snapshot(scratch.path()), expected) << length;
  }
}

TEST_F(ListConverterFailureTest, MoreNumbersOrStringsThanTheArraysHold) {
  const auto sized = [](int numbers, int strings, const char* last) {
    Document d = Document::WithTable({}, {});
    d.prefNumbers.resize(numbers, "0");
    d.prefNumbers.back() = last;
    d.prefStrings.resize(strings, "s");
    return d.Bytes();
  };
  const FolderItem numbers = WriteDocument("numbers", sized(52, 0, "0"));
  EXPECT_EQ(Refused(numbers, PackageOf(numbers)),
            "プリファレンス数値が52個あり、読み込める51個を超えています。");
  const FolderItem strings = WriteDocument("strings", sized(4, 22, "0"));
  EXPECT_EQ(Refused(strings, PackageOf(strings)),
            "プリファレンス文字列が22個あり、読み込める21個を超えています。");
  EXPECT_EQ(Listing(scratch.path()),
            (std::vector<std::string>{"._numbers", "._strings", "numbers", "strings"}));
  const FolderItem full = WriteDocument("full.tvr", sized(51, 21, "14"));
  EXPECT_TRUE(converter.FileConv(full, PackageOf(full)));
  EXPECT_EQ(converter.pPref[50], 14);
  EXPECT_EQ(converter.pPrefS[20], "s");
}

TEST_F(ListConverterFailureTest, TargetsThatCannotTakeThePackageStayAsTheyWere) {
  const FolderItem source = WriteDocument("doc.tvr", SmallDocument());
  const auto refused = [&](const fs::path& target, const std::string& reasonStart) {
    const FolderSnapshot before = Snapshot(scratch.path());
    const std::string reason = Refused(source, FolderItem(target));
    EXPECT_EQ(reason.rfind(reasonStart, 0), 0u) << reason;
    EXPECT_EQ(Snapshot(scratch.path()), before);
    return reason;
  };
  const FolderItem taken(scratch.path() / "taken");
  legacy::WriteBytes(taken.Path(), "in the way");
  EXPECT_NE(refused(taken.Path(), "変換先の「").find(taken.AbsolutePath()), std::string::npos);
  // A folder in the way of the last file to be put in place.
  const fs::path package = scratch.path() / "p";
  ASSERT_TRUE(converter.FileConv(source, FolderItem(package)));
  fs::remove(package / "colAttr");
  fs::create_directory(package / "colAttr");
  refused(package, "変換先のパッケージの中に「colAttr」という名前のフォルダ");
  if (geteuid() == 0) return;  // mode bits do not stop the superuser
  const fs::path locked = scratch.path() / "locked";
  ASSERT_TRUE(converter.FileConv(source, FolderItem(locked)));
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
  refused(locked, "パッケージのファイル「pref」を作成できませんでした");
}

TEST_F(ListConverterFailureTest, MissingSource) {
  const FolderItem source(scratch.path() / "gone.tvr");
  EXPECT_EQ(Refused(source, PackageOf(source)).rfind("書類を開けませんでした", 0), 0u);
  EXPECT_TRUE(Listing(scratch.path()).empty());
}

class FuzzReplay : public ::testing::TestWithParam<const char*> {};

TEST_P(FuzzReplay, EveryInputKeepsThePromises) {
  const fs::path folder =
      fs::path(TAVR_TEST_DATA_DIR) / "../../fuzz" / GetParam() / "file_conv_fuzz";
  if (!fs::is_directory(folder)) GTEST_SKIP() << "no " << folder;
  ScriptedServices services;
  gEncInit();
  TempFolder scratch;
  int replayed = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
    const std::string input = ReadBytes(entry.path());
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(input.data());
    EXPECT_EQ(legacy::RunFileConvFuzzCase(scratch.path(), bytes, input.size()), "") << entry.path();
    ++replayed;
  }
  if (replayed == 0) GTEST_SKIP() << "nothing in " << folder;
}

INSTANTIATE_TEST_SUITE_P(Folders, FuzzReplay, ::testing::Values("regressions", "corpus"));

}  // namespace
