#include "platform/text_output_stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <utility>

#include "platform/errors.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {
class TextOutputStreamTest : public ::testing::Test {
 protected:
  std::set<std::string> Listing() const {  // the temporaries included
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) names.insert(entry.path().filename());
    return names;
  }
  TempFolder scratch_;
  const fs::path folder_ = scratch_.path();
};

// Long runs and many lines too, so that the buffer is flushed many times.
TEST_F(TextOutputStreamTest, TheFinalNameAppearsOnlyOnCommit) {
  const fs::path target = folder_ / "csv";
  auto stream = TextOutputStream::Create(target);
  std::string expected;
  for (int i = 0; i < 20000; ++i) {
    const std::string line = "row " + std::to_string(i) + ",\xE6\x97\xA5";
    stream->WriteLine(line);
    expected += line + "\n";
  }
  const std::string run(300 * 1024, 'x');
  stream->Write(run);
  stream->Delimiter = "\r\n";
  stream->WriteLine("");
  EXPECT_FALSE(fs::exists(target));
  EXPECT_EQ(stream->TemporaryPath().parent_path(), folder_);
  EXPECT_EQ(stream->TemporaryPath().filename().string().rfind(".csv.tmp-", 0), 0u);
  stream->Close();
  EXPECT_FALSE(fs::exists(target)) << "Close must not publish the file";
  stream->Commit();
  EXPECT_EQ(ReadBytes(target), expected + run + "\r\n");
  EXPECT_EQ(Listing(), std::set<std::string>{"csv"});
}

// An older file is replaced whole; a symbolic link is replaced, not written through.
TEST_F(TextOutputStreamTest, CommitReplacesWhatStandsAtTheFinalName) {
  std::ofstream(folder_ / "pref") << "old and longer content";
  std::ofstream(folder_ / "elsewhere") << "keep me";
  fs::create_symlink(folder_ / "elsewhere", folder_ / "link");
  for (auto [name, before] : {std::pair{"pref", "old and longer content"}, {"link", "keep me"}}) {
    auto stream = TextOutputStream::Create(folder_ / name);
    stream->WriteLine("new");
    EXPECT_EQ(ReadBytes(folder_ / name), before) << name;
    stream->Commit();
    EXPECT_FALSE(fs::is_symlink(folder_ / name)) << name;
    EXPECT_EQ(ReadBytes(folder_ / name), "new\n") << name;
  }
  EXPECT_EQ(ReadBytes(folder_ / "elsewhere"), "keep me");
}

// Destroyed, closed only, discarded, or failed on commit (a folder stands at
// the final name: a readable message naming it): no temporary is left.
TEST_F(TextOutputStreamTest, AnUncommittedStreamLeavesNothingBehind) {
  fs::create_directory(folder_ / "taken");
  {
    auto destroyed = TextOutputStream::Create(folder_ / "window");
    destroyed->WriteLine("half");
    auto closedOnly = TextOutputStream::Create(folder_ / "colAttr");
    closedOnly->WriteLine("closed");
    closedOnly->Close();
    auto discarded = TextOutputStream::Create(folder_ / "csv");
    discarded->WriteLine("gone");
    discarded->Discard();
    EXPECT_FALSE(fs::exists(discarded->TemporaryPath()));
    EXPECT_THROW(discarded->WriteLine("more"), NilObjectException);
    EXPECT_THROW(discarded->Commit(), NilObjectException);
    auto failed = TextOutputStream::Create(folder_ / "taken");
    failed->WriteLine("x");
    try {
      failed->Commit();
      ADD_FAILURE() << "committed over a folder";
    } catch (const NilObjectException& error) {
      const std::string what = error.what();
      EXPECT_NE(what.find((folder_ / "taken").string()), std::string::npos) << what;
      EXPECT_NE(what.find("同じ名前のフォルダがあります"), std::string::npos) << what;
    }
    EXPECT_FALSE(fs::exists(failed->TemporaryPath()));
  }
  EXPECT_EQ(Listing(), std::set<std::string>{"taken"});
  EXPECT_TRUE(fs::is_directory(folder_ / "taken"));
}
}  // namespace
