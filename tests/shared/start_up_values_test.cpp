#include "shared/start_up_values.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "platform/folder_item.h"
#include "shared/globals.h"
#include "shared/text_enco.h"
#include "support/scripted_services.h"

namespace fs = std::filesystem;

namespace {

std::string Long(std::uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}
std::string Short(const std::string& text) { return static_cast<char>(text.size()) + text; }

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
    std::string pattern = (fs::temp_directory_path() / "start_up_values_test-XXXXXX").string();
    home_ = ::mkdtemp(pattern.data());
    Remember("HOME");
    Remember("XDG_CONFIG_HOME");
    ::setenv("HOME", home_.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home_ / "config").c_str(), 1);
    gReleaseGlobals();
    gPrefName = "Tavrin初期設定";
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
    }
    gReleaseGlobals();
    fs::remove_all(home_);
  }
  void Remember(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    saved_[name] = value ? std::optional<std::string>(value) : std::nullopt;
  }
  fs::path WritePref(const std::string& bytes, const fs::path& preferences) {
    fs::create_directories(preferences / "Tavrin初期設定");
    std::ofstream(preferences / "Tavrin初期設定" / "pref", std::ios::binary) << bytes;
    return preferences / "Tavrin初期設定" / "pref";
  }
  void LoadBytes(const std::string& bytes) {
    LoadPrefFrom(FolderItem(WritePref(bytes, home_ / "config")));
  }

  fs::path home_;
  std::map<std::string, std::optional<std::string>> saved_;
  ScriptedServices services_;
};

std::array<std::int32_t, 51> Numbers(std::map<int, std::int32_t> set) {
  std::array<std::int32_t, 51> numbers{};
  for (const auto& [slot, value] : set) numbers[slot] = value;
  return numbers;
}

// Slots 0 to count - 1 (as far as there are slots) holding 1, 2, 3, ...
std::array<std::int32_t, 51> Sequence(int count) {
  std::array<std::int32_t, 51> numbers{};
  for (int i = 0; i < count && i < 51; ++i) numbers[i] = i + 1;
  return numbers;
}

TEST_F(StartUpValuesTest, NumbersAreStoredThroughValAndTheInt32Conversion) {
  const struct {
    const char* text;
    std::int32_t value;
  } cases[] = {{"1", 1},
               {"-5", -5},
               {" 12abc", 12},
               {"1.9", 1},
               {"-1.9", -1},
               {"abc", 0},
               {"", 0},
               {"99999999999", 2147483647},
               {"-1e20", -2147483647 - 1},
               {"1e3", 1000},
               {"\xE6\x97\xA5", 0}};
  for (const auto& c : cases) {
    gReleaseGlobals();
    LoadBytes(PrefBytes({c.text}, {}));
    EXPECT_EQ(gPref[0], c.value) << '"' << c.text << '"';
  }
}

