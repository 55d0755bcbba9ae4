#pragma once
// Reads the fields of the legacy binary encoding (a list document's data
// fork, the legacy preference file) from a BinaryStream, and says, in words
// for the user, which field could not be read, why and where.

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

  // Reads from `stream`, from its current position on; `stream` must outlive
  // the reader. The reader holds no bytes of its own.
  explicit LegacyDocumentReader(BinaryStream& stream);

  // Each read throws ReadError, naming the field, at the offset where the
  // field begins, when the document ends before the field does or a length
  // is negative or too large.
  std::int32_t ReadLong(const Field& field);
  // One length byte, then that many bytes.
  std::string ReadShortString(const Field& field);
  // An Int32 length, then that many bytes, straight into `bytes` (whose
  // storage is reused from call to call); a length above `maxLength` is
  // refused before anything is read.
  void ReadLongString(const Field& field, std::int32_t maxLength, std::string& bytes);
  std::string ReadLongString(const Field& field, std::int32_t maxLength);
  // The two halves of ReadLongString, for a caller that judges the length
  // itself before the bytes are read: the length, refused as there; then
  // that many bytes.
  std::int32_t ReadLength(const Field& field, std::int32_t maxLength);
  void ReadBytes(std::int32_t length, std::string& bytes);

  // Where the next field begins, in bytes from the start of the data.
  std::uint64_t Position() const;

  // The field as the user reads it: "3番目のプリファレンス数値".
  static std::string Describe(const Field& field);

 private:
  // Throws unless `count` more bytes are left; `start` is where the field began.
  void Need(const Field& field, std::uint64_t start, std::uint64_t count) const;

  BinaryStream& stream_;
};
