// Documents that cannot be converted: each gets one caution naming the
// document and the reason, and leaves no package file changed.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "conversion/list_converter.h"
#include "conversion_fixture_helpers.h"
#include "support/legacy_document.h"

namespace {

namespace fs = std::filesystem;
using legacy::Document;

const std::string kNotConverted = "書類を変換できませんでした。";

// Every kind of field: a header, numbers, strings, two columns with names,
// colours and two rows.
Document SmallDocument() {
  Document d = Document::WithTable({{0x10, "A", 0xFF}, {0, "\x95\x5C", 0}},
                                   {{"x", "y"}, {"", "\x93\xFA\x96\x7B"}}, 1);
  d.prefStrings = {"Osaka", ""};
  return d;
}

class ListConverterFailureTest : public ConversionTest {
 protected:
  // Converts and expects the not-converted caution; returns its reason.
  std::string Refused(const FolderItem& source, const FolderItem& target) {
    EXPECT_FALSE(converter.FileConv(source, target));
    const std::string caution = TakeCaution();
    const std::string prefix = kNotConverted + "|書類：" + source.AbsolutePath() + "\n理由：";
    EXPECT_EQ(caution.substr(0, prefix.size()), prefix);
    return caution.substr(std::min(prefix.size(), caution.size()));
  }
};

TEST_F(ListConverterFailureTest, EveryTruncationIsRefusedAndLeavesNothingBehind) {
  const std::string bytes = SmallDocument().Bytes();
  const FolderItem source(scratch.path() / "doc.tvr");
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    legacy::WriteDocument(source.Path(), bytes.substr(0, length));
    const std::string reason = Refused(source, PackageOf(source));
    const bool endsEarly = reason.find("途中で書類が終わっています") != std::string::npos ||
                           reason.find("が書類の残り") != std::string::npos;
    EXPECT_TRUE(endsEarly) << length << ": " << reason;
    EXPECT_EQ(Listing(scratch.path()), (std::vector<std::string>{"._doc.tvr", "doc.tvr"}))
        << length;
  }
  legacy::WriteDocument(source.Path(), bytes);
  EXPECT_TRUE(converter.FileConv(source, PackageOf(source)));
}

TEST_F(ListConverterFailureTest, EveryTruncationLeavesAnExistingPackageAsItWas) {
  const std::string bytes = SmallDocument().Bytes();
  const FolderItem source = WriteDocument("doc.tvr", bytes);
  ASSERT_TRUE(converter.FileConv(source, PackageOf(source)));
  legacy::WriteBytes(PackageOf(source).Path() / "notes.txt", "mine");
  const FolderSnapshot before = Snapshot(scratch.path());
  for (std::size_t length = 0; length < bytes.size(); length += 3) {
    legacy::WriteBytes(source.Path(), bytes.substr(0, length));
    FolderSnapshot expected = before;
    expected["doc.tvr"] = Snapshot(scratch.path())["doc.tvr"];
    Refused(source, PackageOf(source));
    EXPECT_EQ(Snapshot(scratch.path()), expected) << length;
  }
}

TEST_F(ListConverterFailureTest, DocumentsThatPromiseMoreThanTheyHold) {
  const auto withNumbers = [](int n) {
    Document d = Document::WithTable({}, {});
    d.prefNumbers.resize(n, "0");
    return d.Bytes();
  };
  const auto withStrings = [](int m) {
    Document d = Document::WithTable({}, {});
    d.prefStrings.resize(m, "s");
    return d.Bytes();
  };
  // One column "A", then one row whose first cell claims `length` bytes.
  const auto withCell = [](std::int32_t length) {
    Document d = Document::WithTable({{0, "A", 0}}, {});
    d.prefNumbers[2] = "1";
    std::string bytes = d.Bytes();  // 33 bytes
    legacy::AppendLong(bytes, length);
    return bytes + "abc";
  };
  const auto manyColumns = [] {
    Document d = Document::WithTable({{0, "A", 0}, {0, "B", 0}}, {});
    d.prefNumbers[1] = "2147483647";
    return d.Bytes();  // the colour words read as a third column
  };
  const struct {
    const char* name;
    std::string bytes;
    std::string reason;
  } cases[] = {
      {"52 numbers", withNumbers(52),
       "プリファレンス数値が52個あり、読み込める51個を超えています。"},
      {"22 strings", withStrings(22),
       "プリファレンス文字列が22個あり、読み込める21個を超えています。"},
      {"negative cell length", withCell(-1),
       "1行目・1列目のセルの長さが負の値（-1）です（先頭から33バイト目）。"},
      {"cell past the end", withCell(4),
       "1行目・1列目のセルの長さ（4バイト）が書類の残り（3バイト）を超えています（先頭から33バイト"
       "目）。"},
      {"more columns than written", manyColumns(),
       "4列目の列情報を読み込む途中で書類が終わっています（先頭から55バイト目）。"},
  };
  for (const auto& c : cases) {
    const FolderItem source = WriteDocument(c.name, c.bytes);
    EXPECT_EQ(Refused(source, PackageOf(source)), c.reason) << c.name;
    EXPECT_FALSE(PackageOf(source).Exists()) << c.name;
  }
}

TEST_F(ListConverterFailureTest, TheMostTheArraysHoldStillConverts) {
  Document d = Document::WithTable({}, {});
  d.prefNumbers.resize(51, "0");
  d.prefNumbers[50] = "14";
  d.prefStrings.resize(21, "s");
  const FolderItem source = WriteDocument("full.tvr", d.Bytes());
  EXPECT_TRUE(converter.FileConv(source, PackageOf(source)));
  EXPECT_EQ(converter.pPref[50], 14);
  EXPECT_EQ(converter.pPrefS[20], "s");
}

