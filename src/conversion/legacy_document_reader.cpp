#include "legacy_document_reader.h"

#include <algorithm>
#include <cstring>

#include "conversion_error.h"
#include "platform/binary_stream.h"
#include "platform/strings.h"

namespace {

// Read-ahead block: large enough that a row costs no call to the stream,
// small enough to keep a conversion's memory flat.
constexpr std::size_t kBlock = 256 * 1024;

std::string Ordinal(std::int64_t zeroBased) { return Str(zeroBased + 1); }

std::string At(std::uint64_t offset) {
  return "（先頭から" + Str(static_cast<std::int64_t>(offset)) + "バイト目）";
}

std::int32_t BigEndian32(const char* bytes) {
  const auto* b = reinterpret_cast<const unsigned char*>(bytes);
  return static_cast<std::int32_t>((std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) |
                                   (std::uint32_t{b[2]} << 8) | std::uint32_t{b[3]});
}

}  // namespace

LegacyDocumentReader::LegacyDocumentReader(BinaryStream& stream)
    : stream_(stream),
      length_(std::max(stream.Length(), stream.Position())),
      bufferStart_(stream.Position()) {}

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

void LegacyDocumentReader::Fill(std::size_t count) {
  if (buffer_.size() - next_ >= count) return;
  buffer_.erase(0, next_);
  bufferStart_ += next_;
  next_ = 0;
  const std::uint64_t unread = length_ - bufferStart_ - buffer_.size();
  const std::uint64_t wanted = std::max<std::uint64_t>(count - buffer_.size(), kBlock);
  buffer_ += stream_.Read(static_cast<std::int64_t>(std::min(wanted, unread)));
}

const char* LegacyDocumentReader::Take(const Field& field, std::uint64_t fieldOffset,
                                       std::size_t count) {
  if (BytesLeft() < count) FailEndsEarly(field, fieldOffset);
  Fill(count);
  const char* bytes = buffer_.data() + next_;
  next_ += count;
  return bytes;
}

void LegacyDocumentReader::FailEndsEarly(const Field& field, std::uint64_t offset) const {
  throw ConversionError(Describe(field) + "を読み込む途中で書類が終わっています" + At(offset) +
                        "。");
}

std::int32_t LegacyDocumentReader::ReadLong(const Field& field) {
  return BigEndian32(Take(field, Offset(), 4));
}

std::string LegacyDocumentReader::ReadShortString(const Field& field) {
  const std::uint64_t offset = Offset();
  const auto length = static_cast<unsigned char>(*Take(field, offset, 1));
  return std::string(Take(field, offset, length), length);
}

std::string LegacyDocumentReader::ReadLongString(const Field& field, std::int32_t maxLength) {
  std::string bytes;
  ReadLongString(field, maxLength, bytes);
  return bytes;
}

void LegacyDocumentReader::ReadLongString(const Field& field, std::int32_t maxLength,
                                          std::string& bytes) {
  const std::uint64_t offset = Offset();
  const std::int32_t length = BigEndian32(Take(field, offset, 4));
  if (length < 0) {
    throw ConversionError(Describe(field) + "の長さが負の値（" + Str(length) + "）です" +
                          At(offset) + "。");
  }
  if (length > maxLength) {
    throw ConversionError(Describe(field) + "が長すぎます（" + Str(length) + "バイト、読み込めるのは" +
                          Str(maxLength) + "バイトまで）" + At(offset) + "。");
  }
  if (static_cast<std::uint64_t>(length) > BytesLeft()) {
    throw ConversionError(Describe(field) + "の長さ（" + Str(length) + "バイト）が書類の残り（" +
                          Str(static_cast<std::int64_t>(BytesLeft())) + "バイト）を超えています" +
                          At(offset) + "。");
  }
  const auto size = static_cast<std::size_t>(length);
  if (size <= kBlock || size <= buffer_.size() - next_) {
    bytes.assign(Take(field, offset, size), size);
    return;
  }
  // A large string skips the read-ahead: what it already holds, then the
  // rest from the document straight into `bytes`.
  const std::size_t buffered = buffer_.size() - next_;
  bytes.resize(size);
  std::memcpy(bytes.data(), buffer_.data() + next_, buffered);
  buffer_.clear();
  bufferStart_ += next_ + buffered;
  next_ = 0;
  stream_.ReadInto(bytes.data() + buffered, size - buffered);
  bufferStart_ += size - buffered;
}
