#pragma once
// Reads the fields of a legacy list document's data fork and says, in words
// for the user, which field could not be read and why.

#include <cstdint>
#include <string>

class BinaryStream;

class LegacyDocumentReader {
 public:
  enum class Kind {
    Header,
    PrefCount,
    PrefNumber,
    StringCount,
    PrefString,
    ColumnInfo,
    ColumnName,
    ColumnColour,
    Cell,
  };
  // The field being read; `index` (row, column or entry) and `column` count
  // from 0 and appear, from 1, in the reason.
  struct Field {
    Kind kind;
    std::int64_t index = 0;
    std::int64_t column = 0;
  };

  // Reads from `stream`, from its current position to its end. The reader
  // reads ahead in blocks, so nothing else may read the stream while it is in
  // use; `stream` must outlive it.
  explicit LegacyDocumentReader(BinaryStream& stream);

  // Each read throws ConversionError, naming the field and its offset, when
  // the document ends before the field does or a length is negative.
  std::int32_t ReadLong(const Field& field);
  // One length byte, then that many bytes.
  std::string ReadShortString(const Field& field);
  // An Int32 length, then that many bytes; a length above `maxLength`
  // throws ConversionError naming the field and the length, before anything
  // is read.
  std::string ReadLongString(const Field& field, std::int32_t maxLength);
  // The same into `bytes`, whose storage is reused from call to call; bytes
  // beyond the read-ahead go straight from the document into it.
  void ReadLongString(const Field& field, std::int32_t maxLength, std::string& bytes);

  // The field as the user reads it: "3番目のプリファレンス数値".
  static std::string Describe(const Field& field);

 private:
  // Bytes from the start of the document to the next unread byte.
  std::uint64_t Offset() const { return bufferStart_ + next_; }
  std::uint64_t BytesLeft() const { return length_ - Offset(); }
  // Makes `count` unread bytes (no more than BytesLeft()) available in the
  // buffer.
  void Fill(std::size_t count);
  // Checks that `count` bytes are left, fills them in and returns the first.
  const char* Take(const Field& field, std::uint64_t fieldOffset, std::size_t count);
  [[noreturn]] void FailEndsEarly(const Field& field, std::uint64_t offset) const;

  BinaryStream& stream_;
  std::uint64_t length_;       // the document's size in bytes
  std::string buffer_;         // bytes read ahead of the fields
  std::size_t next_ = 0;       // first unread byte of buffer_
  std::uint64_t bufferStart_;  // document offset of buffer_[0]
};
