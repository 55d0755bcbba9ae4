// Documents that cannot be converted: each gets one caution naming the
// document and the reason, and leaves no package file changed. Also replays
// the fuzz target's findings (fuzz/regressions) and seeds (fuzz/corpus).

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <new>

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

// Converting into an existing package replaces only its four files (a
// refused one leaves it as it was: see RunningOutOfMemoryLeavesNothingBehind).
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
  // Nothing is written through a link, and the reason says it is one.
  fs::create_directory(scratch.path() / "elsewhere");
  fs::create_directory_symlink(scratch.path() / "elsewhere", scratch.path() / "link.tvrmd");
  EXPECT_NE(refused(scratch.path() / "link.tvrmd", "変換先の「").find("シンボリックリンクです"),
            std::string::npos);
  const std::string tooLong = refused(scratch.path() / std::string(300, 'n'), "変換先のフォルダ「");
  EXPECT_NE(tooLong.find("を作成できませんでした（名前が長すぎます）。"), std::string::npos)
      << tooLong;
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

// Every failure to open the source names the file and the system's reason,
// in Japanese.
TEST_F(ListConverterFailureTest, SourcesThatCannotBeOpened) {
  const FolderItem gone(scratch.path() / "gone.tvr");
  EXPECT_EQ(Refused(gone, PackageOf(gone)),
            "ファイル「" + gone.Path().string() +
                "」を開けませんでした（ファイルまたはフォルダが見つかりません）。");
  const FolderItem loop(scratch.path() / "loop.tvr");
  fs::create_symlink("loop.tvr", loop.Path());
  EXPECT_NE(Refused(loop, PackageOf(loop)).find("（シンボリックリンクが循環しているか"),
            std::string::npos);
  EXPECT_EQ(Listing(scratch.path()), std::vector<std::string>{"loop.tvr"});
}

// Memory running out anywhere inside a conversion (here: while `csv` and
// while `window` is written) ends in a caution, never in an abort, and
// leaves no temporary and no package folder the conversion made; an
// existing package keeps its files.
TEST_F(ListConverterFailureTest, RunningOutOfMemoryLeavesNothingBehind) {
  struct OutOfMemory : ScriptedServices {
    std::int64_t yieldsLeft = -1;  // a negative count never runs out
    bool inScreenHeight = false;
    void Yield() override {
      if (yieldsLeft-- == 0) throw std::bad_alloc();
    }
    std::int32_t ScreenHeight() override {
      if (inScreenHeight) throw std::bad_alloc();
      return 900;
    }
  };
  const FolderItem source = WriteDocument("doc.tvr", SmallDocument());
  const fs::path existing = scratch.path() / "existing.tvrmd";
  fs::create_directory(existing);
  legacy::WriteBytes(existing / "csv", "old");
  const FolderSnapshot before = Snapshot(scratch.path());
  for (const fs::path& target : {PackageOf(source).Path(), existing}) {
    for (int where = 0; where < 2; ++where) {
      OutOfMemory memory;
      memory.yieldsLeft = where == 0 ? 12 : -1;  // the second row's cell
      memory.inScreenHeight = where == 1;
      EXPECT_FALSE(converter.FileConv(source, FolderItem(target)));
      ASSERT_EQ(memory.cautions.size(), 1u);
      EXPECT_EQ(memory.cautions[0].dialog.explanation,
                "書類：" + source.AbsolutePath() + "\n理由：メモリが足りなくなりました。");
      EXPECT_EQ(Snapshot(scratch.path()), before) << target << " " << where;
    }
  }
}

// Temporaries of the package's four files that a crash left are removed when
// the package is next written; other files stay.
TEST_F(ListConverterFailureTest, TemporariesACrashLeftGoWithTheNextConversion) {
  const FolderItem source = WriteDocument("doc.tvr", SmallDocument());
  const fs::path package = PackageOf(source).Path();
  fs::create_directory(package);
  for (const char* name : {".pref.tmp-a1B2c3", ".csv.tmp-XyZ789", ".colAttr.tmp-000000",
                           ".window.tmp-qwerty", ".notes.tmp-abcdef", ".csv.tmp-short", "keep"})
    legacy::WriteBytes(package / name, "left");
  ASSERT_TRUE(converter.FileConv(source, PackageOf(source)));
  EXPECT_EQ(Listing(package),
            (std::vector<std::string>{".csv.tmp-short", ".notes.tmp-abcdef", "colAttr", "csv",
                                      "keep", "pref", "window"}));
}

