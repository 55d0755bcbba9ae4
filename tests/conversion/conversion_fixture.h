#pragma once
// What the converter's tests share: a converter with scripted services and a
// scratch folder, documents written into it, and the package read back.

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>

#include "conversion/list_converter.h"
#include "platform/folder_item.h"
#include "shared/globals.h"
#include "shared/text_enco.h"
#include "support/files.h"
#include "support/mac_bytes.h"
#include "support/scripted_services.h"

using mac_bytes::Document;

class ConversionTest : public ::testing::Test {
 protected:
  void SetUp() override { gPref.fill(0), gEncInit(); }
  void TearDown() override { gPref = savedPref_; }

  // A document (data fork and sidecar) in the scratch folder.
  FolderItem WriteDocument(const std::string& name, const std::string& dataFork,
                           const std::optional<std::string>& resourceFork = std::nullopt) {
    mac_bytes::WriteDocument(scratch / name, dataFork, resourceFork);
    return FolderItem(scratch / name);
  }
  // The package beside `source`, named as a batch names it.
  static FolderItem PackageOf(const FolderItem& source) {
    return source.Parent().Child(source.Name() + ".tvrmd");
  }
  // Converts a document beside itself: the package's pref, csv, colAttr and
  // window, or nothing when it was not converted.
  std::optional<std::array<std::string, 4>> Convert(
      const std::string& name, const std::string& bytes,
      const std::optional<std::string>& fork = std::nullopt) {
    const FolderItem source = WriteDocument(name, bytes, fork);
    if (!converter.FileConv(source, PackageOf(source))) return std::nullopt;
    const auto file = [&](const char* file) { return ReadBytes(PackageOf(source).Path() / file); };
    return std::array{file("pref"), file("csv"), file("colAttr"), file("window")};
  }
  // Converts (with `by`, or else `converter`) and expects the one
  // not-converted caution, which leaves the scratch folder as it was (or as
  // `after`); returns the reason it gives.
  std::string Refused(const FolderItem& source, const FolderItem& target,
                      ListConverter* by = nullptr, const Snapshot* after = nullptr) {
    const Snapshot before = TakeSnapshot(scratch.path());
    services.cautions.clear();
    EXPECT_FALSE((by ? *by : converter).FileConv(source, target));
    EXPECT_EQ(TakeSnapshot(scratch.path()), after ? *after : before);
    EXPECT_EQ(services.cautions.size(), 1u);
    if (services.cautions.empty()) return "";
    const std::string prefix = "書類：" + source.AbsolutePath() + "\n理由：";
    const std::string& explanation = services.cautions[0].explanation;
    EXPECT_EQ(services.cautions[0].message, "書類を変換できませんでした。");
    EXPECT_EQ(explanation.rfind(prefix, 0), 0u) << explanation;
    return explanation.substr(std::min(prefix.size(), explanation.size()));
  }

  ScriptedServices services;
  TempFolder scratch;
  ListConverter converter;

 private:
  std::array<std::int32_t, 51> savedPref_ = gPref;
};
