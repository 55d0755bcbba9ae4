#include "shared/start_up_values.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/folder_item.h"
#include "shared/globals.h"
#include "support/mac_bytes.h"
#include "support/scripted_services.h"

namespace {

namespace fs = std::filesystem;
using mac_bytes::Long;
using mac_bytes::PrefFileBytes;
using mac_bytes::ShortString;

// "1", "2", ... or "s1", "s2", ...
std::vector<std::string> Numbered(int count, const std::string& prefix = "") {
  std::vector<std::string> entries;
  for (int i = 0; i < count; ++i) entries.push_back(prefix + std::to_string(i + 1));
  return entries;
}

// Reads `bytes` as the legacy preference file (`size` bytes long when
// longer: a sparse tail) from fresh settings, and says how many slots from 0
// hold 1, 2, 3, ... and s1, s2, ...: "numbers/strings", or "?" when any
// other slot is not at its start value.
std::string Load(const TempFolder& folder, const std::string& bytes, std::uint64_t size = 0) {
  gReleaseGlobals();
  WriteBytes(folder / "pref", bytes);
  if (size > bytes.size()) fs::resize_file(folder / "pref", size);
  LoadPrefFrom(FolderItem(folder / "pref"));
  int numbers = 0, strings = 0;
  while (numbers < 51 && gPref[numbers] == numbers + 1) ++numbers;
  while (strings < 21 && gPrefS[strings] == "s" + std::to_string(strings + 1)) ++strings;
  if (std::count(gPref.begin() + numbers, gPref.end(), 0) != 51 - numbers ||
      std::count(gPrefS.begin() + strings, gPrefS.end(), "") != 21 - strings)
    return "?";
  return std::to_string(numbers) + "/" + std::to_string(strings);
}

// Entries past the arrays are read and ignored; a long string whose length
// is negative or far beyond any preference string ends the reading there. A
// missing file, a folder or a dangling link named "pref" changes nothing.
TEST(LoadPref, CountedEntriesFillTheirSlots) {
  ScriptedServices services;
  TempFolder folder;
  std::string badLength = ShortString("h") + Long(1) + ShortString("1") + Long(20);
  for (const auto& text : Numbered(17, "s")) badLength += ShortString(text);
  const struct {
    const char* name;
    std::string bytes;
    const char* filled;
    std::uint64_t size = 0;
  } cases[] = {
      {"entries 17 to 19 are long, 20 short again", PrefFileBytes({}, Numbered(21, "s")), "0/21"},
      {"52 numbers", PrefFileBytes(Numbered(52), Numbered(1, "s")), "51/1"},
      {"25 strings", PrefFileBytes(Numbered(1), Numbered(25, "s")), "1/21"},
      {"negative counts", ShortString("h") + Long(-3) + Long(-1), "0/0"},
      {"negative long string length", badLength + Long(-1) + "short", "1/17"},
      {"2 GiB long string", badLength + Long(0x7FFFFFFF), "1/17", 0x7FFFFFFFull + 200},
  };
  for (const auto& c : cases) EXPECT_EQ(Load(folder, c.bytes, c.size), c.filled) << c.name;
  // Whatever a file cut short holds is kept: strings only after all the numbers.
  const std::string full = PrefFileBytes(Numbered(30), Numbered(21, "s"));
  for (std::size_t cut = 0; cut < full.size(); ++cut) {
    const std::string filled = Load(folder, full.substr(0, cut));
    EXPECT_TRUE(filled.rfind("30/", 0) == 0 || filled.substr(filled.size() - 2) == "/0")
        << cut << ": " << filled;
  }
  fs::remove(folder / "pref");
  fs::create_directory(folder / "folder");
  fs::create_symlink(folder / "gone", folder / "dangling");
  for (const char* name : {"pref", "folder", "dangling"}) {
    gPref[21] = 9;
    LoadPrefFrom(FolderItem(folder / name));
    EXPECT_EQ(gPref[21], 9) << name;
  }
  EXPECT_TRUE(services.log.empty());
  gReleaseGlobals();
}

#ifndef __APPLE__
// The folder of the preference files: XDG_CONFIG_HOME when it is an absolute
// path, otherwise .config in the home folder.
TEST(PreferencesFolder, FollowsTheXdgRules) {
  const char* names[] = {"XDG_CONFIG_HOME", "HOME"};
  std::optional<std::string> saved[2];
  for (int i = 0; i < 2; ++i)
    if (const char* value = std::getenv(names[i])) saved[i] = value;
  ::setenv("HOME", "/home/u", 1);
  for (const char* xdg : {"/etc/xdg", "relative", ""}) {
    ::setenv("XDG_CONFIG_HOME", xdg, 1);
    EXPECT_EQ(PreferencesFolder(), fs::path(*xdg == '/' ? xdg : "/home/u/.config")) << xdg;
  }
  for (int i = 0; i < 2; ++i)
    saved[i] ? ::setenv(names[i], saved[i]->c_str(), 1) : ::unsetenv(names[i]);
}
#endif

}  // namespace