// A write that fails (here: past the process's file size limit, as a full
// disk fails) says which file and what the system answered.
TEST_F(ListConverterFailureTest, AFailedWriteNamesTheFileAndTheReason) {
  const FolderItem source = WriteDocument(
      "doc.tvr", Document::WithTable({{0, "A", 0}}, {{std::string(300000, 'x')}}).Bytes());
  const FolderSnapshot before = Snapshot(scratch.path());
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 100000;
  ::setrlimit(RLIMIT_FSIZE, &small);
  const std::string reason = Refused(source, PackageOf(source));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);
  EXPECT_EQ(reason, "「" + (PackageOf(source).Path() / "csv").string() +
                        "」の一時ファイルに書き込めませんでした（ファイルが大きすぎます）。");
  EXPECT_EQ(Snapshot(scratch.path()), before);
}

// Sidecars and documents that claim gigabytes (sparse files: they cost no
// disk) are judged from their lengths: a fork larger than the format can
// describe is no fork, a cell longer than 16 MiB or too many columns are
// refused at once, naming where.
TEST_F(ListConverterFailureTest, HugeClaimsAreJudgedFromTheirLengths) {
  const std::string small = SmallDocument();
  const auto hugeFork = [](const fs::path& sidecar) {
    std::string bytes = legacy::AppleDoubleBytes(legacy::WPosFork("1\t2\t3\t4"));
    bytes.replace(26 + 12 + 8, 4, legacy::Long(static_cast<std::int32_t>(0xFFFFFF00)));
    fs::create_directories(sidecar.parent_path());
    legacy::WriteBytes(sidecar, bytes);
    fs::resize_file(sidecar, 26 + 24 + 32 + 0xFFFFFF00ull);
  };
  for (const char* sidecar : {"._doc.tvr", ".AppleDouble/doc.tvr", "__MACOSX/._doc.tvr"}) {
    TempFolder folder;
    legacy::WriteBytes(folder / "doc.tvr", small);
    hugeFork(folder / sidecar);
    const FolderItem source(folder / "doc.tvr");
    ASSERT_TRUE(converter.FileConv(source, PackageOf(source))) << sidecar;
    EXPECT_EQ(PackageFile(PackageOf(source), "window"), WindowPlist("480", "10", "392", "640"));
    EXPECT_EQ(Listing(PackageOf(source).Path()),
              (std::vector<std::string>{"colAttr", "csv", "pref", "window"}));
  }

  const auto sparse = [&](const std::string& name, const Document& d, std::int32_t last) {
    std::string bytes = d.Bytes();
    legacy::AppendLong(bytes, last);
    const FolderItem source = WriteDocument(name, bytes);
    fs::resize_file(source.Path(), bytes.size() + static_cast<std::uint64_t>(last));
    return source;
  };
  const Document oneRow = Document::WithTable({{0, "A", 0}, {0, "B", 0}}, {{"x"}});
  const FolderItem hugeCell = sparse("cell.tvr", oneRow, 0x7FFFFFFF);
  EXPECT_EQ(Refused(hugeCell, PackageOf(hugeCell)),
            "1行目・2列目のセルが長すぎます（2147483647バイト、読み込めるのは16777216バイトまで）"
            "（先頭から" +
                std::to_string(oneRow.Bytes().size()) + "バイト目）。");
  const FolderItem justOver = sparse("over.tvr", oneRow, (16 << 20) + 1);
  EXPECT_NE(Refused(justOver, PackageOf(justOver)).find("（16777217バイト、"), std::string::npos);
  Document wide = Document::WithTable({}, {});
  wide.prefNumbers[1] = "65537";
  const FolderItem columns = sparse("wide.tvr", wide, 0);
  EXPECT_EQ(Refused(columns, PackageOf(columns)),
            "列が65537列あり、読み込める65536列を超えています。");
  EXPECT_EQ(Listing(scratch.path()),
            (std::vector<std::string>{"._cell.tvr", "._over.tvr", "._wide.tvr", "cell.tvr",
                                      "over.tvr", "wide.tvr"}));
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
