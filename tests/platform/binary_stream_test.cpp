#include "platform/binary_stream.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <vector>

#include "platform/errors.h"
#include "support/legacy_document.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

using legacy::Long;
std::string PString(const std::string& text) { return legacy::ShortString(text); }

fs::path Write(const TempFolder& folder, const std::string& name, const std::string& bytes) {
  WriteBytes(folder / name, bytes);
  return folder / name;
}

// Every behaviour holds the same for bytes in memory and for a file.
class BinaryStreamSource : public ::testing::TestWithParam<bool> {
 protected:
  std::unique_ptr<BinaryStream> Over(const std::string& bytes) {
    if (!GetParam()) return BinaryStream::FromBytes(bytes);
    return BinaryStream::Open(Write(folder_, "data", bytes));
  }
  TempFolder folder_;
};

// One read of the sequence below, the offset it starts at, and what it gives.
struct Step {
  std::uint64_t start;
  std::function<std::string(BinaryStream&)> read;
  std::string expected;
};

const std::string kDocument =
    Long(0xFFFFFFFE) + PString("abc") + Long(5) + "hello" + PString("") + Long(0x7FFFFFFF);

std::vector<Step> DocumentSteps() {
  auto longText = [](BinaryStream& s) { return std::to_string(s.ReadLong()); };
  auto pString = [](BinaryStream& s) { return s.ReadPString(); };
  return {{0, longText, "-2"}, {4, pString, "abc"}, {8, longText, "5"},
          {12, [](BinaryStream& s) { return s.Read(5); }, "hello"},
          {17, pString, ""},   {18, longText, "2147483647"}};
}

TEST_P(BinaryStreamSource, EveryTruncationPointIsAReadErrorWhereTheReadBegan) {
  const auto steps = DocumentSteps();
  for (std::size_t cut = 0; cut < kDocument.size(); ++cut) {
    SCOPED_TRACE("cut " + std::to_string(cut));
    auto stream = Over(kDocument.substr(0, cut));
    // The steps that end at or before the cut still read whole.
    std::size_t step = 0;
    for (; step + 1 < steps.size() && steps[step + 1].start <= cut; ++step) {
      ASSERT_EQ(steps[step].read(*stream), steps[step].expected);
    }
    try {
      steps[step].read(*stream);
      ADD_FAILURE() << "no error";
    } catch (const ReadError& error) {
      EXPECT_EQ(error.offset(), steps[step].start);
      const std::string what = error.what();
      EXPECT_NE(what.find("途中で終わっています"), std::string::npos) << what;
      EXPECT_NE(what.find(std::to_string(steps[step].start)), std::string::npos) << what;
    }
  }
}

TEST_P(BinaryStreamSource, ReadsToTheExactEndThenStops) {
  auto stream = Over(kDocument);
  for (const auto& step : DocumentSteps()) EXPECT_EQ(step.read(*stream), step.expected);
  EXPECT_EQ(stream->Position(), kDocument.size());
  EXPECT_EQ(stream->Length(), kDocument.size());
  EXPECT_EQ(stream->Read(0), "");
  EXPECT_THROW(stream->ReadLong(), ReadError);
}

TEST_P(BinaryStreamSource, BadLengthsAreRefusedBeforeAnythingIsRead) {
  for (std::int64_t length : {std::int64_t{-1}, std::int64_t{INT32_MIN}, std::int64_t{9},
                              std::int64_t{INT64_MAX}, std::int64_t{INT64_MIN}}) {
    SCOPED_TRACE(length);
    auto stream = Over("12345678");
    stream->Read(2);
    try {
      stream->Read(length);  // a huge length must not reach the allocator
      ADD_FAILURE() << "accepted";
    } catch (const ReadError& error) {
      EXPECT_EQ(error.offset(), 2u);
    }
    EXPECT_EQ(stream->Position(), 2u) << "a refused read consumed bytes";
    EXPECT_EQ(stream->Read(6), "345678");
  }
}

TEST_P(BinaryStreamSource, ReadsNothingOnceClosed) {
  auto stream = Over(kDocument);
  stream->ReadLong();
  stream->Close();
  stream->Close();
  EXPECT_THROW(stream->ReadLong(), FrameworkError);
  EXPECT_THROW(stream->ReadPString(), FrameworkError);
  EXPECT_THROW(stream->Read(3), FrameworkError);
}

INSTANTIATE_TEST_SUITE_P(MemoryAndFile, BinaryStreamSource, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "File" : "Memory"; });

TEST(BinaryStreamFile, ReadsAcrossBufferRefillsAtOddOffsets) {
  // One odd byte first, so that longs and runs straddle every refill.
  std::string bytes = "x";
  for (std::uint32_t i = 0; i < 200000; ++i) bytes += Long(i * 2654435761u);
  const std::string run(700 * 1024 + 3, 'r');
  bytes += PString(std::string(255, 'p')) + run + Long(0x80000000);
  TempFolder folder;
  auto stream = BinaryStream::Open(Write(folder, "big", bytes));
  ASSERT_EQ(stream->Read(1), "x");
  for (std::uint32_t i = 0; i < 200000; ++i) {
    ASSERT_EQ(stream->ReadLong(), static_cast<std::int32_t>(i * 2654435761u)) << i;
  }
  EXPECT_EQ(stream->ReadPString(), std::string(255, 'p'));
  EXPECT_EQ(stream->Read(static_cast<std::int64_t>(run.size())), run);
  EXPECT_EQ(stream->ReadLong(), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(stream->Position(), bytes.size());
}

TEST(BinaryStreamFile, AFileThatShrinksUnderTheReaderIsAReadErrorNotZeros) {
  TempFolder folder;
  const fs::path path = Write(folder, "shrinks", std::string(1024 * 1024, 'a'));
  auto stream = BinaryStream::Open(path);
  stream->Read(10);
  fs::resize_file(path, 300 * 1024);
  try {
    stream->Read(900 * 1024);
    ADD_FAILURE() << "read past the new end";
  } catch (const ReadError& error) {
    EXPECT_EQ(error.offset(), 10u);
  }
}

TEST(BinaryStreamFile, WhatCannotBeOpenedIsANilObjectNamingThePath) {
  TempFolder folder;
  const fs::path fifo = folder.path() / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::pair<fs::path, std::string> cases[] = {{folder.path() / "missing", "見つかりません"},
                                                    {folder.path(), "フォルダです"},
                                                    {fifo, "通常のファイルではありません"}};
  for (const auto& [path, reason] : cases) {
    try {
      BinaryStream::Open(path);  // a FIFO must be refused, not waited on
      ADD_FAILURE() << path << " opened";
    } catch (const NilObjectException& error) {
      const std::string what = error.what();
      EXPECT_NE(what.find(path.string()), std::string::npos) << what;
      EXPECT_NE(what.find(reason), std::string::npos) << what;
    }
  }
}

}  // namespace