TEST_F(StartUpValuesTest, CountedEntriesFillTheirSlotsAndTheRestKeepTheirStartValues) {
  const struct {
    const char* name;
    std::string bytes;
    std::array<std::int32_t, 51> numbers;
    std::vector<std::string> strings;  // slots 0 onwards; the others stay ""
    std::int64_t yields;
  } cases[] = {
      {"empty header, no entries", PrefBytes({}, {}, ""), {}, {}, 0},
      {"23 numbers", PrefBytes(Numbered(23), {}), Sequence(23), {}, 23},
      {"setting 10 switches the beep on",
       PrefBytes({"0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "1"}, {}),
       Numbers({{10, 1}}),
       {},
       11},
      {"17 short strings", PrefBytes({}, Numbered(17, "s")), {}, Numbered(17, "s"), 17},
      {"entries 17 to 19 are long", PrefBytes({}, Numbered(20, "s")), {}, Numbered(20, "s"), 20},
      {"entry 20 is short again", PrefBytes({}, Numbered(21, "s")), {}, Numbered(21, "s"), 21},
      {"a long string of length 0",
       PrefBytes(
           {}, {"a", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "x", ""}),
       {},
       {"a", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "x", ""},
       20},
      {"52 numbers: the last is read and ignored",
       PrefBytes(Numbered(52), {"Osaka"}),
       Sequence(52),
       {"Osaka"},
       53},
      {"25 strings: the last four are read and ignored", PrefBytes({"4"}, Numbered(25, "s")),
       Numbers({{0, 4}}), Numbered(21, "s"), 26},
      {"negative counts read nothing", Short("h") + Long(-3) + Long(-1), {}, {}, 0},
      {"bytes after the last string are ignored",
       PrefBytes({"2"}, {"a"}) + "\xFF\xFF\xFF\xFF garbage",
       Numbers({{0, 2}}),
       {"a"},
       2},
  };
  for (const auto& c : cases) {
    gReleaseGlobals();
    services_.yields = 0;
    LoadBytes(c.bytes);
    EXPECT_EQ(gPref, c.numbers) << c.name;
    for (std::size_t slot = 0; slot < gPrefS.size(); ++slot) {
      EXPECT_EQ(gPrefS[slot], slot < c.strings.size() ? c.strings[slot] : "")
          << c.name << " string " << slot;
    }
    EXPECT_EQ(services_.yields, c.yields) << c.name;
  }
}

TEST_F(StartUpValuesTest, AFileThatEndsEarlyKeepsWhatWasReadBeforeTheEnd) {
  const std::string full = PrefBytes(Numbered(30), Numbered(21, "s"));
  for (std::size_t cut = 0; cut < full.size(); ++cut) {
    gReleaseGlobals();
    LoadBytes(full.substr(0, cut));
    // Whatever was stored is a prefix of the whole file's values.
    std::size_t numbers = 0, strings = 0;
    while (numbers < 30 && gPref[numbers] == static_cast<std::int32_t>(numbers + 1)) ++numbers;
    for (std::size_t slot = numbers; slot < gPref.size(); ++slot) ASSERT_EQ(gPref[slot], 0) << cut;
    while (strings < 21 && gPrefS[strings] == "s" + std::to_string(strings + 1)) ++strings;
    for (std::size_t slot = strings; slot < gPrefS.size(); ++slot)
      ASSERT_EQ(gPrefS[slot], "") << cut;
    ASSERT_TRUE(strings == 0 || numbers == 30) << cut;
  }
}

TEST_F(StartUpValuesTest, ABadLongStringLengthStopsReadingAndKeepsTheEarlierEntries) {
  const std::string first17 = [] {
    std::string bytes;
    for (const auto& text : Numbered(17, "s")) bytes += Short(text);
    return bytes;
  }();
  const std::uint32_t lengths[] = {0xFFFFFFFF, 0x80000000, 0x7FFFFFFF, 100};
  for (std::uint32_t length : lengths) {
    gReleaseGlobals();
    LoadBytes(Short("h") + Long(1) + Short("3") + Long(20) + first17 + Long(length) + "short");
    EXPECT_EQ(gPref[0], 3) << length;
    EXPECT_EQ(gPrefS[16], "s17") << length;
    EXPECT_EQ(gPrefS[17], "") << length;
  }
}

TEST_F(StartUpValuesTest, LoadPrefFindsTheFileInThePreferencesFolder) {
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
    gReleaseGlobals();
    gPrefName = "Tavrin初期設定";
    fs::remove_all(home_ / "config");
    fs::remove_all(home_ / ".config");
    if (!c.xdg) {
      ::unsetenv("XDG_CONFIG_HOME");
    } else {
      ::setenv("XDG_CONFIG_HOME", c.xdg->c_str(), 1);
    }
#ifndef __APPLE__
    EXPECT_EQ(PreferencesFolder(), home_ / c.preferences) << c.name;
#endif
    WritePref(bytes, home_ / c.preferences);
    LoadPref();
    EXPECT_EQ(gPref[22], 23) << c.name;
    EXPECT_EQ(gPrefS[0], "Osaka") << c.name;
  }
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

TEST_F(StartUpValuesTest, InitValSetsTheStartUpValuesAndBuildsTheConverters) {
  gPrefName.clear();
  InitVal();
  EXPECT_EQ(gListCre, "qZt5");
  EXPECT_EQ(gPrefName, "Tavrin初期設定");
  EXPECT_NE(gTc_SJISUTF8, nullptr);
  EXPECT_NE(gTc_JISUTF8, nullptr);
}

}  // namespace
