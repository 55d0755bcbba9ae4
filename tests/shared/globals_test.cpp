#include "shared/globals.h"

#include <gtest/gtest.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <limits>

#include "platform/folder_item.h"
#include "support/scripted_services.h"

namespace fs = std::filesystem;

namespace {

class GlobalsTest : public ::testing::Test {
 protected:
  void SetUp() override { gReleaseGlobals(); }
  void TearDown() override { gReleaseGlobals(); }
  ScriptedServices services_;
};

class SomeWindow : public Window {};

TEST(GBitR, GivesTheFieldsOfTheColumnInfoWord) {
  const struct {
    std::int32_t value, start, count, result;
  } cases[] = {
      {0x678, 0, 4, 8},
      {0x678, 4, 1, 1},
      {0x678, 9, 6, 3},
      {(100 << 16) | 0xBEEF, 16, 16, 100},
      {0x7FFF0000, 16, 16, 32767},
      {std::numeric_limits<std::int32_t>::min(), 16, 16, -32768},
      {-1, 16, 16, -1},
      {-1, 0, 4, 15},
      {-1, 27, 4, 15},
      {-1, 28, 4, -1},
      {-1, 0, 32, -1},
      {0x12345678, 0, 32, 0x12345678},
      {-1, 5, 0, 0},
      {0x678, 9, 0, 0},
      {-1, 3, -2, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(gBitR(c.value, c.start, c.count), c.result)
        << std::hex << c.value << std::dec << " start " << c.start << " count " << c.count;
  }
}

TEST(GBitR, FollowsTheShiftRuleForEveryFieldItIsGiven) {
  // Below bit 31 a field is unsigned; a field that reaches bit 31 is a
  // two's-complement number of its own width.
  const std::int32_t values[] = {0,          -1,
                                 0x678,      std::numeric_limits<std::int32_t>::min(),
                                 0x7FFFFFFF, static_cast<std::int32_t>(0xA5C3F00Fu),
                                 0x13579BDF};
  for (std::int32_t value : values) {
    for (std::int32_t start = 0; start <= 30; ++start) {
      for (std::int32_t count = 1; start + count <= 32; ++count) {
        const std::int64_t field =
            (static_cast<std::int64_t>(value) >> start) & ((std::int64_t{1} << count) - 1);
        const std::int64_t expected =
            start + count == 32 && field >= (std::int64_t{1} << (count - 1))
                ? field - (std::int64_t{1} << count)
                : field;
        ASSERT_EQ(gBitR(value, start, count), expected) << value << " " << start << " " << count;
      }
    }
  }
}

TEST(GBitR, ArgumentsNoCallerPassesStillGiveANumber) {
  // Their results are not fixed; they must simply be computed without harm.
  const std::int32_t big = std::numeric_limits<std::int32_t>::max();
  const std::int32_t small = std::numeric_limits<std::int32_t>::min();
  const std::int32_t starts[] = {small, -40, -1, 31, 32, 63, 64, 100, big};
  const std::int32_t counts[] = {small, -1, 1, 33, 64, 100, big};
  for (std::int32_t start : starts) {
    for (std::int32_t count : counts) gBitR(-1, start, count);
  }
  EXPECT_EQ(gBitR(-1, -1, 3), 0);  // 2 to the power -1 is no Int32 divisor
}

TEST_F(GlobalsTest, TheButtonCountDecidesWhichButtonsShowAndGetCaptions) {
  const struct {
    std::int32_t count;
    bool cancel, alternate;
  } cases[] = {{-1, false, false}, {0, false, false}, {1, false, false},
               {2, true, false},   {3, true, true},   {5, true, true}};
  for (const auto& c : cases) {
    gCautionDlg(nullptr, c.count, "実行", "キャンセル", "別の操作", "本文", "説明");
    const CautionDialog& shown = services_.cautions.back().dialog;
    EXPECT_EQ(shown.actionCaption, "実行") << c.count;
    EXPECT_EQ(shown.cancelVisible, c.cancel) << c.count;
    EXPECT_EQ(shown.cancelCaption, c.cancel ? "キャンセル" : "") << c.count;
    EXPECT_EQ(shown.alternateVisible, c.alternate) << c.count;
    EXPECT_EQ(shown.alternateCaption, c.alternate ? "別の操作" : "") << c.count;
    EXPECT_EQ(shown.message, "本文");
    EXPECT_EQ(shown.explanation, "説明");
  }
}

TEST_F(GlobalsTest, ThePressedButtonGivesTwoOneOrZero) {
  services_.cautionAnswers = {DialogButton::Action, DialogButton::Cancel, DialogButton::Alternate};
  EXPECT_EQ(gCautionDlg(nullptr, 3, "a", "c", "x", "m", "e"), 2);
  EXPECT_EQ(gCautionDlg(nullptr, 3, "a", "c", "x", "m", "e"), 1);
  EXPECT_EQ(gCautionDlg(nullptr, 3, "a", "c", "x", "m", "e"), 0);
}

TEST_F(GlobalsTest, OnlySettingTenEqualToOneBeepsAndTheBeepComesFirst) {
  const struct {
    std::int32_t setting;
    std::vector<std::string> log;
  } cases[] = {{0, {"caution"}}, {1, {"beep", "caution"}}, {2, {"caution"}}, {-1, {"caution"}}};
  for (const auto& c : cases) {
    gPref[10] = c.setting;
    services_.log.clear();
    gCautionDlg1(nullptr, "m", "e");
    EXPECT_EQ(services_.log, c.log) << c.setting;
    // The beep is ours to sound; the dialog is never asked to.
    EXPECT_FALSE(services_.cautions.back().dialog.beep);
  }
}

TEST_F(GlobalsTest, TheOneButtonFormShowsOkAsASheetOrApplicationModal) {
  SomeWindow window;
  gCautionDlg1(&window, "変換が完了しました。", "詳細");
  gCautionDlg1(nullptr, "未登録のファイルタイプです。", "qZt6:Tavr");
  ASSERT_EQ(services_.cautions.size(), 2u);
  for (const auto& shown : services_.cautions) {
    EXPECT_EQ(shown.dialog.actionCaption, "OK");
    EXPECT_FALSE(shown.dialog.cancelVisible);
    EXPECT_FALSE(shown.dialog.alternateVisible);
  }
  EXPECT_EQ(services_.cautions[0].dialog.window, &window);
  EXPECT_EQ(services_.cautions[0].dialog.message, "変換が完了しました。");
  EXPECT_EQ(services_.cautions[0].dialog.explanation, "詳細");
  EXPECT_EQ(services_.cautions[1].dialog.window, nullptr);
  EXPECT_EQ(services_.cautions[1].dialog.explanation, "qZt6:Tavr");
}

// The Finder info as Samba keeps it for Mac clients: a 60-byte AfpInfo whose
// bytes 16-23 are the type and creator codes.
bool SetFinderCodes(const fs::path& file, const std::string& type, const std::string& creator) {
  std::string info(60, '\0');
  info.replace(0, 4, std::string("AFP\0", 4));
  info.replace(4, 4, std::string("\0\1\0\0", 4));
  info.replace(16, 4, type);
  info.replace(20, 4, creator);
  return ::setxattr(file.c_str(), "user.DosStream.AFP_AfpInfo:$DATA", info.data(), info.size(),
                    0) == 0;
}

TEST(GFileMatch, NeedsBothCodesLetterForLetter) {
  std::string pattern = (fs::temp_directory_path() / "globals_test-XXXXXX").string();
  const fs::path folder = ::mkdtemp(pattern.data());
  const struct {
    const char* name;
    const char* type;
    const char* creator;
    bool match;
  } cases[] = {
      {"list", "Tavr", "qZt5", true},
      {"other creator", "Tavr", "qZt6", false},
      {"text", "TEXT", "qZt5", false},
      {"upper case", "TAVR", "QZT5", false},
  };
  for (const auto& c : cases) {
    const fs::path file = folder / c.name;
    std::ofstream(file) << "x";
    if (!SetFinderCodes(file, c.type, c.creator)) {
      fs::remove_all(folder);
      GTEST_SKIP() << "this file system keeps no user.* extended attributes";
    }
    EXPECT_EQ(gFileMatch(FolderItem(file), "qZt5", "Tavr"), c.match) << c.name;
  }
  std::ofstream(folder / "plain") << "x";
  EXPECT_FALSE(gFileMatch(FolderItem(folder / "plain"), "qZt5", "Tavr"));
  EXPECT_FALSE(gFileMatch(FolderItem(folder / "missing"), "qZt5", "Tavr"));
  fs::remove_all(folder);
}

}  // namespace