TEST_F(ListConverterFailureTest, TargetsThatCannotHoldAPackage) {
  const std::string bytes = SmallDocument().Bytes();
  const FolderItem source = WriteDocument("doc.tvr", bytes);
  legacy::WriteBytes(scratch.path() / "plain", "not a folder");
  legacy::WriteBytes(scratch.path() / "doc.tvr.tvrmd", "a file in the way");
  const struct {
    const char* name;
    fs::path target;
    std::string reasonStart;
  } cases[] = {
      {"name taken by a file", scratch.path() / "doc.tvr.tvrmd", "変換先の「"},
      {"under a plain file", scratch.path() / "plain" / "doc.tvr.tvrmd", "変換先のフォルダ「"},
      {"missing parent", scratch.path() / "missing" / "doc.tvr.tvrmd", "変換先のフォルダ「"},
  };
  const FolderSnapshot before = Snapshot(scratch.path());
  for (const auto& c : cases) {
    const std::string reason = Refused(source, FolderItem(c.target));
    EXPECT_EQ(reason.rfind(c.reasonStart, 0), 0u) << c.name << ": " << reason;
    EXPECT_NE(reason.find(FolderItem(c.target).AbsolutePath()), std::string::npos) << reason;
    EXPECT_EQ(Snapshot(scratch.path()), before) << c.name;
  }
}

TEST_F(ListConverterFailureTest, ReadOnlyTargetFolder) {
  if (RunningAsRoot()) GTEST_SKIP() << "running as root: mode bits do not stop writes";
  const FolderItem source = WriteDocument("doc.tvr", SmallDocument().Bytes());
  const fs::path locked = scratch.path() / "locked";
  fs::create_directory(locked);
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
  Refused(source, FolderItem(locked / "doc.tvr.tvrmd"));
  EXPECT_TRUE(Listing(locked).empty());
}

TEST_F(ListConverterFailureTest, ReadOnlyExistingPackageKeepsItsFiles) {
  if (RunningAsRoot()) GTEST_SKIP() << "running as root: mode bits do not stop writes";
  const FolderItem source = WriteDocument("doc.tvr", SmallDocument().Bytes());
  ASSERT_TRUE(converter.FileConv(source, PackageOf(source)));
  fs::permissions(PackageOf(source).Path(), fs::perms::owner_read | fs::perms::owner_exec);
  const FolderSnapshot before = Snapshot(scratch.path());
  EXPECT_NE(Refused(source, PackageOf(source)).find("「pref」を作成できませんでした"),
            std::string::npos);
  EXPECT_EQ(Snapshot(scratch.path()), before);
}

TEST_F(ListConverterFailureTest, AFolderInsideThePackageInTheWayOfAFile) {
  const FolderItem source = WriteDocument("doc.tvr", SmallDocument().Bytes());
  ASSERT_TRUE(converter.FileConv(source, PackageOf(source)));
  fs::remove(PackageOf(source).Path() / "colAttr");
  fs::create_directory(PackageOf(source).Path() / "colAttr");
  const FolderSnapshot before = Snapshot(scratch.path());
  EXPECT_NE(Refused(source, PackageOf(source)).find("「colAttr」という名前のフォルダ"),
            std::string::npos);
  EXPECT_EQ(Snapshot(scratch.path()), before);
}

TEST_F(ListConverterFailureTest, MissingSource) {
  const FolderItem source(scratch.path() / "gone.tvr");
  EXPECT_EQ(Refused(source, PackageOf(source)).rfind("書類を開けませんでした", 0), 0u);
  EXPECT_TRUE(Listing(scratch.path()).empty());
}

TEST_F(ListConverterFailureTest, ConvertingIntoAnExistingPackageReplacesOnlyItsFourFiles) {
  const FolderItem source = WriteDocument("doc.tvr", SmallDocument().Bytes());
  const fs::path package = PackageOf(source).Path();
  fs::create_directories(package / "Attachments");
  for (const char* file : {"pref", "csv", "colAttr", "window", "notes.txt"}) {
    legacy::WriteBytes(package / file, "old");
  }
  legacy::WriteBytes(package / "Attachments" / "a.png", "png");
  ASSERT_TRUE(converter.FileConv(source, PackageOf(source)));
  EXPECT_EQ(Listing(package), (std::vector<std::string>{"Attachments", "colAttr", "csv",
                                                        "notes.txt", "pref", "window"}));
  EXPECT_EQ(ReadBytes(package / "csv"), "x,y\n,日本\n");
  EXPECT_EQ(ReadBytes(package / "notes.txt"), "old");
  EXPECT_EQ(ReadBytes(package / "Attachments" / "a.png"), "png");
}

TEST_F(ListConverterFailureTest, WrongVersionLeavesAnExistingPackageAlone) {
  Document d = SmallDocument();
  const FolderItem source = WriteDocument("doc.tvr", d.Bytes());
  ASSERT_TRUE(converter.FileConv(source, PackageOf(source)));
  d.header = "T:2";
  legacy::WriteBytes(source.Path(), d.Bytes());
  const FolderSnapshot before = Snapshot(PackageOf(source).Path());
  EXPECT_FALSE(converter.FileConv(source, PackageOf(source)));
  EXPECT_EQ(TakeCaution(), "このバージョンでは読み込めないフォーマットです。|");
  EXPECT_EQ(Snapshot(PackageOf(source).Path()), before);
}

}  // namespace
