#pragma once
// What the conversion tests share: a scratch folder, a converter with
// scripted services, folder snapshots, and the package's property lists as
// expected text.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "conversion/line_sink.h"
#include "conversion/list_converter.h"
#include "platform/folder_item.h"
#include "shared/globals.h"
#include "shared/text_enco.h"
#include "support/legacy_document.h"
#include "support/scripted_services.h"
#include "support/temp_folder.h"

// Every entry under a folder, hidden ones included: a file's bytes, or
// nullopt for a folder.
using FolderSnapshot = std::map<std::string, std::optional<std::string>>;
inline FolderSnapshot Snapshot(const std::filesystem::path& folder) {
  FolderSnapshot snapshot;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    snapshot[std::filesystem::relative(entry.path(), folder).string()] =
        entry.is_directory() ? std::nullopt : std::optional(ReadBytes(entry.path()));
  }
  return snapshot;
}

// The names directly in `folder`, sorted.
inline std::vector<std::string> Listing(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The value line after the n-th (from 0) "<key>KEY</key>" line; "" when none.
inline std::string ValueLineAfter(const std::string& plist, const std::string& key, int nth = 0) {
  std::istringstream lines(plist);
  for (std::string line; std::getline(lines, line);) {
    if (line == "<key>" + key + "</key>" && nth-- == 0)
      return std::getline(lines, line) ? line : "";
  }
  return "";
}

inline const std::string kPlistHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n<dict>\n";
inline const std::string kPlistTail = "</dict>\n</plist>\n";

// "<key>KEY</key>\n<TAG>VALUE</TAG>\n" for each "TAG KEY" pair of `keys`.
inline std::string PlistEntries(const std::string& keys, const std::vector<std::string>& values) {
  std::istringstream pairs(keys);
  std::string text, tag, key;
  for (const std::string& value : values) {
    pairs >> tag >> key;
    text += "<key>" + key + "</key>\n<" + tag + ">" + value + "</" + tag + ">\n";
  }
  return text;
}

// `pref` with its seventeen values in key order (bgClrBlue ... winGeo).
inline std::string PrefPlist(const std::array<std::string, 17>& values) {
  return kPlistHead +
         PlistEntries(
             "real bgClrBlue integer bgClrCng real bgClrGreen integer bgClrOdd real bgClrRed "
             "string cellFontName integer cellFontSize integer cellLineH integer cellLineV "
             "integer headerKind real hiClrBlue integer hiClrCng real hiClrGreen "
             "real hiClrRed integer rowKind integer scrollKind integer winGeo",
             {values.begin(), values.end()}) +
         kPlistTail;
}

// One column of `colAttr`, its key then its dict; `numbers` are the other
// eleven values in key order (columnAlign ... columnWidth).
inline std::string ColumnDict(int index, const std::string& name, const std::string& numbers) {
  std::istringstream in(numbers);
  std::vector<std::string> values(12);
  for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 11}) in >> values[i];
  values[8] = name;
  return "<key>" + std::to_string(index) + "</key>\n<dict>\n" +
         PlistEntries(
             "integer columnAlign integer columnAuto integer columnBold real columnColorBlue "
             "real columnColorGreen real columnColorRed integer columnItalic "
             "integer columnKind string columnName integer columnNumb integer columnUline "
             "real columnWidth",
             values) +
         "</dict>\n";
}

inline std::string WindowPlist(const std::string& height, const std::string& x,
                               const std::string& y, const std::string& width) {
  return kPlistHead +
         PlistEntries(
             "real scrollH real scrollV real scrollX real scrollY integer toolbar "
             "real winHeight real winPosX real winPosY real winWidth",
             {"0", "0", "0", "0", "1", height, x, y, width}) +
         kPlistTail;
}

class ConversionTest : public ::testing::Test {
 protected:
  void SetUp() override { gPref.fill(0), gEncInit(); }
  void TearDown() override { gPref = savedPref_; }

  // Writes a document (data fork and sidecar) under the scratch folder.
  FolderItem WriteDocument(const std::string& name, const std::string& dataFork,
                           const std::optional<std::string>& resourceFork = std::nullopt) {
    legacy::WriteDocument(scratch.path() / name, dataFork, resourceFork);
    return FolderItem(scratch.path() / name);
  }
  // The package beside `source`, named as a batch names it.
  static FolderItem PackageOf(const FolderItem& source) {
    return source.Parent().Child(source.Name() + ".tvrmd");
  }
  static std::string PackageFile(const FolderItem& package, const std::string& file) {
    return ReadBytes(package.Path() / file);
  }
  // The one caution shown since the last call, as "message|explanation".
  std::string TakeCaution() {
    EXPECT_EQ(services.cautions.size(), 1u) << "cautions shown";
    const auto& c = services.cautions;
    const std::string shown =
        c.size() == 1 ? c[0].dialog.message + "|" + c[0].dialog.explanation : "";
    services.cautions.clear();
    return shown;
  }

  ScriptedServices services;
  TempFolder scratch;
  ListConverter converter;

 private:
  std::array<std::int32_t, 51> savedPref_ = gPref;
};
