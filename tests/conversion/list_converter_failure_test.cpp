// Documents that cannot be converted: each gets one caution naming the
// document and the reason, and leaves no package file changed.

#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>

#include "conversion/list_converter.h"
#include "conversion_fixture_helpers.h"
#include "support/legacy_document.h"

namespace {

namespace fs = std::filesystem;
using legacy::Document;

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
    const std::string prefix =
        "書類を変換できませんでした。|書類：" + source.AbsolutePath() + "\n理由：";
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

TEST_F(ListConverterFailureTest, DocumentsThatPromiseMoreThanTheArraysOrTheFileHold) {
  const auto sized = [](int numbers, int strings) {
    Document d = Document::WithTable({}, {});
    d.prefNumbers.resize(numbers, "0");
    d.prefStrings.resize(strings, "s");
    return d.Bytes();
  };
  Document manyColumns = Document::WithTable({{0, "A", 0}, {0, "B", 0}}, {});
  manyColumns.prefNumbers[1] = "2147483647";  // the colour words read as a third column
  const struct {
    const char* name;
    std::string bytes;
    std::string reason;
  } cases[] = {
      {"52 numbers", sized(52, 0), "プリファレンス数値が52個あり、読み込める51個を超えています。"},
      {"22 strings", sized(4, 22),
       "プリファレンス文字列が22個あり、読み込める21個を超えています。"},
      {"more columns than written", manyColumns.Bytes(),
       "4列目の列情報を読み込む途中で書類が終わっています（先頭から55バイト目）。"},
  };
  for (const auto& c : cases) {
    const FolderItem source = WriteDocument(c.name, c.bytes);
    EXPECT_EQ(Refused(source, PackageOf(source)), c.reason) << c.name;
    EXPECT_FALSE(PackageOf(source).Exists()) << c.name;
  }
  Document full = Document::WithTable({}, {});
  full.prefNumbers.resize(51, "0");
  full.prefNumbers[50] = "14";
  full.prefStrings.resize(21, "s");
  const FolderItem source = WriteDocument("full.tvr", full.Bytes());
  EXPECT_TRUE(converter.FileConv(source, PackageOf(source)));
  EXPECT_EQ(converter.pPref[50], 14);
  EXPECT_EQ(converter.pPrefS[20], "s");
}

TEST_F(ListConverterFailureTest, TargetsThatCannotTakeThePackageStayAsTheyWere) {
  const FolderItem source = WriteDocument("doc.tvr", SmallDocument().Bytes());
  const auto converted = [&](const fs::path& package) {
    EXPECT_TRUE(converter.FileConv(source, FolderItem(package)));
    return package;
  };
  const auto readOnly = [](const fs::path& folder) {
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    return folder;
  };
  const struct {
    const char* name;
    bool modeBits;                                   // mode bits do not stop the superuser
    std::function<fs::path(const fs::path&)> setUp;  // given an empty folder; the target
    std::string reasonStart;
    bool namesTarget;
  } cases[] = {
      {"name taken by a file", false,
       [](const fs::path& d) { return legacy::WriteBytes(d / "p", "in the way"), d / "p"; },
       "変換先の「", true},
      {"under a plain file", false,
       [](const fs::path& d) { return legacy::WriteBytes(d / "plain", "x"), d / "plain" / "p"; },
       "変換先のフォルダ「", true},
      {"read-only parent", true, [&](const fs::path& d) { return readOnly(d / "locked") / "p"; },
       "変換先のフォルダ「", true},
      {"read-only package", true, [&](const fs::path& d) { return readOnly(converted(d / "p")); },
       "パッケージのファイル「pref」を作成できませんでした", false},
      {"folder in the way of a file", false,
       [&](const fs::path& d) {
         fs::remove(converted(d / "p") / "colAttr");
         fs::create_directory(d / "p" / "colAttr");
         return d / "p";
       },
       "変換先のパッケージの中に「colAttr」という名前のフォルダ", false},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.modeBits && geteuid() == 0) continue;
    const fs::path folder = scratch.path() / std::to_string(n++);
    fs::create_directory(folder);
    const FolderItem target(c.setUp(folder));
    const FolderSnapshot before = Snapshot(scratch.path());
    const std::string reason = Refused(source, target);
    EXPECT_EQ(reason.rfind(c.reasonStart, 0), 0u) << reason;
    if (c.namesTarget) {
      EXPECT_NE(reason.find(target.AbsolutePath()), std::string::npos) << reason;
    }
    EXPECT_EQ(Snapshot(scratch.path()), before);
  }
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

}  // namespace
