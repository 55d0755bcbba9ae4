#include "conversion/package_writer.h"

#include <gtest/gtest.h>

#include "conversion_fixture_helpers.h"
#include "support/legacy_document.h"

namespace {

namespace fs = std::filesystem;

TEST(PackageWriter, FilesAppearOnlyOnCommitAndInTheOrderOpened) {
  TempFolder scratch;
  const FolderItem target(scratch.path() / "doc.tvrmd");
  {
    PackageWriter package(target);
    package.Open("pref").WriteLine("p");
    package.Open("csv").WriteLine("c");
    EXPECT_FALSE(fs::exists(target.Path() / "pref"));
    EXPECT_FALSE(fs::exists(target.Path() / "csv"));
    package.Commit();
  }
  EXPECT_EQ(Listing(target.Path()), (std::vector<std::string>{"csv", "pref"}));
  EXPECT_EQ(ReadBytes(target.Path() / "pref"), "p\n");
  EXPECT_EQ(ReadBytes(target.Path() / "csv"), "c\n");
  // Committed in order: pref is never newer than csv.
  EXPECT_LE(fs::last_write_time(target.Path() / "pref"),
            fs::last_write_time(target.Path() / "csv"));
}

TEST(PackageWriter, WithoutCommitANewPackageIsRemoved) {
  TempFolder scratch;
  {
    PackageWriter package(FolderItem(scratch.path() / "doc.tvrmd"));
    package.Open("pref").WriteLine("p");
  }
  EXPECT_TRUE(Listing(scratch.path()).empty());
}

TEST(PackageWriter, WithoutCommitAnExistingPackageKeepsItsFiles) {
  TempFolder scratch;
  const fs::path target = scratch.path() / "doc.tvrmd";
  fs::create_directory(target);
  legacy::WriteBytes(target / "pref", "old");
  const FolderSnapshot before = Snapshot(scratch.path());
  {
    PackageWriter package{FolderItem(target)};
    package.Open("pref").WriteLine("new");
    package.Open("csv").WriteLine("new");
  }
  EXPECT_EQ(Snapshot(scratch.path()), before);
}

}  // namespace
