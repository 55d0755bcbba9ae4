#include "platform/text_output_stream.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <utility>

#include "platform/errors.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

class TextOutputStreamTest : public ::testing::Test {
 protected:
  // Names in the folder, the temporaries included.
  std::vector<std::string> Listing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  // The message names the file and says why in Japanese.
  void ExpectReadableFailure(const std::function<void()>& action, const fs::path& named,
                             const std::string& reason) {
    try {
      action();
      ADD_FAILURE() << "no exception";
    } catch (const NilObjectException& error) {
      EXPECT_NE(std::string(error.what()).find(named.string()), std::string::npos) << error.what();
      EXPECT_NE(std::string(error.what()).find(reason), std::string::npos) << error.what();
    }
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
  EXPECT_EQ(Listing(), std::vector<std::string>{"csv"});
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

TEST_F(TextOutputStreamTest, AnUncommittedStreamLeavesNothingBehind) {
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
  }
  EXPECT_TRUE(Listing().empty());
}

TEST_F(TextOutputStreamTest, TheFileGetsTheModeTheUmaskAllows) {
  for (auto [mask, mode] : {std::pair<mode_t, mode_t>{022, 0644}, {077, 0600}, {002, 0664}}) {
    const mode_t old = ::umask(mask);
    const fs::path target = folder_ / ("mode" + std::to_string(mask));
    TextOutputStream::Create(target)->Commit();
    ::umask(old);
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, mode) << std::oct << info.st_mode;
  }
}

TEST_F(TextOutputStreamTest, AFolderThatCannotHoldTheFileIsAReadableFailure) {
  std::ofstream(folder_ / "plain") << "a file, not a folder";
  fs::create_directory(folder_ / "locked");
  fs::permissions(folder_ / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  const std::pair<fs::path, std::string> cases[] = {
      {folder_ / "plain" / "pref", "フォルダではありません"},
      {folder_ / "missing" / "pref", "見つかりません"},
      // Permission bits do not stop root from writing.
      {::geteuid() == 0 ? fs::path() : folder_ / "locked" / "pref", "アクセス権がありません"},
  };
  for (const auto& [path, reason] : cases) {
    if (!path.empty()) ExpectReadableFailure([&] { TextOutputStream::Create(path); }, path, reason);
  }
  fs::permissions(folder_ / "locked", fs::perms::owner_all);
}

TEST_F(TextOutputStreamTest, CommittingOverAFolderFailsAndRemovesTheTemporary) {
  fs::create_directory(folder_ / "csv");
  fs::path temporary;
  ExpectReadableFailure(
      [&] {
        auto stream = TextOutputStream::Create(folder_ / "csv");
        temporary = stream->TemporaryPath();
        stream->WriteLine("x");
        stream->Commit();
      },
      folder_ / "csv", "同じ名前のフォルダがあります");
  EXPECT_FALSE(fs::exists(temporary));
  EXPECT_TRUE(fs::is_directory(folder_ / "csv"));
}

TEST_F(TextOutputStreamTest, AWriteThatFailsIsAReadableFailureAndLeavesNothing) {
  // A file-size limit stands in for a full disk: write() then fails with EFBIG.
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 100 * 1024;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  ExpectReadableFailure(
      [&] {
        auto stream = TextOutputStream::Create(folder_ / "csv");
        for (int i = 0; i < 10000; ++i) stream->WriteLine(std::string(100, 'z'));
        stream->Commit();
      },
      folder_ / "csv", "ファイルが大きすぎます");
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_TRUE(Listing().empty());
}

}  // namespace
