#include "platform/text_output_stream.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <utility>

#include "platform/errors.h"

namespace fs = std::filesystem;

namespace {

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class TextOutputStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "text_output_stream_test-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
  }
  void TearDown() override {
    fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(folder_);
  }
  // Names in the folder, the temporaries included.
  std::vector<std::string> Listing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_))
      names.push_back(entry.path().filename());
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
  fs::path folder_;
};

TEST_F(TextOutputStreamTest, TheFinalNameAppearsOnlyOnCommit) {
  const fs::path target = folder_ / "csv";
  auto stream = TextOutputStream::Create(target);
  stream->WriteLine("a,b");
  stream->Write("c");
  stream->Delimiter = "\r\n";
  stream->WriteLine("");
  EXPECT_FALSE(fs::exists(target));
  EXPECT_EQ(stream->TemporaryPath().parent_path(), folder_);
  EXPECT_EQ(stream->TemporaryPath().filename().string().rfind(".csv.tmp-", 0), 0u);
  stream->Close();
  EXPECT_FALSE(fs::exists(target)) << "Close must not publish the file";
  stream->Commit();
  EXPECT_EQ(Contents(target), "a,b\nc\r\n");
  EXPECT_EQ(Listing(), std::vector<std::string>{"csv"});
}

TEST_F(TextOutputStreamTest, CommitReplacesAnOlderFile) {
  std::ofstream(folder_ / "pref") << "old and longer content";
  auto stream = TextOutputStream::Create(folder_ / "pref");
  stream->WriteLine("new");
  EXPECT_EQ(Contents(folder_ / "pref"), "old and longer content");
  stream->Commit();
  EXPECT_EQ(Contents(folder_ / "pref"), "new\n");
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

TEST_F(TextOutputStreamTest, ASymbolicLinkAtTheFinalNameIsReplacedNotFollowed) {
  const fs::path elsewhere = folder_ / "elsewhere";
  std::ofstream(elsewhere) << "keep me";
  fs::create_symlink(elsewhere, folder_ / "pref");
  auto stream = TextOutputStream::Create(folder_ / "pref");
  stream->WriteLine("<plist/>");
  stream->Commit();
  EXPECT_EQ(Contents(elsewhere), "keep me");
  EXPECT_FALSE(fs::is_symlink(folder_ / "pref"));
  EXPECT_EQ(Contents(folder_ / "pref"), "<plist/>\n");
}

TEST_F(TextOutputStreamTest, TheFileGetsTheModeTheUmaskAllows) {
  for (auto [mask, mode] : {std::pair<mode_t, mode_t>{022, 0644}, {077, 0600}, {002, 0664}}) {
    const mode_t old = ::umask(mask);
    const fs::path target = folder_ / ("mode" + std::to_string(mask));
    auto stream = TextOutputStream::Create(target);
    stream->Commit();
    ::umask(old);
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, mode) << std::oct << info.st_mode;
  }
}

TEST_F(TextOutputStreamTest, LongRunsAndManyLinesArriveWhole) {
  std::string expected;
  auto stream = TextOutputStream::Create(folder_ / "csv");
  for (int i = 0; i < 20000; ++i) {
    const std::string line = "row " + std::to_string(i) + ",\xE6\x97\xA5";
    stream->WriteLine(line);
    expected += line + "\n";
  }
  const std::string run(300 * 1024, 'x');
  stream->Write(run);
  expected += run;
  stream->Commit();
  EXPECT_EQ(Contents(folder_ / "csv"), expected);
}

TEST_F(TextOutputStreamTest, AFolderThatCannotHoldTheFileIsAReadableFailure) {
  std::ofstream(folder_ / "plain") << "a file, not a folder";
  ExpectReadableFailure([&] { TextOutputStream::Create(folder_ / "plain" / "pref"); },
                        folder_ / "plain" / "pref", "フォルダではありません");
  ExpectReadableFailure([&] { TextOutputStream::Create(folder_ / "missing" / "pref"); },
                        folder_ / "missing" / "pref", "見つかりません");
}

TEST_F(TextOutputStreamTest, AReadOnlyFolderIsAReadableFailure) {
  if (::geteuid() == 0) {
    GTEST_SKIP() << "running as root: permission bits do not stop root from writing";
  }
  fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec);
  ExpectReadableFailure([&] { TextOutputStream::Create(folder_ / "pref"); }, folder_ / "pref",
                        "アクセス権がありません");
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
