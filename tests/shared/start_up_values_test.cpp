#include "shared/start_up_values.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <vector>

#include "platform/folder_item.h"
#include "shared/globals.h"
#include "shared/text_enco.h"
#include "support/scripted_services.h"
#include "support/legacy_document.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

using legacy::Long;
std::string Short(const std::string& text) { return legacy::ShortString(text); }

// A legacy preference file: entries 17 to 19 of the strings are long strings.
std::string PrefBytes(const std::vector<std::string>& numbers,
                      const std::vector<std::string>& strings,
                      const std::string& header = "TavrinPref") {
  std::string bytes = Short(header) + Long(numbers.size());
  for (const auto& number : numbers) bytes += Short(number);
  bytes += Long(strings.size());
  for (std::size_t i = 0; i < strings.size(); ++i) {
    bytes += i >= 17 && i <= 19 ? Long(strings[i].size()) + strings[i] : Short(strings[i]);
  }
  return bytes;
}

std::vector<std::string> Numbered(int count, const std::string& prefix = "") {
  std::vector<std::string> entries;
  for (int i = 0; i < count; ++i) entries.push_back(prefix + std::to_string(i + 1));
  return entries;
}

// Runs each test in a home folder of its own, with its own XDG_CONFIG_HOME.
class StartUpValuesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (auto& [name, value] : saved_) {
      if (const char* old = std::getenv(name)) value = old;
    }
    ::setenv("HOME", home_.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home_ / "config").c_str(), 1);
    gReleaseGlobals();
    gPrefName = "Tavrin初期設定";
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
    }
    gReleaseGlobals();
  }
  fs::path WritePref(const std::string& bytes, const fs::path& preferences) {
    fs::create_directories(preferences / "Tavrin初期設定");
    std::ofstream(preferences / "Tavrin初期設定" / "pref", std::ios::binary) << bytes;
    return preferences / "Tavrin初期設定" / "pref";
  }
  void LoadBytes(const std::string& bytes) {
    LoadPrefFrom(FolderItem(WritePref(bytes, home_ / "config")));
  }

  TempFolder scratch_;
  const fs::path home_ = scratch_.path();
  std::pair<const char*, std::optional<std::string>> saved_[2] = {{"HOME", {}},
                                                                  {"XDG_CONFIG_HOME", {}}};
  ScriptedServices services_;
};

// Slots 0 to count - 1 (as far as there are slots) holding 1, 2, 3, ...
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

// One number, then 20 strings of which entry 17, a long string, has `length`.
std::string WithLongLength(std::uint32_t length) {
  std::string bytes = Short("h") + Long(1) + Short("1") + Long(20);
  for (const auto& text : Numbered(17, "s")) bytes += Short(text);
  return bytes + Long(length) + "short";
}

TEST_F(StartUpValuesTest, CountedEntriesFillTheirSlotsAndTheRestKeepTheirStartValues) {
  const struct {
    const char* name;
    std::string bytes;
    int numbers, strings;  // how many slots, from 0, hold the file's entries
    std::int64_t yields;
  } cases[] = {
      {"empty header, no entries", PrefBytes({}, {}, ""), 0, 0, 0},
      {"23 numbers", PrefBytes(Numbered(23), {}), 23, 0, 23},
      {"entries 17 to 19 are long, 20 short again", PrefBytes({}, Numbered(21, "s")), 0, 21, 21},
      {"52 numbers: the last is read and ignored", PrefBytes(Numbered(52), Numbered(1, "s")), 51, 1,
       53},
      {"25 strings: four are read and ignored", PrefBytes(Numbered(1), Numbered(25, "s")), 1, 21,
       26},
      {"negative counts read nothing", Short("h") + Long(-3) + Long(-1), 0, 0, 0},
      {"bytes after the last string", PrefBytes(Numbered(2), Numbered(1, "s")) + "\xFF\xFF junk", 2,
       1, 3},
      {"negative long string length", WithLongLength(0xFFFFFFFF), 1, 17, 18},
      {"long string length INT32_MIN", WithLongLength(0x80000000), 1, 17, 18},
      {"long string past the end", WithLongLength(0x7FFFFFFF), 1, 17, 18},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    gReleaseGlobals();
    services_.yields = 0;
    LoadBytes(c.bytes);
    EXPECT_EQ(gPref, Sequence(c.numbers));
    EXPECT_EQ(gPrefS, Strings(c.strings));
    EXPECT_EQ(services_.yields, c.yields);
  }
}

TEST_F(StartUpValuesTest, NumbersGoThroughValAndStringsKeepTheirBytes) {
  std::vector<std::string> strings(20, "");
  strings[0] = "\x83\x71\x83\x89\x83\x4D\x83\x6D";  // Shift_JIS, stored as it stands
  strings[18] = "";                                 // a long string of length 0
  strings[19] = "long";
  LoadBytes(
      PrefBytes({"-5", "1.9", " 12abc", "99999999999", "abc", "", "", "", "", "", "1"}, strings));
  EXPECT_EQ((std::vector<std::int32_t>(gPref.begin(), gPref.begin() + 12)),
            (std::vector<std::int32_t>{-5, 1, 12, 2147483647, 0, 0, 0, 0, 0, 0, 1, 0}));
  EXPECT_EQ(gPrefS[0], strings[0]);
  EXPECT_EQ(gPrefS[18], "");
  EXPECT_EQ(gPrefS[19], "long");
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
TEST_F(StartUpValuesTest, InitValThenLoadPrefFindsTheFileInThePreferencesFolder) {
  const std::string bytes = PrefBytes(Numbered(23), {"Osaka"});
  const struct {
    const char* name;
    std::optional<std::string> xdg;  // nullopt: unset
    fs::path preferences;            // where the file is written, under home
  } cases[] = {
      {"XDG_CONFIG_HOME", (home_ / "config").string(), "config"},
      {"XDG_CONFIG_HOME unset", std::nullopt, ".config"},
      {"XDG_CONFIG_HOME empty", "", ".config"},
      {"XDG_CONFIG_HOME relative", "relative/config", ".config"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    gReleaseGlobals();
    InitVal();
    fs::remove_all(home_ / "config");
    fs::remove_all(home_ / ".config");
    c.xdg ? ::setenv("XDG_CONFIG_HOME", c.xdg->c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
#ifndef __APPLE__
    EXPECT_EQ(PreferencesFolder(), home_ / c.preferences);
#endif
    WritePref(bytes, home_ / c.preferences);
    LoadPref();
    EXPECT_EQ(gPref[22], 23);
    EXPECT_EQ(gPrefS[0], "Osaka");
  }
  EXPECT_EQ(gListCre, "qZt5");
  EXPECT_NE(gTc_SJISUTF8, nullptr);
  EXPECT_NE(gTc_JISUTF8, nullptr);
}

TEST_F(StartUpValuesTest, AMissingOrUnreadableFileChangesNothingAndSaysNothing) {
  const fs::path folder = home_ / "config" / "Tavrin初期設定";
  const std::function<void()> layouts[] = {
      [] {},                                             // no folder
      [&] { fs::create_directories(folder); },           // folder without "pref"
      [&] { fs::create_directories(folder / "pref"); },  // "pref" is a folder
      [&] {
        fs::create_directories(folder);
        fs::create_symlink(folder / "gone", folder / "pref");
      },
  };
  for (const auto& layout : layouts) {
    fs::remove_all(home_ / "config");
    layout();
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
