#include "shared/start_up_values.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/folder_item.h"
#include "shared/globals.h"
#include "shared/text_enco.h"
#include "support/legacy_document.h"
#include "support/scripted_services.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {
using legacy::Long;
using legacy::ShortString;

// A legacy preference file: entries 17 to 19 of the strings are long strings.
std::string PrefBytes(const std::vector<std::string>& numbers,
                      const std::vector<std::string>& strings) {
  std::string bytes = ShortString("h") + Long(numbers.size());
  for (const auto& number : numbers) bytes += ShortString(number);
  bytes += Long(strings.size());
  for (std::size_t i = 0; i < strings.size(); ++i) {
    bytes += i >= 17 && i <= 19 ? Long(strings[i].size()) + strings[i] : ShortString(strings[i]);
  }
  return bytes;
}

std::vector<std::string> Numbered(int count, const std::string& prefix = "") {
  std::vector<std::string> entries;
  for (int i = 0; i < count; ++i) entries.push_back(prefix + std::to_string(i + 1));
  return entries;
}

// Slots 0 to count - 1 (as far as there are slots) holding 1, 2, 3, ... or s1, s2, ...
std::array<std::int32_t, 51> Sequence(int count) {
  std::array<std::int32_t, 51> numbers{};
  for (int i = 0; i < count && i < 51; ++i) numbers[i] = i + 1;
  return numbers;
}
std::array<std::string, 21> Strings(int count) {
  std::array<std::string, 21> strings{};
  for (int i = 0; i < count && i < 21; ++i) strings[i] = "s" + std::to_string(i + 1);
  return strings;
}

// Each test has its own preferences folder (XDG_CONFIG_HOME).
class StartUpValuesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) saved_ = old;
    ::setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
    gReleaseGlobals();
    gPrefName = "Tavrin初期設定";
  }
  void TearDown() override {
    saved_ ? ::setenv("XDG_CONFIG_HOME", saved_->c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
    gReleaseGlobals();
  }
  // `size`: the file's size when longer than `bytes` (a sparse tail).
  void LoadBytes(const std::string& bytes, std::uint64_t size = 0) {
    fs::create_directories(folder_);
    WriteBytes(folder_ / "pref", bytes);
    if (size > bytes.size()) fs::resize_file(folder_ / "pref", size);
    LoadPrefFrom(FolderItem(folder_ / "pref"));
  }

  TempFolder scratch_;
  const fs::path config_ = scratch_.path(), folder_ = config_ / "Tavrin初期設定";
  std::optional<std::string> saved_;
  ScriptedServices services_;
};

TEST_F(StartUpValuesTest, CountedEntriesFillTheirSlotsAndTheRestKeepTheirStartValues) {
  // One number, then 20 strings of which entry 17, a long string, has a
  // negative length, or one far beyond any preference string that the file
  // (sparse) does hold.
  std::string badLength = ShortString("h") + Long(1) + ShortString("1") + Long(20);
  for (const auto& text : Numbered(17, "s")) badLength += ShortString(text);
  const struct {
    const char* name;
    std::string bytes;
    int numbers, strings;  // how many slots, from 0, hold the file's entries
    std::int64_t yields;
    std::uint64_t size = 0;
  } cases[] = {
      {"entries 17 to 19 are long, 20 short again", PrefBytes({}, Numbered(21, "s")), 0, 21, 21},
      {"52 numbers: one read and ignored", PrefBytes(Numbered(52), Numbered(1, "s")), 51, 1, 53},
      {"25 strings: four read and ignored", PrefBytes(Numbered(1), Numbered(25, "s")), 1, 21, 26},
      {"negative counts read nothing", ShortString("h") + Long(-3) + Long(-1), 0, 0, 0},
      {"negative long string length", badLength + Long(-1) + "short", 1, 17, 18},
      {"2 GiB long string", badLength + Long(0x7FFFFFFF), 1, 17, 18, 0x7FFFFFFFull + 200},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    gReleaseGlobals();
    services_.yields = 0;
    LoadBytes(c.bytes, c.size);
    EXPECT_EQ(gPref, Sequence(c.numbers));
    EXPECT_EQ(gPrefS, Strings(c.strings));
    EXPECT_EQ(services_.yields, c.yields);
  }
}

TEST_F(StartUpValuesTest, AFileThatEndsEarlyKeepsWhatWasReadBeforeTheEnd) {
  const std::string full = PrefBytes(Numbered(30), Numbered(21, "s"));
  for (std::size_t cut = 0; cut < full.size(); ++cut) {
    gReleaseGlobals();
    LoadBytes(full.substr(0, cut));
    int numbers = 0, strings = 0;
    while (numbers < 30 && gPref[numbers] == numbers + 1) ++numbers;
    while (strings < 21 && gPrefS[strings] == "s" + std::to_string(strings + 1)) ++strings;
    // Whatever was stored is a prefix of the whole file's values.
    ASSERT_EQ(gPref, Sequence(numbers)) << cut;
    ASSERT_EQ(gPrefS, Strings(strings)) << cut;
    ASSERT_TRUE(strings == 0 || numbers == 30) << cut;
  }
}

// InitVal names the folder LoadPref looks in, and builds the converters.
// Numbers go through Val; strings keep their Shift_JIS bytes.
TEST_F(StartUpValuesTest, InitValThenLoadPrefFindsTheFileInThePreferencesFolder) {
  InitVal();
#ifndef __APPLE__
  EXPECT_EQ(PreferencesFolder(), config_);
#endif
  std::vector<std::string> numbers = Numbered(23);
  numbers[0] = "-5", numbers[1] = " 12abc", numbers[2] = "99999999999", numbers[3] = "abc";
  fs::create_directories(folder_);
  WriteBytes(folder_ / "pref", PrefBytes(numbers, {"\x83\x71\x83\x89\x83\x4D\x83\x6D"}));
  LoadPref();
  EXPECT_EQ((std::vector<std::int32_t>(gPref.begin(), gPref.begin() + 5)),
            (std::vector<std::int32_t>{-5, 12, 2147483647, 0, 5}));
  EXPECT_EQ(gPref[22], 23);
  EXPECT_EQ(gPrefS[0], "\x83\x71\x83\x89\x83\x4D\x83\x6D");
  EXPECT_EQ(gListCre, "qZt5");
  EXPECT_NE(gTc_SJISUTF8, nullptr);
  EXPECT_NE(gTc_JISUTF8, nullptr);
}

TEST_F(StartUpValuesTest, AMissingOrUnreadableFileChangesNothingAndSaysNothing) {
  // No folder; a folder without "pref"; "pref" a folder; "pref" a dangling link.
  for (int layout = 0; layout < 4; ++layout) {
    fs::remove_all(folder_);
    if (layout > 0) fs::create_directories(layout == 2 ? folder_ / "pref" : folder_);
    if (layout == 3) fs::create_symlink(folder_ / "gone", folder_ / "pref");
    gPref.fill(0);
    gPref[21] = 9;
    LoadPref();
    EXPECT_EQ(gPref[21], 9);
    for (const auto& text : gPrefS) EXPECT_EQ(text, "");
  }
  EXPECT_TRUE(services_.log.empty());
  EXPECT_EQ(services_.yields, 0);
}
}  // namespace
