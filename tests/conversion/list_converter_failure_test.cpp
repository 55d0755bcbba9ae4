// Documents that cannot be converted: each gets one caution naming the
// document and the reason, and leaves no package file changed. Also replays
// the fuzz target's findings and seeds.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <new>
#include <utility>

#include "conversion/line_sink.h"
#include "conversion/package_writer.h"
#include "conversion_fixture.h"
#include "support/file_conv_fuzz_case.h"

namespace {

namespace fs = std::filesystem;
using mac_bytes::Long;

// Every kind of field: a header, numbers, strings, two columns with names,
// colours and two rows.
const std::string kDocument = [] {
  Document d = Document::WithTable({{0x10, "A", 0xFF}, {0, "\x95\x5C", 0}},
                                   {{"x", "y"}, {"", "\x93\xFA\x96\x7B"}}, 1);
  d.prefStrings = {"Osaka", ""};
  return d.Bytes();
}();

// A converter that runs `act` once it has opened the package file `file`: a
// point named by what is written there, wherever the code around it moves.
class InterruptedConverter : public ListConverter {
 public:
  InterruptedConverter(std::string file, std::function<void()> act)
      : file_(std::move(file)), act_(std::move(act)) {}

 private:
  LineSink& OpenPackageFile(PackageWriter& package, const std::string& name) override {
    LineSink& sink = ListConverter::OpenPackageFile(package, name);
    if (name == file_) act_();
    return sink;
  }
  std::string file_;
  std::function<void()> act_;
};

// An existing package whose four files say "old" and their names.
void WriteOldPackage(const fs::path& package) {
  fs::create_directories(package);
  for (const char* file : {"pref", "csv", "colAttr", "window"})
    WriteBytes(package / file, std::string("old ") + file);
}

using ListConverterFailureTest = ConversionTest;

TEST_F(ListConverterFailureTest, EveryTruncationIsRefusedAndLeavesNothingBehind) {
  const FolderItem source(scratch / "doc.tvr");
  for (std::size_t length = 0; length < kDocument.size(); ++length) {
    mac_bytes::WriteDocument(source.Path(), kDocument.substr(0, length));
    const std::string reason = Refused(source, PackageOf(source));
    EXPECT_TRUE(reason.find("途中で書類が終わっています") != std::string::npos ||
                reason.find("が書類の残り") != std::string::npos)
        << length << ": " << reason;
  }
  mac_bytes::WriteDocument(source.Path(), kDocument);
  EXPECT_TRUE(converter.FileConv(source, PackageOf(source)));
}

// Each reason names the field, or the file and the system's reason in
// Japanese, and where, counting the first byte as 1. Documents that claim
// gigabytes (sparse files: they cost no disk) are judged from their lengths:
// a cell longer than 16 MiB is refused at once.
TEST_F(ListConverterFailureTest, RefusedDocumentsSayWhy) {
  const auto sized = [](int numbers, int strings, const char* columns = "0") {
    Document d = Document::WithTable({}, {});
    d.prefNumbers.resize(numbers, "0");
    d.prefNumbers[1] = columns;
    d.prefStrings.resize(strings, "s");
    return d.Bytes();
  };
  // Preference blocks of 20 bytes: the header "T:1" (4), the count (4), four
  // numbers of one digit (8), no strings (4).
  const std::string negativeName =
      Document::WithTable({{0, "A", 0}}, {}).PrefBlockBytes() + Long(0) + Long(-2);
  const std::string longNames =
      Document::WithTable({{0, std::string(4 << 20, 'n'), 0}, {0, "0123456789", 0}}, {}).Bytes();
  const Document oneRow = Document::WithTable({{0, "A", 0}, {0, "B", 0}}, {{"x"}});
  mac_bytes::WriteClaimingDocument(scratch / "cell", oneRow, 0x7FFFFFFF);
  mac_bytes::WriteClaimingDocument(scratch / "over", oneRow, (16 << 20) + 1);
  fs::create_symlink("loop", scratch / "loop");
  const struct {
    std::string name, bytes;  // bytes "": written above, or none
    std::string reason;
  } rows[] = {
      {"numbers", sized(52, 0),  // the count after the header
       "プリファレンス数値が52個あり、読み込める51個を超えています（先頭から5バイト目）。"},
      {"strings", sized(4, 22),
       "プリファレンス文字列が22個あり、読み込める21個を超えています（先頭から17バイト目）。"},
      {"wide", sized(4, 0, "65537"),  // preference number 2, after "0"
       "列が65537列あり、読み込める65536列を超えています（先頭から11バイト目）。"},
      {"name", negativeName,  // after the info word
       "1列目の列名の長さが負の値（-2）です（先頭から25バイト目）。"},
      {"names", longNames,  // 20 + 4 + 4 + 4 MiB + 4
       "1列目から2列目までの列名が合わせて4194314バイトあり、読み込める4194304バイトを超えていま"
       "す（先頭から4194337バイト目）。"},
      {"cell", "",  // 20 + two columns (18) + two colours (8) + "x" (5)
       "1行目・2列目のセルが長すぎます（2147483647バイト、読み込めるのは16777216バイトまで）（先"
       "頭から52バイト目）。"},
      {"over", "", "（16777217バイト、"},
      {"gone", "",
       "ファイル「" + (scratch / "gone").string() +
           "」を開けませんでした（ファイルまたはフォルダが見つかりません）。"},
      {"loop", "", "（シンボリックリンクが循環しているか"}};
  for (const auto& [name, bytes, reason] : rows) {
    const FolderItem source =
        bytes.empty() ? FolderItem(scratch / name) : WriteDocument(name, bytes);
    EXPECT_NE(Refused(source, PackageOf(source)).find(reason), std::string::npos) << name;
  }
}

TEST_F(ListConverterFailureTest, TargetsThatCannotTakeThePackageStayAsTheyWere) {
  const FolderItem source = WriteDocument("doc.tvr", kDocument);
  WriteBytes(scratch / "taken", "in the way");
  fs::create_directory(scratch / "elsewhere");
  fs::create_directory_symlink(scratch / "elsewhere", scratch / "link.tvrmd");
  ASSERT_TRUE(converter.FileConv(source, FolderItem(scratch / "p")));
  fs::remove(scratch / "p" / "colAttr");
  fs::create_directory(scratch / "p" / "colAttr");  // the last file to be put in place
  ASSERT_TRUE(converter.FileConv(source, FolderItem(scratch / "locked")));
  fs::permissions(scratch / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  const std::pair<std::string, std::string> targets[] = {
      {"taken", "変換先の「" + (scratch / "taken").string() + "」には、フォルダではない項目"},
      {"link.tvrmd", "」はシンボリックリンクです。リンクの先には書き込みません。"},
      {std::string(300, 'n'), "」を作成できませんでした（名前が長すぎます）。"},
      {"p", "変換先のパッケージの中に「colAttr」という名前のフォルダ"},
      {"locked", "パッケージのファイル「pref」を作成できませんでした"}};
  for (const auto& [name, reason] : targets) {
    if (name == "locked" && geteuid() == 0) continue;  // mode bits do not stop the superuser
    EXPECT_NE(Refused(source, FolderItem(scratch / name)).find(reason), std::string::npos) << name;
  }
}

// Converting into an existing package replaces only its four files, and
// removes the temporaries (and backups) of those four that a crash left:
// ".NAME.tmp-" and six ASCII letters or digits. Entries whose names only
// look like that stay.
TEST_F(ListConverterFailureTest, AnExistingPackageKeepsItsOtherEntries) {
  const char* leftovers[] = {".pref.tmp-a1B2c3", ".window.tmp-000000", ".colAttr.tmp-ZZZZZZ",
                             ".csv.tmp-abcdef"};
  // A letter short or over; a character that is no ASCII letter or digit (é
  // is a letter); no dot or two; another name; another mark; no package file.
  const char* decoys[] = {".csv.tmp-short",  ".csv.tmp-abcdefg", ".csv.tmp-abc12_",
                          ".csv.tmp-abc 12", ".csv.tmp-ab.c12",  ".csv.tmp-abcd\xC3\xA9",
                          "xcsv.tmp-abc123", "..csv.tmp-abc12",  ".cvs.tmp-abc123",
                          ".CSV.tmp-abc123", ".csv_tmp-abc123",  ".csv.tmp_abc123",
                          ".csv.TMP-abc123", ".notes.tmp-abcdef"};
  const FolderItem source = WriteDocument("doc.tvr", kDocument);
  const fs::path package = PackageOf(source).Path();
  fs::create_directories(package / "Attachments");
  Snapshot expected = {{"Attachments", "/"}, {"Attachments/a.png", "old|"}, {"notes.txt", "old|"}};
  for (const char* name : decoys) WriteBytes(package / name, "old"), expected[name] = "old|";
  for (const char* name : leftovers) WriteBytes(package / name, "old");
  for (const char* name : {"pref", "csv", "colAttr", "window", "notes.txt", "Attachments/a.png"})
    WriteBytes(package / name, "old");
  ASSERT_TRUE(converter.FileConv(source, PackageOf(source)));
  Snapshot after = TakeSnapshot(package);
  EXPECT_EQ(after["csv"], "x,y\n,日本\n|");
  for (const char* file : {"pref", "csv", "colAttr", "window"}) after.erase(file);
  EXPECT_EQ(after, expected);
}

// Memory running out (once each package file is open) ends in a
// caution, never in an abort, and leaves no temporary and no package folder
// the conversion made; an existing package keeps its files.
TEST_F(ListConverterFailureTest, RunningOutOfMemoryLeavesNothingBehind) {
  const FolderItem source = WriteDocument("doc.tvr", kDocument);
  WriteOldPackage(scratch / "existing.tvrmd");
  for (const fs::path& target : {PackageOf(source).Path(), scratch / "existing.tvrmd"}) {
    for (const char* file : {"pref", "csv", "colAttr", "window"}) {
      InterruptedConverter memory(file, [] { throw std::bad_alloc(); });
      EXPECT_EQ(Refused(source, FolderItem(target), &memory), "メモリが足りなくなりました。")
          << target << " " << file;
    }
  }
}

// A write or a flush that fails (here: past the process's file size limit, as
// a full disk fails) says which file and what the system answered; a package
// that existed keeps its files, also when the last of the four fails.
TEST_F(ListConverterFailureTest, AFailedWriteNamesTheFileAndTheReason) {
  const auto wideWindow = [](std::size_t digits) {
    return mac_bytes::WPosFork(std::string(digits, '1') + "\t60\t700\t500");
  };
  const struct {
    const char* name;
    std::string bytes;
    std::optional<std::string> fork;
    rlim_t limit;
    const char* file;
  } rows[] = {
      {"a large cell", Document::WithTable({{0, "A", 0}}, {{std::string(300000, 'x')}}).Bytes(),
       std::nullopt, 100000, "csv"},
      {"the last file's write", kDocument, wideWindow(100000), 50000, "window"},
      {"the last file's flush", kDocument, wideWindow(5000), 4000, "window"},
  };
  WriteOldPackage(scratch / "existing.tvrmd");
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  for (const auto& row : rows) {
    const FolderItem source = WriteDocument("doc.tvr", row.bytes, row.fork);
    for (const FolderItem& target : {PackageOf(source), FolderItem(scratch / "existing.tvrmd")}) {
      const rlimit small = {row.limit, saved.rlim_max};
      ::setrlimit(RLIMIT_FSIZE, &small);
      const std::string reason = Refused(source, target);
      ::setrlimit(RLIMIT_FSIZE, &saved);
      EXPECT_EQ(reason, "「" + (target.Path() / row.file).string() +
                            "」の一時ファイルに書き込めませんでした（ファイルが大きすぎます）。")
          << row.name;
    }
  }
  std::signal(SIGXFSZ, previousHandler);
}

// A rename that fails after others have succeeded (here: a folder, not
// empty, put at the name of `colAttr` or `window` while it is written) puts
// back what the earlier ones replaced: never a new `pref` beside an old
// `csv`, and no temporary or backup left.
TEST_F(ListConverterFailureTest, AFailedRenamePutsBackWhatTheOthersReplaced) {
  const FolderItem source = WriteDocument("doc.tvr", kDocument);
  for (const std::string file : {"colAttr", "window"}) {
    WriteOldPackage(scratch / ("old-" + file));
    fs::remove(scratch / ("old-" + file) / file);
    for (const std::string& package : {"old-" + file, "new-" + file}) {
      const fs::path target = scratch / package;
      InterruptedConverter renaming(file, [&] {
        fs::create_directory(target / file);
        WriteBytes(target / file / "keep", "k");
      });
      Snapshot expected = TakeSnapshot(scratch.path());
      expected[package] = "/";  // one the conversion made stays: it is not empty
      expected[package + "/" + file] = "/";
      expected[package + "/" + file + "/keep"] = "k|";
      const std::string reason = Refused(source, FolderItem(target), &renaming, &expected);
      EXPECT_EQ(reason.rfind("一時ファイルの名前を「" + (target / file).string() + "」に変更", 0),
                0u)
          << reason;
    }
  }
}

// The fuzz target's findings (fuzz/regressions, once it has any) and its
// seeds (fuzz/corpus), replayed.
TEST(FileConvFuzzInputs, EveryInputKeepsThePromises) {
  ScriptedServices services;
  gEncInit();
  TempFolder scratch;
  int replayed = 0;
  for (const char* kind : {"regressions", "corpus"}) {
    const fs::path folder = fs::path(TAVR_TEST_DATA_DIR) / "../../fuzz" / kind / "file_conv_fuzz";
    if (!fs::is_directory(folder)) continue;
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
      const std::string input = ReadBytes(entry.path());
      const auto* bytes = reinterpret_cast<const std::uint8_t*>(input.data());
      EXPECT_EQ(mac_bytes::RunFileConvFuzzCase(scratch.path(), bytes, input.size()), "")
          << entry.path();
      ++replayed;
    }
  }
  EXPECT_GE(replayed, 9);  // the seeds at least
}

}  // namespace
