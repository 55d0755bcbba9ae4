#include "shared/globals.h"

#include <gtest/gtest.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <limits>

#include "platform/folder_item.h"
#include "support/scripted_services.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

class GlobalsTest : public ::testing::Test {
 protected:
  void SetUp() override { gReleaseGlobals(); }
  void TearDown() override { gReleaseGlobals(); }
  ScriptedServices services_;
};

class SomeWindow : public Window {};

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

TEST(GBitR, GivesTheFieldsOfTheColumnInfoWord) {
  // Below bit 31 a field is unsigned; a field that reaches bit 31 is a
  // two's-complement number of its own width.
  const struct {
    std::int32_t value, start, count, result;
  } cases[] = {
      // clang-format off
      {0x678, 0, 4, 8},            {0x678, 4, 1, 1},          {0x678, 9, 6, 3},
      {(100 << 16) | 0xBEEF, 16, 16, 100},                    {0x7FFF0000, 16, 16, 32767},
      {kMin, 16, 16, -32768},      {kMin, 31, 1, -1},         {-1, 16, 16, -1},
      {-1, 0, 4, 15},              {-1, 27, 4, 15},           {-1, 28, 4, -1},
      {-1, 0, 32, -1},             {0x12345678, 0, 32, 0x12345678},
      {static_cast<std::int32_t>(0xA5C3F00Fu), 4, 12, 0xF00},
      {static_cast<std::int32_t>(0xA5C3F00Fu), 20, 12, -1444},
      {-1, 5, 0, 0},               {0x678, 9, 0, 0},          {-1, 3, -2, 0},
      {-1, -1, 3, 0},  // 2 to the power -1 is no Int32 divisor
      // clang-format on
  };
  for (const auto& c : cases) {
    EXPECT_EQ(gBitR(c.value, c.start, c.count), c.result)
        << std::hex << c.value << std::dec << " start " << c.start << " count " << c.count;
  }
  // Arguments no caller passes: their results are not fixed; they must simply
  // be computed without harm (the sanitizers watch the shifts).
  for (std::int32_t start : {kMin, -40, -1, 31, 32, 63, 64, 100, kMax}) {
    for (std::int32_t count : {kMin, -1, 1, 33, 64, 100, kMax}) gBitR(-1, start, count);
  }
}

// Which buttons show with which captions, and what the pressed one answers.
TEST_F(GlobalsTest, ButtonCountAndPressedButton) {
  const struct {
    std::int32_t count;
    DialogButton pressed;
    bool cancel, alternate;
    std::int32_t result;
  } cases[] = {
      {-1, DialogButton::Action, false, false, 2}, {0, DialogButton::Cancel, false, false, 1},
      {1, DialogButton::Action, false, false, 2},  {2, DialogButton::Cancel, true, false, 1},
      {3, DialogButton::Alternate, true, true, 0}, {5, DialogButton::Action, true, true, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.count);
    services_.cautionAnswers = {c.pressed};
    EXPECT_EQ(gCautionDlg(nullptr, c.count, "実行", "キャンセル", "別の操作", "本文", "説明"),
              c.result);
    const CautionDialog& shown = services_.cautions.back().dialog;
    EXPECT_EQ(shown.actionCaption, "実行");
    EXPECT_EQ(shown.cancelVisible, c.cancel);
    EXPECT_EQ(shown.cancelCaption, c.cancel ? "キャンセル" : "");
    EXPECT_EQ(shown.alternateVisible, c.alternate);
    EXPECT_EQ(shown.alternateCaption, c.alternate ? "別の操作" : "");
    EXPECT_EQ(shown.message, "本文");
    EXPECT_EQ(shown.explanation, "説明");
  }
}

// The one-button form shows OK, as a sheet or application-modal; only setting
// 10 equal to 1 beeps, and the beep comes first (ours to sound, never the dialog's).
TEST_F(GlobalsTest, TheOneButtonFormAndItsBeep) {
  SomeWindow window;
  const struct {
    std::int32_t setting;
    Window* window;
    std::vector<std::string> log;
  } cases[] = {{0, &window, {"caution"}},
               {1, nullptr, {"beep", "caution"}},
               {2, &window, {"caution"}},
               {-1, nullptr, {"caution"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.setting);
    gPref[10] = c.setting;
    services_.log.clear();
    gCautionDlg1(c.window, "変換が完了しました。", "qZt6:Tavr");
    EXPECT_EQ(services_.log, c.log);
    const CautionDialog& shown = services_.cautions.back().dialog;
    EXPECT_FALSE(shown.beep);
    EXPECT_EQ(shown.window, c.window);
    EXPECT_EQ(shown.actionCaption, "OK");
    EXPECT_FALSE(shown.cancelVisible);
    EXPECT_FALSE(shown.alternateVisible);
    EXPECT_EQ(shown.message, "変換が完了しました。");
    EXPECT_EQ(shown.explanation, "qZt6:Tavr");
  }
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
  const TempFolder scratch;
  const fs::path folder = scratch.path();
  const struct {
    const char *name, *type, *creator;
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
      GTEST_SKIP() << "this file system keeps no user.* extended attributes";
    }
    EXPECT_EQ(gFileMatch(FolderItem(file), "qZt5", "Tavr"), c.match) << c.name;
  }
  std::ofstream(folder / "plain") << "x";
  EXPECT_FALSE(gFileMatch(FolderItem(folder / "plain"), "qZt5", "Tavr"));
  EXPECT_FALSE(gFileMatch(FolderItem(folder / "missing"), "qZt5", "Tavr"));
}

}  // namespace
