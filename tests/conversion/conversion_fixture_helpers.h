#pragma once
// What the conversion tests share: a scratch folder, a converter with
// scripted services, and snapshots of folders to prove what did not change.

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

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::string ReadBytes(const std::filesystem::path& path);
// Bytes from hexadecimal pairs; white space and commas between them are ignored.
std::string Hex(std::string_view pairs);

// Every entry under `folder` (hidden ones included) with its bytes, mode,
// modification time and extended attributes.
// A folder's own modification time is left out: writing and removing a
// temporary in it changes that time and nothing else.
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

// Mode bits do not stop the superuser, so read-only cases need another user.
bool RunningAsRoot();

class ConversionTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes a document (data fork and sidecar) under the scratch folder.
  FolderItem WriteDocument(const std::string& name, const std::string& dataFork,
                           const std::optional<std::string>& resourceFork = std::nullopt);
  // The package beside `source`, named as a batch names it.
  FolderItem PackageOf(const FolderItem& source) const;
  std::string PackageFile(const FolderItem& package, const std::string& file) const;
  // The one caution shown since the last call, as "message|explanation".
  std::string TakeCaution();

  ScriptedServices services;
  TempFolder scratch;
  ListConverter converter;

 private:
  std::array<std::int32_t, 51> savedPref_{};
};
