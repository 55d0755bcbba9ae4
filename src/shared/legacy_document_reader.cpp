#include "shared/legacy_document_reader.h"

#include "platform/binary_stream.h"
#include "platform/errors.h"
#include "platform/string_helpers.h"

namespace {

std::string Ordinal(std::int64_t zeroBased) { return Str(zeroBased + 1); }

}  // namespace

LegacyDocumentReader::LegacyDocumentReader(BinaryStream& stream) : stream_(stream) {}

std::string LegacyDocumentReader::Describe(const Field& field) {
  switch (field.kind) {
    case Kind::Header:
      return "書類のヘッダ";
    case Kind::PrefCount:
      return "プリファレンス数値の個数";
    case Kind::PrefNumber:
      return Ordinal(field.index) + "番目のプリファレンス数値";
    case Kind::StringCount:
      return "プリファレンス文字列の個数";
    case Kind::PrefString:
      return Ordinal(field.index) + "番目のプリファレンス文字列";
    case Kind::ColumnInfo:
      return Ordinal(field.index) + "列目の列情報";
    case Kind::ColumnName:
      return Ordinal(field.index) + "列目の列名";
    case Kind::ColumnColour:
      return Ordinal(field.index) + "列目の列の色";
    case Kind::Cell:
      return Ordinal(field.index) + "行目・" + Ordinal(field.column) + "列目のセル";
  }
  return "書類の項目";
}

void LegacyDocumentReader::Need(const Field& field, std::uint64_t start,
                                std::uint64_t count) const {
  if (stream_.Left() < count)
    throw ReadError(Describe(field) + "を読み込む途中で書類が終わっています", start);
}

std::int32_t LegacyDocumentReader::ReadLong(const Field& field) {
  Need(field, stream_.Position(), 4);
  return stream_.ReadLong();
}

std::string LegacyDocumentReader::ReadShortString(const Field& field) {
  const std::uint64_t start = stream_.Position();
  Need(field, start, 1);
  char length;
  stream_.ReadInto(&length, 1);
  std::string bytes(static_cast<unsigned char>(length), '\0');
  Need(field, start, bytes.size());
  stream_.ReadInto(bytes.data(), bytes.size());
  return bytes;
}

std::string LegacyDocumentReader::ReadLongString(const Field& field, std::int32_t maxLength) {
  std::string bytes;
  ReadLongString(field, maxLength, bytes);
  return bytes;
}

void LegacyDocumentReader::ReadLongString(const Field& field, std::int32_t maxLength,
                                          std::string& bytes) {
  ReadBytes(ReadLength(field, maxLength), bytes);
}

std::int32_t LegacyDocumentReader::ReadLength(const Field& field, std::int32_t maxLength) {
  const std::uint64_t start = stream_.Position();
  const std::int32_t length = ReadLong(field);
  if (length < 0)
    throw ReadError(Describe(field) + "の長さが負の値（" + Str(length) + "）です", start);
  if (length > maxLength) {
    throw ReadError(Describe(field) + "が長すぎます（" + Str(length) + "バイト、読み込めるのは" +
                        Str(maxLength) + "バイトまで）",
                    start);
  }
  if (static_cast<std::uint64_t>(length) > stream_.Left()) {
    throw ReadError(Describe(field) + "の長さ（" + Str(length) + "バイト）が書類の残り（" +
                        Str(static_cast<std::int64_t>(stream_.Left())) + "バイト）を超えています",
                    start);
  }
  return length;
}

void LegacyDocumentReader::ReadBytes(std::int32_t length, std::string& bytes) {
  stream_.ReadInto(bytes, static_cast<std::size_t>(length));
}

std::uint64_t LegacyDocumentReader::Position() const { return stream_.Position(); }
