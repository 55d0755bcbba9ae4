// The reader of the legacy binary encoding: the three field forms, and the
// reason and offset of each failure.
#include "shared/legacy_document_reader.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <vector>

#include "platform/binary_stream.h"
#include "platform/errors.h"
#include "support/legacy_document.h"

namespace {

using Kind = LegacyDocumentReader::Kind;
using legacy::Long;

TEST(LegacyDocumentReader, ReadsTheThreeFieldForms) {
  const std::string longest(255, 'F');  // a length byte above 127 is still a length
  std::string bytes = Long(-2) + "\x03T:1" + std::string(1, '\0') + "\xFF" + longest;
  std::vector<std::string> cells;
  for (std::size_t size : {10u, 300000u, 3u, 0u}) {
    cells.push_back(std::string(size, static_cast<char>('a' + cells.size())));
    legacy::AppendLongString(bytes, cells.back());
  }
  const auto stream = BinaryStream::FromBytes(bytes + Long(77));
  LegacyDocumentReader reader(*stream);
  EXPECT_EQ(reader.ReadLong({Kind::PrefCount}), -2);
  EXPECT_EQ(reader.ReadShortString({Kind::Header}), "T:1");
  EXPECT_EQ(reader.ReadShortString({Kind::PrefString}), "");
  EXPECT_EQ(reader.ReadShortString({Kind::PrefString}), longest);
  std::string cell;
  for (const std::string& expected : cells) {
    reader.ReadLongString({Kind::Cell}, INT_MAX, cell);
    EXPECT_EQ(cell, expected);
  }
  EXPECT_EQ(reader.ReadLong({Kind::ColumnColour}), 77);
  EXPECT_THROW(reader.ReadLong({Kind::ColumnColour}), ReadError);
}

TEST(LegacyDocumentReader, NamesTheFieldAndWhereItFailed) {
  const struct {
    std::string bytes;
    std::function<void(LegacyDocumentReader&)> read;
    std::string reason;
  } cases[] = {
      {Long(-2),
       [](auto& r) {
         r.ReadLongString({Kind::ColumnName, 2}, INT_MAX);
       },
       "3列目の列名の長さが負の値（-2）です（先頭から0バイト目）。"},
      {"\x01x" + Long(INT_MAX) + "a",
       [](auto& r) {
         r.ReadShortString({Kind::Header}), r.ReadLongString({Kind::Cell, 4, 1}, INT_MAX);
       },
       "5行目・2列目のセルの長さ（2147483647バイト）が書類の残り（1バイト）を超えています"
       "（先頭から2バイト目）。"},
      {Long(17) + std::string(17, 'x'),
       [](auto& r) {
         r.ReadLongString({Kind::Cell, 0, 2}, 16);
       },
       "1行目・3列目のセルが長すぎます（17バイト、読み込めるのは16バイトまで）（先頭から0バイト目）"
       "。"},
      {"\x01x\x05"
       "abc",
       [](auto& r) {
         r.ReadShortString({Kind::Header}), r.ReadShortString({Kind::PrefNumber, 0});
       },
       "1番目のプリファレンス数値を読み込む途中で書類が終わっています（先頭から2バイト目）。"},
  };
  for (const auto& c : cases) {
    const auto stream = BinaryStream::FromBytes(c.bytes);
    LegacyDocumentReader reader(*stream);
    try {
      c.read(reader);
      ADD_FAILURE() << c.reason << ": read without complaint";
    } catch (const ReadError& e) {
      EXPECT_EQ(e.what(), c.reason);
    }
  }
}

}  // namespace
