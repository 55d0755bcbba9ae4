#include "legacy_document_reader.h"

#include "conversion_error.h"
#include "platform/binary_stream.h"
#include "platform/strings.h"

namespace {

std::string Ordinal(std::int64_t zeroBased) { return Str(zeroBased + 1); }

std::string At(std::uint64_t offset) {
  return "（先頭から" + Str(static_cast<std::int64_t>(offset)) + "バイト目）";
}

}  // namespace

LegacyDocumentReader::LegacyDocumentReader(BinaryStream& stream) : stream_(stream) {}

std::string LegacyDocumentReader::Describe(const Field& field) {
  switch (field.kind) {
    case Kind::Header: return "書類のヘッダ";
    case Kind::PrefCount: return "プリファレンス数値の個数";
    case Kind::PrefNumber: return Ordinal(field.index) + "番目のプリファレンス数値";
    case Kind::StringCount: return "プリファレンス文字列の個数";
    case Kind::PrefString: return Ordinal(field.index) + "番目のプリファレンス文字列";
    case Kind::ColumnInfo: return Ordinal(field.index) + "列目の列情報";
    case Kind::ColumnName: return Ordinal(field.index) + "列目の列名";
    case Kind::ColumnColour: return Ordinal(field.index) + "列目の列の色";
    case Kind::Cell: return Ordinal(field.index) + "行目・" + Ordinal(field.column) + "列目のセル";
  }
  return "書類の項目";
}

std::uint64_t LegacyDocumentReader::BytesLeft() const {
  const std::uint64_t length = stream_.Length();
  const std::uint64_t position = stream_.Position();
  return position < length ? length - position : 0;
}

void LegacyDocumentReader::FailEndsEarly(const Field& field, std::uint64_t offset) const {
  throw ConversionError(Describe(field) + "を読み込む途中で書類が終わっています" + At(offset) +
                        "。");
}

std::int32_t LegacyDocumentReader::ReadLong(const Field& field) {
  if (BytesLeft() < 4) FailEndsEarly(field, stream_.Position());
  return stream_.ReadLong();
}

std::string LegacyDocumentReader::ReadShortString(const Field& field) {
  const std::uint64_t offset = stream_.Position();
  if (BytesLeft() < 1) FailEndsEarly(field, offset);
  const auto length = static_cast<unsigned char>(stream_.Read(1)[0]);
  if (BytesLeft() < length) FailEndsEarly(field, offset);
  return stream_.Read(length);
}

std::string LegacyDocumentReader::ReadLongString(const Field& field) {
  const std::uint64_t offset = stream_.Position();
  if (BytesLeft() < 4) FailEndsEarly(field, offset);
  const std::int32_t length = stream_.ReadLong();
  if (length < 0) {
    throw ConversionError(Describe(field) + "の長さが負の値（" + Str(length) + "）です" +
                          At(offset) + "。");
  }
  const std::uint64_t left = BytesLeft();
  if (static_cast<std::uint64_t>(length) > left) {
    throw ConversionError(Describe(field) + "の長さ（" + Str(length) + "バイト）が書類の残り（" +
                          Str(static_cast<std::int64_t>(left)) + "バイト）を超えています" +
                          At(offset) + "。");
  }
  return stream_.Read(length);
}
