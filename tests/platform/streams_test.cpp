// The streams the core reads documents with and writes package files with.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <utility>
#include <vector>

#include "platform/binary_stream.h"
#include "platform/errors.h"
#include "platform/text_output_stream.h"
#include "support/files.h"
#include "support/mac_bytes.h"

// Non-zero: the next fsync() of this program fails with this error, as it
// does on a disk that fails, and clears it.
int gFailNextSync = 0;

extern "C" int fsync(int fd) {
  if (gFailNextSync != 0) return errno = std::exchange(gFailNextSync, 0), -1;
  static const auto real = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fsync"));
  return real(fd);
}

namespace {

namespace fs = std::filesystem;
using mac_bytes::Long;

std::unique_ptr<BinaryStream> Over(const TempFolder& folder, const std::string& bytes) {
  WriteBytes(folder / "data", bytes);
  return BinaryStream::Open(folder / "data");
}

std::string ReadBytes(BinaryStream& stream, std::size_t n) {
  std::string bytes(n, '\0');
  stream.ReadInto(bytes.data(), n);
  return bytes;
}

// Cut anywhere, the document gives a read error, where the read that met
// the cut began, that says it ends early; whole, it reads to its exact end.
TEST(BinaryStream, EveryTruncationPointIsAReadErrorWhereTheReadBegan) {
  const std::string document = Long(-2) + "abc" + Long(5) + "hello" + Long(0x7FFFFFFF);
  const std::uint64_t starts[] = {0, 4, 7, 11, 16};  // of the reads below
  TempFolder folder;
  for (std::size_t cut = 0; cut <= document.size(); ++cut) {
    auto stream = Over(folder, document.substr(0, cut));
    try {
      EXPECT_EQ(stream->ReadLong(), -2);
      EXPECT_EQ(ReadBytes(*stream, 3), "abc");
      EXPECT_EQ(stream->ReadLong(), 5);
      EXPECT_EQ(ReadBytes(*stream, 5), "hello");
      EXPECT_EQ(stream->ReadLong(), 0x7FFFFFFF);
      EXPECT_EQ(cut, document.size()) << "read past the cut";
      EXPECT_THROW(stream->ReadLong(), ReadError);
    } catch (const ReadError& error) {
      EXPECT_EQ(error.offset(), *(std::upper_bound(std::begin(starts), std::end(starts), cut) - 1))
          << cut;
      EXPECT_NE(std::string(error.what()).find("途中で終わっています"), std::string::npos) << cut;
    }
  }
}

// Reads of every size that straddle the buffer's refills give exactly the
// bytes written: the way a large document is read, each run into the string
// that held the one before (every hundredth longer than the buffer).
TEST(BinaryStream, ReadsAcrossBufferRefills) {
  std::string bytes;
  std::vector<std::string> runs;
  for (std::int32_t i = 0; bytes.size() < 3 << 20; ++i) {
    const std::size_t size = i % 100 == 99 ? 300 * 1024 : i * 7919 % 6007;
    runs.emplace_back(size, static_cast<char>(i));
    bytes += Long(i) + mac_bytes::LongString(runs.back());
  }
  TempFolder folder;
  auto stream = Over(folder, bytes);
  std::string run;
  for (std::int32_t i = 0; i < static_cast<std::int32_t>(runs.size()); ++i) {
    ASSERT_EQ(stream->ReadLong(), i);
    stream->ReadInto(run, static_cast<std::size_t>(stream->ReadLong()));
    ASSERT_TRUE(run == runs[i]) << i;
  }
  EXPECT_EQ(stream->Position(), bytes.size());
}

// The final name is replaced only on Commit: an older file whole, a symbolic
// link by the file, never written through.
TEST(TextOutputStream, CommitReplacesWhatStandsAtTheFinalName) {
  TempFolder folder;
  WriteBytes(folder / "pref", "old and longer content");
  WriteBytes(folder / "elsewhere", "keep me");
  fs::create_symlink(folder / "elsewhere", folder / "link");
  for (const char* name : {"pref", "link"}) {
    auto stream = TextOutputStream::Create(folder / name);
    stream->WriteLine("new");
    stream->Close();
    EXPECT_NE(TakeSnapshot(folder.path())[name], "new\n|") << "before Commit";
    stream->Commit();
  }
  EXPECT_EQ(TakeSnapshot(folder.path()),
            (Snapshot{{"elsewhere", "keep me|"}, {"link", "new\n|"}, {"pref", "new\n|"}}));
}

// Destroyed, or failed on commit (a folder stands at the final name: a
// readable message naming it; the data cannot be synced to disk before the
// rename), a stream leaves no temporary, and what stood at its name stays.
TEST(TextOutputStream, AnUncommittedStreamLeavesNothingBehind) {
  TempFolder folder;
  fs::create_directory(folder / "taken");
  WriteBytes(folder / "csv", "old");
  {
    auto unsynced = TextOutputStream::Create(folder / "csv");
    unsynced->WriteLine("new");
    gFailNextSync = EIO;
    EXPECT_THROW(unsynced->Commit(), NilObjectException);
    EXPECT_EQ(std::exchange(gFailNextSync, 0), 0) << "never synced";
    auto destroyed = TextOutputStream::Create(folder / "window");
    destroyed->WriteLine("half");
    auto failed = TextOutputStream::Create(folder / "taken");
    failed->WriteLine("x");
    try {
      failed->Commit();
      ADD_FAILURE() << "committed over a folder";
    } catch (const NilObjectException& error) {
      const std::string what = error.what();
      EXPECT_NE(what.find((folder / "taken").string()), std::string::npos) << what;
      EXPECT_NE(what.find("同じ名前のフォルダがあります"), std::string::npos) << what;
    }
    EXPECT_THROW(failed->WriteLine("more"), NilObjectException);
  }
  EXPECT_EQ(TakeSnapshot(folder.path()), (Snapshot{{"csv", "old|"}, {"taken", "/"}}));
}

}  // namespace
