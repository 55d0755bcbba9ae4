#include "conversion/legacy_document_reader.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "conversion/conversion_error.h"
#include "platform/binary_stream.h"
#include "support/legacy_document.h"

namespace {

using namespace std::string_literals;
using Kind = LegacyDocumentReader::Kind;

using legacy::Long;

TEST(LegacyDocumentReader, ReadsTheThreeFieldForms) {
  const std::string longest(255, 'F');  // a length byte above 127 is still a length
  const auto stream = BinaryStream::FromBytes(Long(-2) + "\x03T:1" + Long(2) + "ab" + Long(0) +
                                              "\x00"s + "\xFF" + longest);
  LegacyDocumentReader reader(*stream);
  EXPECT_EQ(reader.ReadLong({Kind::PrefCount}), -2);
  EXPECT_EQ(reader.ReadShortString({Kind::Header}), "T:1");
  EXPECT_EQ(reader.ReadLongString({Kind::Cell}), "ab");
  EXPECT_EQ(reader.ReadLongString({Kind::Cell}), "");
  EXPECT_EQ(reader.ReadShortString({Kind::PrefString}), "");
  EXPECT_EQ(reader.ReadShortString({Kind::PrefString}), longest);
}

TEST(LegacyDocumentReader, CellsLargerThanItsReadAheadComeWhole) {
  std::string bytes;
  std::vector<std::string> cells;
  for (std::size_t size : {10u, 300000u, 3u, 1000000u, 0u, 70000u}) {
    cells.push_back(std::string(size, static_cast<char>('a' + cells.size())));
    legacy::AppendLongString(bytes, cells.back());
  }
  const auto stream = BinaryStream::FromBytes(bytes + Long(77));
  LegacyDocumentReader reader(*stream);
  std::string cell;
  for (const std::string& expected : cells) {
    reader.ReadLongString({Kind::Cell}, cell);
    EXPECT_EQ(cell, expected);
  }
  EXPECT_EQ(reader.ReadLong({Kind::ColumnColour}), 77);
  EXPECT_THROW(reader.ReadLong({Kind::ColumnColour}), ConversionError);
}

TEST(LegacyDocumentReader, NamesTheFieldAndWhereItFailed) {
  using Read = std::function<void(LegacyDocumentReader&)>;
  const struct {
    const char* name;
    std::string bytes;
    Read read;
    std::string reason;
  } cases[] = {
      {"header cut", "\x05T:1", [](auto& r) { r.ReadShortString({Kind::Header}); },
       "書類のヘッダを読み込む途中で書類が終わっています（先頭から0バイト目）。"},
      {"second number cut",
       "\x01"
       "1\x02"
       "1",
       [](auto& r) {
         r.ReadShortString({Kind::PrefNumber, 0}), r.ReadShortString({Kind::PrefNumber, 1});
       },
       "2番目のプリファレンス数値を読み込む途中で書類が終わっています（先頭から2バイト目）。"},
      {"negative length", Long(-2),
       [](auto& r) {
         r.ReadLongString({Kind::ColumnName, 2});
       },
       "3列目の列名の長さが負の値（-2）です（先頭から0バイト目）。"},
      {"length past the end", "\x01x" + Long(10) + "abc",
       [](auto& r) {
         r.ReadShortString({Kind::Header}), r.ReadLongString({Kind::Cell, 4, 1});
       },
       "5行目・2列目のセルの長さ（10バイト）が書類の残り（3バイト）を超えています"
       "（先頭から2バイト目）。"},
      {"largest length", Long(INT_MAX) + "a", [](auto& r) { r.ReadLongString({Kind::Cell}); },
       "1行目・1列目のセルの長さ（2147483647バイト）が書類の残り（1バイト）を超えています"
       "（先頭から0バイト目）。"},
  };
  for (const auto& c : cases) {
    const auto stream = BinaryStream::FromBytes(c.bytes);
    LegacyDocumentReader reader(*stream);
    try {
      c.read(reader);
      ADD_FAILURE() << c.name << ": read without complaint";
    } catch (const ConversionError& e) {
      EXPECT_EQ(e.what(), c.reason) << c.name;
    }
  }
}

}  // namespace
