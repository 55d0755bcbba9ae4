#include "shared/globals.h"

#include <gtest/gtest.h>
#include <sys/xattr.h>

#include <cstdint>
#include <filesystem>
#include <fstream>

#include "platform/folder_item.h"
#include "support/scripted_services.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {
TEST(GBitR, GivesTheFieldsOfTheColumnInfoWord) {
  // Below bit 31 a field is unsigned; a field that reaches bit 31 is a
  // two's-complement number of its own width.
  const struct {
    std::int32_t value, start, count, result;
  } cases[] = {
      {0x678, 0, 4, 8},
      {0x678, 9, 6, 3},
      {(100 << 16) | 0xBEEF, 16, 16, 100},
      {0x7FFF0000, 16, 16, 32767},
      {INT32_MIN, 16, 16, -32768},
      {INT32_MIN, 31, 1, -1},
      {-1, 27, 4, 15},
      {-1, 28, 4, -1},
      {-1, 0, 32, -1},
      {0x678, 9, 0, 0},
      {-1, 3, -2, 0},
      {static_cast<std::int32_t>(0xA5C3F00Fu), 20, 12, -1444},
      {-1, -1, 3, 0},  // 2 to the power -1 is no Int32 divisor
  };
  for (const auto& c : cases) {
    EXPECT_EQ(gBitR(c.value, c.start, c.count), c.result)
        << std::hex << c.value << std::dec << " start " << c.start << " count " << c.count;
  }
  // Arguments no caller passes: their results are not fixed; they must simply
  // be computed without harm (the sanitizers watch the shifts).
  for (std::int32_t start : {INT32_MIN, -40, -1, 31, 32, 63, 64, 100, INT32_MAX}) {
    for (std::int32_t count : {INT32_MIN, -1, 1, 33, 64, 100, INT32_MAX}) gBitR(-1, start, count);
  }
}

// A shown dialog but its window; a caption follows "+" when its button shows.
std::string Describe(const CautionDialog& d) {
  return d.actionCaption + (d.cancelVisible ? " +" : " -") + d.cancelCaption +
         (d.alternateVisible ? " +" : " -") + d.alternateCaption + " " + d.message + " " +
         d.explanation;
}

// Which buttons show with which captions, what the pressed one answers; the
// one-button form shows OK as a sheet or application-modal, and only setting
// 10 equal to 1 beeps, first (ours to sound, never the dialog's).
TEST(GCautionDlg, ButtonsAnswersBeepAndModality) {
  gReleaseGlobals();
  ScriptedServices services;
  const struct {
    std::int32_t count;
    DialogButton pressed;
    std::int32_t result;
    const char* shown;
  } cases[] = {
      {0, DialogButton::Cancel, 1, "実行 - -"},
      {1, DialogButton::Action, 2, "実行 - -"},
      {2, DialogButton::Cancel, 1, "実行 +キャンセル -"},
      {3, DialogButton::Alternate, 0, "実行 +キャンセル +別の操作"},
      {5, DialogButton::Action, 2, "実行 +キャンセル +別の操作"},
  };
  for (const auto& c : cases) {
    services.cautionAnswers = {c.pressed};
    EXPECT_EQ(gCautionDlg(nullptr, c.count, "実行", "キャンセル", "別の操作", "本文", "説明"),
              c.result)
        << c.count;
    EXPECT_EQ(Describe(services.cautions.back().dialog), std::string(c.shown) + " 本文 説明");
  }
  Window window;
  const struct {
    std::int32_t setting;
    Window* window;
    std::vector<std::string> log;
  } oneButton[] = {{0, &window, {"caution"}},
                   {1, nullptr, {"beep", "caution"}},
                   {2, &window, {"caution"}},
                   {-1, nullptr, {"caution"}}};
  for (const auto& c : oneButton) {
    SCOPED_TRACE(c.setting);
    gPref[10] = c.setting;
    services.log.clear();
    gCautionDlg1(c.window, "変換が完了しました。", "qZt6:Tavr");
    EXPECT_EQ(services.log, c.log);
    EXPECT_EQ(services.cautions.back().dialog.window, c.window);
    EXPECT_EQ(Describe(services.cautions.back().dialog), "OK - - 変換が完了しました。 qZt6:Tavr");
  }
  gReleaseGlobals();
}

// The Finder info as Samba keeps it for Mac clients: a 60-byte AfpInfo whose
// bytes 16-23 are the type and creator codes.
TEST(GFileMatch, NeedsBothCodesLetterForLetter) {
  const TempFolder folder;
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
    std::ofstream(folder / c.name) << "x";
    std::string info(60, '\0');
    info.replace(0, 8, std::string("AFP\0\0\1\0\0", 8));
    info.replace(16, 8, std::string(c.type) + c.creator);
    if (::setxattr((folder / c.name).c_str(), "user.DosStream.AFP_AfpInfo:$DATA", info.data(),
                   info.size(), 0) != 0) {
      GTEST_SKIP() << "this file system keeps no user.* extended attributes";
    }
    EXPECT_EQ(gFileMatch(FolderItem(folder / c.name), "qZt5", "Tavr"), c.match) << c.name;
  }
  std::ofstream(folder / "plain") << "x";
  EXPECT_FALSE(gFileMatch(FolderItem(folder / "plain"), "qZt5", "Tavr"));
  EXPECT_FALSE(gFileMatch(FolderItem(folder / "missing"), "qZt5", "Tavr"));
}
}  // namespace
