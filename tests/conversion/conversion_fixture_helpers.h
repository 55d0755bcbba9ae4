#pragma once
// What the conversion tests share: a scratch folder, a converter with
// scripted services, snapshots of folders to prove what did not change, and
// the package's property lists as expected text.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/list_converter.h"
#include "platform/folder_item.h"
#include "support/scripted_services.h"
#include "support/temp_folder.h"

// Bytes from hexadecimal pairs; anything else between them is ignored.
std::string Hex(std::string_view pairs);

// Every entry under a folder (hidden ones included) with its bytes, mode,
// modification time and extended attributes. A folder's own modification
// time is left out: a temporary written and removed in it changes only that.
struct EntryState {
  bool directory = false;
  std::string bytes;
  unsigned mode = 0;
  std::int64_t modifiedNs = 0;
  std::map<std::string, std::string> xattrs;
  bool operator==(const EntryState&) const = default;
};
void PrintTo(const EntryState& state, std::ostream* os);
using FolderSnapshot = std::map<std::string, EntryState>;
FolderSnapshot Snapshot(const std::filesystem::path& folder);
// The names of the entries directly in `folder`, sorted; empty when missing.
std::vector<std::string> Listing(const std::filesystem::path& folder);

// The value line after the n-th (from 0) "<key>KEY</key>" line; "" when none.
std::string ValueLineAfter(const std::string& plist, const std::string& key, int nth = 0);
extern const std::string kPlistHead;  // declaration, DOCTYPE, <plist>, <dict>
extern const std::string kPlistTail;
// `pref` with its seventeen values in key order (bgClrBlue ... winGeo).
std::string PrefPlist(const std::array<std::string, 17>& values);
// One column of `colAttr`: its key, then its dict; `numbers` are the other
// eleven values in key order (columnAlign ... columnWidth), space-separated.
std::string ColumnDict(int index, const std::string& name, const std::string& numbers);
std::string WindowPlist(const std::string& height, const std::string& x, const std::string& y,
                        const std::string& width);

class ConversionTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes a document (data fork and sidecar) under the scratch folder.
  FolderItem WriteDocument(const std::string& name, const std::string& dataFork,
                           const std::optional<std::string>& resourceFork = std::nullopt);
  // The package beside `source`, named as a batch names it.
  static FolderItem PackageOf(const FolderItem& source);
  static std::string PackageFile(const FolderItem& package, const std::string& file);
  // The one caution shown since the last call, as "message|explanation".
  std::string TakeCaution();

  ScriptedServices services;
  TempFolder scratch;
  ListConverter converter;

 private:
  std::array<std::int32_t, 51> savedPref_{};
};
