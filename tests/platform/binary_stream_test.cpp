#include "platform/binary_stream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/errors.h"
#include "support/legacy_document.h"
#include "support/temp_folder.h"

namespace {
using legacy::Long;
using legacy::ShortString;

// Every behaviour holds the same for bytes in memory and for a file.
class BinaryStreamSource : public ::testing::TestWithParam<bool> {
 protected:
  std::unique_ptr<BinaryStream> Over(const std::string& bytes) {
    if (!GetParam()) return BinaryStream::FromBytes(bytes);
    WriteBytes(folder_ / "data", bytes);
    return BinaryStream::Open(folder_ / "data");
  }
  TempFolder folder_;
};

struct Step {  // one read of the document below: where it starts, what it gives
  std::uint64_t start;
  std::function<std::string(BinaryStream&)> read;
  std::string expected;
};

const std::string kDocument =
    Long(0xFFFFFFFE) + ShortString("abc") + Long(5) + "hello" + ShortString("") + Long(0x7FFFFFFF);

std::vector<Step> DocumentSteps() {
  auto longText = [](BinaryStream& s) { return std::to_string(s.ReadLong()); };
  auto pString = [](BinaryStream& s) { return s.ReadPString(); };
  return {{0, longText, "-2"}, {4, pString, "abc"},
          {8, longText, "5"},  {12, [](BinaryStream& s) { return s.Read(5); }, "hello"},
          {17, pString, ""},   {18, longText, "2147483647"}};
}

// Each cut gives a read error where the cut read began; the whole document
// reads to its exact end, and then stops.
TEST_P(BinaryStreamSource, EveryTruncationPointIsAReadErrorWhereTheReadBegan) {
  const auto steps = DocumentSteps();
  for (std::size_t cut = 0; cut <= kDocument.size(); ++cut) {
    SCOPED_TRACE("cut " + std::to_string(cut));
    auto stream = Over(kDocument.substr(0, cut));
    // The steps that end at or before the cut still read whole.
    std::size_t step = 0;
    for (; step + 1 < steps.size() && steps[step + 1].start <= cut; ++step) {
      ASSERT_EQ(steps[step].read(*stream), steps[step].expected);
    }
    if (cut == kDocument.size()) {
      EXPECT_EQ(steps[step].read(*stream), steps[step].expected);
      EXPECT_EQ(stream->Position(), cut);
      EXPECT_EQ(stream->Length(), cut);
      EXPECT_EQ(stream->Read(0), "");
      EXPECT_THROW(stream->ReadLong(), ReadError);
      continue;
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

TEST_P(BinaryStreamSource, BadLengthsAreRefusedBeforeAnythingIsRead) {
  for (std::int64_t length :
       std::initializer_list<std::int64_t>{-1, INT32_MIN, 9, INT64_MAX, INT64_MIN}) {
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

// Reads of every size that straddle the file buffer's refills give exactly
// the bytes written: the file path is the one a large document takes.
TEST(BinaryStreamFile, ReadsAcrossBufferRefills) {
  std::string bytes;
  std::vector<std::string> runs;
  for (std::int32_t i = 0; bytes.size() < 1536 * 1024; ++i) {
    runs.emplace_back(static_cast<std::size_t>(i * 7919 % 6007), static_cast<char>(i));
    bytes += Long(i) + Long(static_cast<std::int32_t>(runs.back().size())) + runs.back() +
             ShortString(std::string(i % 256, 'p'));
  }
  TempFolder folder;
  WriteBytes(folder / "big", bytes);
  auto stream = BinaryStream::Open(folder / "big");
  for (std::int32_t i = 0; i < static_cast<std::int32_t>(runs.size()); ++i) {
    ASSERT_EQ(stream->ReadLong(), i);
    ASSERT_EQ(stream->Read(stream->ReadLong()), runs[i]);
    ASSERT_EQ(stream->ReadPString(), std::string(i % 256, 'p'));
  }
  EXPECT_EQ(stream->Position(), bytes.size());
}

INSTANTIATE_TEST_SUITE_P(MemoryAndFile, BinaryStreamSource, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "File" : "Memory"; });
}  // namespace
